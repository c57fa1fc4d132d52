// SPDX-License-Identifier: MIT
#include "analysis/tile_classifier.h"

#include "analysis/tile_decoder.h"
#include "analysis/tile_fast_path.h"
#include "analysis/tile_lines.h"
#include "platform/platform.h"

namespace gantrel {

void classifyTile(std::span<const char> file, TileReferences& out)
{
    ReportedReferences reported;
    classifyTile(file, out, reported);
}

void classifyTile(std::span<const char> file, TileReferences& out, ReportedReferences& reported,
                  std::size_t tile)
{
    out.clear(reported, tile);
    const EncodingMark mark = detectEncoding(file);
    const std::span<const char> text = file.subspan(mark.length);
    const bool bigEndian = mark.encoding == TileEncoding::Utf16BigEndian;
    const bool utf8 = mark.encoding == TileEncoding::Utf8;
    // A tile whose lines may be too long goes the line-by-line way, which lists every
    // reference of the tile afresh: the quick pass may have stopped anywhere.
    ReportedReferences tileOnly;
    if (mark.encoding == TileEncoding::Utf16LittleEndian || bigEndian) {
        if (!findUtf16References(text, bigEndian, out)) {
            out.clear(tileOnly, tile, false);
            classifyUtf16(text, bigEndian, out);
        }
    } else if (utf8 || platform::codePageIsSingleByte()) {
        if (!findByteReferences(text, utf8, out)) {
            out.clear(tileOnly, tile, false);
            classifyBytes(text, utf8, out);
        }
    } else {
        // A code page of several bytes a character: its trail bytes may look like ".sco".
        classifyDecoded(platform::codePageToUtf16({text.data(), text.size()}), out);
    }
    out.finish();
}

}  // namespace gantrel
