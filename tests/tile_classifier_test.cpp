// SPDX-License-Identifier: MIT
#include "analysis/tile_classifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "analysis/line_store.h"
#include "analysis/tile_decoder.h"
#include "support/classifier_model.h"
#include "support/test_support.h"

namespace gantrel {
namespace {

using test::Classified;
using test::classify;

TEST(TileClassifier, FindsReferencesInEveryEncoding)
{
    const std::u16string text =
        u"[object]\r\n0\r\nSceneryobjects\\H\u00e4user\\h1.sco\r\n1.5\r\nSplines\\Roads\\r1."
        u"sli\r\n";
    // The lists hold the program's 8-bit text, whatever the tile's encoding.
    const Classified expected{
        {{ReferenceKind::Object, test::narrow(u"Sceneryobjects\\H\u00e4user\\h1.sco")},
         {ReferenceKind::Spline, "Splines\\Roads\\r1.sli"}},
        std::nullopt};
    EXPECT_EQ(classify(test::utf16Bytes(text, false)), expected);
    EXPECT_EQ(classify(test::utf16Bytes(text, true)), expected);
    EXPECT_EQ(classify("\xEF\xBB\xBF" + test::utf8Bytes(text)), expected);
    EXPECT_EQ(
        classify("[object]\n0\nSceneryobjects\\H\xE4user\\h1.sco\r1.5\rSplines\\Roads\\r1.sli"),
        expected);
}

TEST(TileClassifier, OnlyExactExtensionsAreReferences)
{
    const Classified found = classify(
        "a.sco \r\nb.SCO\r\nc.scox\r\nd.sli\t\r\n.sco\r\nsco\r\ne.sl\r\nf.Sli\r\n.sli\r\n");
    const Classified expected{{{ReferenceKind::Object, ".sco"}, {ReferenceKind::Spline, ".sli"}},
                              std::nullopt};
    EXPECT_EQ(found, expected);
}

TEST(TileClassifier, ListsEachReferenceOnceInFirstOrderCaseSensitively)
{
    const Classified found = classify("x\\b.sco\nx\\a.sco\nx\\b.sco\nX\\b.sco\nx\\a.sco\n");
    const Classified expected{{{ReferenceKind::Object, "x\\b.sco"},
                               {ReferenceKind::Object, "x\\a.sco"},
                               {ReferenceKind::Object, "X\\b.sco"}},
                              std::nullopt};
    EXPECT_EQ(found, expected);
}

TEST(TileClassifier, KeepsTheFolderOfEachReference)
{
    TileReferences references;
    const std::string_view file = "Sceneryobjects\\Houses\\h1.sco\r\nloose.sco\r\n";
    classifyTile(std::span<const char>(file.data(), file.size()), references);
    ASSERT_EQ(references.size(), 2u);
    EXPECT_EQ(references.folder(references[0]), "Sceneryobjects\\Houses\\");
    EXPECT_EQ(references.folder(references[1]), "");
    EXPECT_EQ(references[0].folderHash, hashText("Sceneryobjects\\Houses\\"));
}

TEST(TileClassifier, StopsAtTheFirstLineTooLongToFetch)
{
    const std::string file = "a.sco\r\n" + std::string(65536, 'x') + ".sco\r\nb.sco\r\n";
    const Classified found = classify(file);
    EXPECT_EQ(found, (Classified{{{ReferenceKind::Object, "a.sco"}}, 1}));
    // 65,535 units are still fetched, and such a line can itself be a reference.
    const std::string longest = std::string(65531, 'y') + ".sco";
    EXPECT_EQ(classify(longest).references.size(), 1u);
}

TEST(TileClassifier, AWindowOfAnySizeFindsWhatTheWholeTileHolds)
{
    // Every window up to a few lines long puts a boundary inside each of these: a CR LF, a
    // UTF-16 unit, a UTF-8 sequence and U+2028, a reference's tail, the NUL that ends the text.
    const std::u16string text =
        u"[object]\r\nSceneryobjects\\H\u00e4user\\h1.sco\r\r\n"
        u"x\u2028Splines\\r\u20ac.sli\nSplines\\r2.sli";
    const std::vector<std::string> files = {
        test::utf16Bytes(text, false), test::utf16Bytes(text, true) + "z",
        "\xEF\xBB\xBF" + test::utf8Bytes(text),
        "a.sco\r\nb.sli\rc.sco\n\r" + std::string("d.sco\0e.sco\r\n", 14)};
    for (const std::string& file : files) {
        std::vector<std::size_t> expectedLines;
        const Classified expected = test::classifyLineByLine(file, &expectedLines);
        ASSERT_FALSE(expected.references.empty());
        for (std::size_t window = 1; window <= 48; ++window) {
            std::vector<std::size_t> lines;
            ASSERT_EQ(classify(file, &lines, window), expected) << "window " << window;
            ASSERT_EQ(lines, expectedLines) << "window " << window;
        }
    }
    // A line that fills the whole buffer without a break, in UTF-8 three bytes a unit: too long
    // to fetch however short it is in units, and the lines before it still count.
    std::string euros;
    for (std::size_t i = 0; i < LineStore::kMaxFetchableLine + 8; ++i) {
        euros += "\xE2\x82\xAC";
    }
    for (const std::string& file : {"\xEF\xBB\xBF"
                                    "a.sco\r\n" +
                                        euros + "\r\nb.sco\r\n",
                                    "\xEF\xBB\xBF"
                                    "a.sco\r\n" +
                                        euros.substr(0, 3000) + ".sco\r"}) {
        const Classified expected = test::classifyLineByLine(file);
        ASSERT_EQ(expected.references.size() + (expected.tooLongLine ? 1 : 0), 2u);
        for (const std::size_t window : {std::size_t{1}, std::size_t{4096}, kTileWindow}) {
            EXPECT_EQ(classify(file, nullptr, window), expected) << "window " << window;
        }
    }
}

TEST(TileClassifier, ReadsNoFurtherThanTheTextNeeds)
{
    // Tiles far larger than what is read of them: bytes made up as they are asked for.
    struct Reads {
        std::uint64_t size;
        char byte;
        std::uint64_t read = 0;
        TileRead function()
        {
            return [this](std::uint64_t offset, char* into, std::size_t room) {
                const auto count =
                    static_cast<std::size_t>(std::min<std::uint64_t>(room, size - offset));
                std::fill_n(into, count, byte);
                read += count;
                return count;
            };
        }
    };
    ReportedReferences reported;
    TileReferences references;
    std::vector<char> buffer;
    // Text after the first NUL does not count: one window is read.
    Reads zeros{kMaxTileText, '\0'};
    ASSERT_TRUE(classifyTile(zeros.function(), references, reported, 0, buffer));
    EXPECT_EQ(references.size(), 0u);
    EXPECT_FALSE(references.tooLongLine);
    EXPECT_LE(zeros.read, kTileWindow + 3);
    // A first line that fills the window and more than the longest line that can be fetched
    // is too long, whatever follows it; the line-by-line way reads it once more to be sure.
    Reads letters{kMaxTileText, 'x'};
    ASSERT_TRUE(classifyTile(letters.function(), references, reported, 0, buffer));
    EXPECT_EQ(references.tooLongLine, 0u);
    EXPECT_LE(letters.read, 2 * (kTileWindow + 3 * LineStore::kMaxFetchableLine + 8));
    EXPECT_LE(buffer.capacity(), 2 * (kTileWindow + 3 * LineStore::kMaxFetchableLine + 8));
}

TEST(TileClassifier, EachReadLandsAsAlignedAsTheFile)
{
    // Copying a file to memory a few bytes past the file's alignment costs some processors
    // several times as much: every read, after lines carried over of any length, lands at the
    // file offset's place in a 64-byte line.
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += "Sceneryobjects\\P" + std::to_string(i % 37) + "\\h.sco\r\n" +
                std::string(static_cast<std::size_t>(i % 29), 'x') + "\n";
    }
    const std::string utf16 = test::utf16Bytes(std::u16string(text.begin(), text.end()), false);
    const std::string* const files[] = {&text, &utf16};
    for (const std::string* file : files) {
        for (const std::size_t window : {std::size_t{1000}, std::size_t{4093}}) {
            std::size_t reads = 0;
            std::size_t misplaced = 0;
            const TileRead read = [&](std::uint64_t offset, char* into, std::size_t room) {
                ++reads;
                misplaced += (reinterpret_cast<std::uintptr_t>(into) - offset) % 64 != 0;
                const auto count =
                    static_cast<std::size_t>(std::min<std::uint64_t>(room, file->size() - offset));
                std::copy_n(file->data() + offset, count, into);
                return count;
            };
            ReportedReferences reported;
            TileReferences references;
            std::vector<char> buffer(3);
            ASSERT_TRUE(classifyTile(read, references, reported, 0, buffer, window));
            EXPECT_EQ(references.size(), 37u) << "window " << window;
            EXPECT_GT(reads, file->size() / window);
            EXPECT_EQ(misplaced, 0u) << "of " << reads << " reads, window " << window;
        }
    }
}

// Random tiles built from fragments that meet every rule: marks, all break styles, zeros,
// malformed UTF-8, surrogates, near-miss extensions and now and then a line too long to fetch.
template <class Piece>
Piece pick(std::mt19937& random, const std::vector<Piece>& pieces)
{
    return pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
}

int upTo(std::mt19937& random, int most)
{
    return std::uniform_int_distribution<int>(0, most)(random);
}

std::string randomByteTile(std::mt19937& random)
{
    static const std::vector<std::string> fragments = {"Sceneryobjects\\Houses\\h1",
                                                       "Splines\\r",
                                                       "\\",
                                                       "x",
                                                       " ",
                                                       "\t",
                                                       ".sco",
                                                       ".sli",
                                                       ".SCO",
                                                       ".sc",
                                                       "o",
                                                       "li",
                                                       "\r",
                                                       "\n",
                                                       "\r\n",
                                                       std::string("\0", 1),
                                                       "\xE2\x80\xA8",
                                                       "\xE2\x80",
                                                       "\xC3\xA4",
                                                       "\xE4",
                                                       "\x80",
                                                       "\xF0\x9F\x9A\x8C",
                                                       "\xF0\x9F",
                                                       "\xED\xA0\x80",
                                                       "\xFF",
                                                       "\x81",
                                                       "\xFE",
                                                       "[object]",
                                                       "1.25",
                                                       "\xC2"};
    std::string body = upTo(random, 1) == 0 ? "\xEF\xBB\xBF" : "";
    for (int i = upTo(random, 60); i > 0; --i) {
        body += pick(random, fragments);
        if (upTo(random, 300) == 0) {
            body += std::string(static_cast<std::size_t>(65530 + upTo(random, 10)), 'L');
        }
    }
    return body;
}

std::string randomUtf16Tile(std::mt19937& random)
{
    static const std::vector<std::u16string> fragments = {u"Splines\\Roads\\r",
                                                          u"\\",
                                                          u".sco",
                                                          u".sli",
                                                          u".sc",
                                                          u"o",
                                                          u"li",
                                                          u"\r",
                                                          u"\n",
                                                          u"\r\n",
                                                          u"\u2028",
                                                          u"\u2029",
                                                          std::u16string(1, u'\0'),
                                                          u"\xD800",
                                                          u"\xDC00",
                                                          u"\U0001F68C",
                                                          u"\u00e4",
                                                          u"\u20ac",
                                                          u" ",
                                                          u"x"};
    std::u16string body;
    for (int i = upTo(random, 60); i > 0; --i) {
        body += pick(random, fragments);
        if (upTo(random, 300) == 0) {
            body += std::u16string(static_cast<std::size_t>(65530 + upTo(random, 10)), u'L');
        }
    }
    std::string file = test::utf16Bytes(body, upTo(random, 1) == 0);
    if (upTo(random, 3) == 0) {
        file += 'z';  // an odd last byte
    }
    return file;
}

TEST(TileClassifier, AgreesWithTheLineByLineModelOnRandomTiles)
{
    // Every vector set of the fast path on the same tiles.
    test::forEachVectorSet([](VectorSet set) {
        SCOPED_TRACE("vector set " + std::to_string(static_cast<int>(set)));
        std::mt19937 random(20261208);
        std::size_t references = 0;
        std::size_t tooLong = 0;
        for (int round = 0; round < 4000; ++round) {
            const std::string file =
                upTo(random, 2) == 0 ? randomUtf16Tile(random) : randomByteTile(random);
            std::vector<std::size_t> expectedLines;
            const Classified expected = test::classifyLineByLine(file, &expectedLines);
            std::vector<std::size_t> lines;
            ASSERT_EQ(classify(file, &lines), expected) << "round " << round;
            ASSERT_EQ(lines, expectedLines) << "round " << round;
            ASSERT_EQ(classify(file), expected) << "round " << round << ", lines not counted";
            // Read a few bytes at a time, so that lines, breaks and characters are split.
            const std::size_t window = 1 + static_cast<std::size_t>(round) % 11;
            lines.clear();
            ASSERT_EQ(classify(file, &lines, window), expected) << "round " << round << ", window";
            ASSERT_EQ(lines, expectedLines) << "round " << round << ", window";
            references += expected.references.size();
            tooLong += expected.tooLongLine.has_value() ? 1 : 0;
        }
        // The rounds must have met the interesting cases, or the agreement says little.
        EXPECT_GT(references, 500u);
        EXPECT_GT(tooLong, 20u);
    });
}

TEST(TileClassifier, EveryVectorSetFindsWhatTheModelFindsAtEveryPlaceOfABlock)
{
    // Lines of every length up to twice a block of 64 units put each kind of break, each tail
    // and each character outside ASCII at every place of a block and of each vector step in it;
    // a NUL cuts the text at each of them. Three rounds of them run past the blocks whose masks
    // are worked out together, so that lines start in one such batch and end in the next.
    std::u16string text;
    std::string eightBit;
    for (std::size_t n = 0; n < 3 * 131; ++n) {
        const std::size_t length = n % 131;
        // In the later rounds the character outside ASCII opens the line instead, far from its
        // end: a line across two batches then holds it only in the first.
        const bool opened = n >= 131;
        const std::u16string line = (opened ? u"\u00e4\\" : u"a\\") + std::u16string(length, u'x') +
                                    (length % 2 == 0 ? u".sco"
                                     : opened        ? u".sli"
                                                     : u"\u00e4.sli");
        static const std::u16string breaks[] = {u"\r\n", u"\n", u"\r", u"\u2028"};
        text += line + breaks[length % 4];
        eightBit += (opened ? "\xE4\\" : "a\\") + std::string(length, 'x') +
                    (length % 2 == 0 ? ".sco"
                     : opened        ? ".sli"
                                     : "\xE4.sli") +
                    (length % 3 == 0 ? "\r\n" : "\n");
    }
    const std::vector<std::string> files = {eightBit, test::utf16Bytes(text, false),
                                            test::utf16Bytes(text, true),
                                            "\xEF\xBB\xBF" + test::utf8Bytes(text)};
    test::forEachVectorSet([&](VectorSet set) {
        SCOPED_TRACE("vector set " + std::to_string(static_cast<int>(set)));
        std::size_t references = 0;
        for (const std::string& whole : files) {
            for (std::size_t cut = 0; cut <= 300; cut += 3) {
                std::string file = whole;
                if (cut > 0) {
                    file[file.size() / 2 + cut] = '\0';
                }
                std::vector<std::size_t> expectedLines;
                const Classified expected = test::classifyLineByLine(file, &expectedLines);
                std::vector<std::size_t> lines;
                ASSERT_EQ(classify(file, &lines), expected) << "NUL at " << cut;
                ASSERT_EQ(lines, expectedLines) << "NUL at " << cut;
                ASSERT_EQ(classify(file), expected) << "NUL at " << cut << ", lines not counted";
                references += expected.references.size();
            }
        }
        EXPECT_GT(references, 20000u);
    });
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

TEST(ReportedReferences, TheEarliestReportingTileCountsWhateverTheOrder)
{
    // Readers finish their tiles in any order: a reference reported by tile 10 and then by
    // tile 9 may be left out from tile 9 on, and not before.
    ReportedReferences reported;
    const std::string_view r = "a\\r.sco";
    EXPECT_TRUE(reported.report(r, hashText(r), 10));
    EXPECT_FALSE(reported.reportedBy(r, hashText(r), 9));
    EXPECT_TRUE(reported.report(r, hashText(r), 9));
    EXPECT_FALSE(reported.report(r, hashText(r), 10));
    EXPECT_TRUE(reported.reportedBy(r, hashText(r), 9));
    EXPECT_FALSE(reported.reportedBy(r, hashText(r), 8));
    // A full record records nothing more: what it lacks is reported on every tile.
    ReportedReferences small(1);
    std::size_t recorded = 0;
    for (int i = 0; i < 2000; ++i) {
        const std::string text = "f\\" + std::to_string(i) + ".sco";
        ASSERT_TRUE(small.report(text, hashText(text), 5));
        recorded += small.reportedBy(text, hashText(text), 5) ? 1 : 0;
    }
    EXPECT_TRUE(small.full());
    EXPECT_GT(recorded, 0u);
    EXPECT_LT(recorded, 2000u);
    // Texts of every length up to past a cache line, each kept whole under its own id.
    ReportedReferences lengths;
    std::vector<std::string> texts;
    for (std::size_t n = 1; n <= 150; ++n) {
        texts.push_back(std::string(n, static_cast<char>('a' + n % 26)) + ".sco");
        std::uint32_t id = 0;
        ASSERT_TRUE(lengths.report(texts.back(), hashText(texts.back()), 3, id));
        EXPECT_EQ(id, n - 1);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::uint32_t id = ReportedReferences::kNoId;
        EXPECT_TRUE(lengths.reportedBy(texts[i], hashText(texts[i]), 3, id)) << texts[i];
        EXPECT_EQ(id, i);
        const std::string other = texts[i].substr(1) + "x";
        EXPECT_FALSE(lengths.reportedBy(other, hashText(other), 3));
    }
}

TEST(ReportedReferences, ADenseTileListsEachNewReferenceOnceInFirstOrder)
{
    // Far more occurrences than are checked together, and repeats enough for a pass over
    // them: what is left must be exactly the first occurrences that `reported` lacks.
    ReportedReferences reported;
    TileReferences references;
    const std::string early = "r\\early.sco\r\n";
    classifyTile(std::span<const char>(early.data(), early.size()), references, reported);
    std::string tile;
    std::vector<std::string> expected;
    std::set<std::string> seen;
    std::mt19937 random(13);
    for (int i = 0; i < 300000; ++i) {
        const auto n = std::uniform_int_distribution<int>(0, 39999)(random);
        const std::string text =
            n == 0 ? "r\\early.sco"
                   : "f" + std::to_string(n % 97) + "\\r" + std::to_string(n) + ".sli";
        tile += "[spline]\r\n" + text + "\r\n";
        if (n != 0 && seen.insert(text).second) {
            expected.push_back(text);
        }
    }
    classifyTile(std::span<const char>(tile.data(), tile.size()), references, reported);
    ASSERT_EQ(references.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(references.text(i), expected[i]) << i;
        const std::size_t slash = expected[i].rfind('\\');
        EXPECT_EQ(references.folder(references[i]), expected[i].substr(0, slash + 1));
    }
}

}  // namespace
}  // namespace gantrel
