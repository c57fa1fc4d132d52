// SPDX-License-Identifier: MIT
#include "export/export_copiers.h"
#include "platform/copy.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <thread>

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
        return destination;
    }

    std::optional<std::string> destination;
    std::vector<std::string> messages;
    std::vector<std::string> errors;
    int dialogs = 0;
};

// The copier built with the tests, handed over by the build.
std::string copierProgram()
{
    const char* program = std::getenv("GANTREL_COPY");
    return program != nullptr ? program : "";
}

#ifndef _WIN32
// Blocks until some child process has ended, without reaping it: the run reaps its own.
void waitForAChild()
{
    siginfo_t info{};
    ::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT);
}

void finish(CopierRun& run)
{
    while (!run.poll()) {
        waitForAChild();
    }
}
#else
// Nothing tells a test when some started process has ended: the run is looked at again and
// again, a bounded number of times, giving the copiers the processor in between.
void finish(CopierRun& run)
{
    for (long round = 0; round < 200'000'000 && !run.poll(); ++round) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(run.finished()) << "the copiers did not end";
}
#endif

// What a folder of the installation holds once the command-line copier has copied it: its
// files and every subfolder that holds one.
Tree copiedByTheCopier(Tree installed)
{
    for (auto it = installed.begin(); it != installed.end();) {
        const bool empty =
            it->first.ends_with('/') &&
            std::none_of(installed.begin(), installed.end(), [&](const auto& other) {
                return other.first.starts_with(it->first) && !other.first.ends_with('/');
            });
        it = empty ? installed.erase(it) : std::next(it);
    }
    return installed;
}

const std::string kObjectNotice(exportNotice(ExportVariant::CommandCopy,
                                             ExportList::ObjectFolders));
const std::string kObjectsDone(exportEndMessage(ExportList::ObjectFolders));

class CommandCopy : public ::testing::Test {
protected:
    CommandCopy()
    {
        test::writeFile(game() / "Sceneryobjects" / "loose.sco", "loose");
        test::writeFile(game() / "Sceneryobjects" / "KW Houses" / "house.sco", "house");
        test::writeFile(game() / "Sceneryobjects" / "KW Houses" / "model" / "house.o3d", "3d");
        test::writeFile(game() / "Sceneryobjects" / "KW Houses" / "model" / "texture" / "house.dds",
                        "dds");
        fs::create_directories(game() / "Sceneryobjects" / "KW Houses" / "unused");
        test::writeFile(game() / "Sceneryobjects" / test::pathOf(kTrees) / "eiche.sco", "oak");
        test::writeFile(game() / "Sceneryobjects" / "Signs" / "stop.sco", "stop");
        test::writeFile(game() / "Splines" / "Roads" / "road.sli", "road");
        test::writeFile(game() / "Splines" / "loose.sli", "loose");
        fs::create_directories(package());
        state.path = test::joinPath((game() / "maps").string(), "");
        state.gameRoot = test::joinPath(game().string(), "");
        ui.destination = package().string();
    }
    void SetUp() override
    {
#ifndef _WIN32
        ASSERT_FALSE(copier.empty()) << "GANTREL_COPY names no copier";
#endif
    }

    fs::path game() const
    {
        return m_dir.path() / "TELV 2";
    }
    fs::path package() const
    {
        return m_dir.path() / "package";
    }
    // The folder below the package as the native file system finds it, in whatever case.
    Tree copied(const std::string& folder) const
    {
        const auto found = platform::resolveFolder(test::textOf(package() / test::pathOf(folder)));
        return found ? tree(test::pathOf(*found)) : Tree{};
    }
    Tree installed(const std::string& folder) const
    {
        return tree(game() / test::pathOf(folder));
    }
#ifndef _WIN32
    // The built copier behind a script that first waits at a gate for each of the named target
    // folders, until the test opens it; copiers of other folders start at once.
    std::string gatedCopier(const std::vector<std::string>& gated) const
    {
        fs::create_directories(gates());
        for (const std::string& name : gated) {
            EXPECT_EQ(::mkfifo((gates() / name).c_str(), 0600), 0);
        }
        const fs::path script = m_dir.path() / "gated-copy";
        test::writeFile(script, "#!/bin/sh\nfor target; do :; done\ngate='" + gates().string() +
                                    "'/\"$(basename \"$target\")\"\n"
                                    "if [ -p \"$gate\" ]; then read go < \"$gate\"; fi\n"
                                    "exec '" +
                                    copier + "' \"$@\"\n");
        fs::permissions(script, fs::perms::owner_all);
        return script.string();
    }
    void openGate(const std::string& name) const
    {
        std::ofstream gate(gates() / name);  // waits until that copier is at its gate
        gate << "go\n";
    }
    fs::path gates() const
    {
        return m_dir.path() / "gates";
    }
#endif

