// SPDX-License-Identifier: MIT
#include "cli/scanner.h"

#include <cerrno>
#include <charconv>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <system_error>

#include "analysis/analysis_run.h"
#include "analysis/where_used.h"
#include "cli/found_elsewhere_output.h"
#include "cli/scan_package.h"
#include "common/error.h"
#include "gantrel/version.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

constexpr const char* kUsage =
    "Usage: gantrel-scan [--json] [--where-used] [--find-missing]\n"
    "                    [--package FILE.zip [--not-needed FOLDER]...] MAP_FOLDER\n"
    "Checks a TELV map folder: reads every tile, lists the scenery objects and splines the map\n"
    "uses, their folders, and the ones missing from the installation that holds the map.\n"
    "\n"
    "  --json        print one JSON object instead of the activity log and the lists\n"
    "  --where-used  also tell the tiles that use each reference, with the first line of each:\n"
    "                after each missing list, every missing entry followed by lines\n"
    "                \"    TILE:LINE\"; with --json, the key \"usedBy\" for every entry\n"
    "  --find-missing  also look for the missing entries elsewhere in the installation:\n"
    "                a section \"Found elsewhere\" with the folders that moved, then every\n"
    "                entry found followed by its candidates; with --json, the keys\n"
    "                \"foundElsewhere\" and \"movedFolders\"\n"
    "  --package FILE.zip\n"
    "                after a completed run, write the map package: the map folder and every\n"
    "                used object and spline folder, in one zip\n"
    "  --not-needed FOLDER\n"
    "                leave FOLDER (as \"Splines\\Road\\\", relative to the installation) out\n"
    "                of the package; may be given more than once\n"
    "  --help        print this help\n"
    "  --version     print the version\n"
    "\n"
    "Exit status: 0 nothing missing, 1 something missing, 2 not a map folder, an error,\n"
    "output or a package that cannot be written, 64 wrong usage.\n";

constexpr const char* kTryHelp = "; try 'gantrel-scan --help'\n";

// Message boxes become lines on the error stream, in order; the JSON form collects them.
class ConsoleUi final : public UserInterface {
public:
    ConsoleUi(std::ostream& err, bool echo) : m_err(err), m_echo(echo) {}

    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (m_echo) {
            platform::writeText(m_err, text + '\n');
        }
    }
    void showError(const std::string& message) override
    {
        error = errorBoxText(message);
        if (m_echo) {
            platform::writeText(m_err, *error + '\n');
        }
    }

    std::vector<std::string> messages;
    std::optional<std::string> error;

private:
    std::ostream& m_err;
    bool m_echo;
};

struct Section {
    const char* caption;
    const char* key;
    const std::vector<std::string> WindowState::*list;
};

constexpr Section kSections[] = {
    {"Object folders", "objectFolders", &WindowState::objectFolders},
    {"Spline folders", "splineFolders", &WindowState::splineFolders},
    {"Object list", "objects", &WindowState::objects},
    {"Spline list", "splines", &WindowState::splines},
    {"Missing Objects", "missingObjects", &WindowState::missingObjects},
    {"Missing Splines", "missingSplines", &WindowState::missingSplines},
};

// 8-bit text written in pieces of whole lines: the lists of a large map make hundreds of
// megabytes of text, which are not held at once. A console is given the characters it stands
// for (a piece never ends inside a character).
class TextWriter {
public:
    explicit TextWriter(std::ostream& out) : m_out(out) {}
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    /// The text to append whole lines to; endLines() after them.
    std::string& text() { return m_text; }
    /// Writes what has been appended once it is large enough to be worth a write; flush() at
    /// the end.
    void endLines()
    {
        if (m_text.size() >= kPiece) {
            flush();
        }
    }
    void flush()
    {
        if (!m_text.empty()) {
            platform::writeText(m_out, m_text);
            m_text.clear();
        }
    }

private:
    static constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::ostream& m_out;
    std::string m_text;
};

void writeSection(const WindowState& state, const Section& section, TextWriter& writer)
{
    writer.text().append(1, '\n').append(section.caption).append(1, '\n');
    for (const std::string& entry : state.*section.list) {
        writer.text().append(entry).append(1, '\n');
        writer.endLines();
    }
}

