// SPDX-License-Identifier: MIT
#include "platform/package_files.h"

#include <time.h>

#include <algorithm>

#include "platform/win32/windows_api.h"

namespace gantrel::platform {
namespace {

// The system's words for the last error, without the line break FormatMessageW ends them with.
std::string lastErrorText()
{
    std::string text = win32::systemText(::GetLastError());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// FILETIME counts 100 ns from 1601; the package counts seconds from 1970.
std::int64_t unixSeconds(const FILETIME& time)
{
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10000000) - 11644473600;
}

}  // namespace

std::filesystem::path nativePath(const std::string& path)
{
    return win32::toWide(path);
}

std::string narrowPath(const std::filesystem::path& path)
{
    return win32::toNarrow(path.native());
}

std::tm localTime(std::int64_t seconds)
{
    const auto moment = static_cast<time_t>(seconds);
    std::tm local{};
    ::localtime_s(&local, &moment);
    return local;
}

struct SourceFile::Handle {
    explicit Handle(HANDLE opened) : file(opened) {}
    win32::Handle file;
};

SourceFile::SourceFile(const std::filesystem::path& path)
    : m_handle(std::make_unique<Handle>(
          ::CreateFileW(win32::longPath(path.native()).c_str(), GENERIC_READ, FILE_SHARE_READ,
                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)))
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!m_handle->file.valid() || ::GetFileInformationByHandle(m_handle->file.get(), &info) == 0) {
        m_failure = lastErrorText();
        return;
    }
    if (win32::isDirectory(info.dwFileAttributes)) {
        ::SetLastError(ERROR_DIRECTORY);
        m_failure = lastErrorText();
        return;
    }
    m_size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    m_modified = unixSeconds(info.ftLastWriteTime);
}

SourceFile::~SourceFile() = default;

std::int64_t SourceFile::read(char* into, std::size_t room)
{
    DWORD got = 0;
    const auto part = static_cast<DWORD>(std::min<std::size_t>(room, 1u << 30));
    if (::ReadFile(m_handle->file.get(), into, part, &got, nullptr) == 0) {
        if (::GetLastError() == ERROR_HANDLE_EOF) {
            return 0;
        }
        m_failure = lastErrorText();
        return -1;
    }
    return got;
}

bool SourceFile::rewind()
{
    if (::SetFilePointerEx(m_handle->file.get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN) == 0) {
        m_failure = lastErrorText();
        return false;
    }
    return true;
}

struct StagedFile::Handle {
    explicit Handle(HANDLE opened) : file(opened) {}
    win32::Handle file;
};

StagedFile::StagedFile(const std::string& target)
    : m_handle(std::make_unique<Handle>(INVALID_HANDLE_VALUE)), m_target(nativePath(target))
{
    const std::wstring full = win32::fullPathWide(m_target.native());
    for (DWORD attempt = 0; attempt < 16; ++attempt) {
        m_path = full + L"." + std::to_wstring((::GetTickCount() + attempt) % 1000000) + L".part";
        // No sharing: nobody reads a half package.
        m_handle = std::make_unique<Handle>(::CreateFileW(win32::longPath(m_path.native()).c_str(),
                                                          GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (m_handle->file.valid() || ::GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!m_handle->file.valid()) {
        fail(lastErrorText());
        m_path.clear();  // nothing was made: nothing to remove
    }
}

StagedFile::~StagedFile()
{
    m_handle.reset();
    if (!m_committed && !m_path.empty()) {
        ::DeleteFileW(win32::longPath(m_path.native()).c_str());
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
        const auto part = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
        DWORD done = 0;
        if (::WriteFile(m_handle->file.get(), bytes, part, &done, nullptr) == 0) {
            return fail(lastErrorText());
        }
        bytes += done;
        count -= done;
    }
    return true;
}

bool StagedFile::seek(std::uint64_t offset)
{
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(m_handle->file.get(), to, nullptr, FILE_BEGIN) != 0 ||
           fail(lastErrorText());
}

bool StagedFile::commit(std::uint64_t length)
{
    if (!seek(length)) {
        return false;
    }
    if (::SetEndOfFile(m_handle->file.get()) == 0 ||
        ::FlushFileBuffers(m_handle->file.get()) == 0) {
        return fail(lastErrorText());
    }
    m_handle.reset();  // closed before the move: a file open without sharing cannot be moved
    m_handle = std::make_unique<Handle>(INVALID_HANDLE_VALUE);
    if (::MoveFileExW(win32::longPath(m_path.native()).c_str(),
                      win32::longPath(win32::fullPathWide(m_target.native())).c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        return fail(lastErrorText());
    }
    m_committed = true;
    return true;
}

}  // namespace gantrel::platform
