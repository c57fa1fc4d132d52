// SPDX-License-Identifier: MIT
// The quick tile classifier against the line-by-line model on any bytes, and the UTF-8 decoder
// of tiles against ICU's. Built twice: with the real line limit and with a short one, at which
// the lines around the limit cost a few hundred bytes instead of 64 KiB.

#include <unicode/ustring.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

#include "analysis/tile_decoder.h"
#include "support/classifier_model.h"

namespace {

using gantrel::test::Classified;

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

// ICU's standard decoding, malformed sequences replaced by U+FFFD; also how many there were.
std::u16string icuDecodeUtf8(std::string_view text, std::int32_t& substitutions)
{
    std::u16string units(text.size(), u'\0');  // never more units than bytes
    std::int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(units.data()),
                         static_cast<std::int32_t>(units.size()), &length, text.data(),
                         static_cast<std::int32_t>(text.size()), 0xFFFD, &substitutions, &status);
    if (U_FAILURE(status)) {
        fail("ICU could not decode the input");
    }
    units.resize(static_cast<std::size_t>(length));
    return units;
}

void checkUtf8Decoder(std::string_view text)
{
    const std::span<const char> bytes(text.data(), text.size());
    std::int32_t substitutions = 0;
    if (gantrel::decodeUtf8(bytes) != icuDecodeUtf8(text, substitutions)) {
        fail("decodeUtf8 differs from the standard decoding");
    }
    if (gantrel::isWellFormedUtf8(bytes) != (substitutions == 0)) {
        fail("isWellFormedUtf8 disagrees with the standard decoding");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::vector<std::size_t> expectedLines;
    const Classified expected = gantrel::test::classifyLineByLine(file, &expectedLines);
    // Read a few bytes at a time, so that lines, breaks and characters are split.
    const std::size_t window = 1 + size % 7;
    // The fast path on each vector set the processor runs.
    gantrel::test::forEachVectorSet([&](gantrel::VectorSet set) {
        std::vector<std::size_t> lines;
        const Classified found = gantrel::test::classify(file, &lines);
        // Without the lines counted, as the plain scan classifies.
        const Classified plain = gantrel::test::classify(file);
        std::vector<std::size_t> windowLines;
        const Classified windowed = gantrel::test::classify(file, &windowLines, window);
        if (found != expected || lines != expectedLines || plain != expected ||
            windowed != expected || windowLines != expectedLines) {
            std::ostringstream message;
            message << "vector set " << static_cast<int>(set) << "\nclassifyTile:     " << found
                    << "\nuncounted:        " << plain << "\nwindow of " << window << ":      "
                    << windowed << "\nline by line:     " << expected;
            fail(message.str());
        }
    });
    checkUtf8Decoder(file);
    return 0;
}
