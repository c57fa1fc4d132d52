// SPDX-License-Identifier: MIT
#include "export/export_shell_copy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "export/export_texts.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;
using test::Tree;
using test::tree;

// A folder whose name is not ASCII, in the program's 8-bit text.
const std::string kTrees = test::narrow(u"Bäume");

class RecordingExportUi : public ExportUi {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& message) override { errors.push_back(message); }
    std::optional<std::string> chooseDestination() override
    {
        ++dialogs;
        messagesBeforeDialog = messages.size();
        return destination;
    }
    void copyProgress(const CopyProgress& done) override { progress.push_back(done); }

    std::optional<std::string> destination;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<CopyProgress> progress;
    int dialogs = 0;
    std::size_t messagesBeforeDialog = 0;
};

const std::string kObjectNotice(exportNotice(ExportVariant::ShellCopy, ExportList::ObjectFolders));
const std::string kObjectsDone(exportEndMessage(ExportList::ObjectFolders));

// A made-up installation "TELV 2" with objects and splines, after an analysis of maps/Demo,
// and a package folder to copy into.
class ShellCopy : public ::testing::Test {
protected:
    ShellCopy()
    {
        test::writeFile(game() / "maps" / "Demo" / "global.cfg", "[map]\n");
        test::writeFile(game() / "Sceneryobjects" / "loose.sco", "loose");
        test::writeFile(game() / "Sceneryobjects" / "KW Houses" / "house.sco", "house");
        test::writeFile(game() / "Sceneryobjects" / "KW Houses" / "model" / "house.o3d", "3d");
        fs::create_directories(game() / "Sceneryobjects" / "KW Houses" / "unused");
        test::writeFile(game() / "Sceneryobjects" / test::pathOf(kTrees) / "eiche.sco", "oak");
        test::writeFile(game() / "Splines" / "Roads" / "road.sli", "road");
        fs::create_directories(package());
        state.path = test::joinPath((game() / "maps").string(), "");
        state.gameRoot = test::joinPath(game().string(), "");
        ui.destination = package().string();
    }
    fs::path game() const { return m_dir.path() / "TELV 2"; }
    fs::path package() const { return m_dir.path() / "package"; }

    test::TempDir m_dir;
    WindowState state;
    RecordingExportUi ui;
};

TEST_F(ShellCopy, CancellingShowsTheNoticeAlone)
{
    state.objectFolders = {"Sceneryobjects\\KW Houses\\"};
    ui.destination.reset();
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kObjectNotice});
    EXPECT_EQ(ui.dialogs, 1);
    EXPECT_EQ(tree(package()), Tree{});
}

TEST_F(ShellCopy, NothingToCopyStillEndsWithSuccess)
{
    for (const std::vector<std::string>& list :
         {std::vector<std::string>{}, std::vector<std::string>{""}}) {
        state.objectFolders = list;
        ui.messages.clear();
        copyUsedFolders(state, ExportList::ObjectFolders, ui);
        EXPECT_EQ(ui.messages, (std::vector<std::string>{kObjectNotice, kObjectsDone}));
        EXPECT_EQ(tree(package()), Tree{});
    }
}

// The entries of a tree below one of its folders, relative to it.
Tree below(const Tree& whole, const std::string& prefix)
{
    Tree part;
    for (const auto& [path, content] : whole) {
        if (path.starts_with(prefix) && path != prefix) {
            part[path.substr(prefix.size())] = content;
        }
    }
    return part;
}

// The second export into the same package, and a used folder inside another one copied after
// its parent, each copy a folder onto one that is there already: the result must be the one a
// copy into no folder gives, never the folder again inside itself.
TEST_F(ShellCopy, CopiesOntoExistingFoldersMergeIntoThem)
{
    state.objectFolders = {"Sceneryobjects\\KW Houses\\", "Sceneryobjects\\KW Houses\\model\\"};
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    copyUsedFolders(state, ExportList::ObjectFolders, ui);

    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{kObjectNotice, kObjectsDone, kObjectNotice, kObjectsDone}));
    Tree expected;
    expected["Sceneryobjects/"] = "";
    for (const auto& [path, content] : below(tree(game()), "Sceneryobjects/")) {
        if (path.starts_with("KW Houses")) {
            expected["Sceneryobjects/" + path] = content;
        }
    }
    EXPECT_EQ(tree(package()), expected);
}

