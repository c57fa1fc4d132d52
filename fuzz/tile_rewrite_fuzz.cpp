// SPDX-License-Identifier: MIT
// The relink of a tile on any bytes: the relinked tile reads as the original with exactly the
// matching reference lines changed, and relinking back gives the original bytes whenever the
// original held no line the way back would change as well.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/line_store.h"
#include "analysis/tile_rewrite.h"
#include "platform/code_page.h"

namespace {

using gantrel::LineStore;
using gantrel::RelinkChange;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

// The lines the scan reads, up to the first one too long to fetch.
std::vector<std::u16string> linesOf(std::string_view file)
{
    LineStore store;
    std::vector<char> bytes(file.begin(), file.end());
    store.assignFile(bytes);
    std::vector<std::u16string> lines;
    const std::u16string& text = store.text();
    std::size_t start = 0;
    for (std::size_t i = 0; i < store.lineCount(); ++i) {
        const std::size_t end = std::min(text.find(u"\r\n", start), text.size());
        if (end - start > LineStore::kMaxFetchableLine) {
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::size_t applyTo(std::vector<std::u16string>& lines, const RelinkChange& change)
{
    const std::u16string from = gantrel::platform::narrowToUtf16(change.from);
    const std::u16string to = gantrel::platform::narrowToUtf16(change.to);
    std::size_t changed = 0;
    for (std::u16string& line : lines) {
        const bool reference = line.ends_with(u".sco") || line.ends_with(u".sli");
        if (reference && (change.folder() ? line.starts_with(from) : line == from)) {
            line.replace(0, from.size(), to);
            ++changed;
        }
    }
    return changed;
}

const RelinkChange kChanges[] = {
    {"a\\b.sco", "a\\c.sco"},
    {"a\\", "xy\\"},
    {"S\\Old\\h.sli", "S\\h.sli"},
    {"S\\", "S\\\xC3\xA4\\"},  // a character beyond ASCII in the new folder
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const RelinkChange& change = kChanges[data[0] % std::size(kChanges)];
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);
    const gantrel::TileRewrite rewrite = gantrel::rewriteTile(file, change);
    if (rewrite.refusal != gantrel::RewriteRefusal::None || rewrite.lines == 0) {
        return 0;
    }
    std::vector<std::u16string> expected = linesOf(file);
    if (applyTo(expected, change) != rewrite.lines) {
        fail("the relink changed another number of lines than the reader shows");
    }
    if (linesOf(rewrite.bytes) != expected) {
        fail("the relinked tile does not read as the original with the change");
    }
    std::vector<std::u16string> original = linesOf(file);
    if (applyTo(original, {change.to, change.from}) == 0) {
        const gantrel::TileRewrite back =
            gantrel::rewriteTile(rewrite.bytes, {change.to, change.from});
        if (back.bytes != file) {
            fail("relinking back did not give the original bytes");
        }
    }
    return 0;
}
