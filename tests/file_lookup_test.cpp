// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include <climits>
#endif

#include "common/error.h"
#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel::platform {
namespace {

namespace fs = std::filesystem;

class FileLookupTest : public ::testing::Test {
protected:
    std::string at(std::string_view relative) const
    {
        return test::joinPath(m_dir.str(), relative);
    }
    void make(std::string_view relative) const
    {
        test::writeFile(m_dir.path() / test::pathOf(relative), "x");
    }

    test::TempDir m_dir;
    FileLookup lookup;
};

TEST_F(FileLookupTest, ResolvesEveryComponentWithoutRegardToCase)
{
    make("SceneryObjects/houses/H1.sco");
    make("ABCDEFGHIJKLMNOPQRSTUVWXYZ/abcdefghijklmnopqrstuvwxyz.sco");
    EXPECT_TRUE(lookup.fileExists(at("Sceneryobjects\\Houses\\h1.sco")));
    // Every letter of the alphabet, in both directions.
    EXPECT_TRUE(
        lookup.fileExists(at("abcdefghijklmnopqrstuvwxyz\\ABCDEFGHIJKLMNOPQRSTUVWXYZ.SCO")));
    EXPECT_TRUE(lookup.fileExists(at("SCENERYOBJECTS/HOUSES/H1.SCO")));
    EXPECT_TRUE(lookup.fileExists(at("SceneryObjects/houses/H1.sco")));
    EXPECT_FALSE(lookup.fileExists(at("Sceneryobjects\\Houses\\h2.sco")));
    EXPECT_FALSE(lookup.fileExists(at("Sceneryobjects\\Trees\\h1.sco")));
}

TEST_F(FileLookupTest, FoldsLettersBeyondAscii)
{
    // Every letter pair of the tile code page (Windows-1252), in both directions.
    const std::u16string upper =
        u"\u00c0\u00c1\u00c2\u00c3\u00c4\u00c5\u00c6\u00c7\u00c8\u00c9\u00ca\u00cb\u00cc\u00cd"
        u"\u00ce"
        u"\u00cf\u00d0\u00d1\u00d2\u00d3\u00d4\u00d5\u00d6\u00d8\u00d9\u00da\u00db\u00dc\u00dd"
        u"\u00de"
        u"\u0152\u0160\u017d\u0178";
    const std::u16string lower =
        u"\u00e0\u00e1\u00e2\u00e3\u00e4\u00e5\u00e6\u00e7\u00e8\u00e9\u00ea\u00eb\u00ec\u00ed"
        u"\u00ee"
        u"\u00ef\u00f0\u00f1\u00f2\u00f3\u00f4\u00f5\u00f6\u00f8\u00f9\u00fa\u00fb\u00fc\u00fd"
        u"\u00fe"
        u"\u0153\u0161\u017e\u00ff";
    make(test::narrow(upper + u"/" + lower + u".sco"));
    make(test::narrow(u"Sceneryobjects/H\u00c4USER/\u00d6l.sco"));
    EXPECT_TRUE(lookup.fileExists(at(test::narrow(u"sceneryobjects\\h\u00e4user\\\u00f6L.sco"))));
    EXPECT_TRUE(lookup.fileExists(at(test::narrow(lower + u"\\" + upper + u".sco"))));
    EXPECT_FALSE(lookup.fileExists(at("sceneryobjects\\haeuser\\oel.sco")));
}

TEST_F(FileLookupTest, NamesMatchAsTheirUpperCaseFormsDo)
{
    if (test::isWindows()) {
        GTEST_SKIP() << "the 8-bit code page holds none of these signs";
    }
    // Kelvin, Angstrom and Ohm signs are their own upper case: they never meet k, a-ring or
    // omega, which upper-case to K, A-ring and Omega; the long s upper-cases to S.
    make(test::narrow(u"signs/k\u00e5\u03c9.sco"));
    make("signs/s.sco");
    EXPECT_TRUE(lookup.fileExists(at(test::narrow(u"signs/K\u00c5\u03a9.sco"))));
    EXPECT_FALSE(lookup.fileExists(at(test::narrow(u"signs/\u212a\u00e5\u03c9.sco"))));
    EXPECT_FALSE(lookup.fileExists(at(test::narrow(u"signs/k\u212b\u03c9.sco"))));
    EXPECT_FALSE(lookup.fileExists(at(test::narrow(u"signs/k\u00e5\u2126.sco"))));
    EXPECT_TRUE(lookup.fileExists(at(test::narrow(u"signs/\u017f.sco"))));
}

TEST_F(FileLookupTest, AFileBeyondThePathLimitIsFound)
{
#ifdef _WIN32
    GTEST_SKIP() << "the lookup hands Windows long paths in their own form";
#else
    const test::DeepFolders deep(m_dir.path(), 25, {"deep.sco"});
    ASSERT_GT(at(deep.relative).size(), static_cast<std::size_t>(PATH_MAX));
    EXPECT_TRUE(lookup.fileExists(at(deep.relative + "DEEP.sco")));
    EXPECT_FALSE(lookup.fileExists(at(deep.relative + "shallow.sco")));
#endif
}

TEST_F(FileLookupTest, FoldersAreNoFiles)
{
    fs::create_directories(m_dir.path() / "Splines" / "road.sli");
    make("Splines/file.sli");
    EXPECT_FALSE(lookup.fileExists(at("Splines\\road.sli")));
    EXPECT_FALSE(lookup.fileExists(at("Splines")));
    EXPECT_FALSE(lookup.fileExists(at("Splines\\")));
    EXPECT_TRUE(lookup.fileExists(at("Splines\\file.sli")));
    EXPECT_FALSE(lookup.fileExists(at("Splines\\file.sli\\")));  // the folder form of a file
}

TEST_F(FileLookupTest, WildcardsAreOrdinaryCharacters)
{
    make("objects/a.sco");
    EXPECT_FALSE(lookup.fileExists(at("objects\\*.sco")));
    EXPECT_FALSE(lookup.fileExists(at("objects\\?.sco")));
    if (!test::isWindows()) {  // Windows file names cannot hold "*"
        make("objects/*.sco");
        FileLookup fresh;
        EXPECT_TRUE(fresh.fileExists(at("objects\\*.sco")));
    }
}

TEST_F(FileLookupTest, PrefersTheExactNameWhereSeveralMatch)
{
    GANTREL_SKIP_WITH(
        test::unlessPosix("a Windows folder cannot hold two names that differ only in case"));
    // A case-sensitive disk may hold names that a case-insensitive one could not: a folder
    // "a" and a file "A" in one place must not hide each other.
    fs::create_directories(m_dir.path() / "x" / "a");
    make("x/A");
    make("x/a/f.sco");
    make("Games/maps/Upper/global.cfg");
    make("games/maps/Lower/global.cfg");
    EXPECT_TRUE(lookup.fileExists(at("x\\A")));
    EXPECT_TRUE(lookup.fileExists(at("x\\a")));         // the file A matches without regard to case
    EXPECT_TRUE(lookup.fileExists(at("x\\A\\f.sco")));  // the folder a serves as a folder

    // Two folders whose names differ only in case: each spelling finds its own folder first,
    // whichever the system lists first.
    EXPECT_TRUE(lookup.fileExists(at("Games\\maps\\Upper\\global.cfg")));
    EXPECT_TRUE(lookup.fileExists(at("games\\maps\\Lower\\global.cfg")));
}

TEST_F(FileLookupTest, FollowsSymbolicLinksAndSkipsBrokenOnes)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "making symbolic links on Windows takes a privilege that tests do not have"));
    make("real/f.sco");
    fs::create_directory_symlink(m_dir.path() / "real", m_dir.path() / "Linked");
    fs::create_symlink(m_dir.path() / "nowhere.sco", m_dir.path() / "broken.sco");
    EXPECT_TRUE(lookup.fileExists(at("linked\\F.sco")));
    EXPECT_FALSE(lookup.fileExists(at("broken.sco")));
}