// The two missing lists, each followed by its entries with "    TILE:LINE" for every tile that
// uses them; both are looked up at once, in one pass over the where-used record.
void writeMissingWhereUsed(const WindowState& state, TextWriter& writer)
{
    // The last two sections.
    const Section& objects = kSections[4];
    const Section& splines = kSections[5];
    std::vector<std::string> entries = state.*objects.list;
    entries.insert(entries.end(), (state.*splines.list).begin(), (state.*splines.list).end());
    std::vector<std::string> prefixes;  // "    TILE:" for each tile
    prefixes.reserve(state.tiles.size());
    for (const std::string& tile : state.tiles) {
        prefixes.push_back("    " + tile + ":");
    }
    std::string& text = writer.text();
    const auto beginSection = [&](const Section& section) {
        writeSection(state, section, writer);
        text.append(1, '\n').append(section.caption).append(", where used\n");
    };
    beginSection(objects);
    bool splinesBegun = false;
    state.whereUsed.forEachUses(entries, [&](std::size_t i, std::span<const TileUse> uses) {
        if (i == (state.*objects.list).size()) {
            beginSection(splines);
            splinesBegun = true;
        }
        text.append(entries[i]).append(1, '\n');
        for (const TileUse& use : uses) {
            char number[24];
            char* end = std::to_chars(number, number + sizeof number, use.line).ptr;
            text.append(prefixes[use.tile]).append(number, end).append(1, '\n');
        }
        writer.endLines();
    });
    if (!splinesBegun) {
        beginSection(splines);
    }
}

void printText(const WindowState& state, bool whereUsed, const FoundElsewhere* found,
               std::ostream& out)
{
    TextWriter writer(out);
    for (const std::string& line : state.log) {
        writer.text().append(line).append(1, '\n');
    }
    for (const Section& section : kSections) {
        if (!whereUsed || section.list != &WindowState::missingObjects) {
            writeSection(state, section, writer);
        } else {
            writeMissingWhereUsed(state, writer);
            break;  // the missing splines come with it
        }
    }
    if (found != nullptr) {
        appendFoundElsewhereText(*found, writer.text());
    }
    writer.flush();
}

// JSON is UTF-8, and the program's strings are in the system's 8-bit code page.
std::vector<std::string> utf8(const std::vector<std::string>& texts)
{
    std::vector<std::string> converted;
    converted.reserve(texts.size());
    for (const std::string& text : texts) {
        converted.push_back(platform::narrowToUtf8(text));
    }
    return converted;
}

std::string jsonString(std::string_view narrow)
{
    // Paths on disk need not be valid UTF-8: such bytes are replaced rather than refused.
    return nlohmann::json(platform::narrowToUtf8(narrow))
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// "usedBy", written as it is made: on a large map it is far larger than everything else.
void printUsedBy(const WindowState& state, std::ostream& out)
{
    std::vector<std::string> tiles;
    tiles.reserve(state.tiles.size());
    for (const std::string& tile : state.tiles) {
        tiles.push_back(jsonString(tile));
    }
    out << "  \"usedBy\": {";
    const char* separator = "\n";
    std::string text;
    for (const auto* list : {&state.objects, &state.splines}) {
        state.whereUsed.forEachUses(*list, [&](std::size_t i, std::span<const TileUse> uses) {
            text.assign(separator).append("    ").append(jsonString((*list)[i])).append(": [");
            const char* comma = "\n";
            for (const TileUse& use : uses) {
                text.append(comma).append("      {\"tile\": ").append(tiles[use.tile]);
                text.append(", \"line\": ").append(std::to_string(use.line)).append("}");
                comma = ",\n";
            }
            text.append(uses.empty() ? "]" : "\n    ]");
            out << text;
            separator = ",\n";
        });
    }
    out << (*separator == '\n' ? "}" : "\n  }");
}

void printJson(const WindowState& state, const ConsoleUi& ui, bool whereUsed,
               const FoundElsewhere* found, std::ostream& out)
{
    nlohmann::ordered_json result;
    result["path"] = platform::narrowToUtf8(state.path);
    result["log"] = utf8(state.log);
    result["tiles"] = utf8(state.tiles);
    for (const Section& section : kSections) {
        result[section.key] = utf8(state.*section.list);
    }
    result["exportButtonsVisible"] = state.exportButtonsVisible;
    result["messages"] = utf8(ui.messages);
    result["error"] = ui.error ? nlohmann::ordered_json(platform::narrowToUtf8(*ui.error))
                               : nlohmann::ordered_json();
    if (found != nullptr) {
        addFoundElsewhereJson(*found, result);
    }
    // Paths on disk need not be valid UTF-8: such bytes are replaced rather than refused.
    std::string text = result.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    if (whereUsed) {
        text.erase(text.size() - 2);  // the line break and the brace that close the object
        out << text << ",\n";
        printUsedBy(state, out);
        text = "\n}";
    }
    out << text << '\n';
}

}  // namespace

