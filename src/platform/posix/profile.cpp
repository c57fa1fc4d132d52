// SPDX-License-Identifier: MIT
// Initialisation files on POSIX, and the one-step replacement of a file they and the lists the
// user saves share. Written by hand rather than taken from a library because the
// settings file must be read and written exactly as the native system's own routines do it.
//
// A file is a list of lines. "[name]" starts a section, ";" starts a comment, "key=value"
// sets a key; blanks around names and values do not count, and a value in a matching pair of
// quotes loses them. Only the first section of a name and its first key of a name count.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <unicode/utf8.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace gantrel::platform {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Section and key names are ASCII in practice; letters outside ASCII compare as bytes.
bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

/// One line of the file as offsets into its text: [begin, contentEnd) is the line without its
/// line break, [contentEnd, end) the break itself ("\r\n", "\n", or nothing on the last line).
struct Line {
    std::size_t begin;
    std::size_t contentEnd;
    std::size_t end;
};

// The break that ends a last line that has none. A lone CR there already ends the line's
// content: it is completed to CR LF, so the line reads as before.
std::string_view closingBreak(std::string_view text, std::string_view lineBreak)
{
    return text.ends_with('\r') ? "\n" : lineBreak;
}

std::vector<Line> splitLines(std::string_view text)
{
    std::vector<Line> lines;
    // A byte-order mark is not part of the first line's name.
    std::size_t begin = text.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
    while (begin < text.size()) {
        const auto feed = text.find('\n', begin);
        const std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
        std::size_t contentEnd = feed == std::string_view::npos ? text.size() : feed;
        if (contentEnd > begin && text[contentEnd - 1] == '\r') {
            --contentEnd;
        }
        lines.push_back({begin, contentEnd, end});
        begin = end;
    }
    return lines;
}

enum class LineKind : unsigned char { Blank, Comment, Section, Key };

struct ParsedLine {
    LineKind kind;
    std::string_view name;
    std::string_view value;
};

ParsedLine parseLine(std::string_view content)
{
    const std::string_view text = trimBlanks(content);
    if (text.empty()) {
        return {LineKind::Blank, {}, {}};
    }
    if (text.front() == ';') {
        return {LineKind::Comment, {}, {}};
    }
    if (text.front() == '[') {
        // Whatever follows the closing bracket is ignored; without one the rest is the name.
        const auto close = text.find(']');
        const auto name =
            close == std::string_view::npos ? text.substr(1) : text.substr(1, close - 1);
        return {LineKind::Section, trimBlanks(name), {}};
    }
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) {
        return {LineKind::Key, text, {}};
    }
    std::string_view value = trimBlanks(text.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return {LineKind::Key, trimBlanks(text.substr(0, equals)), value};
}

/// Where a key is, or would go, in a file.
struct Placement {
    /// The header of the first section of the name, when there is one.
    std::optional<std::size_t> section;
    /// The last line of that section that is not blank (its header when it has none).
    std::size_t lastFilledLine = 0;
    /// The first key line of the name in that section, when there is one.
    std::optional<std::size_t> key;
};

Placement locate(std::string_view text, const std::vector<Line>& lines, std::string_view section,
                 std::string_view key)
{
    Placement placement;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        const ParsedLine parsed = parseLine(text.substr(line.begin, line.contentEnd - line.begin));
        if (parsed.kind == LineKind::Section) {
            if (placement.section) {
                break;
            }
            if (sameName(parsed.name, section)) {
                placement.section = i;
                placement.lastFilledLine = i;
            }
            continue;
        }
        if (!placement.section || parsed.kind == LineKind::Blank) {
            continue;
        }
        placement.lastFilledLine = i;
        if (parsed.kind == LineKind::Key && sameName(parsed.name, key)) {
            placement.key = i;
            break;
        }
    }
    return placement;
}

bool isUtf8(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 code = 0;
        U8_NEXT(bytes, i, length, code);
        if (code < 0) {
            return false;
        }
    }
    return true;
}

// The program's strings are UTF-8; a file written by a Windows system holds its 8-bit text
// in Windows-1252, which is rarely valid UTF-8 by accident.
std::string toProgramText(std::string_view value)
{
    if (isUtf8(value)) {
        return std::string(value);
    }
    return utf16ToNarrow(codePageToUtf16(value));
}

std::string cutAtCharacter(std::string text, std::size_t maxLength)
{
    if (text.size() <= maxLength) {
        return text;
    }
    std::size_t cut = maxLength;
    while (cut > 0 && U8_IS_TRAIL(static_cast<std::uint8_t>(text[cut]))) {
        --cut;
    }
    text.resize(cut);
    return text;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    void reset(int fd)
    {
        close();
        m_fd = fd;
    }
    bool close()
    {
        const bool closed = m_fd < 0 || ::close(m_fd) == 0;
        m_fd = -1;
        return closed;
    }

private:
    int m_fd;
};

// The file is a few lines: more than this is no settings file of ours.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 20;

struct FileContent {
    enum class Status : unsigned char { Read, Missing, Unreadable };
    Status status = Status::Unreadable;
    std::string bytes;
    mode_t mode = 0;
};

// Only a regular file of at most kMaxFileSize bytes is read: a named pipe would block the open,
// a device such as /dev/zero never end.
FileContent readWholeFile(const std::string& file)
{
    FileContent content;
    const FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        content.status =
            errno == ENOENT ? FileContent::Status::Missing : FileContent::Status::Unreadable;
        return content;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > kMaxFileSize) {
        return content;
    }
    content.mode = info.st_mode & 07777;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return content;
        }
        content.bytes.append(buffer, static_cast<std::size_t>(got));
        if (content.bytes.size() > kMaxFileSize) {  // it grew meanwhile
            return content;
        }
    }
    content.status = FileContent::Status::Read;
    return content;
}

