// SPDX-License-Identifier: MIT
#include "platform/posix/fold_name.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace gantrel::platform {

// The native file system compares names by upper-casing each UTF-16 unit with its simple
// upper-case mapping: wider folding would join names it keeps apart (the Kelvin sign and "k").
// A character outside the basic plane is two units that no mapping changes; invalid UTF-8
// stays as its bytes.
void foldInto(std::string& folded, std::string_view name)
{
    folded.clear();
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80) {
            folded += byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 32) : name[i];
            ++i;
            continue;
        }
        const std::size_t start = i;
        UChar32 code = 0;
        U8_NEXT(name.data(), i, name.size(), code);
        if (code < 0) {
            folded.append(name.substr(start, i - start));
            continue;
        }
        UChar32 upper = code;
        if (code <= 0xFFFF) {
            upper = u_toupper(code);
            upper = upper <= 0xFFFF ? upper : code;
        }
        char buffer[4];
        std::size_t length = 0;
        U8_APPEND_UNSAFE(buffer, length, upper);
        folded.append(buffer, length);
    }
}

std::string foldName(std::string_view name)
{
    std::string folded;
    foldInto(folded, name);
    return folded;
}

}  // namespace gantrel::platform
