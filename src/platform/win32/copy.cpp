// SPDX-License-Identifier: MIT
// Folder copies on Windows: the file system finds names without regard to case itself, the
// shell's file operation copies a folder tree, and the system's xcopy runs through the shell's
// launcher. Around both stand the checks they lack: nothing is written outside the destination,
// a folder is never copied into itself, and every file is looked for afterwards, so that a file
// the shell or xcopy left out is reported instead of passing as copied.

// windows.h first: the shell's header builds on it.
#include "platform/win32/windows_api.h"

#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/copy.h"
#include "platform/platform.h"
#include "platform/unstarted_copier.h"
#include "platform/win32/xcopy.h"

namespace gantrel::platform {
namespace {

// Answer yes to every confirmation and make missing folders without asking. Without
// FOF_FILESONLY: the source is a wildcard (shellCopy), with which it would leave the
// subfolders out.
constexpr FILEOP_FLAGS kShellCopyFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;

// Each copier's console window (one per core may run at once) starts minimised and without
// taking the focus, so that the user can go on working in the program.
constexpr int kShowCopier = SW_SHOWMINNOACTIVE;

// The system's own xcopy by its full path: by name alone, the launcher looks in the current
// folder and the program's folder before the system folder, and for .com, .bat and .cmd
// before .exe, so that an xcopy.bat beside the program would run instead.
std::wstring systemCopier()
{
    const UINT length = ::GetSystemDirectoryW(nullptr, 0);
    std::wstring folder(length, L'\0');
    const UINT written = ::GetSystemDirectoryW(folder.data(), length);
    if (written == 0 || written >= length) {
        return {};
    }
    folder.resize(written);
    return folder + L"\\xcopy.exe";
}

std::uint64_t fileSize(DWORD high, DWORD low)
{
    return (std::uint64_t{high} << 32) | low;
}

// The full path of a folder without a trailing separator, except for a root.
std::wstring folderPath(const std::string& path)
{
    std::wstring full = win32::fullPathWide(win32::toWide(path));
    while (full.size() > std::max<std::size_t>(win32::rootLength(full), 1) &&
           full.back() == L'\\') {
        full.pop_back();
    }
    return full;
}

// True when `path` lies strictly below `folder`, names compared as the file system does.
bool liesBelow(std::wstring_view path, std::wstring_view folder)
{
    const bool rooted = folder.ends_with(L'\\');
    return path.size() > folder.size() + (rooted ? 0 : 1) &&
           win32::sameName(path.substr(0, folder.size()), folder) &&
           (rooted || path[folder.size()] == L'\\');
}

std::string withoutLineBreak(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

constexpr std::string_view kDestinationInSource = "the target folder lies inside the source folder";

// The shell's result in words. Its own codes of the old shell (0x71 to 0x88 and a few more)
// overlap the system's error codes and are not the system's errors, so they are read first.
std::string shellResultText(int result)
{
    struct Known {
        int code;
        std::string_view text;
    };
    static constexpr Known kShellCodes[] = {
        {0x71, "the source and the target are the same file"},
        {0x75, "the copy was cancelled"},
        {0x76, kDestinationInSource},
        {0x78, "the source cannot be read"},
        {0x79, "the path is too deep"},
        {0x7C, "the path is not valid"},
        {0x402, "the path is not valid"},
        {0x10000, "the target cannot be written"},
    };
    for (const Known& known : kShellCodes) {
        if (known.code == result) {
            return std::string(known.text);
        }
    }
    if (result > 0x88 || result < 0x71) {
        if (std::string text = withoutLineBreak(win32::systemText(static_cast<DWORD>(result)));
            !text.empty()) {
            return text;
        }
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%X", static_cast<unsigned>(result));
    return std::string("the shell's copy failed with code ") + code;
}

// What a source tree holds, walked before the shell copies it or after xcopy has: each file
// with its size, to be looked for in the target, and the folders that hold no file at any
// depth, deepest first.
struct SourceTree {
    struct File {
        std::wstring relative;
        std::uint64_t size;
    };
    std::vector<File> files;
    std::vector<std::wstring> emptyFolders;
    std::vector<CopyFailure> failures;
};

// The attributes of the source files a copy leaves out, and so are not looked for after it:
// the shell copies every file; xcopy without /H copies no hidden and no system file (the
// desktop.ini or Thumbs.db that Explorer leaves in a texture folder).
constexpr DWORD kShellLeavesOut = 0;
constexpr DWORD kXcopyLeavesOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Walks one folder, leaving out the files with any of the attributes `leftOut`; true when it
// holds a file at any depth.
bool walk(const std::wstring& folder, const std::wstring& relative, DWORD leftOut, SourceTree& tree)
{
    WIN32_FIND_DATAW found{};
    const win32::Search search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search.valid()) {
        tree.failures.push_back({CopyStep::ListFolder, win32::toNarrow(folder),
                                 withoutLineBreak(win32::systemText(::GetLastError()))});
        return true;  // whatever it holds, it is not known to be empty
    }
    bool holdsFile = false;
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring path =
            relative.empty() ? std::wstring(name) : relative + L'\\' + std::wstring(name);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            if ((found.dwFileAttributes & leftOut) == 0) {
                tree.files.push_back({path, fileSize(found.nFileSizeHigh, found.nFileSizeLow)});
            }
            holdsFile = true;
        } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            holdsFile = true;  // a junction may lead back up the tree: its content is the shell's
        } else if (walk(folder + L'\\' + std::wstring(name), path, leftOut, tree)) {
            holdsFile = true;
        } else {
            tree.emptyFolders.push_back(path);
        }
    } while (::FindNextFileW(search.get(), &found) != 0);
    return holdsFile;
}

