// SPDX-License-Identifier: MIT
#include "cli/scanner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <sstream>

#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

namespace fs = std::filesystem;

struct Scan {
    int status;
    std::string out;
    std::string err;
};

Scan scan(const std::vector<std::string>& arguments)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = runScanner(arguments, out, err);
    return {status, out.str(), err.str()};
}

class ScannerTest : public ::testing::Test {
protected:
    ScannerTest()
    {
        test::writeFile(map() / "global.cfg", "");
        test::writeFile(map() / "ailists.cfg", "");
        test::writeFile(m_dir.path() / "TELV" / "Sceneryobjects" / "A" / "a.sco", "");
    }
    fs::path map() const { return m_dir.path() / "TELV" / "maps" / "M"; }
    std::string mapsFolder() const
    {
        return test::joinPath((m_dir.path() / "TELV" / "maps").string(), "");
    }
    std::string tile(std::string_view name) const { return test::joinPath(map().string(), name); }

    test::TempDir m_dir;
};

TEST_F(ScannerTest, PrintsTheLogAndEveryListUnderItsCaption)
{
    test::writeFile(map() / "t.map", "Sceneryobjects\\A\\a.sco\nSplines\\R\\r.sli\n");
    const Scan result = scan({map().string()});
    EXPECT_EQ(result.status, kScanMissing);
    EXPECT_EQ(result.out,
              "Loaded successfully from path " + map().string() +
                  "\nThis map contains 1 tiles.\n"
                  "Tile 1 of 1 verified successfully.\n---End of analysis.\n\n"
                  "RESULTS (Amount of):\nScenery Objects: 1\nScenery Object Folders: 1\n"
                  "Splines: 1\nSpline Folders: 1\nMissing Objects: 0\nMissing Splines: 1\n"
                  "\nObject folders\nSceneryobjects\\A\\\n"
                  "\nSpline folders\nSplines\\R\\\n"
                  "\nObject list\nSceneryobjects\\A\\a.sco\n"
                  "\nSpline list\nSplines\\R\\r.sli\n"
                  "\nMissing Objects\n"
                  "\nMissing Splines\nSplines\\R\\r.sli\n");
    EXPECT_EQ(result.err,
              "End of analysis. Check the Activity log and other tabs for additional info.\n");
}

// Into a file the program writes its 8-bit text byte for byte: only a console is given the
// characters that the text stands for.
TEST_F(ScannerTest, AFileGetsTheTextAsItsBytes)
{
    test::writeFile(map() / "t.map", "Sceneryobjects\\Caf\xE9\\b\xE4r.sco\n");
    const char* program = std::getenv("GANTREL_SCAN");
    ASSERT_NE(program, nullptr) << "GANTREL_SCAN names no scanner";
    const test::TempDir scratch;
    const test::Ended ended = test::runProgram(program, {map().string()}, scratch.path());
    const Scan inProcess = scan({map().string()});
    EXPECT_EQ(ended.status, kScanMissing);
    EXPECT_EQ(ended.out, inProcess.out);
    EXPECT_EQ(ended.err, inProcess.err);
    EXPECT_NE(ended.out.find(test::narrow(u"Sceneryobjects\\Caf\u00e9\\b\u00e4r.sco")),
              std::string::npos);
}

