// SPDX-License-Identifier: MIT
#include "analysis/line_store.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/error.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

using test::utf16Bytes;

// The lines a store yields for a whole file's bytes.
std::vector<std::u16string> linesOf(std::string_view file)
{
    std::vector<char> bytes(file.begin(), file.end());
    LineStore store;
    store.assignFile(bytes);
    std::vector<std::u16string> lines;
    for (std::size_t i = 0; i < store.lineCount(); ++i) {
        lines.push_back(store.line(i));
    }
    return lines;
}

using Lines = std::vector<std::u16string>;

TEST(LineStore, EmptyFilesAndBareMarksHaveNoLines)
{
    EXPECT_EQ(linesOf(""), Lines{});
    EXPECT_EQ(linesOf("\xFF\xFE"), Lines{});
    EXPECT_EQ(linesOf("\xFE\xFF"), Lines{});
    EXPECT_EQ(linesOf("\xEF\xBB\xBF"), Lines{});
}

TEST(LineStore, OneLineBreakInAnyEncodingIsOneEmptyLine)
{
    for (const std::u16string_view brk : {u"\r\n", u"\r", u"\n", u"\u2028"}) {
        EXPECT_EQ(linesOf(utf16Bytes(brk, false)), Lines{u""});
        EXPECT_EQ(linesOf(utf16Bytes(brk, true)), Lines{u""});
    }
    EXPECT_EQ(linesOf("\r"), Lines{u""});
    EXPECT_EQ(linesOf("\n"), Lines{u""});
    EXPECT_EQ(linesOf("\xEF\xBB\xBF\r\n"), Lines{u""});
    EXPECT_EQ(linesOf("\xEF\xBB\xBF\xE2\x80\xA8"), Lines{u""});
}

TEST(LineStore, ALastEmptyPieceIsNoLine)
{
    EXPECT_EQ(linesOf("abc"), Lines{u"abc"});
    EXPECT_EQ(linesOf("abc\r\n"), Lines{u"abc"});
    EXPECT_EQ(linesOf("abc\r\n\r\n"), (Lines{u"abc", u""}));
}

TEST(LineStore, EveryBreakStyleGivesTheSameLines)
{
    const Lines expected{u"one", u"two", u"three"};
    EXPECT_EQ(linesOf("one\r\ntwo\r\nthree"), expected);
    EXPECT_EQ(linesOf("one\ntwo\nthree\n"), expected);
    EXPECT_EQ(linesOf("one\rtwo\rthree\r"), expected);
    EXPECT_EQ(linesOf(utf16Bytes(u"one\u2028two\u2028three", false)), expected);
    // LF CR and CR CR LF are two breaks each, with an empty line between them.
    EXPECT_EQ(linesOf("one\n\rtwo"), (Lines{u"one", u"", u"two"}));
    EXPECT_EQ(linesOf("one\r\r\ntwo"), (Lines{u"one", u"", u"two"}));
    // Other separators are ordinary characters.
    EXPECT_EQ(linesOf(utf16Bytes(u"a\u2029b\u0085c\vd\fe", false)),
              Lines{u"a\u2029b\u0085c\vd\fe"});
}

TEST(LineStore, AZeroEndsTheText)
{
    EXPECT_EQ(linesOf(std::string("ab\r\ncd\0ef\r\ngh", 13)), (Lines{u"ab", u"cd"}));
    EXPECT_EQ(linesOf(utf16Bytes(std::u16string(u"ab\0cd", 5), false)), Lines{u"ab"});
    EXPECT_EQ(linesOf(std::string("\xFF\xFE\0\0x\0", 6)), Lines{});
}

TEST(LineStore, Utf16ByteOrders)
{
    const std::u16string text = u"Sceneryobjects\\H\u00e4user\\h.sco\r\nx";
    EXPECT_EQ(linesOf(utf16Bytes(text, false)), linesOf(utf16Bytes(text, true)));
    EXPECT_EQ(linesOf(utf16Bytes(text, true)),
              (Lines{u"Sceneryobjects\\H\u00e4user\\h.sco", u"x"}));
    // An odd last byte is ignored; a lone byte after the mark is no text at all.
    EXPECT_EQ(linesOf(utf16Bytes(u"ab", false) + "c"), Lines{u"ab"});
    EXPECT_EQ(linesOf("\xFF\xFE"
                      "a"),
              Lines{});
    // Unpaired surrogates are kept as code units.
    EXPECT_EQ(linesOf(utf16Bytes(u"\xD800x", false)), Lines{u"\xD800x"});
}