    test::TempDir m_dir;
    WindowState state;
    RecordingExportUi ui;
    std::string copier = copierProgram();
};

TEST_F(CommandCopy, CancellingShowsTheNoticeAlone)
{
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\"};
    ui.destination.reset();
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, copier);
    EXPECT_TRUE(run.finished());
    EXPECT_TRUE(run.poll());
    EXPECT_EQ(run.started(), 0u);
    EXPECT_EQ(ui.messages, std::vector<std::string>{kObjectNotice});
    EXPECT_EQ(ui.dialogs, 1);
    EXPECT_EQ(tree(package()), Tree{});
}

TEST_F(CommandCopy, NothingToCopyEndsAtOnceWithSuccess)
{
    for (const std::vector<std::string>& list :
         {std::vector<std::string>{}, std::vector<std::string>{""},
          std::vector<std::string>{"", "Sceneryobjects\\"}}) {
        state.objectFolders = list;
        ui.messages.clear();
        const CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, copier);
        EXPECT_TRUE(run.finished());
        EXPECT_EQ(run.started(), 0u);
        EXPECT_EQ(ui.messages, (std::vector<std::string>{kObjectNotice, kObjectsDone}));
    }
    EXPECT_EQ(tree(package()), Tree{});
}

TEST_F(CommandCopy, EachFolderIsCopiedByItsOwnCopierSkippingTheTopFolder)
{
    state.objectFolders = {"", "Sceneryobjects\\", "Sceneryobjects\\" + kTrees + "\\",
                           "sceneryobjects\\kw houses\\"};
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, copier);
    EXPECT_EQ(run.started(), 2u);
    finish(run);

    EXPECT_EQ(copied("Sceneryobjects/" + kTrees), installed("Sceneryobjects/" + kTrees));
    if (test::underWine()) {
        // Wine's xcopy does not know /J: it copies the folder's own files only and still exits
        // with 0. The files it left out make the folder a failure; the reason names the first
        // of them and counts the rest.
        const fs::path model = package() / "sceneryobjects" / "kw houses" / "model";
        const std::string reason = "the copier did not copy \"" +
                                   test::textOf(model / "house.o3d") + "\" (and 1 more problem)";
        EXPECT_EQ(ui.messages, (std::vector<std::string>{kObjectNotice,
                                                         "These folders could not be copied:\n"
                                                         "sceneryobjects\\kw houses\\: " +
                                                             reason}));
        EXPECT_FALSE(fs::exists(model));
    } else {
        EXPECT_EQ(ui.messages, (std::vector<std::string>{kObjectNotice, kObjectsDone}));
        EXPECT_EQ(copied("sceneryobjects/kw houses"),
                  copiedByTheCopier(installed("Sceneryobjects/KW Houses")));
    }
    EXPECT_FALSE(fs::exists(package() / "Sceneryobjects" / "loose.sco"));
    EXPECT_TRUE(run.poll());
    EXPECT_EQ(ui.messages.size(), 2u);  // the end is shown once
}

TEST_F(CommandCopy, HiddenAndSystemFilesAreNotRequiredOfTheCopier)
{
    GANTREL_SKIP_WITH(test::unlessWindows("hidden and system files are Windows' own"));
#ifdef _WIN32
    // xcopy without /H leaves hidden and system files out, and the folders holding nothing
    // else with them: a folder is no less copied for the desktop.ini or Thumbs.db that Windows
    // left in it. Wine's xcopy copies the folder's own hidden files all the same, but not the
    // subfolder, whose only file must then not be missed either.
    const fs::path trees = game() / "Sceneryobjects" / test::pathOf(kTrees);
    test::writeFile(trees / "desktop.ini", "[.ShellClassInfo]");
    test::hideFile(trees / "desktop.ini", true);
    test::writeFile(trees / "texture" / "Thumbs.db", "thumbnails");
    test::hideFile(trees / "texture" / "Thumbs.db", false);
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\"};
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, copier);
    EXPECT_EQ(run.started(), 1u);
    finish(run);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kObjectNotice, kObjectsDone}));
    EXPECT_EQ(test::readFile(package() / "Sceneryobjects" / test::pathOf(kTrees) / "eiche.sco"),
              "oak");
#endif
}

