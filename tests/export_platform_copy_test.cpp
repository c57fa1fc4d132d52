// SPDX-License-Identifier: MIT
// The folder copy of the platform: on POSIX the program's own careful copy, on Windows the
// shell's file operation with the checks around it.

#include "platform/copy.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "platform/platform.h"
#include "support/test_support.h"
#ifdef _WIN32
#include <windows.h>

#include "platform/win32/xcopy.h"
#endif

namespace gantrel {
namespace {

namespace fs = std::filesystem;
using platform::CopyFailure;
using platform::CopyStep;
using platform::FolderCopy;

using test::Tree;
using test::tree;

std::vector<CopyFailure> copy(const fs::path& source, const fs::path& target,
                              const fs::path& boundary, bool skipEmpty = false)
{
    return platform::copyFolder({source.string(), target.string(), boundary.string(), skipEmpty},
                                {});
}

class ResolveFolder : public ::testing::Test {
protected:
    ResolveFolder()
    {
        fs::create_directories(m_dir.path() / "Sceneryobjects" / "KW Houses");
        fs::create_directories(m_dir.path() / "Sceneryobjects" / test::pathOf(crossings()));
        test::writeFile(m_dir.path() / "Sceneryobjects" / "trees", "a file, not a folder");
    }
    std::string root() const { return m_dir.str(); }
    // The temporary folder's own names as they are on disk, and a folder below it.
    std::string found(std::string_view below) const
    {
        return test::joinPath(platform::resolveFolder(root()).value_or("?"), below);
    }
    static std::string crossings() { return test::narrow(u"Übergänge"); }

    test::TempDir m_dir;
};

TEST_F(ResolveFolder, NamesAreFoundWithoutRegardToCase)
{
    const std::string houses = found(test::joinPath("Sceneryobjects", "KW Houses"));
    EXPECT_EQ(platform::resolveFolder(root() + "/sceneryobjects\\kw houses\\"), houses);
    EXPECT_EQ(platform::resolveFolder(root() + "/SCENERYOBJECTS/" + test::narrow(u"üBERGÄNGE")),
              found(test::joinPath("Sceneryobjects", crossings())));
    EXPECT_EQ(platform::resolveFolder(root() + "\\Sceneryobjects\\.\\KW Houses\\..\\KW HOUSES"),
              houses);
}

TEST_F(ResolveFolder, ExactSpellingWinsOverAnotherCase)
{
    GANTREL_SKIP_WITH(
        test::unlessPosix("a Windows folder cannot hold two names that differ only in case"));
    fs::create_directories(m_dir.path() / "Sceneryobjects" / "kw houses");
    EXPECT_EQ(platform::resolveFolder(root() + "/Sceneryobjects/kw houses"),
              root() + "/Sceneryobjects/kw houses");
    EXPECT_EQ(platform::resolveFolder(root() + "/Sceneryobjects/KW Houses"),
              root() + "/Sceneryobjects/KW Houses");
}

TEST_F(ResolveFolder, FilesMissingNamesAndPatternsAreNoFolders)
{
    EXPECT_EQ(platform::resolveFolder(root() + "/Sceneryobjects/Trees\\"), std::nullopt);
    EXPECT_EQ(platform::resolveFolder(root() + "/Sceneryobjects/Gone\\"), std::nullopt);
    EXPECT_EQ(platform::resolveFolder(root() + "/Missing/KW Houses"), std::nullopt);
    EXPECT_EQ(platform::resolveFolder(root() + "/Sceneryobjects/KW*"), std::nullopt);
    EXPECT_EQ(platform::resolveFolder(root() + "/Sceneryobjects/KW?Houses"), std::nullopt);
    EXPECT_EQ(platform::resolveFolder(""), std::nullopt);
    // A root keeps its separator.
    const std::string top = test::isWindows() ? "C:\\" : "/";
    EXPECT_EQ(platform::resolveFolder(top), top);
}

class CopyFolder : public ::testing::Test {
protected:
    CopyFolder()
    {
        test::writeFile(source() / "house.sco", "house");
        test::writeFile(source() / "model" / "house.o3d", std::string(300000, 'm'));
        test::writeFile(source() / "texture" / "Ärger.jpg", "jpg");
        fs::create_directories(source() / "empty" / "deeper");
    }
    fs::path source() const { return m_dir.path() / "game" / "Sceneryobjects" / "Houses"; }
    fs::path destination() const { return m_dir.path() / "package"; }
    fs::path target() const { return destination() / "Sceneryobjects" / "Houses"; }
    // Copies the source into the target below the destination, recording the progress.
    std::vector<CopyFailure> copyRecording(std::vector<platform::CopyProgress>& progress) const
    {
        return platform::copyFolder(
            {source().string(), target().string(), destination().string(), false},
            [&](const platform::CopyProgress& done) { progress.push_back(done); });
    }

