// SPDX-License-Identifier: MIT
// The program's 8-bit strings are UTF-8 here; ICU maps the case of every Unicode letter.

#include "window/text_case.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace gantrel::window {

std::u32string codePointsOf(std::string_view text)
{
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::u32string codePoints(static_cast<std::size_t>(unicode.countChar32()), U'\0');
    UErrorCode status = U_ZERO_ERROR;
    unicode.toUTF32(reinterpret_cast<UChar32*>(codePoints.data()),
                    static_cast<int32_t>(codePoints.size()), status);
    return codePoints;
}

std::string narrowOf(std::u32string_view codePoints)
{
    const icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF32(reinterpret_cast<const UChar32*>(codePoints.data()),
                                      static_cast<int32_t>(codePoints.size()));
    std::string text;
    unicode.toUTF8String(text);
    return text;
}

char32_t upperCase(char32_t c)
{
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

char32_t lowerCase(char32_t c)
{
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(c)));
}

}  // namespace gantrel::window