TEST_F(FileLookupTest, SkipsEmptyAndDotComponentsAndResolvesDotDot)
{
    make("a/b/f.sco");
    EXPECT_TRUE(lookup.fileExists(at("a\\\\b\\.\\f.sco")));
    EXPECT_TRUE(lookup.fileExists(at("a\\c\\..\\b\\f.sco")));
    EXPECT_TRUE(lookup.fileExists(at("A\\B\\..\\b\\F.SCO")));
    EXPECT_FALSE(lookup.fileExists(at("a\\b\\f.sco\\..")));
}

TEST_F(FileLookupTest, KeepsEachListingForItsLifetime)
{
    make("cached/one.sco");
    EXPECT_TRUE(lookup.fileExists(at("cached\\one.sco")));
    make("cached/two.sco");
    // On POSIX the folder was listed once, and a file made since is not seen by this lookup
    // object; Windows asks the file system itself every time...
    EXPECT_EQ(lookup.fileExists(at("cached\\two.sco")), test::isWindows());
    // ...and the next lookup object sees it everywhere, as the next scan makes its own.
    FileLookup next;
    EXPECT_TRUE(next.fileExists(at("cached\\two.sco")));
}

TEST_F(FileLookupTest, RelativePathsStartAtTheCurrentFolder)
{
    make("rel/f.sco");
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir.path());
    const bool found = lookup.fileExists("REL\\f.sco");
    const bool absent = lookup.fileExists("rel\\g.sco");
    fs::current_path(previous);
    EXPECT_TRUE(found);
    EXPECT_FALSE(absent);
}

