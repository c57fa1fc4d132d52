// SPDX-License-Identifier: MIT
// Folder copies on POSIX: names found without regard to case as on the native platform of the
// maps, a careful recursive copy that writes only below its destination and never onto its
// source, and copier processes started with posix_spawn and watched without blocking.

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/copy.h"
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

// The names in a folder, "." and ".." left out, sorted so that copies run in a steady order.
// Returns false with errno set when the folder cannot be listed.
bool listFolder(const std::string& folder, std::vector<std::string>& names)
{
    names.clear();
    const Directory directory(folder.empty() ? "." : folder);
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
    bool operator==(const Identity&) const = default;
};

Identity identityOf(const struct stat& info)
{
    return Identity{info.st_dev, info.st_ino};
}

std::optional<Identity> identityOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return identityOf(info);
}

bool contains(const std::vector<Identity>& identities, const Identity& identity)
{
    return std::find(identities.begin(), identities.end(), identity) != identities.end();
}

// The real path of a path whose last components may not exist yet (links resolved).
std::optional<std::string> realPath(const std::string& path)
{
    std::error_code error;
    const fs::path real = fs::weakly_canonical(path, error);
    if (error) {
        return std::nullopt;
    }
    return real.string();
}

bool liesBelow(const std::string& real, const std::string& folder)
{
    if (real == folder) {
        return true;
    }
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    return real.starts_with(prefix);
}

// One run of copyFolder: the walk of the source tree and what it met.
class TreeCopy {
public:
    TreeCopy(const FolderCopy& copy, const CopyProgressFn& progress)
        : m_copy(copy), m_progress(progress), m_buffer(1 << 18)
    {
    }

