// SPDX-License-Identifier: MIT
#include "export/map_package.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "analysis/analysis_run.h"
#include "cli/scanner.h"
#include "common/error.h"
#include "settings/not_needed_folders.h"
#include "support/sample_map.h"
#include "support/test_support.h"
#include "support/zip_check.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;

// The files of a tree, folders left out: a zip need not list its folders.
test::Tree filesOf(const test::Tree& tree)
{
    test::Tree files;
    for (const auto& [name, content] : tree) {
        if (!name.ends_with('/')) {
            files.emplace(name, content);
        }
    }
    return files;
}

// What unpacking the chosen folders should give: their files below their relative paths.
test::Tree expectedTree(const fs::path& installation, const std::vector<std::string>& folders)
{
    test::Tree expected;
    for (const std::string& folder : folders) {
        for (const auto& [name, content] : filesOf(test::tree(installation / folder))) {
            expected.emplace(folder + name, content);
        }
    }
    return expected;
}

std::vector<std::string> parts(std::string_view text)
{
    std::vector<std::string> all;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        all.push_back(line);
    }
    return all;
}

std::vector<fs::path> leftovers(const fs::path& folder)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found.push_back(entry.path().filename());
    }
    return found;
}

class MapPackageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (test::isWindows()) {
            GTEST_SKIP() << "the three zip readers are installed on Linux only";
        }
        // A folder inside a listed one, a name beyond ASCII, a file that deflates and one that
        // does not.
        test::writeFile(sample.installation / "Sceneryobjects/Trees/Leaves/leaf.sco", "leaf");
        test::writeFile(sample.installation / "Sceneryobjects/Trees/\xC3\xA4ste.sco", "branch");
        std::string text;
        for (int i = 0; i < 20000; ++i) {
            text += "Sceneryobjects\\Trees\\oak.sco\r\n";
        }
        test::writeFile(sample.map / "tile_9_9.txt", text);
        std::mt19937 random(22);
        std::string noise(100000, '\0');
        for (char& c : noise) {
            c = static_cast<char>(random());
        }
        test::writeFile(sample.installation / "Splines/Roads/road.bmp", noise);
        NoMapsFolderStore store;
        ASSERT_EQ(runAnalysis(sample.map.string(), state, ui, store), RunEnd::Completed);
        // The same folder in another case, a folder inside a listed one, and one that is gone.
        state.objectFolders.push_back("sceneryobjects\\TREES\\");
        state.objectFolders.push_back("Sceneryobjects\\Trees\\Leaves\\");
        state.splineFolders.push_back("Splines\\Gone\\");
    }

    test::TempDir base;
    test::SampleMap sample{base.path()};
    WindowState state;
    test::RecordingUi ui;
    test::TempDir out;
};

TEST_F(MapPackageTest, HoldsTheMapAndTheUsedFoldersAsThreeReadersReadThem)
{
    const std::vector<PackageFolder> folders = packageFolders(state, sample.map.string());
    std::vector<std::string> listed;
    for (const PackageFolder& folder : folders) {
        listed.push_back(folder.folder + (folder.present ? "" : " (missing)") + " " +
                         std::to_string(folder.files.size()) + " " + std::to_string(folder.bytes));
    }
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "maps\\D\xC3\xA9mo\\ 5 " +
                              std::to_string(fs::file_size(sample.map / "tile_9_9.txt") +
                                             fs::file_size(sample.map / "tile_0_0.map") +
                                             fs::file_size(sample.map / "tile_1_0.map") + 14),
                          "Sceneryobjects\\Houses\\ 1 0",
                          "Sceneryobjects\\Trees\\ 3 10",
                          "Splines\\Roads\\ 2 100000",
                          "Splines\\Gone\\ (missing) 0 0",
                      }));

    // Into the map folder itself: the zip is never packed into itself, and is replaced on the
    // second run, which leaves out a folder.
    const fs::path zip = sample.map / "Demo.zip";
    for (const bool houses : {true, false}) {
        const std::vector<bool> chosen{true, houses, true, true, true};
        const PackageResult result =
            writeMapPackage(folders, chosen, zip.string(), [](const auto&) { return true; });
        std::vector<std::string> packed{"maps/D\xC3\xA9mo/", "Sceneryobjects/Trees/",
                                        "Splines/Roads/"};
        if (houses) {
            packed.push_back("Sceneryobjects/Houses/");
        }
        test::Tree expected = expectedTree(sample.installation, packed);
        expected.erase("maps/D\xC3\xA9mo/Demo.zip");
        EXPECT_EQ(filesOf(test::unpackedZip(zip)), expected);
        EXPECT_EQ(result.files, expected.size());
        EXPECT_EQ(result.zipSize, fs::file_size(zip));
        EXPECT_LT(result.zipSize, result.bytes);  // the tile text deflated
        EXPECT_EQ(leftovers(sample.map).size(), 6u) << "a staged file was left behind";
    }
    // Info-ZIP shows UTF-8 names and the kept modification time.
    const test::Ended listing = test::runProgram(
        "/usr/bin/env",
        {"python3", "-c",
         "import zipfile,sys,os,time\n"
         "z=zipfile.ZipFile(sys.argv[1])\n"
         "i=z.getinfo('Sceneryobjects/Trees/\\u00e4ste.sco')\n"
         "print(i.flag_bits & 0x800, i.compress_type)\n"
         "print(i.date_time == time.localtime(os.path.getmtime(sys.argv[2]))[:5]"
         " + (time.localtime(os.path.getmtime(sys.argv[2]))[5] // 2 * 2,))\n"
         "print(z.getinfo('maps/D\\u00e9mo/tile_9_9.txt').compress_type)",
         zip.string(), (sample.installation / "Sceneryobjects/Trees/\xC3\xA4ste.sco").string()},
        out.path());
    EXPECT_EQ(parts(listing.out), (std::vector<std::string>{"2048 0", "True", "8"})) << listing.err;
}

