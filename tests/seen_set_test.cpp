// SPDX-License-Identifier: MIT
#include "analysis/seen_set.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "analysis/tile_classifier.h"  // hashText

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

// Against a plain set: texts met again and again, some under one hash and some under hashes
// that share their low half (growth must keep them findable), after entries that the list
// held before the set was made.
TEST(SeenSet, AddsEachTextOnceInTheOrderFirstMet)
{
    std::vector<std::string> list = {"before", "Sceneryobjects\\7.sco"};
    SeenSet set(list);
    std::set<std::string> seen;
    std::vector<std::string> expected = list;
    std::mt19937 random(20);
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t number = random() % 50000;
        const std::string text = "Sceneryobjects\\" + std::to_string(number) + ".sco";
        const std::uint64_t hash = number % 100 == 0   ? 7
                                   : number % 100 == 1 ? hashText(text) << 32 | 0x1234
                                                       : hashText(text);
        const bool isNew = seen.insert(text).second;
        if (isNew) {
            expected.push_back(text);
        }
        set.prefetch(hash);
        ASSERT_EQ(set.addIfNew(text, hash), isNew) << text;
    }
    EXPECT_EQ(list, expected);
    EXPECT_EQ(set.added(), seen.size());
}

}  // namespace
}  // namespace gantrel
