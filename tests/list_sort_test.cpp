// SPDX-License-Identifier: MIT
#include "analysis/list_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace gantrel {
namespace {

// The order is the stable sort by whole sort keys: checked against that plain algorithm on
// lists long enough to be sorted in runs by two threads, whose texts tie often (they differ in
// case only, or by a character the order ignores) and differ late (long shared beginnings,
// accented and plain letters), with exact duplicates and keys longer than a block of the key
// arena. Texts of ASCII alone are ordered by ranks and the others by keys, so the texts mix
// the two, also where they tie (a full-width letter); in a locale that joins c and h (Czech),
// where those two have no rank of their own, and in one that ignores punctuation (Thai),
// where it has none at all.
TEST(ListSort, OrdersAsAStableSortByWholeKeys)
{
    std::vector<std::string> letters = {"a",  "A", "b", "B",    "c",    "h", "_",
                                        "\\", "-", " ", "\x01", "\xff", "1", "z"};
    for (const char16_t* other : {u"\u00e4", u"\u00c4", u"\uff21"}) {
        letters.push_back(test::narrow(other));
    }
    for (const auto& [locale, count] : {std::pair{"C", 300000}, std::pair{"cs_CZ.UTF-8", 30000},
                                        std::pair{"th_TH.UTF-8", 30000}}) {
        const test::ScopedEnvironment collation("LC_ALL", locale);
        std::mt19937 random(20);
        std::vector<std::string> list;
        for (int i = 0; i < count; ++i) {
            std::string text = i % 3 == 0 ? "Sceneryobjects\\Pack001\\" : "";
            const auto length = random() % 6;
            for (std::size_t c = 0; c < length; ++c) {
                text += letters[random() % letters.size()];
            }
            if (i % 50000 == 0) {
                text += std::string(1 << 20, 'x');
            }
            list.push_back(text);
        }
        const platform::CaseInsensitiveOrder order;
#if !defined(_WIN32)
        ASSERT_NE(order.asciiRanks(), nullptr) << locale;  // Windows's order ranks nothing
#endif
        std::vector<std::string> keys;
        for (const std::string& text : list) {
            keys.push_back(order.sortKey(text));
        }
        std::vector<std::size_t> positions(list.size());
        std::iota(positions.begin(), positions.end(), std::size_t{0});
        std::stable_sort(positions.begin(), positions.end(),
                         [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
        std::vector<std::string> expected;
        for (const std::size_t position : positions) {
            expected.push_back(list[position]);
        }
        // Texts that tie differ in case or are the same: a tie out of its order, a lost or a
        // doubled entry all show in the texts.
        sortCaseInsensitive(list, order);
        EXPECT_TRUE(list == expected) << locale;
        // The texts of the two kinds are compared directly where they meet.
        for (std::size_t i = 0; i + 1 < positions.size(); i += 97) {
            const int byKeys = keys[positions[i]].compare(keys[positions[i + 1]]);
            const int byTexts = order.compare(expected[i], expected[i + 1]);
            EXPECT_EQ(byKeys < 0, byTexts < 0) << locale << ": " << expected[i];
            EXPECT_EQ(byKeys == 0, byTexts == 0) << locale << ": " << expected[i];
        }
    }
}

// Lists sorted together share the runs' work between two cores: each must come out as it does
// alone, whatever its length (many runs, one, none).
TEST(ListSort, ListsSortedTogetherComeOutAsEachAlone)
{
    std::mt19937 random(7);
    std::vector<std::vector<std::string>> lists(4);
    const std::size_t counts[] = {140000, 9000, 30, 0};
    for (std::size_t l = 0; l < lists.size(); ++l) {
        for (std::size_t i = 0; i < counts[l]; ++i) {
            lists[l].push_back("F" + std::to_string(random() % 5000) +
                               (random() % 2 != 0 ? "\\a" : "\\A"));
        }
    }
    const platform::CaseInsensitiveOrder order;
    std::vector<std::vector<std::string>> alone = lists;
    for (std::vector<std::string>& list : alone) {
        sortCaseInsensitive(list, order);
    }
    std::vector<std::string>* const together[] = {&lists[3], &lists[2], &lists[0], &lists[1]};
    sortCaseInsensitive(together, order);
    for (std::size_t l = 0; l < lists.size(); ++l) {
        EXPECT_TRUE(lists[l] == alone[l]) << "list " << l;
    }
    EXPECT_EQ(lists[1].size(), 9000u);
}

}  // namespace
}  // namespace gantrel