    test::TempDir m_dir;
};

TEST_F(CopyFolder, CopiesTheWholeTreeAndReportsProgress)
{
    // Each file an hour older than the one before, in whole seconds: every copy keeps its date.
    const std::vector<fs::path> files = {"house.sco", fs::path("model") / "house.o3d",
                                         fs::path("texture") / "Ärger.jpg"};
    const auto now = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now());
    for (std::size_t i = 0; i < files.size(); ++i) {
        fs::last_write_time(source() / files[i], now - std::chrono::hours(24 * 400 + i));
    }
    std::vector<platform::CopyProgress> progress;
    const auto failures = copyRecording(progress);

    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(tree(target()), tree(source()));
    for (const fs::path& file : files) {
        EXPECT_EQ(fs::last_write_time(target() / file), fs::last_write_time(source() / file))
            << file;
    }
    // The shell shows its own progress while it copies; what it copied is told once after.
    ASSERT_EQ(progress.size(), test::isWindows() ? 1u : 3u);
    EXPECT_EQ(progress.back().files, 3u);
    EXPECT_EQ(progress.back().bytes, 300000u + 5u + 3u);
    EXPECT_EQ(progress.back().folder.find(target().string()), 0u);
}

TEST_F(CopyFolder, HiddenAndSystemFilesAreCopiedAndCountedToo)
{
    GANTREL_SKIP_WITH(test::unlessWindows("hidden and system files are Windows' own"));
#ifdef _WIN32
    // The shell copies them, unlike xcopy without /H, so its copy is checked for them as well.
    test::writeFile(source() / "texture" / "Thumbs.db", "thumbnails");
    test::hideFile(source() / "texture" / "Thumbs.db", true);
    std::vector<platform::CopyProgress> progress;
    const auto failures = copyRecording(progress);

    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(tree(target()), tree(source()));
    ASSERT_EQ(progress.size(), 1u);
    EXPECT_EQ(progress.back().files, 4u);
    EXPECT_EQ(progress.back().bytes, 300000u + 5u + 3u + 10u);
#endif
}

TEST_F(CopyFolder, SkipsEmptyFoldersWhenAsked)
{
    EXPECT_TRUE(copy(source(), target(), target(), true).empty());
    auto expected = tree(source());
    expected.erase("empty/");
    expected.erase("empty/deeper/");
    EXPECT_EQ(tree(target()), expected);

    // An empty folder that was there before stays.
    fs::create_directories(target() / "empty");
    EXPECT_TRUE(copy(source(), target(), target(), true).empty());
    expected["empty/"] = "";
    EXPECT_EQ(tree(target()), expected);

    // An empty source still gives its target folder.
    fs::create_directories(m_dir.path() / "hollow" / "inner");
    EXPECT_TRUE(
        copy(m_dir.path() / "hollow", destination() / "hollow", destination(), true).empty());
    EXPECT_EQ(tree(destination() / "hollow"), (std::map<std::string, std::string>{}));
}

TEST_F(CopyFolder, OverwritesWhatIsThereAndKeepsTheRest)
{
    test::writeFile(target() / "house.sco", "an older house that was much longer");
    test::writeFile(target() / "notes.txt", "mine");
    EXPECT_TRUE(copy(source(), target(), destination()).empty());
    EXPECT_EQ(test::readFile(target() / "house.sco"), "house");
    EXPECT_EQ(test::readFile(target() / "notes.txt"), "mine");
    EXPECT_EQ(test::readFile(target() / "model" / "house.o3d"), std::string(300000, 'm'));
}

TEST_F(CopyFolder, AFileWhereAFolderMustGoFailsThatFolderOnly)
{
    test::writeFile(target() / "model", "in the way");
    const auto failures = copy(source(), target(), destination());
    ASSERT_EQ(failures.size(), 1u);
    if (test::isWindows()) {
        // The shell says nothing of it: the file it left out is found missing afterwards.
        EXPECT_EQ(failures[0].step, CopyStep::WriteFile);
        EXPECT_EQ(failures[0].path, (target() / "model" / "house.o3d").string());
        EXPECT_EQ(failures[0].reason, "the shell's copy did not write it");
    } else {
        EXPECT_EQ(failures[0].step, CopyStep::MakeFolder);
        EXPECT_EQ(failures[0].path, (target() / "model").string());
        EXPECT_EQ(failures[0].reason, "Not a directory");
    }
    EXPECT_EQ(test::readFile(target() / "house.sco"), "house");
    EXPECT_EQ(test::readFile(target() / "texture" / "Ärger.jpg"), "jpg");
}

TEST_F(CopyFolder, ATargetOutsideTheBoundaryIsRefused)
{
    const auto failures = copy(source(), m_dir.path() / "elsewhere", destination());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].step, CopyStep::OutsideDestination);
    EXPECT_FALSE(fs::exists(m_dir.path() / "elsewhere"));
}

