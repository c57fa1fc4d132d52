// SPDX-License-Identifier: MIT
// The file system on POSIX, made to find names as the native platform of the maps does:
// without regard to case, with "\" and "/" both taken as separators.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "common/error.h"
#include "platform/platform.h"
#include "platform/posix/fold_name.h"
#include "platform/posix/handles.h"
#include "platform/tile_name.h"

namespace gantrel::platform {
namespace {

std::string errnoText(int code)
{
    return std::error_code(code, std::generic_category()).message();
}

// Lets the folder memo be searched with a string_view, without making a string first.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const
    {
        return std::hash<std::string_view>{}(text);
    }
};

enum class Kind : unsigned char { Missing, File, Directory, Other };

// The kind of an entry of a folder opened as `folder`, links followed as the system does.
Kind kindAt(int folder, const char* name)
{
    struct stat info {};
    if (::fstatat(folder, name, &info, 0) != 0) {
        return Kind::Missing;
    }
    if (S_ISDIR(info.st_mode)) {
        return Kind::Directory;
    }
    return S_ISREG(info.st_mode) ? Kind::File : Kind::Other;
}

}  // namespace

char separator()
{
    return '/';
}

bool isSeparator(char c)
{
    return c == '/';
}

bool hasDrives()
{
    return false;
}

std::string fullPath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

std::string linkTarget(const std::string& path)
{
    if (!std::filesystem::path(path).is_absolute()) {
        return path;  // a relative path stays relative to the current folder, as chosen
    }
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? path : real.string();
}

std::vector<std::string> findTiles(const std::string& folder)
{
    std::vector<std::string> names;
    const Directory directory(folder);
    if (directory.get() == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string_view name = entry->d_name;
        if (isTileName(name)) {
            names.emplace_back(name);
        }
    }
    return names;
}

bool directoryExists(const std::string& path)
{
    return !path.empty() && kindAt(AT_FDCWD, path.c_str()) == Kind::Directory;
}

FolderProblem mapFolderProblem(const std::string& folder)
{
    const std::string full = fullPath(folder);
    // A name on disk may hold a backslash here; in a map path it would part two folders.
    for (std::size_t end = full.find('\\'); end != std::string::npos;
         end = full.find('\\', end + 1)) {
        const std::string named = full.substr(0, std::min(full.find('/', end), full.size()));
        struct stat info {};
        if (::lstat(named.c_str(), &info) == 0) {
            return {FolderProblem::Kind::Backslash, named, {}};
        }
    }
    if (full.size() >= PATH_MAX) {
        return {FolderProblem::Kind::TooLong, full, {}};
    }
    const Directory directory(folder);
    if (directory.get() == nullptr && errno != ENOENT && errno != ENOTDIR) {
        return {FolderProblem::Kind::Unlisted, full, errnoText(errno)};
    }
    return {};
}

void requireReachable(const std::string& /*path*/)
{
    // The 8-bit strings are UTF-8 here, which holds every name a file system can give.
}

namespace {

// An entry's folded name as the folder keeps it: stored, or, for a name of ASCII characters
// alone, the name itself, its small letters read as capitals.
struct FoldedName {
    std::string_view text;
    bool upperCase = false;

    unsigned char operator[](std::size_t i) const
    {
        const auto byte = static_cast<unsigned char>(text[i]);
        return upperCase && byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 32)
                                                       : byte;
    }
};

// The byte order of the folded names, as that of std::string_view.
int compare(const FoldedName& a, const FoldedName& b)
{
    const std::size_t common = std::min(a.text.size(), b.text.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return a.text.size() < b.text.size() ? -1 : a.text.size() > b.text.size() ? 1 : 0;
}

}  // namespace

// The folders met so far, each listed once: a tree that follows the names as resolved, so a
// lookup walks from node to node and compares only the short component names. A folder keeps
// its names in one block and its entries sorted by folded name, so that finding a name reads a
// few neighbouring cache lines instead of a chain of small allocations. A map of millions of
// references keeps every file of its folders listed: a name of ASCII characters, the usual one,
// is kept once, without its folded form, and an entry takes 16 bytes.
struct FileLookup::Cache {
    struct Folder;
    struct Entry {
        std::uint32_t name;  // where the name starts in the folder's block of names
        // A name has at most 255 bytes (NAME_MAX), its folded form at most half as many more.
        std::uint16_t nameLength;
        std::uint16_t foldedLength;  // its folded form follows the name, unless `ascii`
        Kind kind;
        bool ascii;
        std::uint32_t folder;  // its number among the folder's subfolders + 1, once entered
    };
    struct Folder {
        explicit Folder(std::string text, Folder* above = nullptr, std::string_view own = {})
            : path(std::move(text)), parent(above), name(own)
        {
        }
        // A starting folder's path, with a trailing separator, empty for the current folder; a
        // folder entered from another keeps only its name there (a map lists many thousands).
        std::string path;
        Folder* parent;    // the folder it was entered from, nullptr for a starting folder
        std::string name;  // its name there