TEST_F(MapPackageTest, AFailedOrCancelledPackageLeavesTheOldFileAndNothingElse)
{
    const fs::path zip = out.path() / "Demo.zip";
    test::writeFile(zip, "the old package");
    const std::vector<PackageFolder> folders = packageFolders(state, sample.map.string());
    const std::vector<bool> all(folders.size(), true);

    int calls = 0;
    const PackageResult cancelled =
        writeMapPackage(folders, all, zip.string(), [&](const auto&) { return ++calls < 3; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(calls, 3);

    // A link to nothing is a file that cannot be read: it stops the package and is named.
    const fs::path broken = sample.installation / "Splines/Roads/broken.sli";
    fs::create_symlink("nowhere.sli", broken);
    const std::vector<PackageFolder> withBroken = packageFolders(state, sample.map.string());
    try {
        writeMapPackage(withBroken, all, zip.string(), [](const auto&) { return true; });
        ADD_FAILURE() << "a file that cannot be read did not stop the package";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot read file \"" + broken.string() + "\". " + test::systemErrorText(ENOENT));
    }
    EXPECT_EQ(test::readFile(zip), "the old package");
    EXPECT_EQ(leftovers(out.path()), std::vector<fs::path>{"Demo.zip"});

    const fs::path nowhere = out.path() / "no folder" / "Demo.zip";
    try {
        writeMapPackage(folders, all, nowhere.string(), [](const auto&) { return true; });
        ADD_FAILURE() << "a zip that cannot be written gave no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Unable to write to " + nowhere.string() + ". " + test::systemErrorText(ENOENT));
    }
}

TEST_F(MapPackageTest, PassesTheEntryLimitWithZip64)
{
    // 65,535 entries and more take the 64-bit records; empty files fill no disk.
    const fs::path many = sample.map / "many";
    fs::create_directories(many);
    for (int i = 0; i < 65540; ++i) {
        std::ofstream(many / std::to_string(i));
    }
    const std::vector<PackageFolder> folders = packageFolders(state, sample.map.string());
    const fs::path zip = out.path() / "many.zip";
    const PackageResult result = writeMapPackage(folders, {true, false, false, false, false},
                                                 zip.string(), [](const auto&) { return true; });
    EXPECT_EQ(result.files, 65545u);
    EXPECT_EQ(filesOf(test::unpackedZip(zip)).size(), 65545u);
}

