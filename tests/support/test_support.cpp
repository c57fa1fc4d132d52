// SPDX-License-Identifier: MIT
#include "support/test_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winioctl.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

#include "platform/platform.h"

namespace gantrel::test {

#if defined(GANTREL_TEST_SCAN)
namespace {
const bool kProgramsKnown = [] {
    setenv("GANTREL_SCAN", GANTREL_TEST_SCAN, 0);
    setenv("GANTREL_EXAMPLES", GANTREL_TEST_EXAMPLES, 0);
#if defined(GANTREL_TEST_COPY)
    setenv("GANTREL_COPY", GANTREL_TEST_COPY, 0);
#endif
    return true;
}();
}  // namespace
#endif

// ---- Where the platforms differ ------------------------------------------------------------

#ifdef _WIN32

bool isWindows()
{
    return true;
}

bool isSuperuser()
{
    return false;
}

std::filesystem::path pathOf(std::string_view programText)
{
    const std::u16string units = platform::codePageToUtf16(programText);
    return std::wstring(units.begin(), units.end());
}

std::string textOf(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    return platform::utf16ToNarrow(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::string systemErrorText(int code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    if (buffer == nullptr) {
        return {};
    }
    const std::u16string text(reinterpret_cast<const char16_t*>(buffer), length);
    ::LocalFree(buffer);
    return platform::utf16ToNarrow(text);
}

std::string missingFileText()
{
    return systemErrorText(ERROR_FILE_NOT_FOUND);
}

std::string folderAsFileText()
{
    // A folder cannot be opened as a file: the system refuses the access.
    return systemErrorText(ERROR_ACCESS_DENIED);
}

std::string programFileName(std::string_view name)
{
    return std::string(name) + ".exe";
}

std::string_view newProfileLineBreak()
{
    return "\r\n";
}

bool underWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void hideFile(const std::filesystem::path& file, bool system)
{
    const DWORD attributes = FILE_ATTRIBUTE_HIDDEN | (system ? FILE_ATTRIBUTE_SYSTEM : 0);
    if (::SetFileAttributesW(file.c_str(), attributes) == 0) {
        throw std::runtime_error("cannot hide " + file.string());
    }
}

bool makeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link)
{
    if (::CreateDirectoryW(link.c_str(), nullptr) == 0) {
        return false;
    }
    // A junction is a folder with a mount point's reparse data: the tag, the data's length,
    // the offsets and lengths in bytes of the name the system follows and of the name it
    // shows, and both names, each ending in a NUL.
    const std::wstring shown = std::filesystem::absolute(target).wstring();
    const std::wstring followed = L"\\??\\" + shown;
    const auto bytes = [](std::size_t units) { return static_cast<WORD>(units * sizeof(WCHAR)); };
    std::vector<WORD> data = {LOWORD(IO_REPARSE_TAG_MOUNT_POINT),
                              HIWORD(IO_REPARSE_TAG_MOUNT_POINT),
                              bytes(4 + followed.size() + 1 + shown.size() + 1),
                              0,
                              0,
                              bytes(followed.size()),
                              bytes(followed.size() + 1),
                              bytes(shown.size())};
    data.insert(data.end(), followed.begin(), followed.end());
    data.push_back(0);
    data.insert(data.end(), shown.begin(), shown.end());
    data.push_back(0);

    bool made = false;
    if (const HANDLE folder =
            ::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        folder != INVALID_HANDLE_VALUE) {
        const std::unique_ptr<void, decltype(&::CloseHandle)> closes(folder, &::CloseHandle);
        DWORD returned = 0;
        made = ::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(), bytes(data.size()),
                                 nullptr, 0, &returned, nullptr) != 0;
    }
    if (!made) {
        ::RemoveDirectoryW(link.c_str());
    }
    return made;
}

namespace {

void setEnvironment(const char* name, const char* value)
{
    // An empty value removes the variable.
    _putenv_s(name, value != nullptr ? value : "");
}

// A command line that the C runtime splits back into the same arguments.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(backslashes * 2, L'\\');
    return text + L"\"";
}

HANDLE inheritableFile(const std::filesystem::path& file)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

int startAndWait(const std::string& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& out, const std::filesystem::path& err)
{
    // The build names programs from the root of the current drive ("/work/…" under Wine).
    std::wstring commandLine = quoted(std::filesystem::absolute(pathOf(program)).wstring());
    for (const std::string& argument : arguments) {
        commandLine += L" " + quoted(pathOf(argument).wstring());
    }
    const HANDLE outFile = inheritableFile(out);
    const HANDLE errFile = inheritableFile(err);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = outFile;
    startup.hStdError = errFile;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &process) != 0;
    ::CloseHandle(outFile);
    ::CloseHandle(errFile);
    if (!started) {
        return -1;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const bool known = ::GetExitCodeProcess(process.hProcess, &code) != 0;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return known ? static_cast<int>(code) : -1;
}

// The room a file takes on its disk; a sparse file's unwritten stretches take none.
std::uintmax_t allocatedBytes(const std::filesystem::path& file)
{
    DWORD high = 0;
    const DWORD low = ::GetCompressedFileSizeW(file.c_str(), &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) {
        return std::numeric_limits<std::uintmax_t>::max();
    }
    return (std::uintmax_t{high} << 32) | low;
}

// The program writes its streams in text mode: "\r\n" where it wrote "\n".
std::string lineBreaksAsWritten(std::string text)
{
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' || i + 1 >= text.size() || text[i + 1] != '\n') {
            plain += text[i];
        }
    }
    return plain;
}

}  // namespace

