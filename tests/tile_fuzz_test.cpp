// SPDX-License-Identifier: MIT
// Bounded random loading of tiles: bytes of every kind, run under AddressSanitizer and
// UndefinedBehaviorSanitizer in CI. Every load must succeed and the store must keep its
// invariants; the classifier must read the same bytes without touching memory it does not own.

#include <gtest/gtest.h>

#include <random>

#include "analysis/line_store.h"
#include "analysis/tile_classifier.h"
#include "common/error.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

std::string randomBytes(std::mt19937& random)
{
    static const char special[] = {'\r',   '\n',   '\0',   '.',    's',    'c',    'o',    'l',
                                   'i',    '\\',   '\xE2', '\x80', '\xA8', '\xF0', '\xFF', '\xFE',
                                   '\xEF', '\xBB', '\xBF', '\xED', '\xC2', '\x28', '\x20'};
    std::uniform_int_distribution<int> coin(0, 3);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<std::size_t> which(0, sizeof special - 1);
    std::string bytes;
    const int marks = coin(random);
    if (marks == 1) {
        bytes = "\xFF\xFE";
    } else if (marks == 2) {
        bytes = "\xFE\xFF";
    } else if (marks == 3) {
        bytes = "\xEF\xBB\xBF";
    }
    const std::size_t length = std::uniform_int_distribution<std::size_t>(0, 200)(random);
    for (std::size_t i = 0; i < length; ++i) {
        bytes += coin(random) == 0 ? static_cast<char>(any(random)) : special[which(random)];
    }
    return bytes;
}

TEST(TileFuzz, AnyBytesLoadAndKeepTheStoreConsistent)
{
    std::mt19937 random(42);
    for (int round = 0; round < 20000; ++round) {
        const std::string bytes = randomBytes(random);
        std::vector<char> file(bytes.begin(), bytes.end());
        LineStore store;
        store.assignFile(file);
        const std::u16string& text = store.text();
        ASSERT_EQ(text.find(u'\0'), std::u16string::npos);
        std::size_t units = 0;
        for (std::size_t i = 0; i < store.lineCount(); ++i) {
            const std::u16string line = store.line(i);
            ASSERT_EQ(line.find_first_of(u"\r\n"), std::u16string::npos) << "round " << round;
            units += line.size() + 2;
        }
        // Every unit of the content belongs to a line or to a CR LF after one.
        ASSERT_TRUE(units == text.size() || units == text.size() + 2) << "round " << round;

        TileReferences references;
        classifyTile(std::span<const char>(bytes.data(), bytes.size()), references);
        for (std::size_t i = 0; i < references.size(); ++i) {
            const std::string_view reference = references.text(i);
            ASSERT_GE(reference.size(), 4u);
            ASSERT_TRUE(reference.ends_with(".sco") || reference.ends_with(".sli"));
        }
    }
}

TEST(TileFuzz, LoadingFromDiskMatchesLoadingTheBytes)
{
    test::TempDir dir;
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const std::string bytes = randomBytes(random);
        const auto path = dir.path() / ("t" + std::to_string(round) + ".map");
        test::writeFile(path, bytes);
        LineStore fromDisk;
        fromDisk.loadTile(path.string());
        std::vector<char> file(bytes.begin(), bytes.end());
        LineStore fromBytes;
        fromBytes.assignFile(file);
        ASSERT_EQ(fromDisk.text(), fromBytes.text()) << "round " << round;
    }
}

}  // namespace
}  // namespace gantrel