    std::vector<CopyFailure> run()
    {
        const std::optional<std::string> target = prepareTarget();
        if (!target) {
            return std::move(m_failures);
        }
        struct stat source {};
        if (::stat(m_copy.source.c_str(), &source) != 0 || !S_ISDIR(source.st_mode)) {
            fail(CopyStep::ListFolder, m_copy.source, errno != 0 ? errno : ENOTDIR);
            return std::move(m_failures);
        }
        const std::optional<Identity> targetIdentity = identityOf(*target);
        if (targetIdentity && *targetIdentity == identityOf(source)) {
            return {};  // the target is the source: every file is already where it belongs
        }
        // A destination inside the source is met during the walk; it is never entered.
        for (const std::string& avoid : {m_copy.boundary, *target}) {
            if (const auto identity = identityOf(avoid)) {
                m_avoid.push_back(*identity);
            }
        }
        m_ancestors.push_back(identityOf(source));
        walk(withSlash(m_copy.source), withSlash(*target));
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

    // Makes the boundary, then each folder from it down to the target; returns the target's
    // path, or nullopt when it cannot be made below the boundary.
    std::optional<std::string> prepareTarget()
    {
        std::error_code error;
        fs::create_directories(m_copy.boundary, error);
        const std::optional<std::string> boundary = realPath(m_copy.boundary);
        if (error || !boundary || !isDirectory(*boundary)) {
            fail(CopyStep::MakeFolder, m_copy.boundary,
                 error ? error.value() : (boundary ? ENOTDIR : ENOENT));
            return std::nullopt;
        }
        m_boundaryReal = *boundary;
        const fs::path base = fs::path(m_copy.boundary).lexically_normal();
        const fs::path relative =
            fs::path(m_copy.target).lexically_normal().lexically_relative(base);
        if (relative.empty()) {
            m_failures.push_back(CopyFailure{CopyStep::OutsideDestination, m_copy.target, {}});
            return std::nullopt;
        }
        std::string folder = base.string();
        for (const fs::path& part : relative) {
            const std::string name = part.string();
            if (name == "..") {
                m_failures.push_back(CopyFailure{CopyStep::OutsideDestination, m_copy.target, {}});
                return std::nullopt;
            }
            if (name.empty() || name == ".") {
                continue;
            }
            folder = withSlash(folder) + name;
            if (!makeFolder(folder)) {
                return std::nullopt;
            }
        }
        return folder;
    }

    // Makes one folder whose parent is known to lie below the boundary. A folder that is
    // already there may be a link: it is used only when its real path lies below the boundary.
    bool makeFolder(const std::string& folder)
    {
        if (::mkdir(folder.c_str(), 0777) == 0) {
            return true;
        }
        const int code = errno;
        if (code != EEXIST) {
            fail(CopyStep::MakeFolder, folder, code);
            return false;
        }
        if (!isDirectory(folder)) {
            fail(CopyStep::MakeFolder, folder, ENOTDIR);
            return false;
        }
        const std::optional<std::string> real = realPath(folder);
        if (!real || !liesBelow(*real, m_boundaryReal)) {
            m_failures.push_back(CopyFailure{CopyStep::OutsideDestination, folder, {}});
            return false;
        }
        return true;
    }

    // Makes the target folders that wait for their first file; false when one cannot be made.
    bool makePending()
    {
        for (const std::string& folder : m_pending) {
            if (!makeFolder(folder)) {
                m_pending.clear();
                return false;
            }
        }
        m_pending.clear();
        return true;
    }

    // Copies the content of one source folder into one target folder (both end in "/"). The
    // target folder exists, or waits in m_pending when empty folders are skipped.
    void walk(const std::string& source, const std::string& target)
    {
        std::vector<std::string> names;
        if (!listFolder(source, names)) {
            fail(CopyStep::ListFolder, source, errno);
            return;
        }
        for (const std::string& name : names) {
            const std::string from = source + name;
            const std::string to = target + name;
            struct stat info {};
            if (::stat(from.c_str(), &info) != 0) {
                fail(CopyStep::ReadFile, from, errno);  // a link to nothing, or gone meanwhile
                continue;
            }
            if (S_ISDIR(info.st_mode)) {
                const Identity identity = identityOf(info);
                if (contains(m_avoid, identity) || contains(m_ancestors, identity)) {
                    continue;  // the destination itself, or a link back up the tree
                }
                if (m_copy.skipEmptyFolders) {
                    m_pending.push_back(to);
                } else if (!makeFolder(to)) {
                    continue;
                }
                m_ancestors.push_back(identity);
                walk(from + '/', to + '/');
                m_ancestors.pop_back();
                if (!m_pending.empty() && m_pending.back() == to) {
                    m_pending.pop_back();  // it held no file
                }
            } else if (!S_ISREG(info.st_mode)) {
                fail(CopyStep::ReadFile, from, EINVAL);  // a device or a pipe is no file to copy
            } else {
                if (!makePending()) {
                    return;  // the folder cannot be made: its files have nowhere to go
                }
                copyFile(from, to, info);
                m_done.folder = target;
                if (m_progress) {
                    m_progress(m_done);
                }
            }
        }
    }

    // Opens the target file for writing without following a link that leads out of the
    // boundary; -1 with a failure recorded otherwise.
    int openTarget(const std::string& to)
    {
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY;
        const int fd = ::open(to.c_str(), flags | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != ELOOP) {
            if (fd < 0) {
                fail(CopyStep::WriteFile, to, errno);
            }
            return fd;
        }
        const std::optional<std::string> real = realPath(to);
        if (!real || !liesBelow(*real, m_boundaryReal)) {
            m_failures.push_back(CopyFailure{CopyStep::OutsideDestination, to, {}});
            return -1;
        }
        const int linked = ::open(to.c_str(), flags, 0666);
        if (linked < 0) {
            fail(CopyStep::WriteFile, to, errno);
        }
        return linked;
    }

    void copyFile(const std::string& from, const std::string& to, const struct stat& info)
    {
        FileDescriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
        if (in.get() < 0) {
            fail(CopyStep::ReadFile, from, errno);
            return;
        }
        FileDescriptor out(openTarget(to));
        if (out.get() < 0) {
            return;
        }
        struct stat existing {};
        if (::fstat(out.get(), &existing) != 0) {
            fail(CopyStep::WriteFile, to, errno);
            return;
        }
        if (identityOf(existing) == identityOf(info)) {
            return;  // the target is the source file itself (a hard link, or the same folder)
        }
        if (S_ISREG(existing.st_mode) && ::ftruncate(out.get(), 0) != 0) {
            fail(CopyStep::WriteFile, to, errno);
            return;
        }
        std::uint64_t copied = 0;
        for (;;) {
            const ssize_t got = ::read(in.get(), m_buffer.data(), m_buffer.size());
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                fail(CopyStep::ReadFile, from, errno);
                return;
            }
            if (got == 0) {
                break;
            }
            if (!writeAll(out.get(), static_cast<std::size_t>(got))) {
                fail(CopyStep::WriteFile, to, errno);
                return;
            }
            copied += static_cast<std::uint64_t>(got);
        }
        const timespec times[2] = {info.st_atim, info.st_mtim};
        ::futimens(out.get(), times);  // the copy keeps its date where the system allows it
        if (const int code = out.close(); code != 0) {
            fail(CopyStep::WriteFile, to, code);
            return;
        }
        ++m_done.files;
        m_done.bytes += copied;
    }

    bool writeAll(int fd, std::size_t size)
    {
        std::size_t written = 0;
        while (written < size) {
            const ssize_t put = ::write(fd, m_buffer.data() + written, size - written);
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                if (put == 0) {
                    errno = ENOSPC;
                }
                return false;
            }
            written += static_cast<std::size_t>(put);
        }
        return true;
    }

    const FolderCopy& m_copy;
    const CopyProgressFn& m_progress;
    std::vector<char> m_buffer;
    std::vector<CopyFailure> m_failures;
    CopyProgress m_done;
    std::string m_boundaryReal;
    std::vector<Identity> m_avoid;       // the boundary and the target: never walked into
    std::vector<Identity> m_ancestors;   // the source folders being walked, against link loops
    std::vector<std::string> m_pending;  // target folders made with their first file
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