TEST_F(ScannerTest, WhereUsedFollowsEachMissingListAndFillsUsedBy)
{
    test::writeFile(map() / "t1.map",
                    "[object]\r\nSceneryobjects\\B\\b.sco\r\nSplines\\R\\r.sli\r\n");
    test::writeFile(map() / "t2.map", test::utf16Bytes(u"x\nSplines\\R\\r.sli\n", true));
    const Scan text = scan({"--where-used", map().string()});
    EXPECT_EQ(text.status, kScanMissing);
    const std::string tail =
        "\nMissing Objects\nSceneryobjects\\B\\b.sco\n"
        "\nMissing Objects, where used\nSceneryobjects\\B\\b.sco\n    " +
        tile("t1.map") +
        ":2\n"
        "\nMissing Splines\nSplines\\R\\r.sli\n"
        "\nMissing Splines, where used\nSplines\\R\\r.sli\n    " +
        tile("t1.map") + ":3\n    " + tile("t2.map") + ":2\n";
    ASSERT_GE(text.out.size(), tail.size());
    EXPECT_EQ(text.out.substr(text.out.size() - tail.size()), tail);
    // Without the option the same text, less the two where-used sections.
    std::string withoutWhereUsed = text.out;
    const std::size_t objects = withoutWhereUsed.find("\nMissing Objects, where used\n");
    withoutWhereUsed.erase(objects, withoutWhereUsed.find("\nMissing Splines\n") - objects);
    withoutWhereUsed.erase(withoutWhereUsed.find("\nMissing Splines, where used\n"));
    EXPECT_EQ(scan({map().string()}).out, withoutWhereUsed);

    const auto json = nlohmann::json::parse(scan({"--json", "--where-used", map().string()}).out);
    const auto use = [&](const char* name, int line) {
        return nlohmann::json{{"tile", tile(name)}, {"line", line}};
    };
    EXPECT_EQ(json["usedBy"],
              (nlohmann::json{{"Sceneryobjects\\B\\b.sco", {use("t1.map", 2)}},
                              {"Splines\\R\\r.sli", {use("t1.map", 3), use("t2.map", 2)}}}));
    EXPECT_FALSE(nlohmann::json::parse(scan({"--json", map().string()}).out).contains("usedBy"));
}

TEST_F(ScannerTest, FindMissingEndsTheTextWithFoundElsewhereAndAddsTwoJsonKeys)
{
    test::writeFile(m_dir.path() / "TELV" / "Sceneryobjects" / "New" / "b.sco", "");
    test::writeFile(m_dir.path() / "TELV" / "Sceneryobjects" / "New" / "c.sco", "");
    test::writeFile(map() / "t.map",
                    "Sceneryobjects\\Old\\b.sco\nSceneryobjects\\Old\\c.sco\n"
                    "Sceneryobjects\\Old\\gone.sco\n");
    const Scan plain = scan({map().string()});
    const Scan text = scan({"--find-missing", map().string()});
    EXPECT_EQ(text.status, kScanMissing);
    // Without the option the output is the same, less the section.
    EXPECT_EQ(text.out, plain.out + test::narrow(u"\nFound elsewhere\n"
                                                 u"Sceneryobjects\\Old\\ \u2192 "
                                                 u"Sceneryobjects\\New\\: 2 of 3 missing objects\n"
                                                 u"Sceneryobjects\\Old\\b.sco\n"
                                                 u"    Sceneryobjects\\New\\b.sco\n"
                                                 u"Sceneryobjects\\Old\\c.sco\n"
                                                 u"    Sceneryobjects\\New\\c.sco\n"));

    auto json = nlohmann::json::parse(scan({"--json", "--find-missing", map().string()}).out);
    EXPECT_EQ(json["foundElsewhere"],
              (nlohmann::json{{"Sceneryobjects\\Old\\b.sco", {"Sceneryobjects\\New\\b.sco"}},
                              {"Sceneryobjects\\Old\\c.sco", {"Sceneryobjects\\New\\c.sco"}}}));
    EXPECT_EQ(json["movedFolders"], (nlohmann::json{{{"from", "Sceneryobjects\\Old\\"},
                                                     {"to", "Sceneryobjects\\New\\"},
                                                     {"found", 2},
                                                     {"missing", 3}}}));
    json.erase("foundElsewhere");
    json.erase("movedFolders");
    EXPECT_EQ(json, nlohmann::json::parse(scan({"--json", map().string()}).out));
}

// A stream whose every write fails, as on a full disk.
class FullDisk : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST_F(ScannerTest, OutputThatCannotBeWrittenFailsWithAMessage)
{
    test::writeFile(map() / "t.map", "Sceneryobjects\\A\\a.sco\n");
    for (const bool json : {false, true}) {
        FullDisk disk;
        std::ostream out(&disk);
        std::ostringstream err;
        std::vector<std::string> arguments{"--where-used", map().string()};
        if (json) {
            arguments.push_back("--json");
        }
        EXPECT_EQ(runScanner(arguments, out, err), kScanFailed);
        EXPECT_TRUE(err.str().ends_with("\n") && err.str().find("gantrel-scan: cannot write the "
                                                                "output") != std::string::npos)
            << err.str();
    }
}

TEST_F(ScannerTest, ExitsCleanWhenNothingIsMissing)
{
    test::writeFile(map() / "t.map", "sceneryobjects\\a\\A.sco\n");
    EXPECT_EQ(scan({map().string()}).status, kScanClean);
}