TEST_F(CommandCopy, SplineFoldersSkipTheirTopFolderAndHaveTheirOwnTexts)
{
    state.splineFolders = {"Splines\\", "Splines\\Roads\\"};
    CopierRun run = startCopiers(state, ExportList::SplineFolders, ui, copier);
    EXPECT_EQ(run.started(), 1u);
    finish(run);
    EXPECT_EQ(ui.messages,
              (std::vector<std::string>{
                  "Notice: this function is merely a helper. I will also copy original splines "
                  "made by KW to the destination folder if they were used in your map, but it is "
                  "not needed to include them in your map package.",
                  "Used Spline folders copied successfully."}));
    EXPECT_EQ(copied("Splines"), (Tree{{"Roads/", ""}, {"Roads/road.sli", "road"}}));
}

// Three copiers held at a gate each: a script that waits until the test lets its folder go.
TEST_F(CommandCopy, ThreeCopiersRunAtOnceAndTheEndComesAfterTheLast)
{
    GANTREL_SKIP_WITH(
        test::unlessPosix("the gates are named pipes and a shell script in place of the copier"));
#ifndef _WIN32
    const std::string script = gatedCopier({kTrees, "KW Houses", "Signs"});
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\", "Sceneryobjects\\KW Houses\\",
                           "Sceneryobjects\\Signs\\"};
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, script);
    EXPECT_EQ(run.started(), 3u);
    EXPECT_FALSE(run.poll());
    EXPECT_EQ(run.running(), 3u);

    openGate("Signs");
    while (run.running() > 2) {
        waitForAChild();
        EXPECT_FALSE(run.poll());
    }
    openGate(kTrees);
    while (run.running() > 1) {
        waitForAChild();
        EXPECT_FALSE(run.poll());
    }
    EXPECT_EQ(ui.messages, std::vector<std::string>{kObjectNotice});
    EXPECT_EQ(copied("Sceneryobjects/Signs"), installed("Sceneryobjects/Signs"));
    EXPECT_FALSE(fs::exists(package() / "Sceneryobjects" / "KW Houses"));

    openGate("KW Houses");
    finish(run);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kObjectNotice, kObjectsDone}));
    EXPECT_EQ(copied("Sceneryobjects/KW Houses/model"),
              installed("Sceneryobjects/KW Houses/model"));
#endif
}

TEST_F(CommandCopy, NoMoreThanTheLimitRunAtOnceAndTheNextStartsInListOrder)
{
    GANTREL_SKIP_WITH(
        test::unlessPosix("the gates are named pipes and a shell script in place of the copier"));
#ifndef _WIN32
    const std::string script = gatedCopier({kTrees, "KW Houses", "Signs"});
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\", "Sceneryobjects\\KW Houses\\",
                           "Sceneryobjects\\Signs\\"};
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, script, 2);
    EXPECT_EQ(run.started(), 2u);
    EXPECT_FALSE(run.poll());
    EXPECT_EQ(run.running(), 2u);

    // The first to end makes room for the third, the one left waiting.
    openGate("KW Houses");
    while (run.started() < 3) {
        waitForAChild();
        EXPECT_FALSE(run.poll());
    }
    EXPECT_EQ(run.running(), 2u);
    openGate("Signs");
    openGate(kTrees);
    finish(run);
    EXPECT_EQ(run.started(), 3u);
    EXPECT_EQ(ui.messages, (std::vector<std::string>{kObjectNotice, kObjectsDone}));
    EXPECT_EQ(copied("Sceneryobjects/Signs"), installed("Sceneryobjects/Signs"));
    EXPECT_GE(maxRunningCopiers(), 4u);
#endif
}

