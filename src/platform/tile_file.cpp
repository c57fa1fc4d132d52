// SPDX-License-Identifier: MIT
// Reading a whole tile file, the same on every platform once the file is open.

#include "platform/platform.h"

namespace gantrel::platform {

bool TileFile::read(std::vector<char>& bytes, std::uint64_t maxSize)
{
    if (m_size > maxSize) {
        return false;
    }
    // The measured size and one byte more in one read: a file that grew since it was measured
    // fills that byte, and is then read on in steps until its end or the limit, whichever
    // comes first.
    constexpr std::size_t kStep = 65536;
    bytes.resize(static_cast<std::size_t>(m_size) + 1);
    std::size_t done = readAt(0, bytes.data(), bytes.size());
    while (done == bytes.size() && done <= maxSize) {
        bytes.resize(done + kStep);
        done += readAt(done, bytes.data() + done, kStep);
    }
    bytes.resize(done);
    return done <= maxSize;
}

}  // namespace gantrel::platform
