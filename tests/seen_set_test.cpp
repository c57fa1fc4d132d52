#include "analysis/seen_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/tile_classifier.h"

namespace gantrel {
namespace {

TEST(TextSet, DecidesByTheTextNotByTheHash)
{
    TextSet set;
    // Every text under one hash: only the texts can tell them apart.
    constexpr std::uint64_t kSameHash = 42;
    EXPECT_TRUE(set.insert("Sceneryobjects\\a.sco", kSameHash));
    EXPECT_TRUE(set.insert("Sceneryobjects\\A.sco", kSameHash));
    EXPECT_TRUE(set.insert("Sceneryobjects\\a.sc", kSameHash));
    EXPECT_TRUE(set.insert("", kSameHash));
    EXPECT_FALSE(set.insert("Sceneryobjects\\A.sco", kSameHash));
    EXPECT_FALSE(set.insert("", kSameHash));
    EXPECT_EQ(set.size(), 4u);
}

TEST(TextSet, KeepsEveryTextThroughGrowth)
{
    TextSet set;
    std::vector<std::string> texts;
    for (int i = 0; i < 20000; ++i) {
        // Short and long texts, the long ones sharing long prefixes.
        texts.push_back(i % 3 == 0 ? std::to_string(i)
                                   : std::string(200, 'x') + "\\" + std::to_string(i) + ".sco");
    }
    for (const std::string& text : texts) {
        ASSERT_TRUE(set.insert(text, hashText(text))) << text;
        set.prefetchSlot(hashText(text));
        set.prefetchText(hashText(text));
    }
    for (const std::string& text : texts) {
        ASSERT_FALSE(set.insert(text, hashText(text))) << text;
    }
    EXPECT_EQ(set.size(), texts.size());
}

TEST(ReportedReferences, LeavesOutWhatAnEarlierTileReported)
{
    const auto classify = [](std::string_view file, ReportedReferences& reported) {
        TileReferences references;
        classifyTile(std::span<const char>(file.data(), file.size()), references, reported);
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < references.size(); ++i) {
            texts.emplace_back(references.text(i));
        }
        return texts;
    };
    ReportedReferences reported;
    EXPECT_EQ(classify("a\\1.sco\r\nb\\2.sli\r\na\\1.sco\r\n", reported),
              (std::vector<std::string>{"a\\1.sco", "b\\2.sli"}));
    EXPECT_EQ(classify("b\\2.sli\r\nc\\3.sco\r\na\\1.sco\r\nc\\3.sco\r\n", reported),
              (std::vector<std::string>{"c\\3.sco"}));
    // A tile that stops at a line too long to fetch reports nothing to later tiles: the scan
    // ends at that tile, and its references are listed from its own lines alone.
    const std::string tooLong = "d\\4.sco\r\n" + std::string(70000, 'x') + "\r\ne\\5.sco\r\n";
    EXPECT_EQ(classify(tooLong, reported), (std::vector<std::string>{"d\\4.sco"}));
    EXPECT_EQ(classify("e\\5.sco\r\nd\\4.sco\r\n", reported),
              (std::vector<std::string>{"e\\5.sco", "d\\4.sco"}));
}

}  // namespace
}  // namespace gantrel
