// SPDX-License-Identifier: MIT
#include "settings/start_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/special_folders.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::writeFile;
using Candidates = std::vector<std::string>;

/// Sets or clears an environment variable for one test and puts the old value back.
TEST(StartFolderCandidates, ShellFoldersGiveTheInstallationPlaces)
{
    EXPECT_EQ(startFolderCandidates("C:\\Program Files (x86)\\", "C:\\Windows\\Fonts\\"),
              (Candidates{"C:\\Program Files (x86)\\Steam\\steamapps\\common\\TELV 2\\maps",
                          "C:\\Program Files\\Steam\\steamapps\\common\\TELV 2\\maps",
                          "C:\\Program Files (x86)\\kornweil\\Telv\\maps",
                          "C:\\Program Files\\kornweil\\Telv\\maps", "C:\\kornweil\\Telv\\maps",
                          "C:\\"}));
}

TEST(StartFolderCandidates, ShortOrMissingShellFolders)
{
    // Shorter than the seven-character suffix: its 64-bit twin is empty.
    EXPECT_EQ(startFolderCandidates("D:\\P\\", "E:\\Fonts\\"),
              (Candidates{"D:\\P\\Steam\\steamapps\\common\\TELV 2\\maps",
                          "\\Steam\\steamapps\\common\\TELV 2\\maps", "D:\\P\\kornweil\\Telv\\maps",
                          "\\kornweil\\Telv\\maps", "E:\\kornweil\\Telv\\maps", "E:\\"}));
    // Without a programs folder the first places are relative to the current folder.
    EXPECT_EQ(startFolderCandidates("", "C:\\Windows\\Fonts\\").front(),
              "Steam\\steamapps\\common\\TELV 2\\maps");
    EXPECT_EQ(startFolderCandidates("C:\\Program Files\\", "").back(), "");
}

TEST(StartFolderCandidates, HomeAndDataFoldersWithoutShellFolders)
{
    const test::ScopedEnvironment home("HOME", "/home/tester/");
    {
        const test::ScopedEnvironment data("XDG_DATA_HOME", "/data");
        EXPECT_EQ(startFolderCandidates("", ""),
                  (Candidates{"/data/Steam/steamapps/common/TELV 2/maps",
                              "/home/tester/.steam/steam/steamapps/common/TELV 2/maps",
                              "/home/tester/.wine/drive_c/Program Files (x86)/kornweil/Telv/maps",
                              "/home/tester/.wine/drive_c/Program Files/kornweil/Telv/maps", "/"}));
    }
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        const test::ScopedEnvironment data("XDG_DATA_HOME", ignored);
        EXPECT_EQ(startFolderCandidates("", "").front(),
                  "/home/tester/.local/share/Steam/steamapps/common/TELV 2/maps");
    }
}

TEST(StartFolderCandidates, WithoutHomeOnlyTheRootRemains)
{
    const test::ScopedEnvironment home("HOME", nullptr);
    const test::ScopedEnvironment data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(startFolderCandidates("", ""), Candidates{"/"});
}

class StartFolderTest : public ::testing::Test {
protected:
    fs::path home() const { return m_dir.path() / test::pathOf(test::narrow(u"h\u00f6me")); }
    fs::path data() const { return m_dir.path() / "data"; }
    SettingsFile settings() const { return SettingsFile((m_dir.path() / "gantrel.ini").string()); }

    TempDir m_dir;
    const std::string m_homeText = test::textOf(home());
    const std::string m_dataText = test::textOf(data());
    test::ScopedEnvironment m_home{"HOME", m_homeText.c_str()};
    test::ScopedEnvironment m_data{"XDG_DATA_HOME", m_dataText.c_str()};
};

TEST_F(StartFolderTest, StoredMapsFolderIsReturnedUntested)
{
    fs::create_directories(home() / ".steam/steam/steamapps/common/TELV 2/maps");
    SettingsFile stored = settings();
    stored.storeMapsFolder("/gone/TELV 2/maps/");
    EXPECT_EQ(startFolder(stored), "/gone/TELV 2/maps/");
    EXPECT_EQ(startFolder(stored), "/gone/TELV 2/maps/");
}

