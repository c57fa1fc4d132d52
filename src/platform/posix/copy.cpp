// SPDX-License-Identifier: MIT
// Folder copies on POSIX: names found without regard to case as on the native platform of the
// maps, a careful recursive copy that writes only below its destination and never onto its
// source, and copier processes started with posix_spawn and watched without blocking.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/copy.h"
#include "platform/io_buffer.h"
#include "platform/platform.h"
#include "platform/posix/fold_name.h"
#include "platform/posix/handles.h"
#include "platform/unstarted_copier.h"

extern char** environ;

namespace gantrel::platform {
namespace {

namespace fs = std::filesystem;

std::string errnoText(int code)
{
    return std::error_code(code, std::generic_category()).message();
}

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The names a folder stream lists, "." and ".." left out, sorted so that copies run in a
// steady order. Returns false with errno set when the listing fails.
bool readNames(const Directory& directory, std::vector<std::string>& names)
{
    names.clear();
    if (directory.get() == nullptr) {
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(directory.get())) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
        errno = 0;
    }
    if (errno != 0) {
        return false;
    }
    std::sort(names.begin(), names.end());
    return true;
}

bool listFolder(const std::string& folder, std::vector<std::string>& names)
{
    return readNames(Directory(folder.empty() ? "." : folder), names);
}

// The name of a subfolder of `folder` that `name` means: the name itself when it is a folder,
// else the first folder whose name matches it without regard to case.
std::optional<std::string> findSubfolder(const std::string& folder, std::string_view name)
{
    if (isDirectory(folder + std::string(name))) {
        return std::string(name);
    }
    std::vector<std::string> names;
    if (!listFolder(folder, names)) {
        return std::nullopt;
    }
    const std::string wanted = foldName(name);
    for (const std::string& candidate : names) {
        if (foldName(candidate) == wanted && isDirectory(folder + candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    auto operator<=>(const Identity&) const = default;
};

Identity identityOf(const struct stat& info)
{
    return Identity{info.st_dev, info.st_ino};
}

bool contains(const std::vector<Identity>& identities, const Identity& identity)
{
    return std::find(identities.begin(), identities.end(), identity) != identities.end();
}

// The names in a folder opened as `fd`, "." and ".." left out, sorted so that copies run in a
// steady order. Returns false with errno set when the folder cannot be listed.
bool listFolder(int fd, std::vector<std::string>& names)
{
    FileDescriptor copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    DIR* stream = copy.get() >= 0 ? ::fdopendir(copy.get()) : nullptr;
    if (stream == nullptr) {
        return false;
    }
    const Directory directory(stream);  // owns the descriptor from here on
    copy.release();
    ::rewinddir(directory.get());  // the copy shares its position with every other copy
    return readNames(directory, names);
}

// The folder opened as `fd` and every folder above it up to the root, found through each
// folder's own ".." as the kernel finds it, whatever text led there; the root is its own parent.
std::vector<Identity> foldersUpFrom(int fd)
{
    std::vector<Identity> chain;
    FileDescriptor current(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    for (;;) {
        struct stat info {};
        if (current.get() < 0 || ::fstat(current.get(), &info) != 0) {
            return chain;
        }
        if (!chain.empty() && chain.back() == identityOf(info)) {
            return chain;
        }
        chain.push_back(identityOf(info));
        current.reset(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
}

std::string join(const std::string& folder, const std::string& name)
{
    return folder.ends_with('/') ? folder + name : folder + '/' + name;
}

// A folder of the target tree. It is made, or found without regard to case, when first needed
// and then held open: every name below it is opened relative to its handle with links never
// followed, so nothing on the way to a target file can be a link to elsewhere.
struct TargetFolder {
    enum class State { Unmade, Open, Refused };

    TargetFolder() = default;
    TargetFolder(TargetFolder* parentFolder, std::string nameInSource)
        : parent(parentFolder), name(std::move(nameInSource))
    {
    }

    TargetFolder* parent = nullptr;
    std::string name;  // the name the source gives it; on disk it may be spelled otherwise
    std::string path;  // for messages and progress: the path with the names as on disk
    State state = State::Unmade;
    FileDescriptor fd;
    // The names in the folder by their folded form, the first in name order for each; listed
    // when first needed and kept up to date with what the copy makes.
    std::optional<std::unordered_map<std::string, std::string>> names;
    bool tidied = false;  // leftovers of copiers that were stopped have been removed
};

// One run of copyFolder: the walk of the source tree and what it met.
class TreeCopy {
public:
    TreeCopy(const FolderCopy& copy, const CopyProgressFn& progress)
        : m_copy(copy), m_progress(progress), m_buffer(1 << 18)
    {
    }

    std::vector<CopyFailure> run()
    {
        FileDescriptor source(::open(m_copy.source.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (source.get() < 0) {
            fail(CopyStep::ListFolder, m_copy.source, errno);
            return std::move(m_failures);
        }
        struct stat sourceInfo {};
        if (::fstat(source.get(), &sourceInfo) != 0) {
            fail(CopyStep::ListFolder, m_copy.source, errno);
            return std::move(m_failures);
        }
        m_source = identityOf(sourceInfo);
        TargetFolder* target = prepareTarget();
        if (target == nullptr) {
            return std::move(m_failures);
        }
        // Copied into a folder above it, the source's own files would be written over.
        const std::vector<Identity> aboveSource = foldersUpFrom(source.get());
        struct stat targetInfo {};
        if (::fstat(target->fd.get(), &targetInfo) == 0 &&
            contains(aboveSource, identityOf(targetInfo))) {
            refuse("the target folder holds the source folder");
            return std::move(m_failures);
        }
        m_ancestors.push_back(identityOf(sourceInfo));
        m_copied.try_emplace(identityOf(sourceInfo), m_copy.source);
        walk(source.get(), withSlash(m_copy.source), *target);
        return std::move(m_failures);
    }

private:
    static std::string withSlash(std::string folder)
    {
        if (!folder.ends_with('/')) {
            folder += '/';
        }
        return folder;
    }

    void fail(CopyStep step, const std::string& path, int code)
    {
        m_failures.push_back(CopyFailure{step, path, errnoText(code)});
    }

    // Makes the boundary with its parents when missing and opens it (a link the user chose as
    // the destination is the user's choice), then opens or makes each folder from it down to
    // the target. Returns the target, or nullptr when it cannot be had below the boundary.
    TargetFolder* prepareTarget()
    {
        m_chain.push_back(std::make_unique<TargetFolder>());
        TargetFolder& boundary = *m_chain.back();
        if (!openBoundary(boundary.fd)) {
            return nullptr;
        }
        boundary.state = TargetFolder::State::Open;
        remember(boundary);
        std::vector<std::string> names;
        if (!findBelowBoundary(boundary, names)) {
            m_failures.push_back(CopyFailure{CopyStep::OutsideDestination, m_copy.target, {}});
            return nullptr;
        }
        // A folder on the way that was there already may be the source or lie inside it:
        // each is looked at before anything is made below it.
        if (!mayWriteInto(boundary.fd.get(), names.empty())) {
            return nullptr;
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            TargetFolder* parent = m_chain.back().get();
            m_chain.push_back(std::make_unique<TargetFolder>(parent, names[i]));
            if (!open(*m_chain.back()) ||
                !mayWriteInto(m_chain.back()->fd.get(), i + 1 == names.size())) {
                return nullptr;
            }
        }
        return m_chain.back().get();
    }

    // The names that lead from the boundary down to the target. The target is followed as the
    // kernel follows it, links and ".." included, up to the first folder on its way that is the
    // boundary; false when it never gets there, or climbs out of it again. The boundary's path
    // becomes the target's own text up to there.
    bool findBelowBoundary(TargetFolder& boundary, std::vector<std::string>& names)
    {
        struct stat info {};
        if (::fstat(boundary.fd.get(), &info) != 0) {
            return false;
        }
        const Identity wanted = identityOf(info);
        const std::string& path = m_copy.target;
        const bool absolute = path.starts_with('/');
        FileDescriptor fd(::open(absolute ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        std::string prefix = absolute ? "/" : ".";
        bool below = false;
        const auto reached = [&] {
            return fd.get() >= 0 && ::fstat(fd.get(), &info) == 0 && identityOf(info) == wanted;
        };
        for (std::size_t start = 0; start < path.size();) {
            const std::size_t end = std::min(path.find('/', start), path.size());
            const std::string name = path.substr(start, end - start);
            start = end + 1;
            below = below || reached();
            if (name.empty() || name == ".") {
                continue;
            }
            if (!below) {
                // Not yet in the boundary: what does not exist on the way leads elsewhere.
                fd.reset(fd.get() < 0 ? -1
                                      : ::openat(fd.get(), name.c_str(),
                                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC));
                prefix = prefix == "." ? name : join(prefix, name);
            } else if (name != "..") {
                names.push_back(name);
            } else if (names.empty()) {
                return false;  // above the boundary again
            } else {
                names.pop_back();  // no link below the boundary is followed: ".." is the parent
            }
        }
        below = below || reached();
        boundary.path = fs::path(prefix).lexically_normal().string();
        while (boundary.path.size() > 1 && boundary.path.ends_with('/')) {
            boundary.path.pop_back();
        }
        return below;
    }

    // Opens the boundary folder by folder as the kernel finds it, links and ".." followed (a
    // link the user chose as the destination is the user's choice), and makes what is missing
    // of it; nothing is made inside the source.
    bool openBoundary(FileDescriptor& fd)
    {
        const std::string& path = m_copy.boundary;
        fd.reset(::open(path.starts_with('/') ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        bool checked = false;
        for (std::size_t start = 0; fd.get() >= 0 && start < path.size();) {
            const std::size_t end = std::min(path.find('/', start), path.size());
            const std::string name = path.substr(start, end - start);
            start = end + 1;
            if (name.empty() || name == ".") {
                continue;
            }
            int next = ::openat(fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (next < 0 && errno == ENOENT) {
                if (!checked && !mayWriteInto(fd.get(), false)) {
                    return false;
                }
                checked = true;
                if (::mkdirat(fd.get(), name.c_str(), 0777) != 0 && errno != EEXIST) {
                    break;
                }
                next = ::openat(fd.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            }
            fd.reset(next);
        }
        if (fd.get() < 0) {
            fail(CopyStep::MakeFolder, m_copy.boundary, errno);
            return false;
        }
        return true;
    }

    // False, with the refusal, when the folder opened as `fd` on the way to the target (the
    // target itself when `isTarget`) is the source or lies inside it: the copy would write
    // over the source's own files.
    bool mayWriteInto(int fd, bool isTarget)
    {
        const std::vector<Identity> up = foldersUpFrom(fd);
        if (!contains(up, m_source)) {
            return true;
        }
        refuse(isTarget && up.front() == m_source
                   ? "the target folder is the source folder"
                   : "the target folder lies inside the source folder");
        return false;
    }

    void refuse(std::string reason)
    {
        m_failures.push_back({CopyStep::Refused, m_copy.target, std::move(reason)});
    }

    // The name on disk that `name` means in a folder, as a file system that ignores case finds
    // it: the name itself when it is there, else the first in name order that matches it, else
    // the name itself for a new entry.
    std::string nameOnDisk(TargetFolder& folder, const std::string& name)
    {
        struct stat info {};
        if (::fstatat(folder.fd.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
            return name;
        }
        if (!folder.names) {
            folder.names.emplace();
            std::vector<std::string> names;
            listFolder(folder.fd.get(), names);  // unlisted, every name is taken as new
            for (std::string& entry : names) {
                folder.names->try_emplace(foldName(entry), std::move(entry));
            }
        }
        const auto found = folder.names->find(foldName(name));
        return found != folder.names->end() ? found->second : name;
    }

    void remember(TargetFolder& folder, const std::string& name)
    {
        if (folder.names) {
            folder.names->try_emplace(foldName(name), name);
        }
    }

    // Opens a target folder, making it and the folders above it that are not made yet. A
    // folder that cannot be had is refused once, with its failure, and so is all below it.
    bool open(TargetFolder& folder)
    {
        if (folder.state != TargetFolder::State::Unmade) {
            return folder.state == TargetFolder::State::Open;
        }
        folder.state = TargetFolder::State::Refused;
        TargetFolder& parent = *folder.parent;
        if (!open(parent)) {
            return false;
        }
        const std::string name = nameOnDisk(parent, folder.name);
        folder.path = join(parent.path, name);
        if (::mkdirat(parent.fd.get(), name.c_str(), 0777) == 0) {
            remember(parent, name);
        } else if (errno != EEXIST) {
            fail(CopyStep::MakeFolder, folder.path, errno);
            return false;
        }
        folder.fd.reset(::openat(parent.fd.get(), name.c_str(),
                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder.fd.get() < 0) {
            const int code = errno;
            struct stat info {};
            if (::fstatat(parent.fd.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode)) {
                m_failures.push_back(CopyFailure{CopyStep::OutsideDestination, folder.path, {}});
            } else {
                fail(CopyStep::MakeFolder, folder.path, code);
            }
            return false;
        }
        folder.state = TargetFolder::State::Open;
        remember(folder);
        return true;
    }

    void remember(const TargetFolder& folder)
    {
        struct stat info {};
        if (::fstat(folder.fd.get(), &info) == 0) {
            m_made.insert(identityOf(info));
        }
    }

    // Copies the content of one source folder (opened as `fd`, its path ending in "/") into
    // one target folder, which is open or, when empty folders are skipped, made with its first
    // file.
    void walk(int fd, const std::string& source, TargetFolder& target)
    {
        std::vector<std::string> names;
        if (!listFolder(fd, names)) {
            fail(CopyStep::ListFolder, source, errno);
            return;
        }
        for (const std::string& name : names) {
            const std::string from = source + name;
            struct stat info {};
            if (::fstatat(fd, name.c_str(), &info, 0) != 0) {
                fail(CopyStep::ReadFile, from, errno);  // a link to nothing, or gone meanwhile
                continue;
            }
            if (S_ISDIR(info.st_mode)) {
                const Identity identity = identityOf(info);
                if (m_made.contains(identity) || contains(m_ancestors, identity)) {
                    continue;  // the copy's own folders, or a link back up the tree
                }
                // Links may reach one folder by many paths (two links to the next folder on
                // each of forty levels make 2^40): each folder is copied once, and the user
                // is told which path the package leaves out.
                if (const auto [first, isNew] = m_copied.try_emplace(identity, from); !isNew) {
                    m_failures.push_back({CopyStep::CopiedAlready, from, first->second});
                    continue;
                }
                FileDescriptor inner(
                    ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
                if (inner.get() < 0) {
                    fail(CopyStep::ListFolder, from, errno);
                    continue;
                }
                TargetFolder folder(&target, name);
                if (!m_copy.skipEmptyFolders && !open(folder)) {
                    continue;  // refused: nothing is written below it
                }
                m_ancestors.push_back(identity);
                walk(inner.get(), from + '/', folder);
                m_ancestors.pop_back();
            } else if (!S_ISREG(info.st_mode)) {
                fail(CopyStep::ReadFile, from, EINVAL);  // a device or a pipe is no file to copy
            } else if (open(target)) {
                copyFile(fd, name, from, target, info);
            }
        }
    }

    // Writes one file: its content goes to a new file beside the target, which then takes the
    // target's place in one step. A hard link of the old target elsewhere keeps its content,
    // and a file that cannot be written whole leaves nothing behind.
    void copyFile(int sourceFolder, const std::string& name, const std::string& from,
                  TargetFolder& target, const struct stat& info)
    {
        const std::string onDisk = nameOnDisk(target, name);
        const std::string to = join(target.path, onDisk);
        struct stat existing {};
        const bool exists =
            ::fstatat(target.fd.get(), onDisk.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
        if (exists && S_ISLNK(existing.st_mode)) {
            m_failures.push_back(CopyFailure{CopyStep::OutsideDestination, to, {}});
            return;
        }
        if (exists && identityOf(existing) == identityOf(info)) {
            return;  // the target is the source file itself (a hard link, or the same folder)
        }
        if (exists && S_ISDIR(existing.st_mode)) {
            fail(CopyStep::WriteFile, to, EISDIR);
            return;
        }
        // Non-blocking, so that a pipe put in the file's place meanwhile cannot stall the copy.
        FileDescriptor in(
            ::openat(sourceFolder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        struct stat opened {};
        if (in.get() < 0 || ::fstat(in.get(), &opened) != 0) {
            fail(CopyStep::ReadFile, from, errno);
            return;
        }
        if (!S_ISREG(opened.st_mode)) {
            fail(CopyStep::ReadFile, from, EINVAL);
            return;
        }
        if (!target.tidied) {
            target.tidied = true;
            removeLeftovers(target.fd.get());
        }
        // A name taken already is another copier's of this process, or was left by an
        // earlier process of the same number: the next number is tried.
        std::string temporary;
        FileDescriptor out;
        do {
            temporary = std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
                        std::to_string(++m_temporaries);
            out.reset(::openat(target.fd.get(), temporary.c_str(),
                               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        } while (out.get() < 0 && errno == EEXIST);
        if (out.get() < 0) {
            fail(CopyStep::WriteFile, to, errno);
            return;
        }
        std::uint64_t copied = 0;
        const int code = fill(in.get(), out.get(), opened, exists ? &existing : nullptr, copied);
        const int closed = out.close();
        if (code != 0 || closed != 0 ||
            ::renameat(target.fd.get(), temporary.c_str(), target.fd.get(), onDisk.c_str()) != 0) {
            const int reason = code != 0 ? code : closed != 0 ? closed : errno;
            ::unlinkat(target.fd.get(), temporary.c_str(), 0);
            fail(reason == kReadFailed ? CopyStep::ReadFile : CopyStep::WriteFile,
                 reason == kReadFailed ? from : to, reason == kReadFailed ? m_readError : reason);
            return;
        }
        remember(target, onDisk);
        ++m_done.files;
        m_done.bytes += copied;
        m_done.folder = join(target.path, "");
        if (m_progress) {
            m_progress(m_done);
        }
    }

    static constexpr int kReadFailed = -1;

    // Removes the temporary files that copiers which no longer run left in a folder (killed
    // mid-file, or the machine lost power): regular files named as this copy names its own,
    // of a process that is gone. Nothing else is touched.
    static void removeLeftovers(int folder)
    {
        std::vector<std::string> names;
        listFolder(folder, names);
        for (const std::string& name : names) {
            const std::optional<pid_t> owner = temporaryOwner(name);
            struct stat info {};
            if (owner && ::kill(*owner, 0) != 0 && errno == ESRCH &&
                ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(info.st_mode)) {
                ::unlinkat(folder, name.c_str(), 0);
            }
        }
    }

    // The process that made a temporary file of this name (".gantrel-copy-PID-N").
    static std::optional<pid_t> temporaryOwner(std::string_view name)
    {
        if (!name.starts_with(kTemporaryPrefix)) {
            return std::nullopt;
        }
        name.remove_prefix(kTemporaryPrefix.size());
        const std::size_t dash = name.find('-');
        const auto digits = [](std::string_view text) {
            return !text.empty() && text.size() <= 18 && text[0] != '0' &&
                   text.find_first_not_of("0123456789") == std::string_view::npos;
        };
        if (dash == std::string_view::npos || !digits(name.substr(0, dash)) ||
            !digits(name.substr(dash + 1))) {
            return std::nullopt;
        }
        const long long pid = std::stoll(std::string(name.substr(0, dash)));
        if (pid > std::numeric_limits<pid_t>::max()) {
            return std::nullopt;
        }
        return static_cast<pid_t>(pid);
    }

    static constexpr std::string_view kTemporaryPrefix = ".gantrel-copy-";

    // Copies the content, the date and, over an existing file, its permissions; 0 on success,
    // kReadFailed when the source could not be read, else the errno of the failed write.
    int fill(int in, int out, const struct stat& source, const struct stat* existing,
             std::uint64_t& copied)
    {
        for (;;) {
            const ssize_t got = ::read(in, m_buffer.data(), m_buffer.size());
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                m_readError = errno;
                return kReadFailed;
            }
            if (got == 0) {
                break;
            }
            if (const int code = writeAll(out, static_cast<std::size_t>(got)); code != 0) {
                return code;
            }
            copied += static_cast<std::uint64_t>(got);
        }
        if (existing != nullptr) {
            ::fchmod(out, existing->st_mode & 07777);  // the file keeps the rights it had
        }
        const timespec times[2] = {source.st_atim, source.st_mtim};
        ::futimens(out, times);  // the copy keeps its date where the system allows it
        return 0;
    }

    // 0 when all was written, else the errno of the failed write.
    int writeAll(int fd, std::size_t size)
    {
        std::size_t written = 0;
        while (written < size) {
            const ssize_t put = ::write(fd, m_buffer.data() + written, size - written);
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return put == 0 ? ENOSPC : errno;
            }
            written += static_cast<std::size_t>(put);
        }
        return 0;
    }

    const FolderCopy& m_copy;
    const CopyProgressFn& m_progress;
    IoBuffer m_buffer;
    std::vector<CopyFailure> m_failures;
    CopyProgress m_done;
    std::vector<std::unique_ptr<TargetFolder>> m_chain;  // the boundary down to the target
    // The folders of the target tree this copy holds open, the boundary down to the target
    // included: a destination inside the source, or a link in the source to the copy, would
    // make the copy copy itself ever deeper; these are never walked into.
    std::set<Identity> m_made;
    std::vector<Identity> m_ancestors;  // the source folders being walked, against link loops
    std::map<Identity, std::string> m_copied;  // each source folder copied, and from where
    Identity m_source;
    std::uint64_t m_temporaries = 0;
    int m_readError = 0;
};

// A copier process; its error stream arrives through a pipe read without blocking, so that a
// talkative copier never stalls on a full pipe.
class SpawnedCopier final : public CopierProcess {
public:
    SpawnedCopier(pid_t pid, int errors) : m_pid(pid), m_errors(errors) {}

    ~SpawnedCopier() override
    {
        if (!m_ended) {
            int status = 0;
            ::waitpid(m_pid, &status, WNOHANG);  // reaped when it has ended; left to run if not
        }
    }

    SpawnedCopier(const SpawnedCopier&) = delete;
    SpawnedCopier& operator=(const SpawnedCopier&) = delete;

    bool poll() override
    {
        if (m_ended) {
            return true;
        }
        drain();
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == 0 || (done < 0 && errno == EINTR)) {
            return false;
        }
        m_ended = true;
        m_status = done == m_pid ? status : -1;
        drain();
        m_errors.reset();
        return true;
    }

    bool succeeded() const override
    {
        return m_ended && m_status >= 0 && WIFEXITED(m_status) && WEXITSTATUS(m_status) == 0;
    }

    std::string failure() const override
    {
        std::string text = m_text;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        if (!text.empty()) {
            return text;
        }
        if (m_status < 0) {
            return "the copier was lost";
        }
        if (WIFSIGNALED(m_status)) {
            return "the copier was stopped by signal " + std::to_string(WTERMSIG(m_status));
        }
        return "the copier ended with exit status " + std::to_string(WEXITSTATUS(m_status));
    }

private:
    static constexpr std::size_t kMaxText = 1 << 16;

    void drain()
    {
        char buffer[4096];
        while (m_errors.get() >= 0) {
            const ssize_t got = ::read(m_errors.get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                if (got == 0) {
                    m_errors.reset();  // every writer has closed the pipe
                }
                return;
            }
            const std::size_t room = kMaxText - std::min(kMaxText, m_text.size());
            m_text.append(buffer, std::min(room, static_cast<std::size_t>(got)));
        }
    }

    pid_t m_pid;
    FileDescriptor m_errors;
    std::string m_text;
    bool m_ended = false;
    int m_status = 0;
};

// The file actions and the spawn itself, released on every path.
class SpawnActions {
public:
    SpawnActions() { m_error = ::posix_spawn_file_actions_init(&m_actions); }
    ~SpawnActions()
    {
        if (m_error == 0) {
            ::posix_spawn_file_actions_destroy(&m_actions);
        }
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    int error() const { return m_error; }
    posix_spawn_file_actions_t* get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
    int m_error;
};

}  // namespace

std::optional<std::string> resolveFolder(const std::string& path)
{
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    std::vector<std::string_view> components;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find_first_of("/\\", start), path.size());
        const std::string_view name = std::string_view(path).substr(start, end - start);
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
    if (path.empty()) {
        return std::nullopt;
    }
    std::string folder = absolute ? "/" : "";
    for (const std::string_view name : components) {
        if (name == "..") {
            folder += "../";
            continue;
        }
        const std::optional<std::string> found = findSubfolder(folder, name);
        if (!found) {
            return std::nullopt;
        }
        folder += *found;
        folder += '/';
    }
    if (folder.empty()) {
        folder = "./";
    }
    if (!isDirectory(folder)) {
        return std::nullopt;
    }
    if (folder.size() > 1) {
        folder.pop_back();
    }
    return folder;
}

std::vector<CopyFailure> copyFolder(const FolderCopy& copy, const CopyProgressFn& progress)
{
    return TreeCopy(copy, progress).run();
}

std::unique_ptr<CopierProcess> startCopier(const CopierCommand& command, const std::string& copier)
{
    int pipe[2] = {-1, -1};
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        return std::make_unique<UnstartedCopier>("the copier could not be started: " +
                                                 errnoText(errno));
    }
    FileDescriptor readEnd(pipe[0]);
    const FileDescriptor writeEnd(pipe[1]);
    SpawnActions actions;
    int error = actions.error();
    if (error == 0) {
        error = ::posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    }
    if (error == 0) {
        error = ::posix_spawn_file_actions_addopen(actions.get(), 1, "/dev/null", O_WRONLY, 0);
    }
    if (error == 0) {
        error = ::posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), 2);
    }
    pid_t pid = 0;
    if (error == 0) {
        std::string program = copier;
        std::string within = "--within";
        std::string destination = command.destination;
        std::string marker = "--";
        std::string source = command.source;
        std::string target = command.target;
        char* argv[] = {program.data(), within.data(), destination.data(),
                        marker.data(),  source.data(), target.data(),
                        nullptr};
        error = copier.find('/') != std::string::npos
                    ? ::posix_spawn(&pid, copier.c_str(), actions.get(), nullptr, argv, environ)
                    : ::posix_spawnp(&pid, copier.c_str(), actions.get(), nullptr, argv, environ);
    }
    if (error != 0) {
        return std::make_unique<UnstartedCopier>("the copier could not be started: " +
                                                 errnoText(error));
    }
    ::fcntl(readEnd.get(), F_SETFL, ::fcntl(readEnd.get(), F_GETFL) | O_NONBLOCK);
    return std::make_unique<SpawnedCopier>(pid, readEnd.release());
}

std::string bundledCopier()
{
    const std::string folder = executableFolder();
    return folder.empty() ? std::string("gantrel-copy") : folder + "gantrel-copy";
}

}  // namespace gantrel::platform
