// SPDX-License-Identifier: MIT
#include "analysis/reference_scan.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <random>
#include <thread>

#include "analysis/game_root.h"
#include "common/error.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using platform::codePageToUtf16;

// The scan exactly as a one-after-the-other reader does it: the line store, every line
// fetched, linear seen-sets. The parallel scan must agree with it in every list, line and error,
// and in the tiles and first lines where each reference is used.
struct SequentialScan {
    WindowState state;
    std::optional<std::string> error;
    std::map<std::string, std::vector<TileUse>> used;
    FileTest fileExists;  // the installation's files when not set

    void run()
    {
        const std::string root = gameRoot(state.path);
        platform::FileLookup lookup;
        if (!fileExists) {
            fileExists = [&](const std::string& path) { return lookup.fileExists(path); };
        }
        Lines* lists[] = {&state.objects, &state.objectFolders, &state.missingObjects,
                          &state.splines, &state.splineFolders, &state.missingSplines};
        const auto addIfNew = [](Lines& list, std::size_t first, const std::string& text) {
            if (std::find(list.begin() + static_cast<std::ptrdiff_t>(first), list.end(), text) !=
                list.end()) {
                return false;
            }
            list.push_back(text);
            return true;
        };
        std::size_t first[6];
        for (int i = 0; i < 6; ++i) {
            first[i] = lists[i]->size();
        }
        const std::size_t n = state.tiles.size();
        std::size_t t = 0;
        std::size_t i = 0;
        try {
            for (; t < n; ++t) {
                state.lineStore.loadTile(state.tiles[t]);
                for (i = 0; i < state.lineStore.lineCount(); ++i) {
                    const std::u16string line = state.lineStore.line(i);
                    const std::u16string_view tail =
                        std::u16string_view(line).substr(line.size() < 4 ? 0 : line.size() - 4);
                    const int base = tail == u".sco" ? 0 : tail == u".sli" ? 3 : -1;
                    if (base < 0) {
                        continue;
                    }
                    const std::string r = platform::utf16ToNarrow(line);
                    std::vector<TileUse>& uses = used[r];
                    if (uses.empty() || uses.back().tile != t) {
                        uses.push_back(TileUse{t, i + 1});
                    }
                    if (addIfNew(*lists[base], first[base], r) && !fileExists(root + r)) {
                        addIfNew(*lists[base + 2], first[base + 2], r);
                    }
                    const std::size_t slash = r.rfind('\\');
                    addIfNew(*lists[base + 1], first[base + 1],
                             slash == std::string::npos ? "" : r.substr(0, slash + 1));
                }
                state.log.push_back("Tile " + std::to_string(t + 1) + " of " + std::to_string(n) +
                                    " verified successfully.");
            }
        } catch (const OutOfResources& e) {
            error = e.what();
            state.log.push_back("Analysis stopped: line " + std::to_string(i + 1) + " of tile " +
                                state.tiles[t] + " is too long.");
        } catch (const Error& e) {
            error = e.what();
            state.log.push_back(test::stoppedLogLine(*error));
        }
    }
};

class RandomMap {
public:
    explicit RandomMap(unsigned seed) : m_random(seed)
    {
        fs::create_directories(map());
        for (int i = 0; i < 60; ++i) {
            const bool object = i % 4 != 0;
            std::string folder = object ? "Sceneryobjects\\F" + std::to_string(i % 7) + "\\"
                                        : "Splines\\S" + std::to_string(i % 3) + "\\";
            if (i % 11 == 0) {
                folder = "";
            }
            const std::u16string number = codePageToUtf16(std::to_string(i));
            const std::u16string reference = codePageToUtf16(folder) + u"r" + number +
                                             (i % 13 == 0 ? u"\u00e4" : u"") +
                                             (object ? u".sco" : u".sli");
            m_references.push_back(reference);
            if (i % 5 != 0) {  // every fifth is missing
                std::string onDisk = test::narrow(reference);
                std::replace(onDisk.begin(), onDisk.end(), '\\', '/');
                if (i % 3 == 0) {
                    for (char& c : onDisk) {
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                    }
                }
                test::writeFile(root() / test::pathOf(onDisk), "x");
            }
        }
    }

    fs::path root() const { return m_dir.path() / "TELV"; }
    fs::path map() const { return root() / "maps" / "Big"; }