TEST(LineStore, EightBitTextUsesTheTileCodePage)
{
    // Without a mark UTF-8 is 8-bit text: each byte of a sequence is a character of its own.
    EXPECT_EQ(linesOf("H\xC3\xA4user"), Lines{u"H\u00c3\u00a4user"});
    EXPECT_EQ(linesOf("\x80\x81\x9F\xE4"), Lines{u"\u20ac\u0081\u0178\u00e4"});
    EXPECT_EQ(linesOf("ab"), Lines{u"ab"});
    // A file that happens to start with FF FE is read as UTF-16.
    EXPECT_EQ(linesOf(std::string("\xFF\xFE"
                                  "a\0b\0",
                                  6)),
              Lines{u"ab"});
}

TEST(LineStore, Utf8AfterAMarkIsDecodedByTheStandard)
{
    EXPECT_EQ(linesOf("\xEF\xBB\xBFH\xC3\xA4user"), Lines{u"H\u00e4user"});
    // A four-byte sequence is a surrogate pair, also before a line break.
    EXPECT_EQ(linesOf("\xEF\xBB\xBF\xF0\x9F\x9A\x8C\r\nx"), (Lines{u"\U0001F68C", u"x"}));
    // Each malformed sequence is one U+FFFD; the rest of the tile survives.
    EXPECT_EQ(linesOf("\xEF\xBB\xBF\x80z\r\nok.sco"), (Lines{u"\uFFFDz", u"ok.sco"}));
    EXPECT_EQ(linesOf("\xEF\xBB\xBF"
                      "ab\xE2\x82"),
              Lines{u"ab\uFFFD"});
    EXPECT_EQ(linesOf("\xEF\xBB\xBF\xC0\xAF"), Lines{u"\uFFFD\uFFFD"});
    EXPECT_EQ(linesOf("\xEF\xBB\xBF\xED\xA0\x80"), Lines{u"\uFFFD\uFFFD\uFFFD"});
    EXPECT_EQ(linesOf("\xEF\xBB\xBF\xF0\x9F\x9A"), Lines{u"\uFFFD"});
}

TEST(LineStore, SpacesAndTabsStayInTheLine)
{
    EXPECT_EQ(linesOf(" a.sco \t\r\n\tb"), (Lines{u" a.sco \t", u"\tb"}));
}

TEST(LineStore, LinesUpTo65535UnitsCanBeFetched)
{
    const std::string longest(65535, 'x');
    const std::string tooLong(65536, 'y');
    std::vector<char> file;
    const std::string text = "first\r\n" + longest + "\r\n" + tooLong + "\r\nlast";
    file.assign(text.begin(), text.end());
    LineStore store;
    store.assignFile(file);
    ASSERT_EQ(store.lineCount(), 4u);
    EXPECT_EQ(store.line(0), u"first");
    EXPECT_EQ(store.line(1).size(), 65535u);
    EXPECT_THROW(
        {
            try {
                store.line(2);
            } catch (const OutOfResources& error) {
                EXPECT_STREQ(error.what(), "Line too long");
                throw;
            }
        },
        OutOfResources);
    EXPECT_EQ(store.line(3), u"last");
}

TEST(LineStore, Utf16LineLengthCountsCodeUnits)
{
    // 40,000 characters above U+FFFF are 80,000 code units: too long, though few characters.
    std::u16string wide;
    for (int i = 0; i < 40000; ++i) {
        wide += u"\U0001F68C";
    }
    std::string file = utf16Bytes(wide, false);
    std::vector<char> bytes(file.begin(), file.end());
    LineStore store;
    store.assignFile(bytes);
    ASSERT_EQ(store.lineCount(), 1u);
    EXPECT_THROW(store.line(0), OutOfResources);
}