// A file its owner made read-only keeps its content, as the native writer leaves it; the
// replacing rename would not ask. The superuser may write anything, so the mode tells there.
bool readOnly(const std::string& file, mode_t mode)
{
    return ::access(file.c_str(), W_OK) != 0 || (mode & 0222) == 0;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

/// A new file beside the one it will replace, removed again unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target)
    {
        std::random_device random;
        for (int attempt = 0; attempt < 16 && m_fd.get() < 0; ++attempt) {
            // A short stem keeps the name within the file system's limit for long names.
            std::string name = ".";
            name.append(target.filename().string(), 0, 64);
            name.append(".").append(std::to_string(random() % 1000000)).append(".tmp");
            m_path = target.parent_path() / name;
            // 0666 leaves the user's umask to decide, as for any new file.
            m_fd.reset(::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (m_fd.get() < 0 && errno != EEXIST) {
                break;
            }
        }
        if (m_fd.get() < 0) {
            m_path.clear();  // the name may be another file's: never remove it
        }
    }
    ~TemporaryFile()
    {
        m_fd.close();
        if (!m_renamed && !m_path.empty()) {
            ::unlink(m_path.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool isOpen() const { return m_fd.get() >= 0; }
    int fd() const { return m_fd.get(); }
    bool close() { return m_fd.close(); }

    bool renameTo(const std::filesystem::path& target)
    {
        m_renamed = ::rename(m_path.c_str(), target.c_str()) == 0;
        return m_renamed;
    }

private:
    FileDescriptor m_fd{-1};
    std::filesystem::path m_path;
    bool m_renamed = false;
};

/// Replaces the file's content in one step: a crash leaves the old file or the new one, never
/// a part of either. An existing file keeps its permissions, `mode` (null for a new file; a
/// pointer, not an optional, which GCC's flow analysis takes for uninitialised when inlined).
bool replaceContent(const std::filesystem::path& target, std::string_view bytes, const mode_t* mode)
{
    TemporaryFile temporary(target);
    if (!temporary.isOpen() || !writeAll(temporary.fd(), bytes)) {
        return false;
    }
    if (mode && ::fchmod(temporary.fd(), *mode) != 0) {
        return false;
    }
    if (::fsync(temporary.fd()) != 0 || !temporary.close()) {
        return false;
    }
    return temporary.renameTo(target);
}

/// The file that a write replaces: a symbolic link stays a link, its target gets the content.
std::filesystem::path writeTarget(const std::string& file)
{
    std::error_code error;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
        auto resolved = std::filesystem::weakly_canonical(file, error);
        if (!error) {
            return resolved;
        }
    }
    return file;
}

}  // namespace

std::string readProfileString(const std::string& file, std::string_view section,
                              std::string_view key, std::size_t maxLength)
{
    const FileContent content = readWholeFile(file);
    if (content.status != FileContent::Status::Read) {
        return {};
    }
    const std::string_view text = content.bytes;
    const std::vector<Line> lines = splitLines(text);
    const Placement placement = locate(text, lines, section, key);
    if (!placement.key) {
        return {};
    }
    const Line& line = lines[*placement.key];
    const ParsedLine parsed = parseLine(text.substr(line.begin, line.contentEnd - line.begin));
    return cutAtCharacter(toProgramText(parsed.value), maxLength);
}

bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value)
{
    const std::filesystem::path target = writeTarget(file);
    const FileContent content = readWholeFile(target.string());
    if (content.status == FileContent::Status::Unreadable ||
        (content.status == FileContent::Status::Read && readOnly(target.string(), content.mode))) {
        return false;
    }
    const std::string_view text = content.bytes;
    const std::vector<Line> lines = splitLines(text);
    // New lines follow the file's own convention, which its first line shows.
    const std::string_view lineBreak =
        !lines.empty() && lines.front().end - lines.front().contentEnd == 2 ? "\r\n" : "\n";
    const std::string keyLine = std::string(key) + "=" + std::string(value);
    const Placement placement = locate(text, lines, section, key);

    std::string updated;
    if (placement.key) {
        const Line& line = lines[*placement.key];
        updated.append(text.substr(0, line.begin))
            .append(keyLine)
            .append(text.substr(line.contentEnd));
    } else if (placement.section) {
        const Line& line = lines[placement.lastFilledLine];
        updated.append(text.substr(0, line.end));
        if (text[line.end - 1] != '\n') {  // the file's last line, without a break
            updated.append(closingBreak(text.substr(0, line.end), lineBreak));
        }
        updated.append(keyLine).append(lineBreak).append(text.substr(line.end));
    } else {
        updated.append(text);
        if (!text.empty() && text.back() != '\n') {
            updated.append(closingBreak(text, lineBreak));
        }
        updated.append("[").append(section).append("]").append(lineBreak);
        updated.append(keyLine).append(lineBreak);
    }

    return replaceContent(target, updated,
                          content.status == FileContent::Status::Read ? &content.mode : nullptr);
}

bool replaceFile(const std::string& path, std::string_view bytes)
{
    const std::filesystem::path target = writeTarget(path);
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        return replaceContent(target, bytes, nullptr);
    }
    const mode_t mode = info.st_mode & 07777;
    if (!S_ISREG(info.st_mode) || readOnly(target.string(), mode)) {
        return false;
    }
    return replaceContent(target, bytes, &mode);
}

}  // namespace gantrel::platform
