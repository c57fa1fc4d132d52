// SPDX-License-Identifier: MIT
// gantrel-bench-generate: writes a large made-up TELV installation with one map, "Bench", for
// timing the scan. At full size the map has about 2,000 tiles and 1 GiB of tile text, placing
// 100,000 distinct references that lie in 5,000 folders; every size scales with --scale.
//
// The output is the same on every run for the same scale: all choices come from one fixed-seed
// generator whose arithmetic is spelled out here, not from library distributions whose results
// differ between standard libraries.
//
// Besides the installation it writes expected.txt, the summary lines that a scan of the map
// must log, so that the benchmark checks the result it times.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kSeed = 0x6a09e667f3bcc908;

// Full-size figures, multiplied by the scale.
constexpr double kTiles = 2000;
constexpr double kTileBytes = 1024.0 * 1024 * 1024;
constexpr double kReferences = 100000;
constexpr double kFolders = 5000;
constexpr double kObjectShare = 0.8;
constexpr int kMissingOneIn = 10;            // a tenth of the references have no file
constexpr int kOtherCaseFileOneIn = 400;     // file name on disk in capitals
constexpr int kOtherCaseFolderOneIn = 1000;  // folder name on disk in small letters
constexpr int kTrapOneIn = 997;              // a near-reference line before a block

// SplitMix64: small, fast, and the same numbers everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        return z ^ (z >> 31);
    }
    /// A number in [0, bound).
    std::uint64_t below(std::uint64_t bound) { return next() % bound; }
    /// A number in [0, 1) with 53 bits.
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

private:
    std::uint64_t m_state;
};

/// A fixed, well-mixed hash of an index, for choices tied to one reference or folder.
std::uint64_t mix(std::uint64_t value)
{
    return Random(kSeed ^ (value * 0xd1b54a32d192ed03)).next();
}

enum class Encoding { Windows1252, Utf8, Utf16LittleEndian, Utf16BigEndian };
enum class LineBreak { CrLf, Lf, Cr };

// ---- The installation's references -------------------------------------------------------

// Folder words; the ä and ü make some folders non-ASCII (UTF-8 in this source and on disk).
constexpr std::string_view kObjectWords[] = {"Houses", "Trees",   "Signs",  "Fences",   "Lamps",
                                             "Shops",  "Gebäude", "Plants", "Stations", "Props"};
constexpr std::string_view kSplineWords[] = {"Roads", "Rails", "Paths", "Kerbs", "Brücken"};

struct Folder {
    std::string text;        // as the tiles write it: backslashes, ending in one
    std::string disk;        // relative path on disk, with "/"
    bool otherCase = false;  // the disk name differs from the tiles' in letter case
};

struct Reference {
    std::string text;  // the line as the tiles write it
    std::string disk;  // relative path of its file on disk
    bool missing = false;
    bool spline = false;
};

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

std::string upperAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

std::string zeroPadded(std::uint64_t value, int width)
{
    std::string digits = std::to_string(value);
    return std::string(digits.size() < static_cast<std::size_t>(width) ? width - digits.size() : 0,
                       '0') +
           digits;
}

// Folder f of a kind: <top>\<Pack>NNN\<Word>NN\, fifty folders to a pack. A few are stored on
// disk in small letters while the tiles capitalise them.
Folder makeFolder(std::string_view top, std::string_view pack,
                  const std::vector<std::string_view>& words, std::uint64_t f)
{
    const std::uint64_t slot = f % 50;
    const std::string packName = std::string(pack) + zeroPadded(f / 50, 3);
    std::string leaf = std::string(words[slot % words.size()]) + zeroPadded(slot / words.size(), 2);
    Folder folder;
    folder.text = std::string(top) + "\\" + packName + "\\" + leaf + "\\";
    if (mix(f ^ 0x5bd1e995) % kOtherCaseFolderOneIn == 0) {
        leaf = lowerAscii(leaf);
        folder.otherCase = true;
    }
    folder.disk = std::string(top) + "/" + packName + "/" + leaf + "/";
    return folder;
}