TEST_F(ShellCopy, CopiesEachFolderKeepingItsPathBelowTheInstallation)
{
    state.objectFolders = {"", "Sceneryobjects\\" + kTrees + "\\", "Sceneryobjects\\KW Houses\\"};
    const Tree before = tree(game());
    copyUsedFolders(state, ExportList::ObjectFolders, ui);

    EXPECT_EQ(ui.messages, (std::vector<std::string>{kObjectNotice, kObjectsDone}));
    EXPECT_EQ(ui.messagesBeforeDialog, 1u);
    Tree expected;
    expected["Sceneryobjects/"] = "";
    expected["Sceneryobjects/" + kTrees + "/"] = "";
    expected["Sceneryobjects/KW Houses/"] = "";
    for (const auto& [path, content] : below(before, "Sceneryobjects/" + kTrees + "/")) {
        expected["Sceneryobjects/" + kTrees + "/" + path] = content;
    }
    for (const auto& [path, content] : below(before, "Sceneryobjects/KW Houses/")) {
        expected["Sceneryobjects/KW Houses/" + path] = content;
    }
    EXPECT_EQ(tree(package()), expected);
    EXPECT_EQ(tree(game()), before);
    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress.back().files, 3u);
    EXPECT_EQ(ui.progress.back().bytes, 3u + 5u + 2u);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(ShellCopy, SplineFoldersHaveTheirOwnTexts)
{
    state.splineFolders = {"Splines\\Roads\\"};
    copyUsedFolders(state, ExportList::SplineFolders, ui);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{
                  std::string(exportNotice(ExportVariant::ShellCopy, ExportList::SplineFolders)),
                  "Used Spline folders copied successfully."}));
    EXPECT_EQ(test::readFile(package() / "Splines" / "Roads" / "road.sli"), "road");
}

TEST_F(ShellCopy, FoldersAreFoundWithoutRegardToCaseAndKeepTheEntrysSpelling)
{
    // Two spellings of one folder fill one folder of the first spelling, once.
    state.objectFolders = {"sceneryobjects\\kw houses\\", "Sceneryobjects\\KW Houses\\"};
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    EXPECT_EQ(ui.messages.back(), kObjectsDone);
    Tree expected{{"sceneryobjects/", ""}, {"sceneryobjects/kw houses/", ""}};
    for (const auto& [path, content] : below(tree(game()), "Sceneryobjects/KW Houses/")) {
        expected["sceneryobjects/kw houses/" + path] = content;
    }
    EXPECT_EQ(tree(package()), expected);
    ASSERT_FALSE(ui.progress.empty());
    EXPECT_EQ(ui.progress.back().files, 2u);
}

TEST_F(ShellCopy, TheTopFolderEntryCopiesTheWholeTopFolder)
{
    state.objectFolders = {"Sceneryobjects\\"};
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    EXPECT_EQ(ui.messages.back(), kObjectsDone);
    EXPECT_EQ(tree(package() / "Sceneryobjects"), tree(game() / "Sceneryobjects"));
}

TEST_F(ShellCopy, ASecondRunOverwritesWithoutAsking)
{
    state.objectFolders = {"Sceneryobjects\\KW Houses\\"};
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    test::writeFile(package() / "Sceneryobjects" / "KW Houses" / "house.sco", "edited");
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{kObjectNotice, kObjectsDone, kObjectNotice, kObjectsDone}));
    EXPECT_EQ(test::readFile(package() / "Sceneryobjects" / "KW Houses" / "house.sco"), "house");
}

TEST_F(ShellCopy, AMissingSourceIsReportedAndTheOthersAreCopied)
{
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\", "Sceneryobjects\\Gone\\",
                           "Sceneryobjects\\KW Houses\\"};
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    EXPECT_EQ(ui.messages.back(),
              "These folders could not be copied:\n"
              "Sceneryobjects\\Gone\\: no such folder \"" +
                  test::joinPath(game().string(), "Sceneryobjects\\Gone\\") + "\"");
    EXPECT_EQ(test::readFile(package() / "Sceneryobjects" / test::pathOf(kTrees) / "eiche.sco"),
              "oak");
    EXPECT_EQ(test::readFile(package() / "Sceneryobjects" / "KW Houses" / "house.sco"), "house");
}