TEST(TileSearch, FindsEveryEntryEndingInMapWithoutRegardToCase)
{
    test::TempDir dir;
    // "long name.mapx" has a short name ending in ".MAP" where the system makes 8.3 names.
    for (const char* name :
         {"a.map", "B.MAP", ".hidden.map", "c.Map", "d.mapx", "long name.mapx", "emap", "f.txt"}) {
        test::writeFile(dir.path() / name, "");
    }
    fs::create_directory(dir.path() / "folder.map");
    const std::vector<std::string> expected{".hidden.map", "B.MAP", "a.map", "c.Map", "folder.map"};
    std::vector<std::string> names = findTiles(dir.str());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
    // A folder given with its separator, as a drive root ends in one, is searched the same.
    names = findTiles(dir.str() + platform::separator());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(findTiles(test::joinPath(dir.str(), "missing")).empty());
}

// Beyond the old limit of 260 characters, where the system's ANSI routines stop.
TEST(LongPaths, AMapFolderItsTilesAndItsReferencesAreReached)
{
    test::TempDir dir;
    fs::path map = dir.path();
    for (int i = 0; i < 7; ++i) {
        map /= std::string(40, static_cast<char>('a' + i));
    }
    map /= "Demo";
    test::writeFile(map / "global.cfg", "[map]\n");
    test::writeFile(map / "tile.map", "Sceneryobjects\\a.sco\r\n");
    const std::string folder = test::textOf(map);
    ASSERT_GT(folder.size(), 300u);

    EXPECT_TRUE(directoryExists(folder));
    EXPECT_TRUE(folderWritable(folder));
    FileLookup lookup;
    EXPECT_TRUE(lookup.fileExists(test::joinPath(folder, "GLOBAL.CFG")));
    EXPECT_FALSE(lookup.fileExists(test::joinPath(folder, "ailists.cfg")));
    // "/" and ".." are resolved first: the long-path form takes every name as it stands.
    EXPECT_TRUE(lookup.fileExists(folder + "/../Demo/global.cfg"));
    EXPECT_EQ(findTiles(folder), std::vector<std::string>{"tile.map"});
    TileFile tile(test::joinPath(folder, "tile.map"));
    std::vector<char> bytes;
    ASSERT_TRUE(tile.read(bytes, 100));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "Sceneryobjects\\a.sco\r\n");
}

// Windows' ANSI code page (1252 here) holds neither A with macron nor the CJK "one": such a
// name reaches the program with a substitute, and then names nothing. POSIX's UTF-8 holds both.
TEST(TileSearch, NamesTheCharacterThatTheCodePageCannotHold)
{
    test::TempDir dir;
    test::writeFile(dir.path() / u"tile \u4e00.map", "");
    test::writeFile(dir.path() / u"Map \u0100" / "global.cfg", "");
    const std::string tile = test::joinPath(dir.str(), test::narrow(u"tile \u4e00.map"));
    const std::string map = test::joinPath(dir.str(), test::narrow(u"Map \u0100"));
    const auto error = [](const std::string& path, const char* code, std::u16string_view shown) {
        return "The name of \"" + path +
               "\" holds a character that the system's code page cannot hold: " + code +
               ", shown here as \"" + test::narrow(shown) + "\".";
    };
    const auto thrown = [](const auto& call) {
        try {
            call();
        } catch (const Error& error) {
            return std::string(error.what());
        }
        return std::string();
    };

    EXPECT_EQ(thrown([&] { findTiles(dir.str()); }),
              test::isWindows() ? error(tile, "U+4E00", u"\u4e00") : "");
    EXPECT_EQ(thrown([&] { requireReachable(test::joinPath(map, "global.cfg")); }),
              test::isWindows() ? error(map, "U+0100", u"\u0100") : "");
    // A path that names something, or is missing for another reason, passes.
    EXPECT_EQ(thrown([&] { requireReachable(test::joinPath(dir.str(), "missing")); }), "");
    EXPECT_EQ(thrown([&] { requireReachable(dir.str()); }), "");
}