TEST_F(ScannerTest, JsonHoldsTheWholeResult)
{
    test::writeFile(map() / "t.map", "Sceneryobjects\\B\\b.sco\nSceneryobjects\\A\\a.sco\n");
    const Scan result = scan({"--json", map().string() + platform::separator()});
    ASSERT_EQ(result.status, kScanMissing);
    EXPECT_EQ(result.err, "");
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["path"], mapsFolder());
    EXPECT_EQ(json["tiles"], nlohmann::json::array({tile("t.map")}));
    EXPECT_EQ(json["objects"],
              nlohmann::json::array({"Sceneryobjects\\A\\a.sco", "Sceneryobjects\\B\\b.sco"}));
    EXPECT_EQ(json["objectFolders"],
              nlohmann::json::array({"Sceneryobjects\\A\\", "Sceneryobjects\\B\\"}));
    EXPECT_EQ(json["missingObjects"], nlohmann::json::array({"Sceneryobjects\\B\\b.sco"}));
    EXPECT_EQ(json["splines"], nlohmann::json::array());
    EXPECT_EQ(json["splineFolders"], nlohmann::json::array());
    EXPECT_EQ(json["missingSplines"], nlohmann::json::array());
    EXPECT_EQ(json["exportButtonsVisible"], true);
    EXPECT_EQ(json["messages"], nlohmann::json::array({"End of analysis. Check the Activity log "
                                                       "and other tabs for additional info."}));
    EXPECT_TRUE(json["error"].is_null());
    EXPECT_EQ(json["log"].size(), 12u);
}

// JSON is UTF-8 whatever the program's 8-bit text is: the ANSI code page on Windows.
TEST_F(ScannerTest, JsonIsUtf8BeyondAscii)
{
    const fs::path folder = m_dir.path() / "TELV" / "maps" / u"Kärnten";
    test::writeFile(folder / "global.cfg", "");
    test::writeFile(folder / "ailists.cfg", "");
    test::writeFile(folder / "t.map", "Sceneryobjects\\\xC4\\a.sco\n");  // Windows-1252 text
    const auto utf8 = [](const fs::path& path) {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    };

    const Scan result = scan({"--json", test::textOf(folder)});
    ASSERT_EQ(result.status, kScanMissing) << result.out;
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["path"], test::joinPath(utf8(m_dir.path() / "TELV" / "maps"), ""));
    EXPECT_EQ(json["tiles"], nlohmann::json::array({utf8(folder / "t.map")}));
    EXPECT_EQ(json["objects"], nlohmann::json::array({"Sceneryobjects\\\xC3\x84\\a.sco"}));
    EXPECT_EQ(json["log"][0], "Loaded successfully from path " + utf8(folder));
}

TEST_F(ScannerTest, OptionsMayFollowTheFolder)
{
    const Scan result = scan({map().string(), "--json"});
    EXPECT_EQ(result.status, kScanClean);
    EXPECT_EQ(nlohmann::json::parse(result.out)["tiles"], nlohmann::json::array());
}

TEST_F(ScannerTest, AFolderThatIsNoMapFails)
{
    fs::remove(map() / "ailists.cfg");
    const Scan result = scan({"--json", map().string()});
    EXPECT_EQ(result.status, kScanFailed);
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(
        json["messages"],
        nlohmann::json::array({"Invalid map folder structure. Is this really a map folder?"}));
    EXPECT_EQ(json["path"], map().string());
    EXPECT_EQ(json["exportButtonsVisible"], false);
    EXPECT_EQ(scan({map().string()}).err,
              "Invalid map folder structure. Is this really a map folder?\n");
}

TEST_F(ScannerTest, AnErrorIsShownWithTheErrorBoxsFullStop)
{
    fs::create_directory(map() / "bad.map");
    const Scan result = scan({"--json", map().string()});
    EXPECT_EQ(result.status, kScanFailed);
    const std::string reason = test::folderAsFileText();
    // The error box adds its full stop after a letter, not after the line break that ends the
    // system's text on Windows.
    const std::string shown =
        "Cannot open file \"" + tile("bad.map") + "\". " + reason + (test::isWindows() ? "" : ".");
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(reason.back() == '\n', test::isWindows());
    const auto json = nlohmann::json::parse(result.out);
    EXPECT_EQ(json["error"], shown);
    EXPECT_EQ(json["log"].back(),
              test::stoppedLogLine("Cannot open file \"" + tile("bad.map") + "\". " + reason));
    EXPECT_EQ(json["exportButtonsVisible"], false);
    EXPECT_EQ(scan({map().string()}).err, shown + "\n");
}

