// SPDX-License-Identifier: MIT
#pragma once

// The zip container of the map package: local headers, the central directory and the ZIP64
// records, with names in UTF-8 and the modification times kept.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gantrel::zip {

/// Where a zip goes. Written in order, except for a step back to a local header (to fill in
/// what is known only after the content) or to the start of a file's content (to write it
/// again stored). Both throw Error when the system refuses.
class ZipOutput {
public:
    virtual ~ZipOutput() = default;
    virtual void write(const char* bytes, std::size_t count) = 0;
    virtual void seek(std::uint64_t offset) = 0;
};

/// The content of one entry, read in pieces; read() returns 0 at the end and throws Error when
/// the content cannot be read. rewind() goes back to the start (for the stored copy).
class EntrySource {
public:
    virtual ~EntrySource() = default;
    virtual std::size_t read(char* into, std::size_t room) = 0;
    virtual void rewind() = 0;
};

/// What became of a file handed to addFile.
enum class AddResult {
    Added,
    Changed,  // the content was not the same on the second reading, or grew past what its
              // header could hold: the zip cannot be finished
};

/// Writes a zip through a ZipOutput: each file deflated (level 6) or, when that does not make
/// it smaller, stored; at most a few pieces of a file are in memory at any time.
class ZipWriter {
public:
    explicit ZipWriter(ZipOutput& out);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    /// Adds a file: `name` in UTF-8 with "/" separators, `modified` in seconds since 1970, and
    /// `expectedSize` the size the file had when it was listed or opened, which decides whether
    /// its local header gets room for 64-bit sizes. `progress` is told the bytes read of this
    /// file after each piece. Throws what the source and the output throw.
    AddResult addFile(std::string_view name, std::int64_t modified, std::uint64_t expectedSize,
                      EntrySource& source, const std::function<void(std::uint64_t)>& progress);

    /// Writes the central directory and the end records (ZIP64 ones when the zip holds 65,535
    /// entries or more or passes 4 GiB) and returns the zip's length.
    std::uint64_t finish();

    std::size_t entries() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace gantrel::zip