TEST(CodePage, TileBytesAreWindows1252)
{
    // Windows-1252 on POSIX by choice, on Windows as the ANSI code page of a Western system
    // (and of Wine's default locale).
    EXPECT_TRUE(codePageIsSingleByte());
    EXPECT_EQ(codePageToUtf16("a\x80\x81\x8D\x8F\x90\x9D\x9F\xA0\xE4\xFF"),
              u"a\u20ac\u0081\u008d\u008f\u0090\u009d\u0178\u00a0\u00e4\u00ff");
}

TEST(CodePage, ProgramTextIsTheAnsiCodePageWithItsBestFit)
{
    GANTREL_SKIP_WITH(test::unlessWindows("the ANSI code page"));
    EXPECT_EQ(utf16ToNarrow(u"H\u00e4user \u20ac"), "H\xE4user \x80");
    EXPECT_EQ(codePageToUtf16(utf16ToNarrow(u"\u0178\u00ff\u0081")), u"\u0178\u00ff\u0081");
    // A character the code page lacks becomes a look-alike where it defines one (A for A with
    // macron, the hyphen for the minus sign), else its default character.
    EXPECT_EQ(utf16ToNarrow(u"\u0100-\u2212"), "A--");
    EXPECT_EQ(utf16ToNarrow(u"\u4e00"), "?");
    EXPECT_EQ(utf16ToNarrow(u"a\xD800"
                            u"b"),
              "a?b");
    EXPECT_EQ(utf16ToNarrow(u""), "");
    EXPECT_EQ(codePageToUtf16(""), u"");
}

TEST(CodePage, ProgramTextIsUtf8)
{
    GANTREL_SKIP_WITH(test::unlessPosix("UTF-8 as the program's text"));
    EXPECT_EQ(utf16ToNarrow(u"H\u00e4user \U0001F68C"), "H\xC3\xA4user \xF0\x9F\x9A\x8C");
    EXPECT_EQ(utf16ToNarrow(u"a\xD800"
                            u"b\xDC00"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    // The longest results: three bytes a unit, four a pair of them, and every byte of the code
    // page as its character.
    EXPECT_EQ(utf16ToNarrow(u"\uFFFF\u20ac\U0010FFFF"), "\xEF\xBF\xBF\xE2\x82\xAC\xF4\x8F\xBF\xBF");
    std::string bytes;
    for (int b = 1; b < 256; ++b) {
        bytes += static_cast<char>(b);
    }
    std::string out = "left from before";
    codePageToNarrow(bytes, out);
    EXPECT_EQ(out, utf16ToNarrow(codePageToUtf16(bytes)));
    // The room of a longer text reused: nothing of it stays.
    codePageToNarrow("\x80\x80", out);
    EXPECT_EQ(out, "\xE2\x82\xAC\xE2\x82\xAC");
}

TEST(CaseInsensitiveOrder, IgnoresCaseAndFollowsTheLocale)
{
    const CaseInsensitiveOrder order;
    EXPECT_EQ(order.sortKey("Houses"), order.sortKey("houses"));
    EXPECT_LT(order.sortKey("apple"), order.sortKey("Banana"));
    EXPECT_LT(order.sortKey("Banana"), order.sortKey("cherry"));
    // Accents weigh after the letter itself: "Äpfel" sorts with the a's, not after z.
    EXPECT_LT(order.sortKey(test::narrow(u"\u00c4pfel")), order.sortKey("Birne"));
    EXPECT_LT(order.sortKey("apfel"), order.sortKey(test::narrow(u"\u00e4pfel")));
    EXPECT_EQ(order.sortKey(test::narrow(u"\u00c4PFEL")),
              order.sortKey(test::narrow(u"\u00e4pfel")));
    EXPECT_LT(order.sortKey(""), order.sortKey("a"));
}

TEST(CaseInsensitiveOrder, TheCLocaleStillIgnoresCase)
{
    const test::ScopedEnvironment locale("LC_ALL", "C");
    const CaseInsensitiveOrder order;
    EXPECT_EQ(order.sortKey("ABC"), order.sortKey("abc"));
    EXPECT_LT(order.sortKey("abc"), order.sortKey("ABD"));
}

}  // namespace
}  // namespace gantrel::platform