TEST(LineStore, StartsWithItsNameAndClears)
{
    LineStore store(u"Mema");
    ASSERT_EQ(store.lineCount(), 1u);
    EXPECT_EQ(store.line(0), u"Mema");
    store.clear();
    EXPECT_EQ(store.lineCount(), 0u);
    EXPECT_EQ(store.text(), u"");
}

TEST(LineStore, LoadTileReadsAFileAndKeepsItsContentOnFailure)
{
    test::TempDir dir;
    test::writeFile(dir.path() / "t.map", "a.sco\nb.sli\n");
    LineStore store(u"before");
    store.loadTile((dir.path() / "t.map").string());
    EXPECT_EQ(store.text(), u"a.sco\r\nb.sli\r\n");

    const std::string missing = (dir.path() / "missing.map").string();
    try {
        store.loadTile(missing);
        FAIL() << "a missing tile must fail";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + missing + "\". " + test::missingFileText());
    }
    EXPECT_EQ(store.text(), u"a.sco\r\nb.sli\r\n");
}

TEST(LineStore, AFolderNamedLikeATileFailsWithTheOpenError)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "x.map");
    const std::string path = (dir.path() / "x.map").string();
    LineStore store;
    try {
        store.loadTile(path);
        FAIL() << "a folder must not load";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + path + "\". " + test::folderAsFileText());
    }
}

TEST(LineStore, ATileOverTheLimitIsRefusedBeforeItIsRead)
{
    test::TempDir dir;
    const std::filesystem::path tile = dir.path() / "big.map";
    test::writeFile(tile, "");
    std::filesystem::resize_file(tile, std::uintmax_t{1} << 31);  // 2 GiB, none of it written
    std::vector<char> bytes;
    try {
        readTileFile(tile.string(), bytes);
        FAIL() << "a tile of 2 GiB must fail";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + tile.string() + "\". The file is 2 GiB or larger.");
    }
    EXPECT_EQ(bytes.capacity(), 0u);  // decided from its size, not by reading it

    if (!test::isWindows()) {  // a Windows tile cannot be written while it is open
        // A tile that grows after it was measured is read no further than the limit and a step.
        test::writeFile(tile, std::string(100, 'x'));
        platform::TileFile growing(tile.string());
        test::writeFile(tile, std::string(1 << 20, 'x'));
        EXPECT_FALSE(growing.read(bytes, 1000));
        EXPECT_LT(bytes.size(), std::size_t{1} << 17);
    }
}

TEST(LineStore, TheOpenErrorNamesTheFullPath)
{
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "maps" / "Demo");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path() / "maps");
    std::string message;
    try {
        LineStore().loadTile(test::joinPath("Demo", "gone.map"));
    } catch (const Error& error) {
        message = error.what();
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(message, "Cannot open file \"" +
                           test::joinPath(test::joinPath(dir.str(), "maps"), "Demo") +
                           platform::separator() + "gone.map\". " + test::missingFileText());
}

TEST(LineStore, ATileHeldOpenForWritingFailsWithTheSharingViolation)
{
    GANTREL_SKIP_WITH(
        test::unlessWindows("sharing modes: POSIX lets a file held open for writing be read"));
    test::TempDir dir;
    const std::filesystem::path tile = dir.path() / "held.map";
    test::writeFile(tile, "a.sco\r\n");
    LineStore store(u"before");
    {
        std::ofstream writer(tile, std::ios::binary | std::ios::app);
        ASSERT_TRUE(writer.is_open());
        try {
            store.loadTile(tile.string());
            FAIL() << "a tile held open for writing must not load";
        } catch (const Error& error) {
            // ERROR_SHARING_VIOLATION, in the system's words with their line break.
            const std::string text = test::systemErrorText(32);
            ASSERT_FALSE(text.empty());
            EXPECT_EQ(text.back(), '\n');
            EXPECT_EQ(std::string(error.what()),
                      "Cannot open file \"" + tile.string() + "\". " + text);
        }
    }
    EXPECT_EQ(store.text(), u"before");
    // Once the writer has closed it, the tile loads; a reader that only reads does not stop it.
    std::ifstream reader(tile, std::ios::binary);
    store.loadTile(tile.string());
    EXPECT_EQ(store.text(), u"a.sco\r\n");
}

}  // namespace
}  // namespace gantrel