// A source tree looked for below the target after a copy: what of it is there, and the files
// that are missing there or differ in size, by their paths below the target in the order of
// their names. Folders are not looked for: a folder without files is no loss to a map.
struct CopyCheck {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::vector<std::wstring> leftOut;
};

CopyCheck checkCopy(const SourceTree& tree, const std::wstring& target)
{
    CopyCheck check;
    for (const SourceTree::File& file : tree.files) {
        std::wstring copied = target + L'\\' + file.relative;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (::GetFileAttributesExW(copied.c_str(), GetFileExInfoStandard, &data) == 0 ||
            win32::isDirectory(data.dwFileAttributes) ||
            fileSize(data.nFileSizeHigh, data.nFileSizeLow) != file.size) {
            check.leftOut.push_back(std::move(copied));
            continue;
        }
        ++check.files;
        check.bytes += file.size;
    }
    // Each file system lists in an order of its own; sorted, a report names the same file first
    // on all of them.
    std::sort(check.leftOut.begin(), check.leftOut.end());
    return check;
}

// The first folder from below the boundary down to the target that is a link or a junction:
// the shell or xcopy would write through it to wherever it leads.
std::optional<std::wstring> linkOnTheWay(const std::wstring& boundary, const std::wstring& target)
{
    for (std::size_t end = boundary.size() + 1; end <= target.size(); ++end) {
        if (end == target.size() || target[end] == L'\\') {
            const std::wstring folder = target.substr(0, end);
            const DWORD attributes = ::GetFileAttributesW(folder.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES) {
                return std::nullopt;  // the rest is made by the copy
            }
            if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                return folder;
            }
        }
    }
    return std::nullopt;
}

