// SPDX-License-Identifier: MIT
#include "export/copier.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "gantrel/version.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;

using test::Ended;
using test::Tree;
using test::tree;

// Runs the built gantrel-copy with the arguments and waits for it.
Ended runCopierProgram(const fs::path& scratch, const std::vector<std::string>& arguments)
{
    const char* program = std::getenv("GANTREL_COPY");
    if (program == nullptr) {
        ADD_FAILURE() << "GANTREL_COPY names no copier";
        return {};
    }
    return test::runProgram(program, arguments, scratch);
}

class Copier : public ::testing::Test {
protected:
    Copier()
    {
        test::writeFile(source() / "house.sco", "house");
        test::writeFile(source() / "Model" / "house.o3d", std::string(300, 'm'));
        test::writeFile(source() / "Texture" / "night" / "Ärger.jpg", "jpg");
        fs::create_directories(source() / "empty" / "deeper");
        fs::create_directories(scratch());
    }
    fs::path source() const { return m_dir.path() / "TELV 2" / "Sceneryobjects" / "KW Houses"; }
    fs::path target() const { return m_dir.path() / "package" / "Sceneryobjects" / "KW Houses"; }
    fs::path scratch() const { return m_dir.path() / "scratch"; }
    // The source tree as the copier leaves it: without the empty folders.
    Tree expected() const
    {
        Tree files = tree(source());
        files.erase("empty/");
        files.erase("empty/deeper/");
        return files;
    }
    Ended run(const std::vector<std::string>& arguments) const
    {
        return runCopierProgram(scratch(), arguments);
    }

    test::TempDir m_dir;
};

TEST_F(Copier, CopiesSubfoldersExceptEmptyOnesAndMakesTheTarget)
{
    const Tree before = tree(source());
    const std::string spelled =
        test::textOf(m_dir.path() / "telv 2") + "\\SCENERYOBJECTS\\kw houses";
    const Ended ended = run({"--", spelled, target().string()});
    EXPECT_EQ(ended.status, kCopyDone);
    EXPECT_EQ(ended.err, "");
    EXPECT_EQ(ended.out, "");
    EXPECT_EQ(tree(target()), expected());
    EXPECT_EQ(tree(source()), before);
}

TEST_F(Copier, OverwritesWithoutAsking)
{
    test::writeFile(target() / "house.sco", "an older and longer house");
    test::writeFile(target() / "mine.txt", "kept");
    EXPECT_EQ(run({source().string(), target().string()}).status, kCopyDone);
    Tree files = expected();
    files["mine.txt"] = "kept";
    EXPECT_EQ(tree(target()), files);
}

TEST_F(Copier, AMissingSourceIsSaidAndFails)
{
    const std::string gone = (m_dir.path() / "TELV 2").string() + "\\Sceneryobjects\\Gone";
    const Ended ended = run({"--", gone, target().string()});
    EXPECT_EQ(ended.status, kCopyFailed);
    EXPECT_EQ(ended.err, "gantrel-copy: no such folder \"" + gone + "\"\n");
    EXPECT_FALSE(fs::exists(target()));
}

TEST_F(Copier, WhatCannotBeWrittenIsSaidAndTheRestIsCopied)
{
    test::writeFile(target() / "Model", "a file where a folder must go");
    const Ended ended = run({source().string(), target().string()});
    EXPECT_EQ(ended.status, kCopyFailed);
    // The shell copies on Windows and says nothing itself: the file it left out is found
    // missing afterwards.
    EXPECT_EQ(ended.err, test::isWindows()
                             ? "gantrel-copy: cannot write \"" +
                                   (target() / "Model" / "house.o3d").string() +
                                   "\": the shell's copy did not write it\n"
                             : "gantrel-copy: cannot make the folder \"" +
                                   (target() / "Model").string() + "\": Not a directory\n");
    EXPECT_EQ(test::readFile(target() / "house.sco"), "house");
    EXPECT_EQ(test::readFile(target() / "Texture" / "night" / "Ärger.jpg"), "jpg");
}