TEST_F(CopyFolder, ASourceThatCannotBeReadIsReportedAlone)
{
    const fs::path gone = m_dir.path() / "game" / "Sceneryobjects" / "Gone";
    const auto failures = copy(gone, target(), destination());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].step, CopyStep::ListFolder);
    EXPECT_EQ(failures[0].path, gone.string());
    EXPECT_FALSE(failures[0].reason.empty());
}

TEST_F(CopyFolder, ADestinationInsideTheSourceIsRefused)
{
    const auto before = tree(source());
    const fs::path inside = source() / "package";
    const auto failures = copy(source(), inside / "Houses", inside);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].step, CopyStep::Refused);
    EXPECT_EQ(failures[0].reason, "the target folder lies inside the source folder");
    EXPECT_EQ(tree(source()), before);
}

TEST_F(CopyFolder, ATargetThatIsOrHoldsTheSourceIsRefused)
{
    const Tree before = tree(m_dir.path());
    const std::string same = "the target folder is the source folder";
    for (const auto& [target, reason] :
         {std::pair{source().string(), same},
          {source().string() + "/", same},
          {source().parent_path().string(),
           std::string("the target folder holds the source folder")}}) {
        const auto failures = copy(source(), target, m_dir.path());
        ASSERT_EQ(failures.size(), 1u) << target;
        EXPECT_EQ(failures[0].step, CopyStep::Refused);
        EXPECT_EQ(failures[0].reason, reason);
    }
    EXPECT_EQ(tree(m_dir.path()), before);
}

TEST_F(CopyFolder, NamesInTheTargetAreFoundWithoutRegardToCase)
{
    // The target tree exists in other cases: it is written into, a new name takes the
    // source's spelling, and nothing is made twice.
    const fs::path existing = destination() / "SCENERYOBJECTS" / "houses";
    test::writeFile(existing / "HOUSE.SCO", "an older house");
    test::writeFile(existing / "MODEL" / "notes.txt", "mine");
    EXPECT_TRUE(copy(source(), target(), destination()).empty());

    Tree expected = tree(source());
    expected.erase("house.sco");
    expected.erase("model/");
    expected.erase("model/house.o3d");
    expected["HOUSE.SCO"] = "house";
    expected["MODEL/"] = "";
    expected["MODEL/house.o3d"] = std::string(300000, 'm');
    expected["MODEL/notes.txt"] = "mine";
    EXPECT_EQ(tree(existing), expected);
    EXPECT_EQ(tree(destination()).size(), expected.size() + 2);  // and the two folders above
}