std::string chosenFolderPath(const std::string& argument)
{
    // The system's own full-path routine: the argument is in the program's 8-bit text, which
    // the standard library reads in another encoding on Windows.
    std::string text = platform::fullPath(argument);
    // A root keeps its separator: "/", and a drive's root "E:\" as the chooser returns it.
    const auto isRoot = [&] {
        return text.size() == 1 || (platform::hasDrives() && text.size() == 3 && text[1] == ':');
    };
    while (!text.empty() && !isRoot() && platform::isSeparator(text.back())) {
        text.pop_back();
    }
    return text;
}

int runScanner(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    bool json = false;
    bool whereUsed = false;
    bool findMissing = false;
    bool optionsEnded = false;  // after "--" every argument is a folder, even "-x"
    std::vector<std::string> folders;
    std::optional<std::string> package;
    std::vector<std::string> notNeeded;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!optionsEnded && (argument == "--package" || argument == "--not-needed")) {
            if (i + 1 == arguments.size()) {
                err << "gantrel-scan: option '" << argument << "' needs a value" << kTryHelp;
                return kScanUsage;
            }
            if (argument == "--package") {
                package = arguments[++i];
            } else {
                notNeeded.push_back(arguments[++i]);
            }
        } else if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            folders.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kScanClean;
        } else if (argument == "--version") {
            out << "gantrel-scan " << kVersion << "\n";
            return kScanClean;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--where-used") {
            whereUsed = true;
        } else if (argument == "--find-missing") {
            findMissing = true;
        } else {
            err << "gantrel-scan: unknown option '" << argument << "'" << kTryHelp;
            return kScanUsage;
        }
    }
    if (!notNeeded.empty() && !package) {
        err << "gantrel-scan: --not-needed without --package" << kTryHelp;
        return kScanUsage;
    }
    if (folders.size() != 1) {
        err << (folders.empty() ? "gantrel-scan: no map folder given"
                                : "gantrel-scan: " + std::to_string(folders.size()) +
                                      " map folders given, one expected")
            << kTryHelp;
        return kScanUsage;
    }

    WindowState state;
    state.whereUsed.keep(whereUsed);
    // The text tells where the missing entries are used, the JSON where every entry is.
    state.whereUsed.keepOfPresent(json);
    ConsoleUi ui(err, !json);
    NoMapsFolderStore store;
    RunEnd end = RunEnd::NotAMapFolder;
    const std::string mapFolder = chosenFolderPath(folders.front());
    try {
        end = runAnalysis(mapFolder, state, ui, store);
    } catch (const std::exception& error) {
        ui.showError(error.what());
    }
    // Only a completed run says what is missing.
    std::optional<FoundElsewhere> found;
    if (findMissing && end == RunEnd::Completed && !ui.error) {
        found = findElsewhere(state.gameRoot, state.missingObjects, state.missingSplines);
    }
    const FoundElsewhere* foundElsewhere = found ? &*found : nullptr;
    errno = 0;
    if (json) {
        printJson(state, ui, whereUsed, foundElsewhere, out);
    } else {
        printText(state, whereUsed, foundElsewhere, out);
    }
    if (!out.flush()) {
        const int code = errno;
        err << "gantrel-scan: cannot write the output"
            << (code != 0 ? ": " + std::generic_category().message(code) : std::string()) << '\n';
        return kScanFailed;
    }
    if (end != RunEnd::Completed || ui.error) {
        return kScanFailed;
    }
    // With --json the end message goes to the error stream: the output stays one JSON object.
    if (package && !writeScanPackage(state, platform::linkTarget(mapFolder), *package, notNeeded,
                                     json ? err : out, err)) {
        return kScanFailed;
    }
    return state.missingObjects.empty() && state.missingSplines.empty() ? kScanClean : kScanMissing;
}

}  // namespace gantrel