    // Writes the tiles and returns their paths in order; `failAt` makes one tile fail.
    Lines writeTiles(std::size_t count, std::optional<std::size_t> failAt, bool tooLong)
    {
        Lines paths;
        for (std::size_t t = 0; t < count; ++t) {
            const std::string path = (map() / ("t" + std::to_string(1000 + t) + ".map")).string();
            paths.push_back(path);
            if (failAt == t && !tooLong) {
                fs::create_directory(path);
                continue;
            }
            std::u16string text;
            // Now and then a tile dense with references, most of them met on earlier tiles.
            const int lines =
                t % 25 == 3 ? 5000 : std::uniform_int_distribution<int>(0, 40)(m_random);
            const std::u16string breaks[] = {u"\r\n", u"\n", u"\r", u"\u2028"};
            const std::u16string& lineBreak = breaks[t % 7 % 4];
            for (int i = 0; i < lines; ++i) {
                const std::u16string& line =
                    m_references[std::uniform_int_distribution<std::size_t>(
                        0, m_references.size() - 1)(m_random)];
                text += u"[object]" + lineBreak + u"1.0" + lineBreak + line + lineBreak;
                if (failAt == t && i == lines / 2) {
                    text += std::u16string(65536, u'x') + u"\r\n";
                }
                if (t % 12 == 4 && i == lines / 2) {
                    // Over 65,535 bytes of UTF-8 yet fetchable: the reader takes the slow way
                    // through such a tile, and its later tiles must still agree.
                    text += std::u16string(40000, u'\u00e4') + u"\r\n";
                }
            }
            std::string bytes;
            switch (t % 3) {
                case 0:
                    bytes = test::utf16Bytes(text, t % 2 == 0);
                    break;
                case 1:
                    bytes = "\xEF\xBB\xBF" + test::utf8Bytes(text);
                    break;
                default:
                    // 8-bit text: ä as two bytes on POSIX, as one of the ANSI code page on Windows
                    bytes = platform::utf16ToNarrow(text);
            }
            test::writeFile(path, bytes);
        }
        return paths;
    }

private:
    test::TempDir m_dir;
    std::mt19937 m_random;
    std::vector<std::u16string> m_references;
};

// Runs the scan and returns the text of the error it ended with, if any.
std::optional<std::string> scanUntilError(WindowState& state, UserInterface& ui,
                                          const FileTest& fileExists = {})
{
    try {
        scanReferences(state, ui, fileExists);
    } catch (const Error& e) {
        return e.what();
    }
    return std::nullopt;
}

void expectSameLists(const WindowState& actual, const WindowState& expected)
{
    EXPECT_EQ(actual.objects, expected.objects);
    EXPECT_EQ(actual.objectFolders, expected.objectFolders);
    EXPECT_EQ(actual.splines, expected.splines);
    EXPECT_EQ(actual.splineFolders, expected.splineFolders);
    EXPECT_EQ(actual.missingObjects, expected.missingObjects);
    EXPECT_EQ(actual.missingSplines, expected.missingSplines);
    EXPECT_EQ(actual.lineStore.text(), expected.lineStore.text());
}

void expectSameState(const WindowState& actual, const SequentialScan& scan)
{
    for (const auto* list : {&scan.state.objects, &scan.state.splines}) {
        for (const std::string& entry : *list) {
            EXPECT_EQ(whereUsed(actual, entry), scan.used.at(entry)) << entry;
        }
    }
    expectSameLists(actual, scan.state);
}

struct Failure {
    std::optional<std::size_t> at;
    bool tooLong;
};

class ParallelScan : public ::testing::TestWithParam<Failure> {};

TEST_P(ParallelScan, AgreesWithTheOneAfterTheOtherScan)
{
    const Failure failure = GetParam();
    RandomMap map(7 + static_cast<unsigned>(failure.at.value_or(0)));
    const Lines tiles = map.writeTiles(150, failure.at, failure.tooLong);

    SequentialScan expected;
    expected.state.path = map.map().string();
    expected.state.tiles = tiles;
    expected.run();

    WindowState state;
    state.path = map.map().string();
    state.tiles = tiles;
    test::RecordingUi ui;
    const std::optional<std::string> error = scanUntilError(state, ui);

    EXPECT_EQ(error, expected.error);
    EXPECT_EQ(error.has_value(), failure.at.has_value());
    expectSameState(state, expected);
    if (error) {
        EXPECT_EQ(state.log, expected.state.log);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(state.path, map.map().string());
    } else {
        ASSERT_EQ(state.log.size(), expected.state.log.size() + 9);
        EXPECT_TRUE(
            std::equal(expected.state.log.begin(), expected.state.log.end(), state.log.begin()));
        EXPECT_EQ(state.log[150 + 3], "Scenery Objects: " + std::to_string(state.objects.size()));
        EXPECT_EQ(ui.progress.size(), 150u);
        EXPECT_EQ(ui.progress.back(), std::make_pair(std::size_t{150}, std::size_t{150}));
        EXPECT_EQ(state.path, test::joinPath((map.root() / "maps").string(), ""));
    }
    if (failure.at.value_or(1) > 0) {
        // The map must have exercised both present and missing references.
        EXPECT_FALSE(state.missingObjects.empty());
        EXPECT_LT(state.missingObjects.size(), state.objects.size());
    }
}