struct Installation {
    std::vector<Folder> folders;
    std::vector<Reference> references;
    std::size_t objectFolders = 0;
    std::size_t objects = 0;
    std::size_t missingObjects = 0;
    std::size_t missingSplines = 0;
    std::size_t otherCase = 0;  // present references whose disk name differs in case
};

Installation makeInstallation(std::size_t referenceCount, std::size_t folderCount)
{
    Installation inst;
    inst.objectFolders = std::max<std::size_t>(1, std::lround(folderCount * kObjectShare));
    const std::size_t splineFolders = std::max<std::size_t>(1, folderCount - inst.objectFolders);
    inst.objects =
        std::max<std::size_t>(inst.objectFolders, std::lround(referenceCount * kObjectShare));
    const std::size_t splines = std::max(splineFolders, referenceCount - inst.objects);

    const std::vector<std::string_view> objectWords(std::begin(kObjectWords),
                                                    std::end(kObjectWords));
    const std::vector<std::string_view> splineWords(std::begin(kSplineWords),
                                                    std::end(kSplineWords));
    for (std::size_t f = 0; f < inst.objectFolders; ++f) {
        inst.folders.push_back(makeFolder("Sceneryobjects", "Pack", objectWords, f));
    }
    for (std::size_t f = 0; f < splineFolders; ++f) {
        inst.folders.push_back(makeFolder("Splines", "Set", splineWords, f));
    }

    for (std::size_t k = 0; k < inst.objects + splines; ++k) {
        Reference ref;
        ref.spline = k >= inst.objects;
        const std::size_t local = ref.spline ? k - inst.objects : k;
        const Folder& folder = ref.spline ? inst.folders[inst.objectFolders + local % splineFolders]
                                          : inst.folders[local % inst.objectFolders];
        const std::string_view word = ref.spline ? kSplineWords[local % std::size(kSplineWords)]
                                                 : kObjectWords[local % std::size(kObjectWords)];
        std::string stem = lowerAscii(std::string(word)) + "_" + zeroPadded(local, 6);
        const char* extension = ref.spline ? ".sli" : ".sco";
        ref.text = folder.text + stem + extension;
        const std::uint64_t hash = mix(k);
        ref.missing = hash % kMissingOneIn == 0;
        const bool otherCaseFile = (hash / kMissingOneIn) % kOtherCaseFileOneIn == 0;
        ref.disk = folder.disk + (otherCaseFile ? upperAscii(stem) : stem) + extension;
        if (ref.missing) {
            ++(ref.spline ? inst.missingSplines : inst.missingObjects);
        } else if (otherCaseFile || folder.otherCase) {
            ++inst.otherCase;
        }
        inst.references.push_back(std::move(ref));
    }
    return inst;
}

