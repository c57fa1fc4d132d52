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
    fs::path home() const { return m_dir.path() / "h\xC3\xB6me"; }
    fs::path data() const { return m_dir.path() / "data"; }
    SettingsFile settings() const { return SettingsFile((m_dir.path() / "gantrel.ini").string()); }

    TempDir m_dir;
    test::ScopedEnvironment m_home{"HOME", home().c_str()};
    test::ScopedEnvironment m_data{"XDG_DATA_HOME", data().c_str()};
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
    writeFile(home() / ".steam/steam/steamapps/common/TELV 2/maps", "not a folder");
    EXPECT_EQ(startFolder(settings()), "/");
}

TEST_F(StartFolderTest, RootWhenNothingIsInstalled)
{
    EXPECT_EQ(getSpecialFolder(kProgramFilesFolder), "");
    EXPECT_EQ(startFolder(settings()), "/");
    // An empty stored value counts as none.
    writeFile(m_dir.path() / "gantrel.ini", "[mapfolder]\npath=\n");
    EXPECT_EQ(startFolder(settings()), "/");
}

}  // namespace
}  // namespace gantrel