TEST_F(CopyFolder, TheKelvinSignAndKStayTwoFiles)
{
    if (test::isWindows()) {
        GTEST_SKIP() << "the 8-bit code page holds no Kelvin sign";
    }
    const std::string kelvin = test::narrow(u"\u212a.sco");
    test::writeFile(source() / kelvin, "kelvin");
    test::writeFile(source() / "k.sco", "k");
    ASSERT_TRUE(copy(source(), target(), destination()).empty());
    EXPECT_EQ(test::readFile(target() / kelvin), "kelvin");
    EXPECT_EQ(test::readFile(target() / "k.sco"), "k");
}

TEST_F(CopyFolder, AHardLinkInTheTargetKeepsItsOtherNamesContent)
{
    // The package's file was linked to a file of the installation: the copy replaces it and
    // leaves the installation's file as it was.
    const fs::path installed = m_dir.path() / "game" / "Sceneryobjects" / "Other" / "other.sco";
    test::writeFile(installed, "another object");
    fs::create_directories(target());
    fs::create_hard_link(installed, target() / "house.sco");
    // A hard link of the source file itself is the file already in place.
    fs::create_directories(target() / "texture");
    fs::create_hard_link(source() / "texture" / "Ärger.jpg", target() / "texture" / "Ärger.jpg");

    EXPECT_TRUE(copy(source(), target(), destination()).empty());
    EXPECT_EQ(test::readFile(installed), "another object");
    EXPECT_EQ(test::readFile(target() / "house.sco"), "house");
    EXPECT_EQ(tree(target()), tree(source()));
}

#ifndef _WIN32  // a mount of POSIX
// A small file system mounted over a folder for the time of a test, where the system lets the
// test mount one.
class SmallFileSystem {
public:
    explicit SmallFileSystem(const fs::path& folder) : m_folder(folder)
    {
        fs::create_directories(folder);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=128k") != 0) {
            m_error = std::strerror(errno);
        }
    }
    ~SmallFileSystem()
    {
        if (m_error.empty()) {
            ::umount(m_folder.c_str());
        }
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    const std::string& error() const { return m_error; }

private:
    fs::path m_folder;
    std::string m_error;
};
#endif

TEST_F(CopyFolder, AFileThatDoesNotFitLeavesNothingBehind)
{
    GANTREL_SKIP_WITH(test::unlessPosix("mounting a small file system"));
#ifndef _WIN32
    const SmallFileSystem full(destination());
    if (!full.error().empty()) {
        GTEST_SKIP() << "a small file system cannot be mounted here: " << full.error();
    }
    test::writeFile(target() / "model" / "house.o3d", "the older model");
    const auto failures = copy(source(), target(), destination());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].step, CopyStep::WriteFile);
    EXPECT_EQ(failures[0].path, (target() / "model" / "house.o3d").string());
    EXPECT_EQ(failures[0].reason, "No space left on device");
    // What was copied whole stays, the older file is untouched, and no half file is left.
    Tree expected = tree(source());
    expected["model/house.o3d"] = "the older model";
    EXPECT_EQ(tree(target()), expected);
#endif
}

TEST_F(CopyFolder, SourceEntriesThatAreNoFilesAreReported)
{
    GANTREL_SKIP_WITH(test::unlessPosix("named pipes"));
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((source() / "pipe").c_str(), 0600), 0);
    fs::create_symlink(m_dir.path() / "nowhere", source() / "dangling.sco");
    const auto failures = copy(source(), target(), destination());
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].step, CopyStep::ReadFile);
    EXPECT_EQ(failures[0].path, (source() / "dangling.sco").string());
    EXPECT_EQ(failures[1].path, (source() / "pipe").string());
    EXPECT_EQ(test::readFile(target() / "house.sco"), "house");
#endif
}