TEST_F(CommandCopy, FailedCopiesAreReportedInListOrderAfterAllEnded)
{
    test::writeFile(package() / "Sceneryobjects" / "KW Houses", "a file where a folder must go");
    // Failures found before any copier starts (among them the folder the installation lacks,
    // for which no copier is started) stand in the list's order with the copiers' own.
    state.objectFolders = {"..\\outside\\",           "Sceneryobjects\\" + kTrees + "\\",
                           "Sceneryobjects\\Gone\\",  "Sceneryobjects\\KW Houses\\",
                           "Sceneryobjects\\Signs\\", "Sceneryobjects\\Zoo\\..\\..\\..\\outside\\"};
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, copier);
    EXPECT_EQ(run.started(), 3u);
    finish(run);

    const std::string houses = (package() / "Sceneryobjects" / "KW Houses").string();
    std::string report = ui.messages.back();
    const std::string gone =
        "no such folder \"" + test::joinPath(game().string(), "Sceneryobjects\\Gone") + "\"";
    std::string blocked = "cannot make the folder \"" + houses + "\": Not a directory";
    if (test::underWine()) {
        // xcopy writes its reasons to a console of its own: its exit code, in words, is all the
        // report can tell. Wine's ends with 5 where a file is in the way.
        blocked = "the copier ended with exit code 5: a disk write error";
    } else if (test::isWindows()) {
        // Which code Windows' own xcopy gives for each is not documented: it must not be 0.
        report = std::regex_replace(report, std::regex("exit code [1-9][0-9]*(: [^\\n]+)?"),
                                    "exit code N");
        blocked = "the copier ended with exit code N";
    }
    // The two entries refused for one reason are said together, where the first stood.
    EXPECT_EQ(report, "These folders could not be copied:\n2 folders: " + unsafeEntryReason() +
                          "\n    ..\\outside\\\n    Sceneryobjects\\Zoo\\..\\..\\..\\outside\\"
                          "\nSceneryobjects\\Gone\\: " +
                          gone + "\nSceneryobjects\\KW Houses\\: " + blocked);
    EXPECT_EQ(copied("Sceneryobjects/" + kTrees), installed("Sceneryobjects/" + kTrees));
    EXPECT_EQ(copied("Sceneryobjects/Signs"), installed("Sceneryobjects/Signs"));
    EXPECT_FALSE(fs::exists(m_dir.path() / "outside"));
}

TEST_F(CommandCopy, ACopierThatCannotStartIsReported)
{
    GANTREL_SKIP_WITH(test::unlessPosix("xcopy is always there to start on Windows"));
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\"};
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui,
                                 (m_dir.path() / "no-such-copier").string());
    finish(run);
    EXPECT_EQ(ui.messages.back(), "These folders could not be copied:\nSceneryobjects\\" + kTrees +
                                      "\\: "
                                      "the copier could not be started: No such file or directory");
}

TEST_F(CommandCopy, ALinkInTheDestinationThatLeadsOutStartsNoCopier)
{
    fs::create_directories(m_dir.path() / "outside");
    if (!test::makeFolderLink(m_dir.path() / "outside", package() / "Sceneryobjects")) {
        ASSERT_TRUE(test::underWine()) << "cannot make a folder link";
        GTEST_SKIP() << "Wine makes neither junctions nor symbolic links";
    }
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\"};
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, copier);
    EXPECT_EQ(run.started(), 0u);
    EXPECT_TRUE(run.finished());
    // The copier on POSIX names the target it refuses; Windows names the junction, as its shell
    // export does.
    const std::string refused = test::isWindows()
                                    ? (package() / "Sceneryobjects").string()
                                    : package().string() + "/Sceneryobjects/" + kTrees + "/";
    EXPECT_EQ(ui.messages.back(), "These folders could not be copied:\nSceneryobjects\\" + kTrees +
                                      "\\: \"" + refused +
                                      "\" leads out of the destination folder");
    EXPECT_EQ(tree(m_dir.path() / "outside"), Tree{});
}

TEST_F(CommandCopy, TheInstallationStaysAsItWas)
{
    const Tree before = tree(game());
    state.objectFolders = {"Sceneryobjects\\" + kTrees + "\\", "Sceneryobjects\\KW Houses\\",
                           "sceneryobjects\\kw houses\\"};

    ui.destination = game().string();  // the folders are already there, in whatever case
    CopierRun same = startCopiers(state, ExportList::ObjectFolders, ui, copier);
    EXPECT_EQ(same.started(), 0u);
    EXPECT_EQ(ui.messages.back(), kObjectsDone);
    EXPECT_EQ(tree(game()), before);

    const fs::path inside = game() / "Sceneryobjects" / "KW Houses" / "package";
    ui.destination = inside.string();
    CopierRun run = startCopiers(state, ExportList::ObjectFolders, ui, copier);
    EXPECT_EQ(run.started(), 2u);
    finish(run);
    // xcopy cannot leave its own target out: that copier is not started; the program's own
    // copier refuses such a target as well.
    const fs::path houses = inside / "Sceneryobjects" / "KW Houses";
    EXPECT_EQ(ui.messages.back(),
              "These folders could not be copied:\nSceneryobjects\\KW Houses\\: " +
                  (test::isWindows() ? std::string()
                                     : "the copy to \"" + houses.string() + "/\" was refused: ") +
                  "the target folder lies inside the source folder");
    EXPECT_EQ(tree(inside / "Sceneryobjects"),
              (Tree{{kTrees + "/", ""}, {kTrees + "/eiche.sco", "oak"}}));
}

}  // namespace
}  // namespace gantrel
