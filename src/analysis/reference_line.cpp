// SPDX-License-Identifier: MIT
#include "analysis/reference_line.h"

#include <span>

#include "analysis/tile_decoder.h"
#include "platform/platform.h"

namespace gantrel {

void narrowBytes(std::string_view bytes, bool utf8, std::string& out)
{
    if (!utf8) {
        platform::codePageToNarrow(bytes, out);
        return;
    }
    const std::span<const char> text(bytes.data(), bytes.size());
    if (isWellFormedUtf8(text)) {
        platform::utf8ToNarrow(bytes, out);
    } else {
        out = platform::utf16ToNarrow(decodeUtf8(text));
    }
}

}  // namespace gantrel
