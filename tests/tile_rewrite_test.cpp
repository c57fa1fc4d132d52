// SPDX-License-Identifier: MIT
#include "analysis/tile_rewrite.h"

#include <gtest/gtest.h>

#include <random>

#include "analysis/line_store.h"
#include "platform/code_page.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

enum class Encoding { EightBit, Utf16Le, Utf16Be, Utf8 };

std::string encode(std::u16string_view text, Encoding encoding)
{
    switch (encoding) {
        case Encoding::Utf16Le:
            return test::utf16Bytes(text, false);
        case Encoding::Utf16Be:
            return test::utf16Bytes(text, true);
        case Encoding::Utf8:
            return "\xEF\xBB\xBF" + test::utf8Bytes(text);
        case Encoding::EightBit:
            break;
    }
    return platform::utf16ToCodePageExactly(text).value();
}

std::vector<std::u16string> linesOf(const std::string& file)
{
    LineStore store;
    std::vector<char> bytes(file.begin(), file.end());
    store.assignFile(bytes);
    std::vector<std::u16string> lines;
    for (std::size_t i = 0; i < store.lineCount(); ++i) {
        lines.push_back(store.line(i));
    }
    return lines;
}

// Random tiles in every encoding and with every kind of line break: relinking A to B changes
// exactly the lines the reader shows as A (or below folder A) and nothing else, and relinking
// back gives the original bytes.
TEST(TileRewrite, RelinkingThereAndBackGivesTheOriginalBytesAndChangesOnlyTheReferences)
{
    const std::u16string oldObject = u"Sceneryobjects\\Houses_old\\h\u00e4us.sco";
    const std::u16string newObject = u"Sceneryobjects\\Houses\\h\u00e4us2.sco";
    const std::u16string oldFolder = u"Splines\\Roads_v1\\";
    const std::u16string newFolder = u"Splines\\Stra\u00dfen_v2\\";
    const std::vector<std::u16string> pool = {oldObject,
                                              oldObject + u" ",
                                              u"x" + oldObject,
                                              u"[object]",
                                              u"12.5",
                                              u"",
                                              oldFolder + u"r.sli",
                                              oldFolder + u"sub\\s.sli",
                                              oldFolder + u"r.sli2",
                                              u"Sceneryobjects\\Houses_old\\H\u00e4us.sco",
                                              u"Splines\\Other\\r.sli"};
    const std::vector<std::u16string> breaks = {u"\r\n", u"\n", u"\r", u"\u2028", u"\n\r"};
    std::mt19937 random(21);
    int relinked = 0;
    for (int round = 0; round < 400; ++round) {
        const auto encoding = static_cast<Encoding>(round % 4);
        std::u16string text;
        const int lines = static_cast<int>(random() % 12);
        for (int i = 0; i < lines; ++i) {
            text += pool[random() % pool.size()];
            std::u16string lineBreak = breaks[random() % breaks.size()];
            if (encoding == Encoding::EightBit && lineBreak == u"\u2028") {
                lineBreak = u"\n";  // the code page has no such character
            }
            if (i + 1 < lines || random() % 2 == 0) {
                text += lineBreak;
            }
        }
        if (random() % 4 == 0) {
            text += std::u16string(1, u'\0') + oldObject + u"\n";  // after the end: kept as it is
        }
        const std::string file = encode(text, encoding);
        for (const bool folder : {false, true}) {
            const std::u16string& from = folder ? oldFolder : oldObject;
            const std::u16string& to = folder ? newFolder : newObject;
            const RelinkChange there{test::narrow(from), test::narrow(to)};
            const TileRewrite rewrite = rewriteTile(file, there);
            ASSERT_EQ(rewrite.refusal, RewriteRefusal::None);
            std::vector<std::u16string> expected = linesOf(file);
            std::size_t changed = 0;
            for (std::u16string& line : expected) {
                const bool reference = line.ends_with(u".sco") || line.ends_with(u".sli");
                if (reference && (folder ? line.starts_with(from) : line == from)) {
                    line.replace(0, from.size(), to);
                    ++changed;
                }
            }
            ASSERT_EQ(rewrite.lines, changed) << "round " << round;
            if (changed == 0) {
                EXPECT_TRUE(rewrite.bytes.empty());
                continue;
            }
            ++relinked;
            EXPECT_EQ(linesOf(rewrite.bytes), expected) << "round " << round;
            const TileRewrite back = rewriteTile(rewrite.bytes, {there.to, there.from});
            EXPECT_EQ(back.lines, changed);
            EXPECT_EQ(back.bytes, file) << "round " << round;
        }
    }
    EXPECT_GT(relinked, 200);  // the rounds did relink
}

TEST(TileRewrite, RefusesANameTheTileCodePageLacks)
{
    GANTREL_SKIP_WITH(test::unlessPosix(
        "on Windows the program's text is the tile code page itself, so every name fits"));
    const RelinkChange change{"Sceneryobjects\\a.sco", test::narrow(u"Sceneryobjects\\\u03a9.sco")};
    // The tile code page has no Greek letters; UTF-16 has.
    EXPECT_EQ(rewriteTile("Sceneryobjects\\a.sco\r\n", change).refusal,
              RewriteRefusal::NotEncodable);
}

TEST(TileRewrite, RefusesWhatItCannotWriteExactly)
{
    const RelinkChange change{"Sceneryobjects\\a.sco", test::narrow(u"Sceneryobjects\\\u03a9.sco")};
    EXPECT_EQ(rewriteTile(test::utf16Bytes(u"Sceneryobjects\\a.sco", false), change).lines, 1u);
    EXPECT_EQ(rewriteTile("\xEF\xBB\xBF\x80x\nSceneryobjects\\a.sco\n", change).refusal,
              RewriteRefusal::MalformedUtf8);
    // Nothing to relink in it: no refusal either.
    EXPECT_EQ(rewriteTile("Sceneryobjects\\b.sco\r\n", change).refusal, RewriteRefusal::None);

    EXPECT_TRUE(validRelinkChange({"A\\", "B\\"}));
    EXPECT_TRUE(validRelinkChange({"a.sli", "b.sli"}));
    EXPECT_FALSE(validRelinkChange({"a.sco", "b.sli"}));
    EXPECT_FALSE(validRelinkChange({"A\\", "b.sco"}));
    EXPECT_FALSE(validRelinkChange({"a.sco", "a\nb.sco"}));
    EXPECT_FALSE(validRelinkChange({"a.sco", "a.sco"}));
}

}  // namespace
}  // namespace gantrel