// A file of the target that is also known by another name: the shell and xcopy write over a
// file in place, which would change the other name's content too (a file of the installation,
// linked into the package). Such a file is removed first, so the copy makes a new one.
void breakHardLinks(const SourceTree& tree, const std::wstring& target)
{
    for (const SourceTree::File& file : tree.files) {
        const std::wstring copied = target + L'\\' + file.relative;
        bool linked = false;
        {
            const win32::Handle handle(
                ::CreateFileW(copied.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            BY_HANDLE_FILE_INFORMATION information{};
            linked = handle.valid() && ::GetFileInformationByHandle(handle.get(), &information) &&
                     information.nNumberOfLinks > 1;
        }
        if (linked) {
            ::DeleteFileW(copied.c_str());
        }
    }
}

// Makes the folder and the folders above it that are missing; the system's error code where one
// cannot be made (a file in the way, no rights), 0 when the folder is there.
DWORD makeFolders(const std::wstring& folder)
{
    for (std::size_t end = win32::rootLength(folder); end <= folder.size(); ++end) {
        if (end != folder.size() && folder[end] != L'\\') {
            continue;
        }
        const std::wstring path = win32::longPath(folder.substr(0, end));
        if (end == 0 || win32::isDirectory(::GetFileAttributesW(path.c_str()))) {
            continue;
        }
        if (::CreateDirectoryW(path.c_str(), nullptr) == 0) {
            const DWORD error = ::GetLastError();
            return error == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : error;
        }
    }
    return 0;
}

// The last name of a folder's full path.
std::wstring leafName(const std::wstring& folder)
{
    const std::size_t last = folder.find_last_of(L'\\');
    return last == std::wstring::npos ? folder : folder.substr(last + 1);
}

// True for a folder `folder\name` that holds something.
bool folderThere(const std::wstring& folder, const std::wstring& name)
{
    return !name.empty() &&
           win32::isDirectory(::GetFileAttributesW((folder + L'\\' + name).c_str()));
}

// Whether each file of a source tree is in the target before the copy.
std::vector<bool> filesThere(const SourceTree& tree, const std::wstring& target)
{
    std::vector<bool> there;
    there.reserve(tree.files.size());
    for (const SourceTree::File& file : tree.files) {
        there.push_back(::GetFileAttributesW((target + L'\\' + file.relative).c_str()) !=
                        INVALID_FILE_ATTRIBUTES);
    }
    return there;
}

// Why a copy from `source` into `target` is not begun: the target is the source or holds it,
// or lies inside it, where the copy would copy itself again; empty when it may go ahead.
std::string refusal(const std::wstring& source, const std::wstring& target)
{
    if (win32::sameName(target, source)) {
        return "the target folder is the source folder";
    }
    if (liesBelow(source, target)) {
        return "the target folder holds the source folder";
    }
    return liesBelow(target, source) ? std::string(kDestinationInSource) : std::string();
}

// The shell's copy of one folder's content into the target, as the request record has it.
// Given the folder itself, Windows copies it into a target that exists already, as a folder of
// the same name inside it (Wine merges the two): given its content ("source\*"), the result is
// the same whether the target exists or not.
int shellCopy(const std::wstring& source, const std::wstring& target, bool& aborted)
{
    // Each list ends in two NULs: the string's own and one more.
    std::string from = win32::toNarrow(source);
    std::string to = win32::toNarrow(target);
    if (!from.ends_with('\\')) {
        from += '\\';
    }
    from += '*';
    for (std::string* path : {&from, &to}) {
        path->push_back('\0');
    }
    SHFILEOPSTRUCTA request{};
    request.hwnd = nullptr;
    request.wFunc = FO_COPY;
    request.pFrom = from.c_str();
    request.pTo = to.c_str();
    request.fFlags = kShellCopyFlags;
    const int result = ::SHFileOperationA(&request);
    aborted = request.fAnyOperationsAborted != FALSE;
    return result;
}

// Runs the shell's copy on a thread of its own while this thread repaints its windows and
// answers the messages sent to them: on Windows the copy blocks its thread for as long as it
// takes (its progress window runs elsewhere), and a window whose thread takes no message for
// five seconds is marked as not responding. Input stays queued for after the copy, so that
// nothing else starts meanwhile.
int shellCopyResponsive(const std::wstring& source, const std::wstring& target, bool& aborted)
{
    const win32::Handle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.valid()) {
        return shellCopy(source, target, aborted);
    }
    int result = 0;
    bool stopped = false;
    std::thread copier([&] {
        // The shell's copy runs on COM, in a single-threaded apartment of its thread.
        const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        result = shellCopy(source, target, stopped);
        if (com) {
            ::CoUninitialize();
        }
        ::SetEvent(done.get());
    });
    HANDLE waited = done.get();
    while (::MsgWaitForMultipleObjects(1, &waited, FALSE, INFINITE, QS_PAINT | QS_SENDMESSAGE) !=
           WAIT_OBJECT_0) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT) != FALSE) {
            ::DispatchMessageW(&message);
        }
    }
    copier.join();
    aborted = stopped;
    return result;
}