#else

bool isWindows()
{
    return false;
}

bool isSuperuser()
{
    return ::geteuid() == 0;
}

std::filesystem::path pathOf(std::string_view programText)
{
    return std::string(programText);
}

std::string textOf(const std::filesystem::path& path)
{
    return path.string();
}

std::string systemErrorText(int code)
{
    return std::error_code(code, std::generic_category()).message();
}

// The alarm's default action ends the process, which the test runner reports as a failure.
HangGuard::HangGuard(unsigned seconds)
{
    ::alarm(seconds);
}

HangGuard::~HangGuard()
{
    ::alarm(0);
}

std::string missingFileText()
{
    return systemErrorText(ENOENT);
}

std::string folderAsFileText()
{
    return systemErrorText(EISDIR);
}

std::string programFileName(std::string_view name)
{
    return std::string(name);
}

std::string_view newProfileLineBreak()
{
    return "\n";
}

bool underWine()
{
    return false;
}

bool makeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link)
{
    std::error_code error;
    std::filesystem::create_directory_symlink(target, link, error);
    return !error;
}

namespace {

void setEnvironment(const char* name, const char* value)
{
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
}

int startAndWait(const std::string& program, std::vector<std::string> arguments,
                 const std::filesystem::path& out, const std::filesystem::path& err)
{
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::uintmax_t allocatedBytes(const std::filesystem::path& file)
{
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) {
        return std::numeric_limits<std::uintmax_t>::max();
    }
    return static_cast<std::uintmax_t>(status.st_blocks) * 512;
}

std::string lineBreaksAsWritten(std::string text)
{
    return text;
}

}  // namespace

#endif

std::optional<std::string> unlessPosix(std::string_view what)
{
    return isWindows() ? std::optional<std::string>("POSIX only: " + std::string(what))
                       : std::nullopt;
}

std::optional<std::string> unlessWindows(std::string_view what)
{
    return isWindows() ? std::nullopt
                       : std::optional<std::string>("Windows only: " + std::string(what));
}

std::optional<std::string> unlessSparseFiles(const std::filesystem::path& folder)
{
    // A file made long without a write is sparse where the file system keeps such files so
    // (NTFS only when asked to): its length takes no room.
    constexpr std::uintmax_t kLength = 64 << 20;
    const std::filesystem::path probe = folder / "sparse probe";
    std::ofstream(probe).close();
    std::error_code error;
    std::filesystem::resize_file(probe, kLength, error);
    const bool sparse = !error && allocatedBytes(probe) < kLength / 64;
    std::filesystem::remove(probe, error);
    return sparse ? std::nullopt
                  : std::optional<std::string>("the file system of " + folder.string() +
                                               " keeps no sparse files");
}

