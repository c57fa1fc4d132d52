// SPDX-License-Identifier: MIT
#include "analysis/reference_line.h"

#include <span>

#include "analysis/tile_decoder.h"
#include "platform/platform.h"

namespace gantrel {

std::string narrowBytes(std::string_view bytes, bool utf8)
{
    if (!utf8) {
        return platform::codePageToNarrow(bytes);
    }
    const std::span<const char> text(bytes.data(), bytes.size());
    return isWellFormedUtf8(text) ? platform::utf8ToNarrow(bytes)
                                  : platform::utf16ToNarrow(decodeUtf8(text));
}

}  // namespace gantrel