// A started xcopy, watched through its process handle. It writes to a console of its own,
// which nobody reads: its exit code is all it tells, and an exit code of 0 is not enough
// (Wine's xcopy does not know /J, copies the folder's own files only and still exits with 0).
// So once it has ended with 0, every file of the source is looked for in the target.
class ShellCopier final : public CopierProcess {
public:
    ShellCopier(HANDLE process, std::wstring source, std::wstring target)
        : m_process(process), m_source(std::move(source)), m_target(std::move(target))
    {
    }

    bool poll() override
    {
        if (m_ended) {
            return true;
        }
        if (::WaitForSingleObject(m_process.get(), 0) != WAIT_OBJECT_0) {
            return false;
        }
        m_ended = true;
        if (::GetExitCodeProcess(m_process.get(), &m_exitCode) == 0) {
            m_exitCode = STILL_ACTIVE;  // the code is lost: no success can be claimed
        }
        return true;
    }

    bool succeeded() const override { return m_ended && outcome().empty(); }

    std::string failure() const override { return outcome(); }

private:
    // The copy is looked at when first asked for, which the export does once all its copiers
    // have ended: another copier may be writing the same files until then.
    const std::string& outcome() const
    {
        if (!m_failure) {
            m_failure = win32::xcopyFailure(m_exitCode, [this] { return missingFromTarget(); });
        }
        return *m_failure;
    }

    // What the copy lacks, one problem a line; empty when every file is in the target.
    std::string missingFromTarget() const
    {
        SourceTree tree;
        walk(m_source, {}, kXcopyLeavesOut, tree);
        std::string lines;
        const auto add = [&lines](const std::string& problem) {
            lines += (lines.empty() ? "" : "\n") + problem;
        };
        for (const CopyFailure& failure : tree.failures) {
            add("cannot read the folder \"" + failure.path +
                "\" to check the copy: " + failure.reason);
        }
        for (const std::wstring& file : checkCopy(tree, m_target).leftOut) {
            add("the copier did not copy \"" + win32::toNarrow(file) + "\"");
        }
        return lines;
    }

    win32::Handle m_process;
    std::wstring m_source;
    std::wstring m_target;
    bool m_ended = false;
    DWORD m_exitCode = 0;
    mutable std::optional<std::string> m_failure;  // empty for a copier that ended with success
};

}  // namespace

namespace win32 {

std::string xcopyFailure(std::uint32_t exitCode, const std::function<std::string()>& checkCopy)
{
    if (exitCode == 0) {
        return checkCopy();
    }
    constexpr std::uint32_t kNoFilesFound = 1;
    struct Known {
        std::uint32_t code;
        std::string_view text;
    };
    static constexpr Known kXcopyCodes[] = {
        {kNoFilesFound, "no files were found to copy"},
        {2, "the copy was stopped with Ctrl+C"},
        {4,
         "initialisation error (not enough memory or disk space, or an invalid drive name "
         "or syntax)"},
        {5, "a disk write error"},
    };
    std::string reason = "the copier ended with exit code " + std::to_string(exitCode);
    const auto* known = std::find_if(std::begin(kXcopyCodes), std::end(kXcopyCodes),
                                     [exitCode](const Known& k) { return k.code == exitCode; });
    if (known != std::end(kXcopyCodes)) {
        reason += ": " + std::string(known->text);
    }
    if (exitCode != kNoFilesFound) {
        return reason;
    }
    // Nothing to copy is no failure when nothing is missing from the copy either.
    const std::string missing = checkCopy();
    return missing.empty() ? missing : reason + "\n" + missing;
}

}  // namespace win32

