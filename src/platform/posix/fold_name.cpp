// SPDX-License-Identifier: MIT
#include "platform/posix/fold_name.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace gantrel::platform {

// Simple case folding, one code point at a time, as a file system that ignores case compares
// names; invalid UTF-8 stays as its bytes.
void foldInto(std::string& folded, std::string_view name)
{
    folded.clear();
    for (std::size_t i = 0; i < name.size();) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80) {
            folded += byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte + 32) : name[i];
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
        const UChar32 lower = u_foldCase(code, U_FOLD_CASE_DEFAULT);
        char buffer[4];
        std::size_t length = 0;
        U8_APPEND_UNSAFE(buffer, length, lower);
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