TEST_F(StartFolderTest, FirstExistingPlaceWins)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "the places below the home folder serve where the system has no shell folders"));
    const fs::path wine32 = home() / ".wine/drive_c/Program Files (x86)/kornweil/Telv/maps";
    const fs::path wine64 = home() / ".wine/drive_c/Program Files/kornweil/Telv/maps";
    const fs::path steam = data() / "Steam/steamapps/common/TELV 2/maps";
    fs::create_directories(wine64);
    EXPECT_EQ(startFolder(settings()), wine64.string());
    fs::create_directories(wine32);
    EXPECT_EQ(startFolder(settings()), wine32.string());
    fs::create_directories(steam);
    EXPECT_EQ(startFolder(settings()), steam.string());
}

TEST_F(StartFolderTest, AFileIsNoPlace)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "the places below the home folder serve where the system has no shell folders"));
    writeFile(home() / ".steam/steam/steamapps/common/TELV 2/maps", "not a folder");
    EXPECT_EQ(startFolder(settings()), "/");
}

TEST_F(StartFolderTest, RootWhenNothingIsInstalled)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "the places below the home folder serve where the system has no shell folders"));
    EXPECT_EQ(getSpecialFolder(kProgramFilesFolder), "");
    EXPECT_EQ(startFolder(settings()), "/");
    // An empty stored value counts as none.
    writeFile(m_dir.path() / "gantrel.ini", "[mapfolder]\npath=\n");
    EXPECT_EQ(startFolder(settings()), "/");
}

TEST(SpecialFolders, AreTheShellsFoldersWithATrailingSeparator)
{
    GANTREL_SKIP_WITH(test::unlessWindows("the shell's folders"));
    for (const int id : {kProgramFilesFolder, kFontsFolder}) {
        const std::string folder = getSpecialFolder(id);
        ASSERT_GT(folder.size(), 3u) << id;
        EXPECT_EQ(folder.back(), '\\');
        EXPECT_NE(folder[folder.size() - 2], '\\');
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
        EXPECT_EQ(folder.substr(1, 2), ":\\") << folder;  // on a drive
    }
    EXPECT_EQ(getSpecialFolder(0xFE), "");  // no such folder: no separator either
}

// The six places computed from the shell's folders; made one by one in the programs folder,
// which a test can write below Wine (elsewhere the test is skipped).
class ShellStartFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GANTREL_SKIP_WITH(test::unlessWindows("the shell's folders"));
        m_candidates = startFolderCandidates(getSpecialFolder(kProgramFilesFolder),
                                             getSpecialFolder(kFontsFolder));
        ASSERT_EQ(m_candidates.size(), 6u);
        for (std::size_t i = 0; i + 1 < m_candidates.size(); ++i) {
            if (fs::exists(m_candidates[i])) {
                GTEST_SKIP() << "the simulator is installed at " << m_candidates[i];
            }
        }
    }
    void TearDown() override
    {
        std::error_code ignored;
        for (const fs::path& made : m_made) {
            fs::remove_all(made, ignored);
        }
    }
    // Makes a candidate folder; its topmost new folder is removed again after the test.
    bool make(std::size_t index)
    {
        fs::path path = m_candidates[index];
        fs::path top = path;
        while (top.has_parent_path() && !fs::exists(top.parent_path())) {
            top = top.parent_path();
        }
        std::error_code error;
        fs::create_directories(path, error);
        if (error) {
            return false;
        }
        m_made.push_back(top);
        return true;
    }
    SettingsFile settings() const { return SettingsFile((m_dir.path() / "gantrel.ini").string()); }

    TempDir m_dir;
    Candidates m_candidates;
    std::vector<fs::path> m_made;
};

TEST_F(ShellStartFolderTest, NothingInstalledGivesTheSystemDrivesRoot)
{
    const std::string fonts = getSpecialFolder(kFontsFolder);
    EXPECT_EQ(m_candidates.back(), fonts.substr(0, 3));
    EXPECT_EQ(m_candidates.front(),
              getSpecialFolder(kProgramFilesFolder) + "Steam\\steamapps\\common\\TELV 2\\maps");
    EXPECT_EQ(startFolder(settings()), fonts.substr(0, 3));
}

TEST_F(ShellStartFolderTest, TheFirstExistingPlaceWins)
{
    if (!make(2)) {
        GTEST_SKIP() << "the programs folder cannot be written";
    }
    EXPECT_EQ(startFolder(settings()), m_candidates[2]);
    ASSERT_TRUE(make(0));
    EXPECT_EQ(startFolder(settings()), m_candidates[0]);
    // A stored maps folder comes before every place.
    SettingsFile stored = settings();
    stored.storeMapsFolder("D:\\Gone\\maps\\");
    EXPECT_EQ(startFolder(stored), "D:\\Gone\\maps\\");
}

}  // namespace
}  // namespace gantrel