TEST_F(Copier, NothingIsWrittenOutsideTheFolderItIsKeptWithin)
{
    const Ended beside =
        run({"--within", target().string(), source().string(), (m_dir.path() / "beside").string()});
    EXPECT_EQ(beside.status, kCopyFailed);
    EXPECT_EQ(beside.err, "gantrel-copy: \"" + (m_dir.path() / "beside").string() +
                              "\" leads out of the destination folder\n");
    EXPECT_FALSE(fs::exists(m_dir.path() / "beside"));

    // A folder whose name only starts like the destination's lies beside it, not inside.
    const fs::path package = m_dir.path() / "package";
    const fs::path older = m_dir.path() / "package-old" / "Sceneryobjects";
    fs::create_directories(package);
    const Ended alike = run({"--within", package.string(), source().string(), older.string()});
    EXPECT_EQ(alike.status, kCopyFailed);
    EXPECT_EQ(alike.err,
              "gantrel-copy: \"" + older.string() + "\" leads out of the destination folder\n");
    EXPECT_FALSE(fs::exists(m_dir.path() / "package-old"));
}

TEST_F(Copier, NothingIsWrittenThroughALinkThatLeadsOut)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "making symbolic links on Windows takes a privilege that tests do not have"));
    // Beside the package, under a name that starts like the package's own.
    const fs::path outside = m_dir.path() / "package-old";
    fs::create_directories(outside);
    fs::create_directories(m_dir.path() / "package");
    fs::create_directory_symlink(outside, m_dir.path() / "package" / "Sceneryobjects");
    const Ended ended = run(
        {"--within", (m_dir.path() / "package").string(), source().string(), target().string()});
    EXPECT_EQ(ended.status, kCopyFailed);
    EXPECT_EQ(ended.err, "gantrel-copy: \"" +
                             (m_dir.path() / "package" / "Sceneryobjects").string() +
                             "\" leads out of the destination folder\n");
    EXPECT_EQ(tree(outside), Tree{});
}

TEST_F(Copier, WhatIsCheckedIsWhereTheKernelLeadsAfterALinkAndTwoDots)
{
    if (test::isWindows()) {
        GTEST_SKIP() << "making symbolic links on Windows takes a privilege that tests do not have";
    }
    // "lnk/.." is the folder above where the link leads, not the folder that holds the link.
    const fs::path outside = m_dir.path() / "outside";
    fs::create_directories(outside / "deep");
    fs::create_directories(m_dir.path() / "pkg");
    fs::create_directory_symlink(outside / "deep", m_dir.path() / "lnk");
    const std::string dotted = (m_dir.path() / "lnk" / ".." / "pkg").string();

    const fs::path plain = m_dir.path() / "pkg" / "KW Houses";
    const Ended refused = run({"--within", dotted, source().string(), plain.string()});
    EXPECT_EQ(refused.status, kCopyFailed);
    EXPECT_EQ(refused.err,
              "gantrel-copy: \"" + plain.string() + "\" leads out of the destination folder\n");
    EXPECT_EQ(tree(m_dir.path() / "pkg"), Tree{});
    EXPECT_EQ(tree(outside / "pkg"), Tree{});

    // Named the same way as the folder to stay within, the target is where the kernel puts it.
    const Ended copied = run({"--within", dotted, source().string(), dotted + "/KW Houses"});
    EXPECT_EQ(copied.status, kCopyDone) << copied.err;
    EXPECT_EQ(tree(outside / "pkg" / "KW Houses"), expected());
    EXPECT_EQ(tree(m_dir.path() / "pkg"), Tree{});
}

TEST_F(Copier, AFolderNamedRelativelyAndAbsolutelyIsOneFolder)
{
    const fs::path package = m_dir.path() / "pkg";
    fs::create_directories(package);
    const fs::path current = fs::current_path();
    fs::current_path(m_dir.path());
    std::ostringstream out;
    std::ostringstream err;
    const int relativeWithin =
        runCopier({"--within", "pkg", source().string(), (package / "A").string()}, out, err);
    const int relativeTarget =
        runCopier({"--within", package.string(), source().string(), "pkg/B"}, out, err);
    fs::current_path(current);
    EXPECT_EQ(relativeWithin, kCopyDone);
    EXPECT_EQ(relativeTarget, kCopyDone);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(tree(package / "A"), expected());
    EXPECT_EQ(tree(package / "B"), expected());
}

