// SPDX-License-Identifier: MIT
#include "export/export_entry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;

TEST(ExportEntry, FoldersBelowTheInstallationAreSafe)
{
    for (const char* entry : {"Sceneryobjects\\", "Sceneryobjects\\KW Houses\\", "Splines\\a..b\\",
                              "Sceneryobjects\\.\\Trees\\", "Sceneryobjects/Mixed\\Separators/",
                              "Sceneryobjects\\Ärzte\\"}) {
        EXPECT_TRUE(isSafeEntry(entry)) << entry;
    }
}

TEST(ExportEntry, EntriesThatLeadElsewhereAreRefused)
{
    for (const char* entry :
         {"", "\\Sceneryobjects\\", "/etc/", "\\\\server\\share\\", "C:\\Windows\\", "C:Windows\\",
          "Sceneryobjects\\..\\..\\", "..\\x\\", "../x/", "Sceneryobjects/../../x\\", "..",
          "Sceneryobjects\\..", "Sceneryobjects\\x:stream\\"}) {
        EXPECT_FALSE(isSafeEntry(entry)) << entry;
    }
}

TEST(ExportEntry, TopFolderIsMatchedExactlyAndPerList)
{
    EXPECT_TRUE(isTopFolder(ExportList::ObjectFolders, "Sceneryobjects\\"));
    EXPECT_TRUE(isTopFolder(ExportList::SplineFolders, "Splines\\"));
    EXPECT_FALSE(isTopFolder(ExportList::ObjectFolders, "sceneryobjects\\"));
    EXPECT_FALSE(isTopFolder(ExportList::ObjectFolders, "Sceneryobjects"));
    EXPECT_FALSE(isTopFolder(ExportList::ObjectFolders, "Sceneryobjects/"));
    EXPECT_FALSE(isTopFolder(ExportList::ObjectFolders, "Sceneryobjects\\Trees\\"));
    EXPECT_FALSE(isTopFolder(ExportList::ObjectFolders, "Splines\\"));
    EXPECT_FALSE(isTopFolder(ExportList::SplineFolders, "Sceneryobjects\\"));
    EXPECT_FALSE(isTopFolder(ExportList::SplineFolders, "SPLINES\\"));
}

TEST(ExportEntry, XcopyParametersAreExact)
{
    EXPECT_EQ(xcopyParameters("C:\\Games\\TELV 2\\", "E:\\Package", "Sceneryobjects\\KW Houses\\"),
              "\"C:\\Games\\TELV 2\\Sceneryobjects\\KW Houses\" "
              "\"E:\\Package\\Sceneryobjects\\KW Houses\\\" /S /Y /J /I");
    // A drive root keeps its backslash, so the target holds two in a row.
    EXPECT_EQ(xcopyParameters("C:\\Games\\TELV 2\\", "E:\\", "Splines\\Roads\\"),
              "\"C:\\Games\\TELV 2\\Splines\\Roads\" \"E:\\\\Splines\\Roads\\\" /S /Y /J /I");
    // An empty GameRoot leaves the source relative to the current folder.
    EXPECT_EQ(xcopyParameters("", "D:\\Out", "Sceneryobjects\\"),
              "\"Sceneryobjects\" \"D:\\Out\\Sceneryobjects\\\" /S /Y /J /I");
}

TEST(ExportEntry, CopierSourceDropsTheTrailingBackslash)
{
    EXPECT_EQ(copierSourceOf("/games/TELV 2/", "Sceneryobjects\\Trees\\"),
              "/games/TELV 2/Sceneryobjects\\Trees");
    EXPECT_EQ(copierSourceOf("/games/", ""), "/games/");
}

TEST(ExportEntry, TargetKeepsTheEntrysSpellingWithNativeSeparators)
{
    const std::string s(1, platform::separator());
    EXPECT_EQ(targetOf("/out", "sceneryobjects\\KW Houses\\"),
              "/out" + s + "sceneryobjects" + s + "KW Houses" + s);
    EXPECT_EQ(targetOf("/", "Splines\\"), "/" + s + "Splines" + s);
}

TEST(ExportEntry, StaysInsideFollowsLinksOfTheDestination)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "making symbolic links on Windows takes a privilege that tests do not have"));
    const test::TempDir dir;
    const fs::path destination = dir.path() / "package";
    fs::create_directories(destination / "Sceneryobjects");
    fs::create_directories(dir.path() / "elsewhere");
    fs::create_directory_symlink(dir.path() / "elsewhere", destination / "Splines");
    const std::string d = destination.string();

    EXPECT_TRUE(staysInside(d, d + "/Sceneryobjects/Trees/"));
    EXPECT_TRUE(staysInside(d, d + "/NotYetThere/Deeper/"));
    EXPECT_FALSE(staysInside(d, d + "/Splines/Roads/"));
    EXPECT_FALSE(staysInside(d, d + "/../elsewhere/"));
    EXPECT_FALSE(staysInside(d, dir.str() + "/packaged/"));  // a name that merely starts alike
}

TEST(ExportEntry, SameFolderComparesIdentity)
{
    const test::TempDir dir;
    fs::create_directories(dir.path() / "a");
    fs::create_directories(dir.path() / "b");

    EXPECT_TRUE(sameFolder(dir.str() + "/a", dir.str() + "/b/../a/"));
    if (!test::isWindows()) {  // making symbolic links on Windows takes a privilege
        fs::create_directory_symlink(dir.path() / "a", dir.path() / "link");
        EXPECT_TRUE(sameFolder(dir.str() + "/a", dir.str() + "/link/"));
    }
    EXPECT_FALSE(sameFolder(dir.str() + "/a", dir.str() + "/b"));
    EXPECT_FALSE(sameFolder(dir.str() + "/a", dir.str() + "/missing"));
}

}  // namespace
}  // namespace gantrel