TEST_F(ScannerTest, NeverWritesASettingsFile)
{
    test::writeFile(map() / "t.map", "Sceneryobjects\\A\\a.sco\n");
    const char* program = std::getenv("GANTREL_SCAN");
    ASSERT_NE(program, nullptr) << "GANTREL_SCAN names no scanner";
    // Where the program would keep its settings: beside itself, else in the user's own
    // folder, which is made to lie in the test's folder here.
    const fs::path beside = fs::path(program).parent_path() / "gantrel.ini";
    const std::optional<std::string> besideBefore =
        fs::exists(beside) ? std::optional(test::readFile(beside)) : std::nullopt;
    const std::string config = (m_dir.path() / "config").string();
    const test::ScopedEnvironment userFolder(test::isWindows() ? "APPDATA" : "XDG_CONFIG_HOME",
                                             config.c_str());
    fs::create_directories(test::pathOf(platform::userSettingsFolder()));
    const test::Tree before = test::tree(m_dir.path());

    const test::TempDir scratch;
    EXPECT_EQ(test::runProgram(program, {map().string()}, scratch.path()).status, kScanClean);
    EXPECT_EQ(test::tree(m_dir.path()), before);
    const std::optional<std::string> besideAfter =
        fs::exists(beside) ? std::optional(test::readFile(beside)) : std::nullopt;
    EXPECT_EQ(besideAfter, besideBefore);
    if (!besideBefore && besideAfter) {
        fs::remove(beside);  // the next run must not find it there already
    }
}

TEST(Scanner, WrongUsageIsOneLineThatPointsToTheHelp)
{
    // One line that says what is wrong, not the whole help.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"a", "b"}, {"--frobnicate", "a"}}) {
        const Scan wrong = scan(arguments);
        EXPECT_EQ(wrong.status, kScanUsage);
        EXPECT_TRUE(wrong.err.starts_with("gantrel-scan: ")) << wrong.err;
        EXPECT_TRUE(wrong.err.ends_with("; try 'gantrel-scan --help'\n")) << wrong.err;
        EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 1) << wrong.err;
        EXPECT_EQ(wrong.out, "");
    }
    EXPECT_EQ(scan({"--frobnicate", "a"}).err,
              "gantrel-scan: unknown option '--frobnicate'; try 'gantrel-scan --help'\n");
    EXPECT_EQ(scan({"--", "--json"}).err.find("try"), std::string::npos);  // a folder "--json"
    const Scan help = scan({"--help"});
    EXPECT_EQ(help.status, kScanClean);
    EXPECT_NE(help.out.find("Usage: gantrel-scan"), std::string::npos);
}

TEST(Scanner, TakesTheFolderAsTheChooserReturnsIt)
{
    const std::string cwd = fs::current_path().string();
    if (test::isWindows()) {
        EXPECT_EQ(chosenFolderPath("C:\\a\\b\\"), "C:\\a\\b");
        EXPECT_EQ(chosenFolderPath("C:\\a\\b\\\\"), "C:\\a\\b");
        EXPECT_EQ(chosenFolderPath("C:/a/b/"), "C:\\a\\b");
        // The root of a drive keeps its separator, as the chooser returns E:\.
        EXPECT_EQ(chosenFolderPath("E:\\"), "E:\\");
        EXPECT_EQ(chosenFolderPath("E:/"), "E:\\");
        EXPECT_EQ(chosenFolderPath("rel\\x"), cwd + "\\rel\\x");
        EXPECT_EQ(chosenFolderPath("rel/x/"), cwd + "\\rel\\x");
    } else {
        EXPECT_EQ(chosenFolderPath("/a/b/"), "/a/b");
        EXPECT_EQ(chosenFolderPath("/a/b//"), "/a/b");
        EXPECT_EQ(chosenFolderPath("/"), "/");
        // A colon is an ordinary character of a name here, not a drive's.
        EXPECT_EQ(chosenFolderPath("/a/b:/"), "/a/b:");
        EXPECT_EQ(chosenFolderPath("rel/x"), cwd + "/rel/x");
    }
    EXPECT_EQ(chosenFolderPath("."), cwd);
}

}  // namespace
}  // namespace gantrel