// Each case is named after what fails where, so that a failing case says which it is.
std::string describe(const Failure& failure)
{
    if (!failure.at) {
        return "NothingFails";
    }
    return (failure.tooLong ? "LineTooLongInTile" : "OpenErrorAtTile") +
           std::to_string(*failure.at);
}

void PrintTo(const Failure& failure, std::ostream* out)
{
    *out << describe(failure);
}

INSTANTIATE_TEST_SUITE_P(Failures, ParallelScan,
                         ::testing::Values(Failure{std::nullopt, false}, Failure{0, false},
                                           Failure{1, true}, Failure{77, false}, Failure{78, true},
                                           Failure{149, false}, Failure{149, true}),
                         [](const auto& info) { return describe(info.param); });

TEST(ReferenceScan, AgreesWithTheOneAfterTheOtherScanWithOneReaderOrEight)
{
    RandomMap map(11);
    const Lines tiles = map.writeTiles(120, 90, false);
    SequentialScan expected;
    expected.state.path = map.map().string();
    expected.state.tiles = tiles;
    expected.run();
    for (const char* readers : {"1", "8"}) {
        const test::ScopedEnvironment count("GANTREL_READERS", readers);
        WindowState state;
        state.path = map.map().string();
        state.tiles = tiles;
        test::RecordingUi ui;
        const std::optional<std::string> error = scanUntilError(state, ui);
        EXPECT_EQ(error, expected.error) << readers << " readers";
        EXPECT_EQ(state.log, expected.state.log) << readers << " readers";
        expectSameState(state, expected);
    }
}

TEST(ReferenceScan, EndsAtTheReferenceWhoseLookupFailedWhileTheTestRunsAside)
{
    // The missing test runs on a thread of its own and learns of a failed lookup tiles later
    // than the scan passed that reference: lists, log and line store must still end exactly
    // where a scan in turn ends.
    RandomMap map(5);
    const Lines tiles = map.writeTiles(120, std::nullopt, false);
    const std::string failing = "Sceneryobjects\\Late\\late.sco";
    {
        std::ofstream tile(tiles[101], std::ios::binary | std::ios::app);  // an 8-bit tile
        tile << "\r\n" << failing << "\r\n";
    }
    const std::string why = "Cannot look for files in \"Late\": Permission denied";
    const auto failingLookup = [&](platform::FileLookup& lookup) {
        return [&, failing, why](const std::string& path) {
            if (path.ends_with(failing)) {
                // Slow, so that the scan is past the last tile before the test has failed.
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                throw Error(why);
            }
            return lookup.fileExists(path);
        };
    };
    platform::FileLookup modelLookup;
    SequentialScan expected;
    expected.state.path = map.map().string();
    expected.state.tiles = tiles;
    expected.fileExists = failingLookup(modelLookup);
    expected.run();
    ASSERT_EQ(expected.error, why);
    ASSERT_EQ(expected.state.log.size(), 101u + 1);

    platform::FileLookup lookup;
    WindowState state;
    state.path = map.map().string();
    state.tiles = tiles;
    test::RecordingUi ui;
    EXPECT_EQ(scanUntilError(state, ui, failingLookup(lookup)), expected.error);
    EXPECT_EQ(state.log, expected.state.log);
    expectSameLists(state, expected.state);
}

TEST(ReferenceScan, AppendsToWhatTheListsHeldAndTreatsItAsUnseen)
{
    test::TempDir dir;
    test::writeFile(dir.path() / "maps" / "M" / "a.map", "x\\a.sco\n");
    WindowState state;
    state.path = (dir.path() / "maps" / "M").string();
    state.tiles = {(dir.path() / "maps" / "M" / "a.map").string()};
    state.objects = {"x\\a.sco"};
    test::RecordingUi ui;
    scanReferences(state, ui);
    EXPECT_EQ(state.objects, (Lines{"x\\a.sco", "x\\a.sco"}));
    EXPECT_EQ(state.log[1 + 3], "Scenery Objects: 1");
}

}  // namespace
}  // namespace gantrel