std::optional<std::string> resolveFolder(const std::string& path)
{
    // A wildcard would make a pattern of the search below, and no folder name holds one.
    if (path.empty() || path.find_first_of("*?") != std::string::npos) {
        return std::nullopt;
    }
    const std::wstring full = folderPath(path);
    if (!win32::isDirectory(::GetFileAttributesW(full.c_str()))) {
        return std::nullopt;
    }
    // The system found the folder whatever the case of its names; the search tells each name
    // as it is on disk.
    std::size_t start = win32::rootLength(full);
    std::wstring spelled = full.substr(0, start);
    while (start < full.size()) {
        const std::size_t end = std::min(full.find(L'\\', start), full.size());
        WIN32_FIND_DATAW found{};
        const win32::Search search(::FindFirstFileW(full.substr(0, end).c_str(), &found));
        spelled += search.valid() ? std::wstring(found.cFileName) : full.substr(start, end - start);
        if (end < full.size()) {
            spelled += L'\\';
        }
        start = end + 1;
    }
    return win32::toNarrow(spelled);
}

std::vector<CopyFailure> copyFolder(const FolderCopy& copy, const CopyProgressFn& progress)
{
    const std::wstring source = folderPath(copy.source);
    const std::wstring target = folderPath(copy.target);
    const std::wstring boundary = folderPath(copy.boundary);
    if (!win32::sameName(target, boundary) && !liesBelow(target, boundary)) {
        return {{CopyStep::OutsideDestination, copy.target, {}}};
    }
    if (std::string reason = refusal(source, target); !reason.empty()) {
        // The shell would write over the source's own files, or copy the copy again, ever
        // deeper, into the installation.
        return {{CopyStep::Refused, copy.target, std::move(reason)}};
    }
    if (const auto link = linkOnTheWay(boundary, target)) {
        return {{CopyStep::OutsideDestination, win32::toNarrow(*link), {}}};
    }

    SourceTree tree;
    walk(source, {}, kShellLeavesOut, tree);
    if (!tree.failures.empty() && tree.failures.front().path == win32::toNarrow(source)) {
        return std::move(tree.failures);  // the source itself cannot be read: nothing to copy
    }
    std::vector<bool> existedBefore;
    for (const std::wstring& folder : tree.emptyFolders) {
        existedBefore.push_back(
            win32::isDirectory(::GetFileAttributesW((target + L'\\' + folder).c_str())));
    }

    breakHardLinks(tree, target);
    const std::vector<bool> there = filesThere(tree, target);
    // A copy that nests the source inside the target instead of merging into it makes a folder
    // of the source's name in the target, where the source has none.
    const std::wstring leaf = leafName(source);
    const bool nestedBefore = folderThere(target, leaf) || folderThere(source, leaf);

    std::vector<CopyFailure> failures = std::move(tree.failures);
    // The content of the source goes into a target that is there: made first, since the shell
    // puts the content of a wildcard source into a missing target on Windows but not on Wine.
    if (const DWORD error = makeFolders(target); error != 0) {
        failures.push_back(
            {CopyStep::MakeFolder, copy.target, withoutLineBreak(win32::systemText(error))});
        return failures;
    }
    bool aborted = false;
    const int result = shellCopyResponsive(source, target, aborted);
    // A file the copy made but did not fill is taken away again: no half file stays in the
    // package. A file that was there before is left as the shell left it.
    const CopyCheck check = checkCopy(tree, target);
    for (std::size_t i = 0; i < tree.files.size(); ++i) {
        if (!there[i]) {
            const std::wstring copied = target + L'\\' + tree.files[i].relative;
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (::GetFileAttributesExW(copied.c_str(), GetFileExInfoStandard, &data) != 0 &&
                !win32::isDirectory(data.dwFileAttributes) &&
                fileSize(data.nFileSizeHigh, data.nFileSizeLow) != tree.files[i].size) {
                ::DeleteFileW(copied.c_str());
            }
        }
    }
    if (result != 0 || aborted) {
        failures.push_back({CopyStep::ShellOperation, copy.target,
                            result != 0 ? shellResultText(result) : "the copy was cancelled"});
        return failures;
    }
    if (!nestedBefore && folderThere(target, leaf)) {
        failures.push_back({CopyStep::ShellOperation, win32::toNarrow(target + L'\\' + leaf),
                            "the shell's copy put the folder inside the existing target "
                            "instead of into it"});
    }
    for (const std::wstring& file : check.leftOut) {
        failures.push_back(
            {CopyStep::WriteFile, win32::toNarrow(file), "the shell's copy did not write it"});
    }
    if (copy.skipEmptyFolders) {
        // The shell copies empty folders too; those it made are taken away again (a folder
        // that is not empty stays, whatever the request).
        for (std::size_t i = 0; i < tree.emptyFolders.size(); ++i) {
            if (!existedBefore[i]) {
                ::RemoveDirectoryW((target + L'\\' + tree.emptyFolders[i]).c_str());
            }
        }
    }
    if (progress && check.files > 0) {
        progress({check.files, check.bytes, copy.target});
    }
    return failures;
}

