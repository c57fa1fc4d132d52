// SPDX-License-Identifier: MIT
#include "analysis/analysis_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#ifndef _WIN32
#include <sys/stat.h>

#include <climits>
#endif

#include "common/error.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

// A made-up installation "TELV 2" with a map folder maps/Demo, built in a temporary folder.
class Installation {
public:
    Installation()
    {
        fs::create_directories(map());
        test::writeFile(map() / "global.cfg", "[map]\n");
        test::writeFile(map() / "ailists.cfg", "[ailists]\n");
    }
    fs::path root() const { return m_dir.path() / "TELV 2"; }
    fs::path map() const { return root() / "maps" / "Demo"; }
    std::string mapText() const { return map().string(); }
    void install(const std::string& relative) const { test::writeFile(root() / relative, "x"); }
    void tile(const std::string& name, std::string_view bytes) const
    {
        test::writeFile(map() / name, bytes);
    }

private:
    test::TempDir m_dir;
};

class RecordingStore : public MapsFolderStore {
public:
    void storeMapsFolder(const std::string& folder) override
    {
        if (fail) {
            throw Error("Unable to write to /nowhere/gantrel.ini");
        }
        stored.push_back(folder);
    }
    bool fail = false;
    Lines stored;
};

Lines summary(int objects, int objectFolders, int splines, int splineFolders, int missingObjects,
              int missingSplines)
{
    const auto n = [](int v) { return std::to_string(v); };
    return {"---End of analysis.",
            "",
            "RESULTS (Amount of):",
            "Scenery Objects: " + n(objects),
            "Scenery Object Folders: " + n(objectFolders),
            "Splines: " + n(splines),
            "Spline Folders: " + n(splineFolders),
            "Missing Objects: " + n(missingObjects),
            "Missing Splines: " + n(missingSplines)};
}

