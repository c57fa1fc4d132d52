// SPDX-License-Identifier: MIT
// Debian packages no zip library for the Windows cross build, so the container is written here,
// over zlib's deflate and CRC-32, for both platforms alike.
#include "export/zip/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/error.h"
#include "platform/io_buffer.h"
#include "platform/package_files.h"

namespace gantrel::zip {
namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEnd = 0x06054b50;
constexpr std::uint32_t kZip64End = 0x06064b50;
constexpr std::uint32_t kZip64Locator = 0x07064b50;
constexpr std::uint16_t kZip64Extra = 0x0001;
constexpr std::uint16_t kTimestampExtra = 0x5455;
constexpr std::uint16_t kUtf8Names = 1 << 11;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kVersionDeflate = 20;
constexpr std::uint16_t kVersionZip64 = 45;
constexpr std::uint32_t kMax32 = 0xFFFFFFFF;
constexpr std::uint16_t kMax16 = 0xFFFF;
constexpr std::size_t kPiece = 1 << 18;
constexpr std::size_t kOutputBuffer = 1 << 20;
constexpr int kLevel = 6;

// Little-endian fields, appended to a header being built.
class Bytes {
public:
    Bytes& u16(std::uint16_t value) { return put(value, 2); }
    Bytes& u32(std::uint32_t value) { return put(value, 4); }
    Bytes& u64(std::uint64_t value) { return put(value, 8); }
    Bytes& text(std::string_view value)
    {
        m_bytes.append(value);
        return *this;
    }
    const std::string& bytes() const { return m_bytes; }

private:
    Bytes& put(std::uint64_t value, int count)
    {
        for (int i = 0; i < count; ++i) {
            m_bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
        return *this;
    }
    std::string m_bytes;
};

// The output with a buffer in front, so that headers cost no system call of their own and a
// header still in the buffer is filled in there.
class BufferedOutput {
public:
    explicit BufferedOutput(ZipOutput& out) : m_out(out) { m_buffer.reserve(kOutputBuffer); }

    std::uint64_t position() const { return m_flushed + m_buffer.size(); }

    void write(const char* bytes, std::size_t count)
    {
        if (m_buffer.size() + count > kOutputBuffer) {
            flush();
        }
        if (count >= kOutputBuffer) {
            m_out.write(bytes, count);
            m_flushed += count;
        } else {
            m_buffer.insert(m_buffer.end(), bytes, bytes + count);
        }
    }
    void write(const std::string& bytes) { write(bytes.data(), bytes.size()); }

    // Writes over bytes already written, leaving the position where it was.
    void overwrite(std::uint64_t offset, const std::string& bytes)
    {
        if (offset >= m_flushed) {
            std::memcpy(m_buffer.data() + (offset - m_flushed), bytes.data(), bytes.size());
            return;
        }
        flush();
        m_out.seek(offset);
        m_out.write(bytes.data(), bytes.size());
        m_out.seek(m_flushed);
    }

    // Drops everything written after the offset: what follows is written from there.
    void rewindTo(std::uint64_t offset)
    {
        if (offset >= m_flushed) {
            m_buffer.resize(offset - m_flushed);
            return;
        }
        m_buffer.clear();
        m_out.seek(offset);
        m_flushed = offset;
    }