std::optional<std::string> unlessLongTestsWanted(std::string_view what)
{
    const char* wanted = std::getenv("GANTREL_LONG_TESTS");
    return wanted != nullptr && std::string_view(wanted) == "1"
               ? std::nullopt
               : std::optional<std::string>("takes minutes (" + std::string(what) +
                                            "): run with GANTREL_LONG_TESTS=1");
}

Ended runProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& scratch)
{
    const std::filesystem::path out = scratch / "stdout";
    const std::filesystem::path err = scratch / "stderr";
    const int status = startAndWait(program, arguments, out, err);
    return {status, lineBreaksAsWritten(readFile(out)), lineBreaksAsWritten(readFile(err))};
}

std::string stoppedLogLine(std::string errorText)
{
    while (!errorText.empty() && (errorText.back() == '\n' || errorText.back() == '\r')) {
        errorText.pop_back();
    }
    return "Analysis stopped: " + errorText;
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    path += platform::separator();
    path += name;
    return path;
}

std::string narrow(std::u16string_view text)
{
    return platform::utf16ToNarrow(text);
}

std::string utf8Bytes(std::u16string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18));
            bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

// ---- Fixtures -------------------------------------------------------------------------------

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

TempDir::TempDir(const std::filesystem::path& parent)
{
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = parent / ("gantrel-test-" + std::to_string(device()));
        if (std::filesystem::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    // Tests may leave read-only folders behind; give write access back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(m_path, ignored);
}

void writeFile(const std::filesystem::path& file, std::string_view bytes)
{
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path());
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Tree tree(const std::filesystem::path& folder)
{
    Tree entries;
    if (!std::filesystem::exists(folder)) {
        return entries;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string relative = textOf(entry.path().lexically_relative(folder));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        if (entry.is_directory()) {
            entries[relative + "/"] = "";
        } else {
            entries[relative] = readFile(entry.path());
        }
    }
    return entries;
}

std::string utf16Bytes(std::u16string_view text, bool bigEndian, bool withMark)
{
    std::string bytes;
    const auto put = [&](char16_t unit) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    if (withMark) {
        put(0xFEFF);
    }
    for (const char16_t unit : text) {
        put(unit);
    }
    return bytes;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value) : m_name(name)
{
    if (const char* old = std::getenv(name)) {
        m_old = old;
    }
    setEnvironment(name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    setEnvironment(m_name, m_old ? m_old->c_str() : nullptr);
}

std::filesystem::path examplesFolder()
{
    if (const char* fromBuild = std::getenv("GANTREL_EXAMPLES")) {
        // Absolute in the system's own form: under Wine the build's "/…" lies on the current drive.
        return std::filesystem::absolute(fromBuild);
    }
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "examples";
}

#ifndef _WIN32
namespace {
const std::string kDeepName(200, 'd');
}  // namespace

DeepFolders::DeepFolders(const std::filesystem::path& top, std::size_t depth,
                         const std::vector<std::string>& files)
    : m_files(files)
{
    m_fds.push_back(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (std::size_t i = 0; i < depth; ++i) {
        ::mkdirat(m_fds.back(), kDeepName.c_str(), 0777);
        m_fds.push_back(::openat(m_fds.back(), kDeepName.c_str(), O_RDONLY | O_DIRECTORY));
        relative += kDeepName + "\\";
    }
    for (const std::string& name : files) {
        const int file = ::openat(m_fds.back(), name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
        if (file < 0) {
            throw std::runtime_error("cannot make the deep file " + name);
        }
        ::close(file);
    }
}

DeepFolders::~DeepFolders()
{
    for (const std::string& name : m_files) {
        ::unlinkat(m_fds.back(), name.c_str(), 0);
    }
    for (std::size_t i = m_fds.size() - 1; i > 0; --i) {
        ::close(m_fds[i]);
        ::unlinkat(m_fds[i - 1], kDeepName.c_str(), AT_REMOVEDIR);
    }
    ::close(m_fds.front());
}
#endif

}  // namespace gantrel::test