        std::string fullPath() const
        {
            return parent == nullptr ? path : parent->fullPath() + name + "/";
        }
        bool listed = false;
        std::string names;
        std::vector<Entry> entries;  // by folded name; names folded alike in listing order
        std::vector<std::unique_ptr<Folder>> subfolders;  // those entered, as they were

        std::string_view nameOf(const Entry& entry) const
        {
            return std::string_view(names).substr(entry.name, entry.nameLength);
        }
        FoldedName folded(const Entry& entry) const
        {
            return entry.ascii ? FoldedName{nameOf(entry), true}
                               : FoldedName{std::string_view(names).substr(
                                                entry.name + entry.nameLength, entry.foldedLength),
                                            false};
        }
    };

    Folder root{std::string("/")};
    Folder current{std::string()};
    std::unordered_map<std::string, std::unique_ptr<Folder>> aboveCurrent;  // "../", "../../"
    // Folder texts as lookups wrote them, and what they resolved to (nullptr: not there).
    std::unordered_map<std::string, Folder*, TextHash, std::equal_to<>> folders;
    std::string folded;  // reused for every name looked up

    Folder* resolve(std::string_view folder);

    Folder& above(const std::string& path)
    {
        auto& folder = aboveCurrent[path];
        if (!folder) {
            folder = std::make_unique<Folder>(path);
        }
        return *folder;
    }

    // Opens a folder by its path, or, when the path is longer than the system takes, by its
    // name in the folder above, opened the same way: no path is too long to be looked in.
    // Returns a descriptor the caller owns, or -1 with errno set.
    static int open(const Folder& folder)
    {
        const std::string path = folder.fullPath();
        const int fd =
            ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 || errno != ENAMETOOLONG || folder.parent == nullptr) {
            return fd;
        }
        const FileDescriptor above(open(*folder.parent));
        return above.get() < 0
                   ? -1
                   : ::openat(above.get(), folder.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }

    // Lists a folder once. A folder that is not there (any more) holds nothing; one that is
    // there but cannot be listed is an error: what it holds would be reported missing.
    void list(Folder& folder)
    {
        folder.listed = true;
        FileDescriptor fd(open(folder));
        DIR* stream = fd.get() >= 0 ? ::fdopendir(fd.get()) : nullptr;
        if (stream != nullptr) {
            fd.release();
        }
        const Directory directory(stream);
        if (directory.get() == nullptr) {
            if (errno != ENOENT && errno != ENOTDIR) {
                cannotList(folder, errno);
            }
            return;
        }
        errno = 0;
        while (const dirent* entry = ::readdir(directory.get())) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            Kind kind = Kind::Other;
            if (entry->d_type == DT_REG) {
                kind = Kind::File;
            } else if (entry->d_type == DT_DIR) {
                kind = Kind::Directory;
            } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                kind = kindAt(::dirfd(directory.get()), entry->d_name);
            }
            const bool ascii = std::all_of(name.begin(), name.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            });
            const std::size_t at = folder.names.size();
            folder.names.append(name);
            std::size_t foldedLength = 0;
            if (!ascii) {
                foldInto(folded, name);
                folder.names.append(folded);
                foldedLength = folded.size();
            }
            // Numbered in 32 bits: a folder of millions of long names is past what is listed.
            if (folder.names.size() > UINT32_MAX) {
                cannotList(folder, EOVERFLOW);
            }
            folder.entries.push_back(
                Entry{static_cast<std::uint32_t>(at), static_cast<std::uint16_t>(name.size()),
                      static_cast<std::uint16_t>(foldedLength), kind, ascii, 0});
            errno = 0;
        }
        if (errno != 0) {
            cannotList(folder, errno);
        }
        folder.names.shrink_to_fit();
        folder.entries.shrink_to_fit();
        std::stable_sort(folder.entries.begin(), folder.entries.end(),
                         [&](const Entry& a, const Entry& b) {
                             return compare(folder.folded(a), folder.folded(b)) < 0;
                         });
    }

    [[noreturn]] static void cannotList(const Folder& folder, int code)
    {
        std::string path = folder.fullPath();
        if (path.empty()) {
            path = ".";
        }
        throw Error("Cannot look for files in \"" + path + "\": " + errnoText(code));
    }

    // The entry of the folder that a name means: the name itself when it is there, else the
    // first entry of the wanted kind that matches it without regard to case.
    Entry* find(Folder& folder, std::string_view name, bool wantDirectory)
    {
        if (!folder.listed) {
            list(folder);
        }
        foldInto(folded, name);
        const FoldedName key{folded};
        const auto first = std::lower_bound(folder.entries.begin(), folder.entries.end(), key,
                                            [&](const Entry& entry, const FoldedName& k) {
                                                return compare(folder.folded(entry), k) < 0;
                                            });
        const auto wanted = [&](const Entry& e) {
            return wantDirectory ? e.kind == Kind::Directory
                                 : e.kind == Kind::File || e.kind == Kind::Other;
        };
        Entry* candidate = nullptr;
        for (auto it = first; it != folder.entries.end() && compare(folder.folded(*it), key) == 0;
             ++it) {
            if (wanted(*it)) {
                if (folder.nameOf(*it) == name) {
                    return &*it;
                }
                candidate = candidate != nullptr ? candidate : &*it;
            }
        }
        return candidate;
    }

    static Folder& enter(Folder& parent, Entry& entry)
    {
        if (entry.folder == 0) {
            parent.subfolders.push_back(
                std::make_unique<Folder>(std::string(), &parent, parent.nameOf(entry)));
            entry.folder = static_cast<std::uint32_t>(parent.subfolders.size());
        }
        return *parent.subfolders[entry.folder - 1];
    }
};