std::unique_ptr<CopierProcess> startCopier(const CopierCommand& command,
                                           const std::string& /*copier*/)
{
    const std::wstring source = folderPath(command.source);
    const std::wstring target = folderPath(command.target);
    if (std::string reason = refusal(source, target); !reason.empty()) {
        // xcopy would write over the source's own files, or copy its own copy again; the
        // installation stays as it is.
        return std::make_unique<UnstartedCopier>(std::move(reason));
    }
    if (const auto link = linkOnTheWay(folderPath(command.destination), target)) {
        // xcopy would write through it to wherever it leads: the same refusal as the shell's.
        return std::make_unique<UnstartedCopier>(outsideDestinationReason(win32::toNarrow(*link)));
    }
    {
        SourceTree tree;
        walk(source, {}, kXcopyLeavesOut, tree);
        breakHardLinks(tree, target);
    }
    const std::wstring program = systemCopier();
    const std::wstring parameters = win32::toWide(command.parameters);
    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof launch;
    // The process handle to watch it by; no message box of the shell's own when it fails,
    // since the export reports that itself.
    launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    launch.hwnd = nullptr;
    launch.lpVerb = L"open";
    launch.lpFile = program.c_str();
    launch.lpParameters = parameters.c_str();
    launch.lpDirectory = nullptr;
    launch.nShow = kShowCopier;
    if (program.empty() || ::ShellExecuteExW(&launch) == 0) {
        return std::make_unique<UnstartedCopier>(
            "the copier could not be started: " +
            withoutLineBreak(win32::systemText(::GetLastError())));
    }
    if (launch.hProcess == nullptr) {
        return std::make_unique<UnstartedCopier>("the copier started without a process to watch");
    }
    return std::make_unique<ShellCopier>(launch.hProcess, source, target);
}

std::string bundledCopier()
{
    const std::string folder = executableFolder();
    return folder.empty() ? std::string("gantrel-copy.exe") : folder + "gantrel-copy.exe";
}

}  // namespace gantrel::platform