    void flush()
    {
        if (!m_buffer.empty()) {
            m_out.write(m_buffer.data(), m_buffer.size());
            m_flushed += m_buffer.size();
            m_buffer.clear();
        }
    }

private:
    ZipOutput& m_out;
    std::vector<char> m_buffer;
    std::uint64_t m_flushed = 0;
};

struct Entry {
    std::string name;
    std::uint32_t crc = 0;
    std::uint64_t compressed = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
    std::uint16_t method = kDeflated;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t unixTime = 0;
    bool zip64Local = false;
};

// DOS time and date fields in local time, which cannot go before 1980 or after 2107.
void setDosTime(Entry& entry, std::int64_t modified)
{
    std::tm local = platform::localTime(modified);
    if (local.tm_year < 80) {
        local = std::tm{};
        local.tm_year = 80;
        local.tm_mday = 1;
    }
    const int year = std::min(local.tm_year - 80, 127);
    entry.dosTime = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) |
                                               (local.tm_sec / 2));
    entry.dosDate =
        static_cast<std::uint16_t>((year << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    // The timestamp field holds a signed 32-bit count of seconds.
    entry.unixTime = static_cast<std::uint32_t>(
        std::clamp<std::int64_t>(modified, 0, std::numeric_limits<std::int32_t>::max()));
}

std::string timestampExtra(const Entry& entry)
{
    return Bytes().u16(kTimestampExtra).u16(5).text("\x01").u32(entry.unixTime).bytes();
}

std::string localHeader(const Entry& entry)
{
    Bytes extra;
    if (entry.zip64Local) {
        extra.u16(kZip64Extra).u16(16).u64(entry.size).u64(entry.compressed);
    }
    extra.text(timestampExtra(entry));
    Bytes header;
    header.u32(kLocalHeader)
        .u16(entry.zip64Local ? kVersionZip64 : kVersionDeflate)
        .u16(kUtf8Names)
        .u16(entry.method)
        .u16(entry.dosTime)
        .u16(entry.dosDate)
        .u32(entry.crc)
        .u32(entry.zip64Local ? kMax32 : static_cast<std::uint32_t>(entry.compressed))
        .u32(entry.zip64Local ? kMax32 : static_cast<std::uint32_t>(entry.size))
        .u16(static_cast<std::uint16_t>(entry.name.size()))
        .u16(static_cast<std::uint16_t>(extra.bytes().size()))
        .text(entry.name)
        .text(extra.bytes());
    return header.bytes();
}

std::string centralHeader(const Entry& entry)
{
    // The 64-bit field holds, in this order, only the values that do not fit their own field.
    Bytes wide;
    const auto field32 = [&wide](std::uint64_t value) {
        if (value >= kMax32) {
            wide.u64(value);
            return kMax32;
        }
        return static_cast<std::uint32_t>(value);
    };
    const std::uint32_t size = field32(entry.size);
    const std::uint32_t compressed = field32(entry.compressed);
    const std::uint32_t offset = field32(entry.offset);
    Bytes extra;
    if (!wide.bytes().empty()) {
        extra.u16(kZip64Extra).u16(static_cast<std::uint16_t>(wide.bytes().size()));
        extra.text(wide.bytes());
    }
    extra.text(timestampExtra(entry));
    const bool zip64 = entry.zip64Local || !wide.bytes().empty();
    Bytes header;
    header.u32(kCentralHeader)
        .u16(kVersionZip64)  // made by: MS-DOS attributes, the newest feature used
        .u16(zip64 ? kVersionZip64 : kVersionDeflate)
        .u16(kUtf8Names)
        .u16(entry.method)
        .u16(entry.dosTime)
        .u16(entry.dosDate)
        .u32(entry.crc)
        .u32(compressed)
        .u32(size)
        .u16(static_cast<std::uint16_t>(entry.name.size()))
        .u16(static_cast<std::uint16_t>(extra.bytes().size()))
        .u16(0)  // comment
        .u16(0)  // disk
        .u16(0)  // internal attributes
        .u32(0)  // external attributes: a plain file
        .u32(offset)
        .text(entry.name)
        .text(extra.bytes());
    return header.bytes();
}

std::uint32_t crcOf(std::uint32_t crc, const char* bytes, std::size_t count)
{
    return static_cast<std::uint32_t>(
        ::crc32(crc, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(count)));
}

// One raw deflate stream (no zlib header), released on every path.
class Deflater {
public:
    Deflater()
    {
        if (::deflateInit2(&m_stream, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
            Z_OK) {
            throw Error("Cannot start the compression: out of memory");
        }
    }
    ~Deflater() { ::deflateEnd(&m_stream); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Compresses a piece (finish: the last one, possibly empty) into the output; returns the
    // number of compressed bytes written.
    std::uint64_t deflate(const char* bytes, std::size_t count, bool finish, BufferedOutput& out)
    {
        m_stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes));
        m_stream.avail_in = static_cast<uInt>(count);
        std::uint64_t written = 0;
        for (;;) {
            m_stream.next_out = reinterpret_cast<Bytef*>(m_out);
            m_stream.avail_out = sizeof m_out;
            const int status = ::deflate(&m_stream, finish ? Z_FINISH : Z_NO_FLUSH);
            if (status == Z_STREAM_ERROR) {
                throw Error("The compression failed");
            }
            const std::size_t made = sizeof m_out - m_stream.avail_out;
            out.write(m_out, made);
            written += made;
            if (finish ? status == Z_STREAM_END : m_stream.avail_out != 0) {
                return written;
            }
        }
    }

private:
    z_stream m_stream{};
    char m_out[kPiece];
};

}  // namespace

struct ZipWriter::State {
    explicit State(ZipOutput& out) : output(out), piece(kPiece) {}
    BufferedOutput output;
    platform::IoBuffer piece;
    std::vector<Entry> entries;
};

ZipWriter::ZipWriter(ZipOutput& out) : m_state(std::make_unique<State>(out)) {}

ZipWriter::~ZipWriter() = default;

std::size_t ZipWriter::entries() const
{
    return m_state->entries.size();
}

AddResult ZipWriter::addFile(std::string_view name, std::int64_t modified,
                             std::uint64_t expectedSize, EntrySource& source,
                             const std::function<void(std::uint64_t)>& progress)
{
    State& state = *m_state;
    BufferedOutput& out = state.output;
    Entry entry;
    entry.name = std::string(name);
    entry.offset = out.position();
    entry.zip64Local = expectedSize >= kMax32;
    setDosTime(entry, modified);
    const std::string placeholder = localHeader(entry);
    out.write(placeholder);
    const std::uint64_t contentStart = out.position();

    // Deflated first; an empty file has nothing to deflate.
    std::unique_ptr<Deflater> deflater = expectedSize > 0 ? std::make_unique<Deflater>() : nullptr;
    for (;;) {
        const std::size_t got = source.read(state.piece.data(), state.piece.size());
        if (got > 0 && !deflater) {
            deflater = std::make_unique<Deflater>();  // it grew since it was listed
        }
        entry.crc = crcOf(entry.crc, state.piece.data(), got);
        entry.size += got;
        if (deflater) {
            entry.compressed += deflater->deflate(state.piece.data(), got, got == 0, out);
        }
        if (got == 0) {
            break;
        }
        progress(entry.size);
    }
    if (!entry.zip64Local && (entry.size >= kMax32 || entry.compressed >= kMax32)) {
        return AddResult::Changed;
    }

    // Stored where deflating did not make it smaller: written again from the start.
    if (!deflater || entry.compressed >= entry.size) {
        entry.method = kStored;
        out.rewindTo(contentStart);
        if (deflater) {
            source.rewind();
            std::uint32_t crc = 0;
            std::uint64_t size = 0;
            while (const std::size_t got = source.read(state.piece.data(), state.piece.size())) {
                crc = crcOf(crc, state.piece.data(), got);
                size += got;
                out.write(state.piece.data(), got);
            }
            if (crc != entry.crc || size != entry.size) {
                return AddResult::Changed;
            }
        }
        entry.compressed = entry.size;
    }
    out.overwrite(entry.offset, localHeader(entry));
    state.entries.push_back(std::move(entry));
    return AddResult::Added;
}

std::uint64_t ZipWriter::finish()
{
    BufferedOutput& out = m_state->output;
    const std::uint64_t directoryStart = out.position();
    for (const Entry& entry : m_state->entries) {
        out.write(centralHeader(entry));
    }
    const std::uint64_t directoryEnd = out.position();
    const std::uint64_t count = m_state->entries.size();
    const std::uint64_t directorySize = directoryEnd - directoryStart;
    if (count >= kMax16 || directorySize >= kMax32 || directoryStart >= kMax32) {
        out.write(Bytes()
                      .u32(kZip64End)
                      .u64(44)  // the record's size after this field
                      .u16(kVersionZip64)
                      .u16(kVersionZip64)
                      .u32(0)
                      .u32(0)
                      .u64(count)
                      .u64(count)
                      .u64(directorySize)
                      .u64(directoryStart)
                      .bytes());
        out.write(Bytes().u32(kZip64Locator).u32(0).u64(directoryEnd).u32(1).bytes());
    }
    const auto count16 = static_cast<std::uint16_t>(std::min<std::uint64_t>(count, kMax16));
    out.write(Bytes()
                  .u32(kEnd)
                  .u16(0)
                  .u16(0)
                  .u16(count16)
                  .u16(count16)
                  .u32(static_cast<std::uint32_t>(std::min<std::uint64_t>(directorySize, kMax32)))
                  .u32(static_cast<std::uint32_t>(std::min<std::uint64_t>(directoryStart, kMax32)))
                  .u16(0)
                  .bytes());
    out.flush();
    return out.position();
}

}  // namespace gantrel::zip
