// SPDX-License-Identifier: MIT
#include "platform/package_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <system_error>

#include "platform/posix/handles.h"

namespace gantrel::platform {
namespace {

std::string errnoText(int code)
{
    return std::error_code(code, std::generic_category()).message();
}

}  // namespace

std::filesystem::path nativePath(const std::string& path)
{
    return path;
}

std::string narrowPath(const std::filesystem::path& path)
{
    return path.string();
}

std::tm localTime(std::int64_t seconds)
{
    const auto moment = static_cast<std::time_t>(seconds);
    std::tm local{};
    ::localtime_r(&moment, &local);
    return local;
}

struct SourceFile::Handle {
    FileDescriptor fd;
};

SourceFile::SourceFile(const std::filesystem::path& path) : m_handle(std::make_unique<Handle>())
{
    // Non-blocking, so that a pipe in a file's place cannot stall the package.
    m_handle->fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat info {};
    if (m_handle->fd.get() < 0 || ::fstat(m_handle->fd.get(), &info) != 0) {
        m_failure = errnoText(errno);
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        m_failure = errnoText(EINVAL);
        return;
    }
    m_size = static_cast<std::uint64_t>(info.st_size);
    m_modified = info.st_mtime;
}

SourceFile::~SourceFile() = default;

std::int64_t SourceFile::read(char* into, std::size_t room)
{
    for (;;) {
        const ssize_t got = ::read(m_handle->fd.get(), into, room);
        if (got >= 0) {
            return got;
        }
        if (errno != EINTR) {
            m_failure = errnoText(errno);
            return -1;
        }
    }
}

bool SourceFile::rewind()
{
    if (::lseek(m_handle->fd.get(), 0, SEEK_SET) != 0) {
        m_failure = errnoText(errno);
        return false;
    }
    return true;
}

struct StagedFile::Handle {
    FileDescriptor fd;
};

StagedFile::StagedFile(const std::string& target)
    : m_handle(std::make_unique<Handle>()), m_target(target)
{
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_path = target + "." + std::to_string(random() % 1000000) + ".part";
        m_handle->fd.reset(
            ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
        if (m_handle->fd.get() >= 0) {
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    fail(errnoText(errno));
    m_path.clear();  // nothing was made: nothing to remove
}

StagedFile::~StagedFile()
{
    m_handle->fd.reset();
    if (!m_committed && !m_path.empty()) {
        ::unlink(m_path.c_str());
    }
}

bool StagedFile::fail(std::string reason)
{
    m_failure = std::move(reason);
    return false;
}

bool StagedFile::write(const char* bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t done = ::write(m_handle->fd.get(), bytes, count);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return fail(errnoText(done < 0 ? errno : ENOSPC));
        }
        bytes += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

bool StagedFile::seek(std::uint64_t offset)
{
    return ::lseek(m_handle->fd.get(), static_cast<off_t>(offset), SEEK_SET) >= 0 ||
           fail(errnoText(errno));
}

bool StagedFile::commit(std::uint64_t length)
{
    if (::ftruncate(m_handle->fd.get(), static_cast<off_t>(length)) != 0 ||
        ::fsync(m_handle->fd.get()) != 0) {
        return fail(errnoText(errno));
    }
    if (const int code = m_handle->fd.close(); code != 0) {
        return fail(errnoText(code));
    }
    if (::rename(m_path.c_str(), m_target.c_str()) != 0) {
        return fail(errnoText(errno));
    }
    m_committed = true;
    return true;
}

}  // namespace gantrel::platform