TEST_F(MapPackageTest, PassesTheSizeLimitWithZip64)
{
    // A file past 4 GiB takes the 64-bit sizes in both its headers, and the entries after it
    // are found past it. Sparse, it fills no disk, and its zeros deflate to a few megabytes;
    // but each of the writer and the three readers goes through all of it.
    GANTREL_SKIP_WITH(test::unlessLongTestsWanted(
        "4 GiB deflated, then inflated by each reader: about 90 s of processor time"));
    GANTREL_SKIP_WITH(test::unlessSparseFiles(sample.map));
    const fs::path big = sample.map / "big.bin";
    const std::uintmax_t length = (std::uintmax_t{4} << 30) + (1 << 20) + 7;
    std::ofstream(big).close();
    fs::resize_file(big, length);
    const std::vector<PackageFolder> folders = packageFolders(state, sample.map.string());
    const fs::path zip = out.path() / "big.zip";
    const PackageResult result = writeMapPackage(folders, {true, false, false, false, false},
                                                 zip.string(), [](const auto&) { return true; });
    EXPECT_EQ(result.files, 6u);
    EXPECT_EQ(result.bytes, folders.front().bytes);
    EXPECT_LT(result.zipSize, 16u << 20);
    test::checkZip(zip);

    // Python's zipfile lists the big entry at its full length with the CRC of as many zeros
    // (the readers found the content to match it), and each other entry as its file on disk.
    const test::Ended listed = test::runProgram(
        "/usr/bin/env",
        {"python3", "-c",
         "import zipfile,sys,os,zlib\n"
         "z=zipfile.ZipFile(sys.argv[1])\n"
         "zeros=memoryview(bytes(1<<24))\n"
         "for i in z.infolist():\n"
         "  if i.filename.endswith('big.bin'):\n"
         "    crc,left=0,i.file_size\n"
         "    while left:\n"
         "      crc=zlib.crc32(zeros[:min(left,len(zeros))],crc)\n"
         "      left-=min(left,len(zeros))\n"
         "    print(i.filename,i.file_size,crc==i.CRC)\n"
         "  else:\n"
         "    print(i.filename,z.read(i)==open(os.path.join(sys.argv[2],i.filename),'rb').read())",
         zip.string(), sample.installation.string()},
        out.path());
    const std::string demo = "maps/D\xC3\xA9mo/";
    EXPECT_EQ(parts(listed.out), (std::vector<std::string>{
                                     demo + "ailists.cfg True",
                                     demo + "big.bin " + std::to_string(length) + " True",
                                     demo + "global.cfg True",
                                     demo + "tile_0_0.map True",
                                     demo + "tile_1_0.map True",
                                     demo + "tile_9_9.txt True",
                                 }))
        << listed.err;
}

TEST_F(MapPackageTest, TheScannerPacksAllButTheFoldersNotNeeded)
{
    const fs::path zip = out.path() / "Demo.zip";
    std::ostringstream output;
    std::ostringstream errors;
    EXPECT_EQ(runScanner({"--package", zip.string(), "--not-needed", "splines/roads",
                          "--not-needed", "Sceneryobjects\\Houses", sample.map.string()},
                         output, errors),
              kScanMissing)
        << errors.str();
    EXPECT_EQ(filesOf(test::unpackedZip(zip)),
              expectedTree(sample.installation, {"maps/D\xC3\xA9mo/", "Sceneryobjects/Trees/"}));
    EXPECT_NE(output.str().find("The map package holds 8 files"), std::string::npos)
        << output.str();

    errors.str("");
    const fs::path nowhere = out.path() / "no folder" / "x.zip";
    EXPECT_EQ(runScanner({"--package", nowhere.string(), sample.map.string()}, output, errors),
              kScanFailed);
    EXPECT_TRUE(errors.str().ends_with("\ngantrel-scan: Unable to write to " + nowhere.string() +
                                       ". " + test::systemErrorText(ENOENT) + ".\n"))
        << errors.str();
}

TEST(NotNeededFolders, AreKeptPerInstallationBesideTheMapsFolder)
{
    const test::TempDir folder;
    const std::string file = (folder.path() / "gantrel.ini").string();
    test::writeFile(file, "[mapfolder]\npath=/games/TELV/maps/\n");
    const NotNeededFolders settings(file);
    settings.store("/games/TELV/", {"Splines\\Roads\\", "Sceneryobjects\\KW\\"});
    settings.store("/games/Other/", {"Splines\\Other\\"});
    EXPECT_EQ(settings.read("/games/TELV/"),
              (std::vector<std::string>{"Splines\\Roads\\", "Sceneryobjects\\KW\\"}));
    settings.store("/games/Other/", {});
    EXPECT_TRUE(settings.read("/games/Other/").empty());
    // Windows' own writer ends its lines in CR LF.
    std::string written = test::readFile(file);
    std::erase(written, '\r');
    EXPECT_EQ(written,
              "[mapfolder]\npath=/games/TELV/maps/\n[notneeded]\n"
              "/games/TELV/=Splines\\Roads\\|Sceneryobjects\\KW\\\n"
              "/games/Other/=\n");
    EXPECT_THROW(NotNeededFolders((folder.path() / "gantrel.ini" / "x").string())
                     .store("/games/TELV/", {"a"}),
                 Error);
}

}  // namespace
}  // namespace gantrel