TEST_F(CopyFolder, LinksInTheDestinationAreNeverFollowed)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "making symbolic links on Windows takes a privilege that tests do not have"));
    const fs::path outside = m_dir.path() / "outside";
    test::writeFile(outside / "victim.jpg", "precious");
    // A subfolder that sorts before a file of the folder behind the link.
    test::writeFile(source() / "model" / "Tex" / "wood.jpg", "wood");
    fs::create_directories(destination() / "shared");
    for (const bool skipEmpty : {false, true}) {
        SCOPED_TRACE(skipEmpty ? "empty folders skipped" : "every folder made");
        fs::remove_all(destination());
        fs::create_directories(target());
        fs::create_directories(destination() / "shared");
        fs::create_directory_symlink(outside, target() / "model");
        fs::create_symlink(outside / "victim.jpg", target() / "house.sco");
        // A link to the destination's own folders is not followed either.
        fs::create_directory_symlink(destination() / "shared", target() / "texture");

        const auto failures = copy(source(), target(), destination(), skipEmpty);
        ASSERT_EQ(failures.size(), 3u);
        for (const auto& [failure, name] : {std::pair{failures[0], "house.sco"},
                                            {failures[1], "model"},
                                            {failures[2], "texture"}}) {
            EXPECT_EQ(failure.step, CopyStep::OutsideDestination);
            EXPECT_EQ(failure.path, (target() / name).string());
        }
        EXPECT_EQ(tree(outside), (Tree{{"victim.jpg", "precious"}}));
        EXPECT_EQ(tree(destination() / "shared"), Tree{});
    }
}

TEST_F(CopyFolder, ALinkLoopInTheSourceEndsTheWalk)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "making symbolic links on Windows takes a privilege that tests do not have"));
    fs::create_directory_symlink(source(), source() / "model" / "back");
    // A link to the folder the copy is filling: followed, the copy would copy itself for ever.
    fs::create_directory_symlink(target() / "model", source() / "model" / "up");
    EXPECT_TRUE(copy(source(), target(), destination()).empty());
    EXPECT_EQ(test::readFile(target() / "model" / "house.o3d"), std::string(300000, 'm'));
    EXPECT_FALSE(fs::exists(target() / "model" / "back"));
    EXPECT_FALSE(fs::exists(target() / "model" / "up"));
}

TEST_F(CopyFolder, TheWindowsOfTheCopyingThreadAnswerWhileTheShellCopies)
{
    GANTREL_SKIP_WITH(test::unlessWindows("the shell's copy is Windows' own"));
#ifdef _WIN32
    // Long enough a copy that messages sent meanwhile are seen to be answered meanwhile.
    test::writeFile(source() / "model" / "terrain.o3d", std::string(64 << 20, 't'));
    const HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    std::atomic<bool> copying = true;
    std::atomic<bool> answeredMeanwhile = false;
    std::thread sender([&] {
        while (copying) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result) != 0 &&
                copying) {
                answeredMeanwhile = true;
            }
        }
    });
    const auto failures = copy(source(), target(), destination());
    copying = false;
    // A sender still waiting is answered now.
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        DispatchMessageA(&message);
    }
    sender.join();
    DestroyWindow(window);
    EXPECT_TRUE(failures.empty());
    EXPECT_TRUE(answeredMeanwhile);
    EXPECT_EQ(fs::file_size(target() / "model" / "terrain.o3d"), std::size_t{64} << 20);
#endif
}

TEST_F(CopyFolder, EachFolderIsCopiedOnceHoweverManyLinksLeadToIt)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "making symbolic links on Windows takes a privilege that tests do not have"));
    // Twenty folders, each with two links to the next: 2^20 paths to the last one.
    constexpr int kLevels = 20;
    const fs::path fan = m_dir.path() / "fan";
    for (int level = 0; level < kLevels; ++level) {
        fs::create_directories(fan / std::to_string(level));
    }
    test::writeFile(fan / std::to_string(kLevels) / "end.sco", "end");
    for (int level = 0; level < kLevels; ++level) {
        for (const char* name : {"a", "b"}) {
            fs::create_directory_symlink(fan / std::to_string(level + 1),
                                         fan / std::to_string(level) / name);
        }
    }
    const auto failures = copy(fan / "0", target(), destination());

    Tree once;
    std::string deepest;
    for (int level = 0; level < kLevels; ++level) {
        deepest += "a/";
        once[deepest] = "";
    }
    once[deepest + "end.sco"] = "end";
    EXPECT_EQ(tree(target()), once);
    ASSERT_EQ(failures.size(), static_cast<std::size_t>(kLevels));
    // Deepest first: the copy is done depth first, through "a" before "b".
    for (int level = kLevels - 1; level >= 0; --level) {
        const auto& failure = failures[kLevels - 1 - level];
        const std::string above = (fan / "0").string() + "/" + deepest.substr(0, 2 * level);
        EXPECT_EQ(failure.step, CopyStep::CopiedAlready);
        EXPECT_EQ(failure.path, above + "b");
        EXPECT_EQ(failure.reason, above + "a");
    }
}

