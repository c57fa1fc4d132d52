#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "support/test_support.h"

namespace gantrel::platform {
namespace {

namespace fs = std::filesystem;

class FileLookupTest : public ::testing::Test {
protected:
    std::string at(std::string_view relative) const
    {
        return m_dir.str() + "/" + std::string(relative);
    }
    void make(std::string_view relative) const { test::writeFile(m_dir.path() / relative, "x"); }

    test::TempDir m_dir;
    FileLookup lookup;
};

TEST_F(FileLookupTest, ResolvesEveryComponentWithoutRegardToCase)
{
    make("SceneryObjects/houses/H1.sco");
    EXPECT_TRUE(lookup.fileExists(at("Sceneryobjects\\Houses\\h1.sco")));
    EXPECT_TRUE(lookup.fileExists(at("SCENERYOBJECTS/HOUSES/H1.SCO")));
    EXPECT_TRUE(lookup.fileExists(at("SceneryObjects/houses/H1.sco")));
    EXPECT_FALSE(lookup.fileExists(at("Sceneryobjects\\Houses\\h2.sco")));
    EXPECT_FALSE(lookup.fileExists(at("Sceneryobjects\\Trees\\h1.sco")));
}

TEST_F(FileLookupTest, FoldsLettersBeyondAscii)
{
    make("Sceneryobjects/H\xC3\x84USER/\xC3\x96l.sco");  // HÄUSER/Öl.sco
    EXPECT_TRUE(lookup.fileExists(at("sceneryobjects\\h\xC3\xA4user\\\xC3\xB6L.sco")));
    EXPECT_FALSE(lookup.fileExists(at("sceneryobjects\\haeuser\\oel.sco")));
}

TEST_F(FileLookupTest, FoldersAreNoFiles)
{
    fs::create_directories(m_dir.path() / "Splines" / "road.sli");
    EXPECT_FALSE(lookup.fileExists(at("Splines\\road.sli")));
    EXPECT_FALSE(lookup.fileExists(at("Splines")));
    EXPECT_FALSE(lookup.fileExists(at("Splines\\")));
}

TEST_F(FileLookupTest, WildcardsAreOrdinaryCharacters)
{
    make("objects/a.sco");
    EXPECT_FALSE(lookup.fileExists(at("objects\\*.sco")));
    EXPECT_FALSE(lookup.fileExists(at("objects\\?.sco")));
    make("objects/*.sco");
    FileLookup fresh;
    EXPECT_TRUE(fresh.fileExists(at("objects\\*.sco")));
}

TEST_F(FileLookupTest, PrefersTheExactNameWhereSeveralMatch)
{
    // A case-sensitive disk may hold names that a case-insensitive one could not: a folder
    // "a" and a file "A" in one place must not hide each other.
    fs::create_directories(m_dir.path() / "x" / "a");
    make("x/A");
    make("x/a/f.sco");
    EXPECT_TRUE(lookup.fileExists(at("x\\A")));
    EXPECT_TRUE(lookup.fileExists(at("x\\a")));         // the file A matches without regard to case
    EXPECT_TRUE(lookup.fileExists(at("x\\A\\f.sco")));  // the folder a serves as a folder
}

TEST_F(FileLookupTest, FollowsSymbolicLinksAndSkipsBrokenOnes)
{
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
    // The folder was listed once; a file made since is not seen by this lookup object...
    EXPECT_FALSE(lookup.fileExists(at("cached\\two.sco")));
    // ...but by the next one, as the next scan makes its own.
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
    for (const char* name : {"a.map", "B.MAP", ".hidden.map", "c.Map", "d.mapx", "emap", "f.txt"}) {
        test::writeFile(dir.path() / name, "");
    }
    fs::create_directory(dir.path() / "folder.map");
    std::vector<std::string> names = findTiles(dir.str());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{".hidden.map", "B.MAP", "a.map", "c.Map", "folder.map"}));
    EXPECT_TRUE(findTiles(dir.str() + "/missing").empty());
}

TEST(CodePage, TileBytesAreWindows1252)
{
    EXPECT_EQ(codePageToUtf16("a\x80\x81\x8D\x8F\x90\x9D\x9F\xA0\xE4\xFF"),
              u"a\u20ac\u0081\u008d\u008f\u0090\u009d\u0178\u00a0\u00e4\u00ff");
    EXPECT_EQ(utf16ToNarrow(u"H\u00e4user \U0001F68C"), "H\xC3\xA4user \xF0\x9F\x9A\x8C");
    EXPECT_EQ(utf16ToNarrow(u"a\xD800"
                            u"b\xDC00"),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
}

TEST(CaseInsensitiveOrder, IgnoresCaseAndFollowsTheLocale)
{
    const CaseInsensitiveOrder order;
    EXPECT_EQ(order.sortKey("Houses"), order.sortKey("houses"));
    EXPECT_LT(order.sortKey("apple"), order.sortKey("Banana"));
    EXPECT_LT(order.sortKey("Banana"), order.sortKey("cherry"));
    // Accents weigh after the letter itself: "Äpfel" sorts with the a's, not after z.
    EXPECT_LT(order.sortKey("\xC3\x84pfel"), order.sortKey("Birne"));
    EXPECT_LT(order.sortKey("apfel"), order.sortKey("\xC3\xA4pfel"));
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