FileLookup::FileLookup() : m_cache(std::make_unique<Cache>()) {}

FileLookup::~FileLookup() = default;

bool FileLookup::fileExists(std::string_view path)
{
    // Most lookups of a scan name a file in a folder that an earlier lookup has resolved
    // already: the folder part of the text is resolved once and remembered as written.
    const std::size_t cut = path.find_last_of("/\\");
    const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    const std::string_view folderText = path.substr(0, path.size() - name.size());
    const auto known = m_cache->folders.find(folderText);
    Cache::Folder* folder = nullptr;
    if (known != m_cache->folders.end()) {
        folder = known->second;
    } else {
        folder = m_cache->resolve(folderText);
        m_cache->folders.emplace(std::string(folderText), folder);
    }
    return folder != nullptr && m_cache->find(*folder, name, false) != nullptr;
}

FileLookup::Cache::Folder* FileLookup::Cache::resolve(std::string_view path)
{
    // Components are resolved lexically first, as the native path rules do: empty and "."
    // components vanish, ".." removes the name before it, even a name that does not exist.
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    std::vector<std::string_view> components;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find_first_of("/\\", start), path.size());
        const std::string_view name = path.substr(start, end - start);
        if (name == "..") {
            if (!components.empty() && components.back() != "..") {
                components.pop_back();
            } else if (!absolute) {
                components.push_back(name);
            }
        } else if (!name.empty() && name != ".") {
            components.push_back(name);
        }
        start = end + 1;
    }
    // An absolute path starts at the root, a relative one at the current folder.
    Folder* folder = absolute ? &root : &current;
    std::string above;  // the "../" at the start of a relative path
    for (const std::string_view component : components) {
        if (component == "..") {
            above += "../";
            folder = &this->above(above);
            continue;
        }
        Entry* entry = find(*folder, component, true);
        if (entry == nullptr) {
            return nullptr;
        }
        folder = &enter(*folder, *entry);
    }
    return folder;
}

struct TileFile::Handle {
    FileDescriptor fd;
};

namespace {

[[noreturn]] void failToOpen(const std::string& path, int code)
{
    throw Error(openErrorText(fullPath(path), errnoText(code), code));
}

}  // namespace

TileFile::TileFile(const std::string& path) : m_path(path), m_handle(std::make_unique<Handle>())
{
    // Without O_NONBLOCK the open of a named pipe waits for a writer, for ever; a regular
    // file's reads ignore the flag.
    m_handle->fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (m_handle->fd.get() < 0) {
        failToOpen(path, errno);
    }
    struct stat info {};
    if (::fstat(m_handle->fd.get(), &info) != 0) {
        failToOpen(path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        failToOpen(path, EISDIR);
    }
    // A pipe, a device or a socket has no end to read to (/dev/zero never stops).
    if (!S_ISREG(info.st_mode)) {
        failToOpen(path, ENXIO);
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
}

TileFile::~TileFile() = default;

std::size_t TileFile::readAt(std::uint64_t offset, char* into, std::size_t room)
{
    std::size_t done = 0;
    while (done < room) {
        const ssize_t got = ::pread(m_handle->fd.get(), into + done, room - done,
                                    static_cast<off_t>(offset + done));
        if (got == 0) {
            break;
        }
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (errno != EINTR) {
            failToOpen(m_path, errno);
        }
    }
    return done;
}

}  // namespace gantrel::platform
