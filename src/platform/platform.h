// SPDX-License-Identifier: MIT
#pragma once

// The one seam to the operating system. Everything the engine asks of the system goes through
// these declarations; CMake picks the POSIX or the Win32 implementation, callers never see which.

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace gantrel::platform {

// ---- Paths -------------------------------------------------------------------------------

/// The separator the program puts into paths it builds: "/" on POSIX, "\" on Windows.
char separator();
/// True for every character the native path rules take as a separator.
bool isSeparator(char c);
/// True where paths start with drive letters (C:\).
bool hasDrives();
/// The absolute form of a path, as the system's full-path routine gives it ("." and ".." and
/// doubled separators resolved lexically); the path itself when it cannot be made absolute.
std::string fullPath(const std::string& path);
/// The folder a chosen path leads to: on POSIX with every symbolic link on the way followed
/// (the real path), as the native folder chooser returns a shortcut's target; the path itself
/// when it is relative or cannot be resolved, and on Windows, whose chooser resolves shortcuts
/// itself.
std::string linkTarget(const std::string& path);

// ---- File system -------------------------------------------------------------------------

/// The names of the entries of a folder whose name ends in ".map" without regard to case, of
/// every kind (hidden files and folders included), in the order the system lists them.
/// A folder that cannot be listed, or a listing that fails midway, gives what was found so far.
/// Throws Error naming the first such entry whose name holds a character that the 8-bit code
/// page cannot hold (Windows): the program could reach it by no 8-bit name.
std::vector<std::string> findTiles(const std::string& folder);

/// True when the path names an existing directory.
bool directoryExists(const std::string& path);

/// For a path that names nothing: throws Error naming the first entry on the way whose name
/// holds a character that the 8-bit code page cannot hold, when the path holds that name with
/// the code page's substitute in place of the character (Windows; a folder chooser and the
/// command line give such names so). Returns when the path names something or fails for
/// another reason, and always on POSIX, whose 8-bit strings are UTF-8.
void requireReachable(const std::string& path);

/// What keeps a chosen map folder from being read as one, whatever it holds.
struct FolderProblem {
    enum class Kind {
        None,
        Backslash,  // a name on its path holds "\", which map paths take as a separator (POSIX)
        TooLong,    // its full path is longer than the system takes
        Unlisted,   // it is there but cannot be listed
    };
    Kind kind = Kind::None;
    std::string path;    // the folder, or for Backslash the path up to the name that holds it
    std::string reason;  // for Unlisted: the system's words
};

/// The problem of a map folder, or Kind::None: a folder that is missing or that lacks a
/// configuration file has none of these.
FolderProblem mapFolderProblem(const std::string& folder);

/// File-exists tests for one operation. Names are found as the native file system finds them:
/// without regard to case, with "\" and "/" both taken as separators, "*" and "?" literal.
/// On POSIX each folder is listed once and kept for the object's lifetime, so one lookup object
/// serves one scan and repeated lookups below the same folders cost no further system calls.
class FileLookup {
public:
    FileLookup();
    ~FileLookup();
    FileLookup(const FileLookup&) = delete;
    FileLookup& operator=(const FileLookup&) = delete;

    /// True when the path names an existing file that is not a directory.
    bool fileExists(std::string_view path);

private:
    struct Cache;
    std::unique_ptr<Cache> m_cache;
};

/// A tile file opened for reading (shared for reading where the system has share modes). The
/// open never blocks: a tile that is not a regular file (a folder, a named pipe, a device, a
/// socket, or a link to one) is refused before anything is read from it.
class TileFile {
public:
    /// Opens the file. Throws Error with the open error's text ("Cannot open file "%s". %s")
    /// when it cannot be opened or is not a regular file.
    explicit TileFile(const std::string& path);
    ~TileFile();
    TileFile(const TileFile&) = delete;
    TileFile& operator=(const TileFile&) = delete;

    const std::string& path() const { return m_path; }
    /// The size the system gave when the file was opened.
    std::uint64_t size() const { return m_size; }
    /// Reads up to `room` bytes from the start of the file, for a look at what it begins with;
    /// returns how many were read. Throws as the constructor does.
    std::size_t readStart(char* into, std::size_t room) { return readAt(0, into, room); }
    /// Reads from the offset until `room` bytes are read or the file ends; returns how many.
    /// Throws as the constructor does.
    std::size_t readAt(std::uint64_t offset, char* into, std::size_t room);
    /// Reads the whole file into `bytes`, replacing its content and reusing its capacity.
    /// Returns false as soon as the file turns out to hold more than maxSize bytes, also one
    /// that grows while it is read. Throws as the constructor does.
    bool read(std::vector<char>& bytes, std::uint64_t maxSize);

private:
    struct Handle;
    std::string m_path;
    std::unique_ptr<Handle> m_handle;
    std::uint64_t m_size = 0;
};

// ---- Text --------------------------------------------------------------------------------

/// True when the 8-bit code page of tile files gives one UTF-16 code unit per byte.
bool codePageIsSingleByte();

/// Converts text in the 8-bit code page of tile files to UTF-16; never fails.
std::u16string codePageToUtf16(std::string_view bytes);

/// Converts UTF-16 to the program's 8-bit strings (paths, list entries); never fails: a
/// character the target lacks becomes its substitute, an unpaired surrogate U+FFFD on POSIX.
std::string utf16ToNarrow(std::u16string_view text);

/// The same as utf16ToNarrow(codePageToUtf16(bytes)), without the text in between, into `out`
/// (on POSIX into its room as it is: the scan converts reference lines one after the other).
void codePageToNarrow(std::string_view bytes, std::string& out);

/// The program's 8-bit string for well-formed UTF-8 text.
std::string utf8ToNarrow(std::string_view text);
/// The same into `out` (on POSIX into its room as it is).
void utf8ToNarrow(std::string_view text, std::string& out);

/// UTF-8 for one of the program's 8-bit strings, for text that leaves the program as UTF-8
/// (JSON); never fails. On POSIX the strings are UTF-8 already.
std::string narrowToUtf8(std::string_view text);

/// Writes the program's 8-bit text to a stream. When the stream is std::cout or std::cerr and
/// that goes to a console (Windows), the text is written as the characters it stands for,
/// through the console's UTF-16 interface, whatever code page the console shows; to a file or
/// a pipe, and on POSIX, its bytes go into the stream as they are.
void writeText(std::ostream& out, std::string_view text);

/// The case-insensitive order of the user's locale, used for the tile list and the result lists.
class CaseInsensitiveOrder {
public:
    CaseInsensitiveOrder();
    ~CaseInsensitiveOrder();
    CaseInsensitiveOrder(const CaseInsensitiveOrder&) = delete;
    CaseInsensitiveOrder& operator=(const CaseInsensitiveOrder&) = delete;

    /// A byte string whose plain byte order is the locale's case-insensitive order of the texts.
    std::string sortKey(std::string_view text) const;
    /// Negative, zero or positive as `a` comes before `b`, ties with it or comes after it: the
    /// order of their sort keys, without making them.
    int compare(std::string_view a, std::string_view b) const;

    /// Where texts of ASCII characters alone are ordered character by character, each ASCII
    /// character's rank: two such texts are in the order of their ranks' byte strings, the
    /// characters of rank 0 left out. `kUnranked` marks a character that only sortKey orders
    /// (one the locale joins with the next, as Czech does c and h). Null where the order is not
    /// known to be one of characters (Windows, whose order sets hyphens and apostrophes apart).
    static constexpr std::uint8_t kUnranked = 0xFF;
    using AsciiRanks = std::array<std::uint8_t, 128>;
    const AsciiRanks* asciiRanks() const;

private:
    struct Collator;
    std::unique_ptr<Collator> m_collator;
};

// ---- Locations ---------------------------------------------------------------------------

/// The folder that holds the running executable, with a trailing separator; empty when the
/// system cannot tell.
std::string executableFolder();
/// The user's own folder for the program's settings, with a trailing separator, not created:
/// $XDG_CONFIG_HOME/gantrel/ (default ~/.config/gantrel/), %APPDATA%\Gantrel\ on Windows;
/// empty when the user has no home folder.
std::string userSettingsFolder();
/// True when files can be created in the folder.
bool folderWritable(const std::string& folder);
/// True when the folder is an installed program's rather than the user's own: on POSIX one the
/// user does not own and, for the superuser, who owns the whole system, any folder outside
/// their home folder; never on Windows, where the folder's access rights alone decide.
bool installedProgramFolder(const std::string& folder);
/// The shell's special folder for an identifier (38 programs, 20 fonts) with a trailing
/// separator, never created; the empty string where the system has no such folder.
std::string specialFolder(int id);

// ---- Process -----------------------------------------------------------------------------

/// Makes a write to a pipe whose reader has gone fail with an error, as a full disk does,
/// instead of ending the process without a word (POSIX's SIGPIPE); Windows does so already.
void failWritesToClosedPipes();
/// Keeps the threads that a scan starts to a few allocator arenas: readers grow their buffers
/// on one thread and hand them to the next, and an arena per thread (as the C library of Linux
/// makes by default) holds what each has freed, some megabytes a reader. Call before the
/// threads start; Windows has one process heap anyway.
void shareAllocatorArenas();

// ---- Initialisation files ----------------------------------------------------------------

/// The value of a key in a section of an initialisation file, at most maxLength bytes, cut at
/// a character boundary; the empty string when the file, the section or the key is missing.
/// Names match without regard to case. On POSIX a value that is not valid UTF-8 was written by
/// Windows and is read as Windows-1252.
std::string readProfileString(const std::string& file, std::string_view section,
                              std::string_view key, std::size_t maxLength);

/// Sets a key of a section, leaving every other section, key and line as it was; creates the
/// file (and the section) when missing. The file is replaced in one step (a crash leaves the
/// old or the new file, never half of one), keeps its permissions, and a symbolic link stays a
/// link. Returns false when the file cannot be written.
bool writeProfileString(const std::string& file, std::string_view section, std::string_view key,
                        std::string_view value);

// ---- Files the user saves ----------------------------------------------------------------

/// Makes `bytes` the whole content of the file, creating it or replacing it in one step: they
/// go to a new file beside it that then takes its place, so a write that fails leaves the file
/// as it was and a crash never leaves half of one. An existing file keeps its permissions and
/// a symbolic link stays a link. Returns false, and changes nothing, when the file cannot be
/// written: its folder is missing or not writable, it is read-only, or it is a folder.
bool replaceFile(const std::string& path, std::string_view bytes);

}  // namespace gantrel::platform
