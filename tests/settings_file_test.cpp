// SPDX-License-Identifier: MIT
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "common/error.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

/// Sets or clears an environment variable for one test and puts the old value back.
TEST(SettingsFile, StoredMapsFolderReadsBack)
{
    const TempDir dir;
    const std::string path = (dir.path() / "gantrel.ini").string();
    const SettingsFile settings(path);
    EXPECT_EQ(settings.path(), path);
    EXPECT_EQ(settings.mapsFolder(), "");

    SettingsFile writer(path);
    writer.storeMapsFolder("/games/TELV 2/maps/");
    EXPECT_EQ(settings.mapsFolder(), "/games/TELV 2/maps/");
    const std::string lineBreak(test::newProfileLineBreak());
    EXPECT_EQ(readFile(path), "[mapfolder]" + lineBreak + "path=/games/TELV 2/maps/" + lineBreak);
    writer.storeMapsFolder("/other/maps/");
    EXPECT_EQ(settings.mapsFolder(), "/other/maps/");
}

TEST(SettingsFile, StoringLeavesOtherSettingsAlone)
{
    const TempDir dir;
    const fs::path path = dir.path() / "gantrel.ini";
    writeFile(path, "; mine\r\n[window]\r\nx=1\r\n\r\n[MAPFOLDER]\r\nPath = C:\\Old\\maps\\\r\n");
    SettingsFile(path.string()).storeMapsFolder("/new/maps/");
    if (!test::isWindows()) {  // the native writer lays the file out in its own way
        EXPECT_EQ(readFile(path),
                  "; mine\r\n[window]\r\nx=1\r\n\r\n[MAPFOLDER]\r\npath=/new/maps/\r\n");
    }
    EXPECT_EQ(SettingsFile(path.string()).mapsFolder(), "/new/maps/");
    EXPECT_EQ(platform::readProfileString(path.string(), "window", "x", 10), "1");
}

TEST(SettingsFile, StoringMakesTheMissingSettingsFolder)
{
    const TempDir dir;
    const fs::path path = dir.path() / "config" / "gantrel" / "gantrel.ini";
    SettingsFile settings(path.string());
    settings.storeMapsFolder("/maps/");
    EXPECT_EQ(settings.mapsFolder(), "/maps/");
}

TEST(SettingsFile, FailedStoreRaisesTheUserVisibleText)
{
    const TempDir dir;
    // A regular file where the settings folder should be: neither the folder nor the settings
    // file can be made, whoever runs the test.
    const fs::path blocker = dir.path() / "file.txt";
    writeFile(blocker, "not a folder");
    const std::string path = (blocker / "gantrel.ini").string();
    SettingsFile settings(path);
    try {
        settings.storeMapsFolder("/maps/");
        FAIL() << "no error raised";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), ("Unable to write to " + path).c_str());
    }
    EXPECT_EQ(readFile(blocker), "not a folder");
    EXPECT_EQ(settings.mapsFolder(), "");
}

TEST(SettingsFile, AReadOnlyFileIsNotReplaced)
{
    const TempDir dir;
    const fs::path path = dir.path() / "gantrel.ini";
    writeFile(path, "[mapfolder]\npath=/old/\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    try {
        SettingsFile(path.string()).storeMapsFolder("/new/");
        ADD_FAILURE() << "no error raised";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), ("Unable to write to " + path.string()).c_str());
    }
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(readFile(path), "[mapfolder]\npath=/old/\n");
}

TEST(SettingsFile, AFolderWithALineBreakIsNotStored)
{
    const TempDir dir;
    const fs::path path = dir.path() / "gantrel.ini";
    for (const char* folder : {"/maps\n[evil]\n", "/maps\r/"}) {
        try {
            SettingsFile(path.string()).storeMapsFolder(folder);
            ADD_FAILURE() << "no error raised";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), ("Unable to write to " + path.string()).c_str());
        }
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST(SettingsLocation, FileBesideTheWritableProgramFolder)
{
    const std::string folder = platform::executableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), platform::separator());
    EXPECT_TRUE(fs::exists(folder + test::programFileName("settings_file_test")));
    // The test runs from its build folder, which its builder owns and can write; for the
    // superuser only folders below its home count as its own.
    const test::ScopedEnvironment home("HOME", folder.c_str());
    ASSERT_TRUE(platform::folderWritable(folder));
    EXPECT_EQ(settingsFilePath(), folder + "gantrel.ini");
}

TEST(SettingsLocation, AnInstalledProgramKeepsNoSettingsBesideIt)
{
    GANTREL_SKIP_WITH(test::unlessPosix("who owns a folder"));
    // /tmp can be written by everyone and belongs to the system: as /usr/bin, it is no user's
    // own folder, whoever runs the program, the superuser included.
    const TempDir dir;
    const test::ScopedEnvironment home("HOME", dir.str().c_str());
    const test::ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
    ASSERT_TRUE(platform::folderWritable("/tmp/"));
    EXPECT_EQ(settingsFilePath("/tmp/"), dir.str() + "/.config/gantrel/gantrel.ini");
    EXPECT_EQ(settingsFilePath("/usr/bin/"), dir.str() + "/.config/gantrel/gantrel.ini");
    // A folder of the user's own keeps them beside the program.
    fs::create_directory(dir.path() / "portable");
    const std::string portable = (dir.path() / "portable").string() + "/";
    EXPECT_EQ(settingsFilePath(portable), portable + "gantrel.ini");
}

TEST(SettingsLocation, WritableFolder)
{
    const TempDir dir;
    EXPECT_TRUE(platform::folderWritable(dir.str()));
    EXPECT_FALSE(platform::folderWritable((dir.path() / "missing").string()));
    writeFile(dir.path() / "file.txt", "x");
    EXPECT_FALSE(platform::folderWritable((dir.path() / "file.txt").string()));
    EXPECT_FALSE(platform::folderWritable(""));
}

TEST(SettingsLocation, AWritableFolderKeepsNoProbe)
{
    const TempDir dir;
    ASSERT_TRUE(platform::folderWritable(dir.str()));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(SettingsLocation, UserFolderIsBelowTheApplicationDataFolder)
{
    GANTREL_SKIP_WITH(test::unlessWindows("the application data folder"));
    const char* appData = std::getenv("APPDATA");
    ASSERT_NE(appData, nullptr);
    const std::string folder = platform::userSettingsFolder();
    EXPECT_EQ(folder, std::string(appData) + "\\Gantrel\\");
    EXPECT_TRUE(fs::is_directory(appData));
}

TEST(SettingsLocation, UserFolderFollowsTheBaseDirectoryRules)
{
    GANTREL_SKIP_WITH(test::unlessPosix("the base directory rules"));
    const test::ScopedEnvironment home("HOME", "/home/tester");
    {
        const test::ScopedEnvironment config("XDG_CONFIG_HOME", "/etc/xdg-user/");
        EXPECT_EQ(platform::userSettingsFolder(), "/etc/xdg-user/gantrel/");
    }
    {
        const test::ScopedEnvironment config("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(platform::userSettingsFolder(), "/home/tester/.config/gantrel/");
    }
    {
        const test::ScopedEnvironment config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(platform::userSettingsFolder(), "/home/tester/.config/gantrel/");
    }
}

}  // namespace
}  // namespace gantrel