Lines concat(Lines a, const Lines& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::string kEndMessage =
    "End of analysis. Check the Activity log and other tabs for additional info.";

TEST(AnalysisRun, TheWorkedExample)
{
    Installation telv;
    telv.install("Sceneryobjects/Houses/h1.sco");
    telv.install("Splines/Roads/r1.sli");
    telv.tile("tile_0_0.map",
              "[object]\r\n12\r\nSceneryobjects\\Houses\\h1.sco\r\nSplines\\Roads\\r1.sli\r\n");
    telv.tile("tile_0_1.map", "Sceneryobjects\\Houses\\h1.sco\r\nSceneryobjects\\Trees\\t.sco\r\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;

    EXPECT_EQ(runAnalysis(telv.mapText(), state, ui, store), RunEnd::Completed);

    const std::string map = telv.mapText();
    EXPECT_EQ(state.log,
              concat({"Loaded successfully from path " + map, "This map contains 2 tiles.",
                      "Tile 1 of 2 verified successfully.", "Tile 2 of 2 verified successfully."},
                     summary(2, 2, 1, 1, 1, 0)));
    EXPECT_EQ(state.objectFolders, (Lines{"Sceneryobjects\\Houses\\", "Sceneryobjects\\Trees\\"}));
    EXPECT_EQ(state.objects,
              (Lines{"Sceneryobjects\\Houses\\h1.sco", "Sceneryobjects\\Trees\\t.sco"}));
    EXPECT_EQ(state.splines, Lines{"Splines\\Roads\\r1.sli"});
    EXPECT_EQ(state.splineFolders, Lines{"Splines\\Roads\\"});
    EXPECT_EQ(state.missingObjects, Lines{"Sceneryobjects\\Trees\\t.sco"});
    EXPECT_EQ(state.missingSplines, Lines{});
    EXPECT_EQ(state.tiles,
              (Lines{test::joinPath(map, "tile_0_0.map"), test::joinPath(map, "tile_0_1.map")}));
    EXPECT_EQ(state.tileCaption, "Tiles: 2");
    EXPECT_EQ(ui.messages, Lines{kEndMessage});
    EXPECT_TRUE(ui.errors.empty());
    const std::string mapsFolder = test::joinPath((telv.root() / "maps").string(), "");
    EXPECT_EQ(state.path, mapsFolder);
    EXPECT_EQ(store.stored, Lines{mapsFolder});
    EXPECT_TRUE(state.exportButtonsVisible);
    EXPECT_EQ(state.logScrolls, 1u);
    EXPECT_EQ(state.lineStore.text(),
              u"Sceneryobjects\\Houses\\h1.sco\r\nSceneryobjects\\Trees\\t.sco\r\n");
}

TEST(AnalysisRun, RejectsAFolderWithoutBothConfigurationFiles)
{
    Installation telv;
    telv.tile("a.map", "Sceneryobjects\\a.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(telv.mapText(), state, ui, store);
    const WindowState before = state;

    test::TempDir other;
    test::writeFile(other.path() / "global.cfg", "");
    test::writeFile(other.path() / "x.map", "Sceneryobjects\\other.sco\n");
    ui.messages.clear();
    EXPECT_EQ(runAnalysis(other.str(), state, ui, store), RunEnd::NotAMapFolder);

    EXPECT_EQ(ui.messages, Lines{"Invalid map folder structure. Is this really a map folder?"});
    EXPECT_EQ(state.path, other.str());  // the field shows the rejected folder
    EXPECT_EQ(state.log, before.log);
    EXPECT_EQ(state.objects, before.objects);
    EXPECT_EQ(state.tiles, before.tiles);
    EXPECT_TRUE(state.exportButtonsVisible);
    EXPECT_EQ(store.stored.size(), 1u);
    // The exports copy from the installation whose lists are shown.
    EXPECT_EQ(state.gameRoot, test::joinPath(telv.root().string(), ""));
}

// Windows' code page 1252 holds no A with macron: the chosen folder's name arrives with a
// substitute, and the run ends with an error that says why instead of rejecting a map folder.
TEST(AnalysisRun, AMapFolderNamedBeyondTheCodePageIsNoWrongFolder)
{
    test::TempDir dir;
    const fs::path map = dir.path() / "maps" / u"\u0100";
    test::writeFile(map / "global.cfg", "");
    test::writeFile(map / "ailists.cfg", "");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    if (test::isWindows()) {
        EXPECT_THROW(runAnalysis(test::textOf(map), state, ui, store), Error);
        EXPECT_TRUE(ui.messages.empty());
    } else {
        EXPECT_EQ(runAnalysis(test::textOf(map), state, ui, store), RunEnd::Completed);
    }
}

TEST(AnalysisRun, AMapFolderThatCannotBeReadAsOneIsToldWhy)
{
    if (test::isWindows()) {
        GTEST_SKIP() << "Windows names hold no backslash, and its paths have no length limit";
    }
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    test::TempDir dir;
    const std::vector<std::string> configuration = {"global.cfg", "ailists.cfg"};
    std::string tooLong;
#ifndef _WIN32
    const test::DeepFolders deep(dir.path(), 21, configuration);
    tooLong = dir.str() + "/" + deep.relative;
    std::replace(tooLong.begin(), tooLong.end(), '\\', '/');
    tooLong.pop_back();
    ASSERT_GT(tooLong.size(), static_cast<std::size_t>(PATH_MAX));
    EXPECT_EQ(runAnalysis(tooLong, state, ui, store), RunEnd::NotAMapFolder);
#endif
    const fs::path slashed = dir.path() / "maps" / "Demo\\2";
    for (const std::string& name : configuration) {
        test::writeFile(slashed / "inner" / name, "");
    }
    EXPECT_EQ(runAnalysis((slashed / "inner").string(), state, ui, store), RunEnd::NotAMapFolder);
    // A folder without its configuration files is told as it always was.
    EXPECT_EQ(runAnalysis(dir.str(), state, ui, store), RunEnd::NotAMapFolder);
    EXPECT_EQ(
        ui.messages,
        (Lines{"The path of the map folder \"" + tooLong + "\" is longer than the system allows",
               "The name of \"" + slashed.string() +
                   "\" holds a backslash, which map paths use to separate folders",
               "Invalid map folder structure. Is this really a map folder?"}));
    EXPECT_TRUE(state.log.empty());
}

TEST(AnalysisRun, AMapFolderThatCannotBeListedIsToldSo)
{
    if (test::isWindows() || test::isSuperuser()) {
        GTEST_SKIP() << "only a folder's own rights keep it from being listed, and the "
                        "superuser lists every folder";
    }
    Installation telv;
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    fs::permissions(telv.map(), fs::perms::owner_exec);  // entered, but not listed
    const RunEnd end = runAnalysis(telv.mapText(), state, ui, store);
    fs::permissions(telv.map(), fs::perms::owner_all);
    EXPECT_EQ(end, RunEnd::NotAMapFolder);
    EXPECT_EQ(ui.messages, Lines{"The map folder \"" + telv.mapText() +
                                 "\" cannot be listed: Permission denied"});
}

TEST(AnalysisRun, FindsTheConfigurationFilesWithoutRegardToCase)
{
    test::TempDir dir;
    test::writeFile(dir.path() / "maps" / "M" / "GLOBAL.CFG", "");
    test::writeFile(dir.path() / "maps" / "M" / "AiLists.cfg", "");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    EXPECT_EQ(runAnalysis((dir.path() / "maps" / "M").string(), state, ui, store),
              RunEnd::Completed);
}

TEST(AnalysisRun, AMapWithoutTilesGivesSixZeros)
{
    Installation telv;
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(telv.mapText(), state, ui, store);
    EXPECT_EQ(state.log, concat({"Loaded successfully from path " + telv.mapText()},
                                summary(0, 0, 0, 0, 0, 0)));
    EXPECT_TRUE(state.tiles.empty());
    EXPECT_EQ(state.tileCaption, "Tiles:");
    EXPECT_EQ(state.lineStore.lineCount(), 0u);  // "Mema" is cleared by the run
}

TEST(AnalysisRun, OneTileIsStillCountedInTiles)
{
    Installation telv;
    telv.tile("only.map", "");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(telv.mapText(), state, ui, store);
    ASSERT_GE(state.log.size(), 3u);
    EXPECT_EQ(state.log[1], "This map contains 1 tiles.");
    EXPECT_EQ(state.log[2], "Tile 1 of 1 verified successfully.");  // a tile without lines
}

TEST(AnalysisRun, TheTileListIsSortedWithoutRegardToCase)
{
    Installation telv;
    for (const char* name : {"b.map", "A.map", "c.MAP", "a2.Map", "notes.txt", "x.mapx"}) {
        telv.tile(name, "");
    }
    fs::create_directory(telv.map() / "dir.txt");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(telv.mapText(), state, ui, store);
    const std::string m = test::joinPath(telv.mapText(), "");
    EXPECT_EQ(state.tiles, (Lines{m + "A.map", m + "a2.Map", m + "b.map", m + "c.MAP"}));
}

TEST(AnalysisRun, SecondRunKeepsNothingOfTheFirst)
{
    Installation first;
    first.tile("a.map", "Sceneryobjects\\Old\\a.sco\nSplines\\Old\\a.sli\n");
    Installation second;
    second.tile("b.map", "Sceneryobjects\\New\\b.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(first.mapText(), state, ui, store);
    runAnalysis(second.mapText(), state, ui, store);
    EXPECT_EQ(state.objects, Lines{"Sceneryobjects\\New\\b.sco"});
    EXPECT_EQ(state.objectFolders, Lines{"Sceneryobjects\\New\\"});
    EXPECT_EQ(state.missingObjects, Lines{"Sceneryobjects\\New\\b.sco"});
    EXPECT_TRUE(state.splines.empty());
    EXPECT_TRUE(state.splineFolders.empty());
    EXPECT_TRUE(state.missingSplines.empty());
    EXPECT_EQ(state.tiles, Lines{test::joinPath(second.mapText(), "b.map")});
    EXPECT_EQ(state.log.front(), "Loaded successfully from path " + second.mapText());
}

TEST(AnalysisRun, ReferencesAreFoundOnDiskWithoutRegardToCaseButListedAsWritten)
{
    Installation telv;
    telv.install("SceneryObjects/houses/H1.sco");
    telv.install("Sceneryobjects/Houses/h1.sco");
    telv.tile("a.map",
              "Sceneryobjects\\Houses\\h1.sco\nsceneryobjects\\HOUSES\\h1.SCO.sco\n"
              "SCENERYOBJECTS\\houses\\h1.sco\nSceneryobjects/Houses/h1.sco\n"
              "Sceneryobjects\\Gone\\g.sco\nsceneryobjects\\gone\\G.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(telv.mapText(), state, ui, store);
    EXPECT_EQ(state.objects.size(), 6u);
    // Each spelling of a missing reference is looked up and listed, not only the first one.
    Lines missing = state.missingObjects;
    std::sort(missing.begin(), missing.end());
    EXPECT_EQ(missing, (Lines{"Sceneryobjects\\Gone\\g.sco", "sceneryobjects\\HOUSES\\h1.SCO.sco",
                              "sceneryobjects\\gone\\G.sco"}));
    // Folders are cut at the last backslash only.
    EXPECT_EQ(state.objectFolders.size(), 6u);
    EXPECT_NE(std::find(state.objectFolders.begin(), state.objectFolders.end(), ""),
              state.objectFolders.end());
}

TEST(AnalysisRun, WildcardsInReferencesAreLiteral)
{
    Installation telv;
    telv.install("Sceneryobjects/a.sco");
    Lines expected{"Sceneryobjects\\*.sco", "Sceneryobjects\\?.sco"};
    if (test::isWindows()) {
        expected.push_back("Sceneryobjects\\star*.sco");  // no Windows file name holds "*"
    } else {
        telv.install("Sceneryobjects/star*.sco");
    }
    telv.tile("a.map", "Sceneryobjects\\*.sco\nSceneryobjects\\?.sco\nSceneryobjects\\star*.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(telv.mapText(), state, ui, store);
    Lines missing = state.missingObjects;
    std::sort(missing.begin(), missing.end());
    EXPECT_EQ(missing, expected);
}

TEST(AnalysisRun, AFolderIsNoFileAndAMissingOneIsListedTwice)
{
    Installation telv;
    fs::create_directories(telv.root() / "Splines" / "dir.sli");
    telv.tile("a.map", "Splines\\dir.sli\nloose.sli\nloose.sli\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(telv.mapText(), state, ui, store);
    EXPECT_EQ(state.splines, (Lines{"loose.sli", "Splines\\dir.sli"}));
    EXPECT_EQ(state.missingSplines, (Lines{"loose.sli", "Splines\\dir.sli"}));
    EXPECT_EQ(state.splineFolders, (Lines{"", "Splines\\"}));
}

TEST(AnalysisRun, SortsTheResultListsWithoutRegardToCase)
{
    Installation telv;
    telv.tile("a.map",
              "Sceneryobjects\\b.sco\nSceneryobjects\\C.sco\nSceneryobjects\\a.sco\n"
              "Z\\z.sco\nb\\y.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis(telv.mapText(), state, ui, store);
    EXPECT_EQ(state.objects, (Lines{"b\\y.sco", "Sceneryobjects\\a.sco", "Sceneryobjects\\b.sco",
                                    "Sceneryobjects\\C.sco", "Z\\z.sco"}));
    EXPECT_EQ(state.objectFolders, (Lines{"b\\", "Sceneryobjects\\", "Z\\"}));
    EXPECT_EQ(state.missingObjects, state.objects);
}

TEST(AnalysisRun, AFolderNamedLikeATileEndsTheRunWithTheOpenError)
{
    Installation telv;
    telv.tile("a.map", "Sceneryobjects\\z.sco\nSceneryobjects\\b.sco\n");
    fs::create_directory(telv.map() / "b.map");
    telv.tile("c.map", "Sceneryobjects\\c.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    const std::string bad = test::joinPath(telv.mapText(), "b.map");
    try {
        runAnalysis(telv.mapText(), state, ui, store);
        FAIL() << "the run must fail";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + bad + "\". " + test::folderAsFileText());
    }
    EXPECT_EQ(state.log, (Lines{"Loaded successfully from path " + telv.mapText(),
                                "This map contains 3 tiles.", "Tile 1 of 3 verified successfully.",
                                test::stoppedLogLine("Cannot open file \"" + bad + "\". " +
                                                     test::folderAsFileText())}));
    // Unsorted, as appended; nothing of the tiles after the failing one.
    EXPECT_EQ(state.objects, (Lines{"Sceneryobjects\\z.sco", "Sceneryobjects\\b.sco"}));
    EXPECT_FALSE(state.exportButtonsVisible);
    EXPECT_EQ(state.logScrolls, 0u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(store.stored.empty());
    EXPECT_EQ(state.path, telv.mapText());
    EXPECT_EQ(state.lineStore.text(), u"Sceneryobjects\\z.sco\r\nSceneryobjects\\b.sco\r\n");
}

TEST(AnalysisRun, ATileThatIsNoRegularFileEndsTheRunWithTheOpenErrorAtOnce)
{
    GANTREL_SKIP_WITH(test::unlessPosix("named pipes and devices"));
#ifndef _WIN32
    // Each of these used to block a reader for ever, or fill the memory from /dev/zero.
    const test::HangGuard guard(120);
    Installation telv;
    telv.tile("a.map", "Sceneryobjects\\a.sco\n");
    ASSERT_EQ(::mkfifo((telv.map() / "b.map").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", telv.map() / "c.map");
    ASSERT_EQ(::mkfifo((telv.map() / "pipe").c_str(), 0600), 0);
    fs::create_symlink(telv.map() / "pipe", telv.map() / "d.map");
    telv.tile("e.map", "Sceneryobjects\\e.sco\n");
    // Removing each failing tile in turn makes the next one the first to fail.
    for (const char* failing : {"b.map", "c.map", "d.map"}) {
        const std::string expected = "Cannot open file \"" +
                                     test::joinPath(telv.mapText(), failing) + "\". " +
                                     test::systemErrorText(ENXIO);
        for (const char* readers : {"1", "2", "8"}) {
            const test::ScopedEnvironment count("GANTREL_READERS", readers);
            WindowState state;
            test::RecordingUi ui;
            RecordingStore store;
            try {
                runAnalysis(telv.mapText(), state, ui, store);
                ADD_FAILURE() << failing << " did not fail with " << readers << " readers";
            } catch (const Error& error) {
                EXPECT_EQ(error.what(), expected) << readers << " readers";
            }
            EXPECT_EQ(state.log.back(), test::stoppedLogLine(expected));
            EXPECT_EQ(state.log.end()[-2], "Tile 1 of " + std::to_string(state.tiles.size()) +
                                               " verified successfully.");
            EXPECT_EQ(state.objects, Lines{"Sceneryobjects\\a.sco"});
        }
        fs::remove(telv.map() / failing);
    }
#endif
}

TEST(AnalysisRun, ALineTooLongEndsTheRunAfterTheLinesBeforeIt)
{
    Installation telv;
    telv.tile("a.map", "Sceneryobjects\\a.sco\n");
    telv.tile("b.map",
              "Splines\\b.sli\n" + std::string(70000, 'x') + "\nSceneryobjects\\late.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    EXPECT_THROW(runAnalysis(telv.mapText(), state, ui, store), OutOfResources);
    EXPECT_EQ(state.objects, Lines{"Sceneryobjects\\a.sco"});
    EXPECT_EQ(state.splines, Lines{"Splines\\b.sli"});
    // The box says only "Line too long"; the log says where.
    EXPECT_EQ(state.log.back(), "Analysis stopped: line 2 of tile " +
                                    test::joinPath(telv.mapText(), "b.map") + " is too long.");
    EXPECT_EQ(state.log.end()[-2], "Tile 1 of 2 verified successfully.");
    EXPECT_EQ(state.lineStore.lineCount(), 3u);  // the failing tile was loaded
}

// Cancels the scan once `after` tiles have been scanned.
class CancellingUi : public test::RecordingUi {
public:
    explicit CancellingUi(std::size_t after) : m_after(after) {}
    bool cancelRequested() override { return progress.size() >= m_after; }

private:
    std::size_t m_after;
};

TEST(AnalysisRun, ACancelledRunKeepsWhatItAppendedUnsortedAndStoresNothing)
{
    Installation telv;
    telv.tile("a.map", "Sceneryobjects\\z.sco\nSceneryobjects\\b.sco\n");
    telv.tile("b.map", "Splines\\y.sli\nSplines\\c.sli\n");
    telv.tile("c.map", "Sceneryobjects\\late.sco\n");
    WindowState state;
    CancellingUi ui(2);
    RecordingStore store;
    EXPECT_EQ(runAnalysis(telv.mapText(), state, ui, store), RunEnd::Cancelled);
    EXPECT_EQ(state.objects, (Lines{"Sceneryobjects\\z.sco", "Sceneryobjects\\b.sco"}));
    EXPECT_EQ(state.splines, (Lines{"Splines\\y.sli", "Splines\\c.sli"}));
    EXPECT_EQ(state.log, (Lines{"Loaded successfully from path " + telv.mapText(),
                                "This map contains 3 tiles.", "Tile 1 of 3 verified successfully.",
                                "Tile 2 of 3 verified successfully.", "Analysis cancelled."}));
    EXPECT_EQ(ui.progress.size(), 2u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(store.stored.empty());
    EXPECT_FALSE(state.exportButtonsVisible);
    EXPECT_EQ(state.path, telv.mapText());
}

TEST(AnalysisRun, ASettingsFileThatCannotBeWrittenFailsOnlyAfterTheRunCompleted)
{
    Installation telv;
    telv.tile("a.map", "Sceneryobjects\\b.sco\nSceneryobjects\\a.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    store.fail = true;
    try {
        runAnalysis(telv.mapText(), state, ui, store);
        FAIL() << "the run must report the settings file";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Unable to write to /nowhere/gantrel.ini");
    }
    EXPECT_EQ(ui.messages, Lines{kEndMessage});
    EXPECT_TRUE(state.exportButtonsVisible);
    EXPECT_EQ(state.logScrolls, 1u);
    EXPECT_EQ(state.objects, (Lines{"Sceneryobjects\\a.sco", "Sceneryobjects\\b.sco"}));
    EXPECT_EQ(state.path, test::joinPath((telv.root() / "maps").string(), ""));
}

TEST(AnalysisRun, WithoutGameRootReferencesAreLookedUpBelowTheCurrentFolder)
{
    Installation telv;
    telv.install("Sceneryobjects/a.sco");
    telv.tile("a.map", "Sceneryobjects\\a.sco\n");
    const fs::path previous = fs::current_path();
    fs::current_path(telv.root() / "maps");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    runAnalysis("Demo", state, ui, store);
    fs::current_path(previous);
    EXPECT_EQ(store.stored, Lines{""});
    // GameRoot is empty, so the reference is looked up below the current folder (maps/).
    EXPECT_EQ(state.missingObjects, Lines{"Sceneryobjects\\a.sco"});
}

TEST(AnalysisRun, AMapReachedThroughALinkBelongsToTheInstallationItLiesIn)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "a symbolic link takes a privilege on Windows, whose chooser resolves links"));
    Installation telv;
    telv.install("Sceneryobjects/a.sco");
    telv.tile("a.map", "Sceneryobjects\\a.sco\n");
    test::TempDir elsewhere;
    fs::create_directories(elsewhere.path() / "maps");
    fs::create_directory_symlink(telv.map(), elsewhere.path() / "maps" / "Demo");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;
    EXPECT_EQ(runAnalysis((elsewhere.path() / "maps" / "Demo").string(), state, ui, store),
              RunEnd::Completed);
    EXPECT_EQ(state.missingObjects, Lines{});
    EXPECT_EQ(state.gameRoot, fs::canonical(telv.root()).string() + "/");
    EXPECT_EQ(store.stored, Lines{fs::canonical(telv.root() / "maps").string() + "/"});
}

TEST(AnalysisRun, AMapDirectlyBelowADriveRootHasTheRootAsGameRoot)
{
    GANTREL_SKIP_WITH(test::unlessWindows("drive letters"));
    // D:\Demo gives GameRoot D:\ and stores D:\; the drive of the temporary folder serves.
    const fs::path drive = fs::temp_directory_path().root_path();
    std::optional<test::TempDir> map;
    try {
        map.emplace(drive);
    } catch (const std::exception&) {
        GTEST_SKIP() << "the root of " << drive.string() << " cannot be written";
    }
    const std::string folder = map->str();
    ASSERT_EQ(folder.rfind('\\'), 2u) << folder;  // C:\gantrel-test-…
    test::writeFile(map->path() / "global.cfg", "");
    test::writeFile(map->path() / "ailists.cfg", "");
    test::writeFile(map->path() / "a.map",
                    "Sceneryobjects\\present.sco\nSceneryobjects\\gone.sco\n");
    test::TempDir objects(drive);  // "<drive>\gantrel-test-…\" plays the installation's folder
    test::writeFile(objects.path() / "Sceneryobjects" / "present.sco", "x");
    const std::string objectsName = objects.path().filename().string();
    test::writeFile(map->path() / "b.map", objectsName + "\\Sceneryobjects\\present.sco\n");
    WindowState state;
    test::RecordingUi ui;
    RecordingStore store;

    EXPECT_EQ(runAnalysis(folder, state, ui, store), RunEnd::Completed);

    const std::string root = folder.substr(0, 3);
    EXPECT_EQ(store.stored, Lines{root});
    EXPECT_EQ(state.path, root);
    EXPECT_EQ(state.tiles, (Lines{folder + "\\a.map", folder + "\\b.map"}));
    // References are looked up below the drive root itself.
    EXPECT_EQ(state.missingObjects,
              (Lines{"Sceneryobjects\\gone.sco", "Sceneryobjects\\present.sco"}));
    EXPECT_EQ(state.objects.size(), 3u);
}

}  // namespace
}  // namespace gantrel
