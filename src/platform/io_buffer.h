// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace gantrel::platform {

/// Room for moving a file's bytes in large pieces, starting on a page. The system copies
/// between a file and memory several times slower on some processors (3.5 times measured) when
/// the memory lies a few bytes past the file's alignment, as an allocation of its own pages
/// does: it starts 16 bytes into its first page.
class IoBuffer {
public:
    explicit IoBuffer(std::size_t size)
        : m_bytes(static_cast<char*>(::operator new[](size, std::align_val_t{kPage}))), m_size(size)
    {
    }

    char* data() const { return m_bytes.get(); }
    std::size_t size() const { return m_size; }

private:
    static constexpr std::size_t kPage = 4096;

    struct Release {
        void operator()(char* bytes) const { ::operator delete[](bytes, std::align_val_t{kPage}); }
    };
    std::unique_ptr<char[], Release> m_bytes;
    std::size_t m_size;
};

}  // namespace gantrel::platform