TEST_F(ShellCopy, ATargetThatCannotBeWrittenIsReported)
{
    test::writeFile(package() / "Sceneryobjects" / "KW Houses" / "model", "a file in the way");
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\", "Sceneryobjects\\KW Houses\\"};
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    const fs::path blocked = package() / "Sceneryobjects" / "KW Houses" / "model";
    // The shell says nothing of it on Windows: the file it left out is found missing after.
    EXPECT_EQ(ui.messages.back(),
              "These folders could not be copied:\n"
              "Sceneryobjects\\KW Houses\\: " +
                  (test::isWindows()
                       ? "cannot write \"" + (blocked / "house.o3d").string() +
                             "\": the shell's copy did not write it"
                       : "cannot make the folder \"" + blocked.string() + "\": Not a directory"));
    EXPECT_EQ(test::readFile(package() / "Sceneryobjects" / "KW Houses" / "house.sco"), "house");
    EXPECT_EQ(test::readFile(package() / "Sceneryobjects" / test::pathOf(kTrees) / "eiche.sco"),
              "oak");
}

TEST_F(ShellCopy, EntriesThatLeadOutAreNeverCopied)
{
    test::writeFile(m_dir.path() / "secret" / "key.txt", "key");
    state.objectFolders = {"..\\secret\\", (m_dir.path() / "secret").string() + "/",
                           "Sceneryobjects\\..\\..\\secret\\", "Sceneryobjects\\" + kTrees + "\\"};
    ui.destination = (package() / "inner").string();
    const Tree before = tree(m_dir.path());
    copyUsedFolders(state, ExportList::ObjectFolders, ui);

    EXPECT_EQ(ui.messages.back(),
              "These folders could not be copied:\n3 folders: " + unsafeEntryReason() +
                  "\n    ..\\secret\\\n    " + state.objectFolders[1] +
                  "\n    Sceneryobjects\\..\\..\\secret\\");
    Tree after = tree(m_dir.path());
    EXPECT_EQ(below(after, "package/inner/"),
              (Tree{{"Sceneryobjects/", ""},
                    {"Sceneryobjects/" + kTrees + "/", ""},
                    {"Sceneryobjects/" + kTrees + "/eiche.sco", "oak"}}));
    for (auto it = after.begin(); it != after.end();) {
        it = it->first.starts_with("package/inner") ? after.erase(it) : std::next(it);
    }
    EXPECT_EQ(after, before);
}

TEST_F(ShellCopy, ALinkInTheDestinationThatLeadsOutIsNotFollowed)
{
    const fs::path outside = m_dir.path() / "outside";
    fs::create_directories(outside);
    if (!test::makeFolderLink(outside, package() / "Sceneryobjects")) {
        ASSERT_TRUE(test::underWine()) << "cannot make a folder link";
        GTEST_SKIP() << "Wine makes neither junctions nor symbolic links";
    }
    state.objectFolders = {"Sceneryobjects\\KW Houses\\"};
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    // POSIX names the target it refuses, Windows the junction on the way to it.
    const std::string refused = test::isWindows()
                                    ? (package() / "Sceneryobjects").string()
                                    : package().string() + "/Sceneryobjects/KW Houses/";
    EXPECT_EQ(ui.messages.back(),
              "These folders could not be copied:\nSceneryobjects\\KW Houses\\: "
              "\"" +
                  refused + "\" leads out of the destination folder");
    EXPECT_EQ(tree(outside), Tree{});
}

TEST_F(ShellCopy, TheInstallationAsDestinationChangesNothing)
{
    state.objectFolders = {"Sceneryobjects\\", "Sceneryobjects\\KW Houses\\",
                           "sceneryobjects\\kw houses\\"};
    ui.destination = game().string();
    const Tree before = tree(game());
    copyUsedFolders(state, ExportList::ObjectFolders, ui);
    EXPECT_EQ(ui.messages.back(), kObjectsDone);
    EXPECT_EQ(tree(game()), before);
}

TEST_F(ShellCopy, ADestinationInsideASourceFolderIsRefused)
{
    state.objectFolders = {"Sceneryobjects\\", "Sceneryobjects\\KW Houses\\"};
    const fs::path inside = game() / "Sceneryobjects" / "KW Houses" / "package";
    ui.destination = inside.string();
    const Tree before = tree(game());
    copyUsedFolders(state, ExportList::ObjectFolders, ui);

    // Both folders hold the destination: neither is copied, none changed.
    const std::string refused = "\" was refused: the target folder lies inside the source folder";
    const std::string separator(1, platform::separator());
    EXPECT_EQ(ui.messages.back(),
              "These folders could not be copied:\nSceneryobjects\\: the copy to \"" +
                  (inside / "Sceneryobjects").string() + separator + refused +
                  "\nSceneryobjects\\KW Houses\\: the copy to \"" +
                  (inside / "Sceneryobjects" / "KW Houses").string() + separator + refused);
    EXPECT_EQ(tree(game()), before);
}

}  // namespace
}  // namespace gantrel