TEST_F(Copier, ATargetThatIsHoldsOrLiesInsideTheSourceIsRefused)
{
    // Copied into its own subfolder, the source's house.sco would be written over.
    test::writeFile(source() / "Model" / "house.sco", "the model's own house");
    const fs::path package = source() / "package";
    const Tree before = tree(source());
    const std::string refused = "\" was refused: the target folder ";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{source().string(), (source() / "Model").string()}, "lies inside the source folder"},
        {{"--within", package.string(), source().string(), (package / "KW Houses").string()},
         "lies inside the source folder"},
        {{source().string(), source().string()}, "is the source folder"},
        {{source().string(), source().parent_path().string()}, "holds the source folder"}};
    for (const auto& [arguments, reason] : cases) {
        const Ended ended = run(arguments);
        EXPECT_EQ(ended.status, kCopyFailed);
        EXPECT_EQ(ended.err,
                  "gantrel-copy: the copy to \"" + arguments.back() + refused + reason + "\n");
        EXPECT_EQ(tree(source()), before);  // not even an empty folder is made in it
    }
}

TEST_F(Copier, TheSourceAsTheFolderToStayWithinIsNeverCopiedIntoItself)
{
    // As a map builder would type it in the installation: the source relative, the rest not.
    const fs::path game = m_dir.path() / "TELV 2";
    const fs::path inside = source() / "x";
    const Tree before = tree(source());
    const fs::path current = fs::current_path();
    fs::current_path(game);
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCopier(
        {"--within", source().string(), "Sceneryobjects/KW Houses", inside.string()}, out, err);
    fs::current_path(current);
    EXPECT_EQ(status, kCopyFailed);
    EXPECT_EQ(err.str(), "gantrel-copy: the copy to \"" + inside.string() +
                             "\" was refused: the target folder lies inside the source folder\n");
    EXPECT_EQ(tree(source()), before);
}

TEST_F(Copier, HelpAndVersion)
{
    const Ended help = run({"--help"});
    EXPECT_EQ(help.status, kCopyDone);
    EXPECT_TRUE(help.out.starts_with("Usage: gantrel-copy [--within FOLDER] [--] SOURCE TARGET\n"));
    const Ended version = run({"--version"});
    EXPECT_EQ(version.status, kCopyDone);
    EXPECT_EQ(version.out, std::string("gantrel-copy ") + kVersion + "\n");
}
TEST(CopierUsage, WrongUsageIsSaidWithTheUsage)
{
    const std::vector<std::vector<std::string>> wrong = {{},
                                                         {"one"},
                                                         {"one", "two", "three"},
                                                         {"--bogus", "a", "b"},
                                                         {"a", "b", "--within"},
                                                         {"", "b"},
                                                         {"--within", "", "a", "b"}};
    for (const auto& arguments : wrong) {
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runCopier(arguments, out, err), kCopyUsage);
        EXPECT_EQ(out.str(), "");
        EXPECT_TRUE(err.str().starts_with("gantrel-copy: ")) << err.str();
        EXPECT_NE(err.str().find("Usage: gantrel-copy"), std::string::npos);
    }
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runCopier({"--bogus"}, out, err), kCopyUsage);
    EXPECT_TRUE(err.str().starts_with("gantrel-copy: unknown option --bogus\n"));
}

TEST(CopierUsage, OperandsAfterTheMarkerMayLookLikeOptions)
{
    const test::TempDir dir;
    test::writeFile(dir.path() / "-source" / "a.sco", "a");
    const fs::path current = fs::current_path();
    fs::current_path(dir.path());
    std::ostringstream out;
    std::ostringstream err;
    const int status = runCopier({"--", "-source", "--help"}, out, err);
    fs::current_path(current);
    EXPECT_EQ(status, kCopyDone) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(test::readFile(dir.path() / "--help" / "a.sco"), "a");
}

}  // namespace
}  // namespace gantrel
