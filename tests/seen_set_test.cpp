// SPDX-License-Identifier: MIT
#include "analysis/seen_set.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace gantrel