TEST_F(CopyFolder, LeftoversOfCopiersThatNoLongerRunAreRemovedAndNothingElse)
{
    GANTREL_SKIP_WITH(test::unlessPosix("the copier's own temporary files are its POSIX copy's"));
#ifndef _WIN32
    const pid_t gone = ::fork();
    if (gone == 0) {
        ::_exit(0);
    }
    ASSERT_GT(gone, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(gone, &status, 0), gone);
    const std::string dead = ".gantrel-copy-" + std::to_string(gone) + "-";
    const std::string alive = ".gantrel-copy-" + std::to_string(::getpid()) + "-1";
    test::writeFile(target() / (dead + "7"), "half a file");
    test::writeFile(target() / "model" / (dead + "8"), "half a model");
    const Tree kept = {{alive, "another copier's"},
                       {dead + "07", "not a name the copier gives"},
                       {dead + "x", "not a name the copier gives"},
                       {"notes" + dead + "1", "the user's"},
                       {dead + "9/", ""}};
    for (const auto& [name, content] : kept) {
        if (name.ends_with('/')) {
            fs::create_directories(target() / name);
        } else {
            test::writeFile(target() / name, content);
        }
    }
    ASSERT_TRUE(copy(source(), target(), destination()).empty());
    Tree expected = tree(source());
    expected.insert(kept.begin(), kept.end());
    EXPECT_EQ(tree(target()), expected);
#endif
}

// The look at the target after xcopy, made up: what it finds missing, and how often it looked.
class XcopyEnd : public ::testing::Test {
protected:
    std::function<std::string()> check(std::string missing)
    {
        return [this, missing] {
            ++looks;
            return missing;
        };
    }
    int looks = 0;
};

TEST_F(XcopyEnd, SuccessIsWhatTheLookAtTheTargetFinds)
{
    GANTREL_SKIP_WITH(test::unlessWindows("xcopy is Windows' own"));
#ifdef _WIN32
    EXPECT_EQ(platform::win32::xcopyFailure(0, check("")), "");
    EXPECT_EQ(platform::win32::xcopyFailure(0, check("the copier did not copy \"a.sco\"")),
              "the copier did not copy \"a.sco\"");
    EXPECT_EQ(looks, 2);
#endif
}

TEST_F(XcopyEnd, NoFilesFoundIsSuccessWhenNothingIsMissing)
{
    GANTREL_SKIP_WITH(test::unlessWindows("xcopy is Windows' own"));
#ifdef _WIN32
    EXPECT_EQ(platform::win32::xcopyFailure(1, check("")), "");
    EXPECT_EQ(platform::win32::xcopyFailure(1, check("the copier did not copy \"a.sco\"")),
              "the copier ended with exit code 1: no files were found to copy\n"
              "the copier did not copy \"a.sco\"");
    EXPECT_EQ(looks, 2);
#endif
}

TEST_F(XcopyEnd, OtherCodesAreFailuresInWordsWithTheCode)
{
    GANTREL_SKIP_WITH(test::unlessWindows("xcopy is Windows' own"));
#ifdef _WIN32
    const std::string ended = "the copier ended with exit code ";
    EXPECT_EQ(platform::win32::xcopyFailure(2, check("")),
              ended + "2: the copy was stopped with Ctrl+C");
    EXPECT_EQ(platform::win32::xcopyFailure(4, check("")),
              ended +
                  "4: initialisation error (not enough memory or disk space, or an invalid drive "
                  "name or syntax)");
    EXPECT_EQ(platform::win32::xcopyFailure(5, check("")), ended + "5: a disk write error");
    EXPECT_EQ(platform::win32::xcopyFailure(3, check("")), ended + "3");
    EXPECT_EQ(platform::win32::xcopyFailure(259, check("")), ended + "259");
    EXPECT_EQ(looks, 0);  // a failed copy is not looked at
#endif
}

}  // namespace
}  // namespace gantrel