// A path from UTF-8 text, whatever the narrow encoding of the system.
fs::path utf8Path(std::string_view text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

void writeFile(const fs::path& path, std::string_view content)
{
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void writeInstallationFiles(const fs::path& root, const Installation& inst)
{
    for (const Folder& folder : inst.folders) {
        fs::create_directories(root / utf8Path(folder.disk));
    }
    for (const Reference& ref : inst.references) {
        if (!ref.missing) {
            writeFile(root / utf8Path(ref.disk),
                      ref.spline ? "[width]\r\n7.5\r\n" : "[mesh]\r\nmodel\\main.mesh\r\n");
        }
    }
}

// ---- Tile text -------------------------------------------------------------------------

// Appends value / 1000 with three decimals, as placement files write coordinates.
void appendFixed(std::string& out, std::int64_t thousandths)
{
    if (thousandths < 0) {
        out += '-';
        thousandths = -thousandths;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, thousandths / 1000).ptr;
    out.append(digits, end);
    const auto fraction = static_cast<int>(thousandths % 1000);
    out += '.';
    out += static_cast<char>('0' + fraction / 100);
    out += static_cast<char>('0' + fraction / 10 % 10);
    out += static_cast<char>('0' + fraction % 10);
    out += '\n';
}

void appendInteger(std::string& out, std::uint64_t value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
    out += '\n';
}

// One placement block: header, id, reference, then eight numbers (position, rotation, scale,
// flags). Text is UTF-8 with "\n" line ends; the tile's encoding is applied afterwards.
void appendBlock(std::string& text, const Reference& ref, std::uint64_t id, Random& random)
{
    text += ref.spline ? "[spline]\n" : "[object]\n";
    appendInteger(text, id);
    text += ref.text;
    text += '\n';
    appendFixed(text, static_cast<std::int64_t>(random.below(600000)) - 300000);
    appendFixed(text, static_cast<std::int64_t>(random.below(600000)) - 300000);
    appendFixed(text, static_cast<std::int64_t>(random.below(20000)));
    appendFixed(text, static_cast<std::int64_t>(random.below(360000)));
    text += "0.000\n0.000\n1.000\n";
    appendInteger(text, random.below(4));
}

// A line that looks like a reference but is not one: a trailing blank or capitals.
void appendTrap(std::string& text, const Reference& ref, Random& random)
{
    text += "[note]\n";
    if (random.below(2) == 0) {
        text += ref.text + " \n";
    } else {
        text += ref.text.substr(0, ref.text.size() - 4) + (ref.spline ? ".SLI\n" : ".SCO\n");
    }
}

std::string_view lineBreakText(LineBreak lineBreak)
{
    switch (lineBreak) {
        case LineBreak::CrLf:
            return "\r\n";
        case LineBreak::Lf:
            return "\n";
        case LineBreak::Cr:
            return "\r";
    }
    return "\r\n";
}

// Encodes UTF-8 text with "\n" line ends into the tile's bytes, mark included. The text holds
// only characters of Windows-1252's Latin-1 range, so each one is one byte there and one code
// unit in UTF-16.
void encodeTile(std::string_view text, Encoding encoding, LineBreak lineBreak, std::string& out)
{
    out.clear();
    out.reserve(text.size() *
                    (encoding == Encoding::Utf16LittleEndian || encoding == Encoding::Utf16BigEndian
                         ? 2
                         : 1) +
                text.size() / 8 + 4);
    const std::string_view breakText = lineBreakText(lineBreak);
    const auto unit = [&](char16_t c) {
        switch (encoding) {
            case Encoding::Windows1252:
                out += static_cast<char>(c);
                break;
            case Encoding::Utf8:
                if (c < 0x80) {
                    out += static_cast<char>(c);
                } else {
                    out += static_cast<char>(0xC0 | (c >> 6));
                    out += static_cast<char>(0x80 | (c & 0x3F));
                }
                break;
            case Encoding::Utf16LittleEndian:
                out += static_cast<char>(c & 0xFF);
                out += static_cast<char>(c >> 8);
                break;
            case Encoding::Utf16BigEndian:
                out += static_cast<char>(c >> 8);
                out += static_cast<char>(c & 0xFF);
                break;
        }
    };
    switch (encoding) {
        case Encoding::Utf8:
            out += "\xEF\xBB\xBF";
            break;
        case Encoding::Utf16LittleEndian:
            out += "\xFF\xFE";
            break;
        case Encoding::Utf16BigEndian:
            out += "\xFE\xFF";
            break;
        case Encoding::Windows1252:
            break;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            for (const char c : breakText) {
                unit(static_cast<char16_t>(c));
            }
        } else if (byte < 0x80) {
            unit(byte);
        } else {
            // A two-byte sequence C2/C3 xx: U+0080 to U+00FF.
            const auto next = static_cast<unsigned char>(text[++i]);
            unit(static_cast<char16_t>(((byte & 0x1F) << 6) | (next & 0x3F)));
        }
    }
}

// Mostly Windows-1252 and UTF-8 with mark, some UTF-16; mostly CR LF, some LF, some CR.
Encoding tileEncoding(Random& random)
{
    const std::uint64_t roll = random.below(100);
    return roll < 50   ? Encoding::Windows1252
           : roll < 85 ? Encoding::Utf8
           : roll < 93 ? Encoding::Utf16LittleEndian
                       : Encoding::Utf16BigEndian;
}

LineBreak tileLineBreak(Random& random)
{
    const std::uint64_t roll = random.below(100);
    return roll < 80 ? LineBreak::CrLf : roll < 92 ? LineBreak::Lf : LineBreak::Cr;
}

// ---- The map ---------------------------------------------------------------------------

struct Options {
    double scale = 1.0;
    std::size_t tiles = 0;          // 0: as many as the scale gives
    std::size_t tileMebibytes = 0;  // 0: the scale's tile bytes shared among the tiles
    fs::path output;
};

struct Totals {
    std::uint64_t tileBytes = 0;
    std::uint64_t blocks = 0;
    std::uint64_t lines = 0;
    std::size_t byEncoding[4] = {};
};

Totals writeMap(const fs::path& map, const Installation& inst, std::size_t tileCount,
                double bytesPerTile)
{
    const std::size_t refs = inst.references.size();
    const auto width =
        static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(tileCount))));
    Random random(kSeed);
    Totals totals;
    std::string text;
    std::string bytes;
    std::string globalCfg = "[name]\r\nBench\r\n\r\n[version]\r\n3\r\n\r\n";

    for (std::size_t t = 0; t < tileCount; ++t) {
        const Encoding encoding = tileEncoding(random);
        const LineBreak lineBreak = tileLineBreak(random);
        // Bytes per character of the text as written, line breaks counted as one character.
        const double bytesPerChar =
            (encoding == Encoding::Utf16LittleEndian || encoding == Encoding::Utf16BigEndian
                 ? 2.0
                 : 1.0) *
            (lineBreak == LineBreak::CrLf ? 1.09 : 1.0);
        const auto target = static_cast<std::size_t>(bytesPerTile / bytesPerChar);

        // Every reference first appears on the tile that covers it, so all of them are used;
        // the other blocks favour a popular few, as maps reuse the same houses and trees.
        std::size_t cover = t * refs / tileCount;
        const std::size_t coverEnd = (t + 1) * refs / tileCount;

        text.clear();
        text += "[version]\n3\n\n[terrain]\n1\n\n";
        std::uint64_t id = 1;
        while (text.size() < target || cover < coverEnd) {
            std::size_t k;
            if (cover < coverEnd && (id % 4 == 1 || text.size() >= target)) {
                k = cover++;
            } else {
                // A fifth of the placements are splines; within each kind, low numbers are
                // the popular ones.
                const double u = random.unit();
                const bool spline = random.below(5) == 0;
                const std::size_t first = spline ? inst.objects : 0;
                const std::size_t count = spline ? refs - inst.objects : inst.objects;
                k = first + static_cast<std::size_t>(u * u * static_cast<double>(count));
            }
            if (random.below(kTrapOneIn) == 0) {
                appendTrap(text, inst.references[k], random);
            }
            appendBlock(text, inst.references[k], id++, random);
        }

        encodeTile(text, encoding, lineBreak, bytes);
        const std::string name =
            "tile_" + std::to_string(t % width) + "_" + std::to_string(t / width) + ".map";
        writeFile(map / name, bytes);
        totals.tileBytes += bytes.size();
        totals.blocks += id - 1;
        totals.lines += static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
        ++totals.byEncoding[static_cast<int>(encoding)];
        globalCfg += "[map]\r\n" + std::to_string(t % width) + "\r\n" + std::to_string(t / width) +
                     "\r\n" + name + "\r\n\r\n";
    }
    writeFile(map / "global.cfg", globalCfg);
    writeFile(map / "ailists.cfg",
              "[group]\r\nBench buses\r\n\r\n[vehicle]\r\n"
              "Vehicles\\Citybus\\standard.veh\r\n1.000\r\n");
    return totals;
}

