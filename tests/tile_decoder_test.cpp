// SPDX-License-Identifier: MIT
#include "analysis/tile_decoder.h"

#include <gtest/gtest.h>

#include <random>

namespace gantrel {
namespace {

// UTF-16 back to UTF-8, unpaired surrogates as U+FFFD: independent of the platform's strings.
std::string toUtf8(std::u16string_view units)
{
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            out +=
                {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                 static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            out +=
                {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                 static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return out;
}

TEST(TileDecoder, WellFormedUtf8IsExactlyWhatDecodesUnchanged)
{
    // Text is well-formed exactly when decoding it and encoding it again gives the same bytes,
    // so the quick check may stand in for the decoder on reference lines.
    std::mt19937 random(99);
    const char pieces[] = {'a',    '\\',   '.',    '\x80', '\xBF', '\xC2', '\xC3',
                           '\xA4', '\xE0', '\xA0', '\xED', '\x9F', '\xEF', '\xF0',
                           '\x90', '\xF4', '\x8F', '\xF5', '\xFF'};
    std::size_t wellFormed = 0;
    for (int round = 0; round < 20000; ++round) {
        // Now and then a run of ASCII as long as a word of the quick check, or longer.
        std::string bytes;
        for (int n = std::uniform_int_distribution<int>(0, 8)(random); n > 0; --n) {
            if (random() % 4 == 0) {
                bytes += std::string(random() % 18, 'a');
            }
            bytes +=
                pieces[std::uniform_int_distribution<std::size_t>(0, sizeof pieces - 1)(random)];
        }
        const std::span<const char> text(bytes.data(), bytes.size());
        const bool expected = toUtf8(decodeUtf8(text)) == bytes;
        ASSERT_EQ(isWellFormedUtf8(text), expected) << "round " << round;
        wellFormed += expected ? 1 : 0;
    }
    EXPECT_GT(wellFormed, 1000u);
    EXPECT_LT(wellFormed, 19000u);
}

TEST(TileDecoder, MarksAreTestedInOrder)
{
    const auto mark = [](std::string_view bytes) {
        return detectEncoding(std::span<const char>(bytes.data(), bytes.size()));
    };
    EXPECT_EQ(mark("\xFF\xFE\xBB\xBF").encoding, TileEncoding::Utf16LittleEndian);
    EXPECT_EQ(mark("\xFE\xFF").encoding, TileEncoding::Utf16BigEndian);
    EXPECT_EQ(mark("\xEF\xBB\xBF").length, 3u);
    EXPECT_EQ(mark("\xEF\xBB").encoding, TileEncoding::EightBit);
    EXPECT_EQ(mark("\xFF").length, 0u);
}

}  // namespace
}  // namespace gantrel