// The summary lines a scan of the map logs, in the scan's order and wording.
std::string expectedSummary(const Installation& inst)
{
    const std::size_t splines = inst.references.size() - inst.objects;
    const std::size_t splineFolders = inst.folders.size() - inst.objectFolders;
    return "Scenery Objects: " + std::to_string(inst.objects) + "\n" +
           "Scenery Object Folders: " + std::to_string(inst.objectFolders) + "\n" +
           "Splines: " + std::to_string(splines) + "\n" +
           "Spline Folders: " + std::to_string(splineFolders) + "\n" +
           "Missing Objects: " + std::to_string(inst.missingObjects) + "\n" +
           "Missing Splines: " + std::to_string(inst.missingSplines) + "\n";
}

constexpr const char* kUsage =
    "Usage: gantrel-bench-generate [--scale S] [--tiles N] [--tile-mib M] OUTPUT_FOLDER\n"
    "Writes a made-up TELV installation with the map Bench into OUTPUT_FOLDER/TELV, and the\n"
    "summary a scan of it must log into OUTPUT_FOLDER/expected.txt. At scale 1 (the default)\n"
    "the map has about 2,000 tiles and 1 GiB of tile text; --scale 0.01 makes a small one.\n"
    "--tiles and --tile-mib set the number of tiles and the size of each, the references\n"
    "still those of the scale: --scale 0.16 --tiles 16 --tile-mib 100 places 1,000 new\n"
    "references on each of 16 tiles of 100 MiB, and --scale 30 --tiles 300 --tile-mib 1\n"
    "places 3 million distinct references on 300 tiles of about 2 MiB.\n"
    "OUTPUT_FOLDER/TELV must not exist yet.\n";

int run(const Options& options)
{
    const fs::path root = options.output / "TELV";
    if (fs::exists(root)) {
        std::cerr << "gantrel-bench-generate: " << root.string() << " already exists\n";
        return 2;
    }
    const double s = options.scale;
    const auto tiles =
        options.tiles > 0 ? options.tiles : std::max<std::size_t>(1, std::lround(kTiles * s));
    const double bytesPerTile = options.tileMebibytes > 0
                                    ? static_cast<double>(options.tileMebibytes) * 1024 * 1024
                                    : kTileBytes * s / static_cast<double>(tiles);
    const auto folders = std::max<std::size_t>(2, std::lround(kFolders * s));
    const auto references = std::max<std::size_t>(folders, std::lround(kReferences * s));

    const Installation inst = makeInstallation(references, folders);
    writeInstallationFiles(root, inst);
    const fs::path map = root / "maps" / "Bench";
    fs::create_directories(map);
    const Totals totals = writeMap(map, inst, tiles, bytesPerTile);

    // Written last: its presence says that the data is complete.
    writeFile(options.output / "expected.txt", expectedSummary(inst));
    std::cout << "tiles: " << tiles << " (Windows-1252 " << totals.byEncoding[0] << ", UTF-8 "
              << totals.byEncoding[1] << ", UTF-16 LE " << totals.byEncoding[2] << ", UTF-16 BE "
              << totals.byEncoding[3] << ")\n"
              << "tile bytes: " << totals.tileBytes << "\n"
              << "lines: " << totals.lines << "\n"
              << "placements: " << totals.blocks << "\n"
              << "distinct references: " << inst.references.size() << " in " << inst.folders.size()
              << " folders\n"
              << "present in another letter case on disk: " << inst.otherCase << "\n"
              << expectedSummary(inst);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    bool haveOutput = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (argument == "--scale" && i + 1 < argc) {
            const std::string_view value = argv[++i];
            double scale = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), scale);
            if (error != std::errc() || end != value.data() + value.size() || !(scale > 0) ||
                scale > 100) {
                std::cerr
                    << "gantrel-bench-generate: --scale takes a number above 0, at most 100\n";
                return 64;
            }
            options.scale = scale;
        } else if ((argument == "--tiles" || argument == "--tile-mib") && i + 1 < argc) {
            const std::string_view value = argv[++i];
            std::size_t number = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), number);
            if (error != std::errc() || end != value.data() + value.size() || number < 1 ||
                number > 4096) {
                std::cerr << "gantrel-bench-generate: " << argument
                          << " takes a number from 1 to 4096\n";
                return 64;
            }
            (argument == "--tiles" ? options.tiles : options.tileMebibytes) = number;
        } else if (!argument.empty() && argument[0] != '-' && !haveOutput) {
            options.output = argv[i];
            haveOutput = true;
        } else {
            std::cerr << kUsage;
            return 64;
        }
    }
    if (!haveOutput) {
        std::cerr << kUsage;
        return 64;
    }
    try {
        return run(options);
    } catch (const std::exception& error) {
        std::cerr << "gantrel-bench-generate: " << error.what() << "\n";
        return 2;
    }
}
