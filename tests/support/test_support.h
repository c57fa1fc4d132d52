// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/window_state.h"

namespace gantrel::test {

// ---- Where the platforms differ ------------------------------------------------------------
// The same tests run on POSIX and on Windows; they ask these instead of testing the platform
// themselves, where the expected result really depends on it.

/// True in the Windows build.
bool isWindows();
/// True when the tests run as the superuser, whom no folder's rights keep out (POSIX).
bool isSuperuser();

/// The folder and the name joined by the separator that the program puts into paths.
std::string joinPath(std::string_view folder, std::string_view name);

/// The program's 8-bit text for a UTF-16 text: UTF-8 on POSIX, the ANSI code page on Windows.
std::string narrow(std::u16string_view text);

/// The file system path that the program's 8-bit path text names, and the reverse: what the
/// program would write for a path made by the test.
std::filesystem::path pathOf(std::string_view programText);
std::string textOf(const std::filesystem::path& path);

/// UTF-8 bytes of a text, as a tile with a UTF-8 mark holds them, whatever the platform.
std::string utf8Bytes(std::u16string_view text);

/// The system's own words, as the open error quotes them, for a tile that does not exist and
/// for a folder opened as a tile.
std::string missingFileText();
std::string folderAsFileText();
/// The system's own words for an error number of the platform (errno, or GetLastError()).
std::string systemErrorText(int code);
/// The log's line for a scan stopped by an error of this text: its final line break dropped.
std::string stoppedLogLine(std::string errorText);

/// The name of a program as it lies on disk ("name", or "name.exe" on Windows).
std::string programFileName(std::string_view name);

/// What the settings writer ends the lines of a new settings file with.
std::string_view newProfileLineBreak();

/// True when the Windows build runs under Wine, whose own programs (xcopy) fall short of
/// Windows' in places; false everywhere else.
bool underWine();

/// Why a test of what one platform alone has does not apply here, for its skip: nothing where
/// it applies. `what` names what the test needs of the platform.
std::optional<std::string> unlessPosix(std::string_view what);
std::optional<std::string> unlessWindows(std::string_view what);
/// Why a test that needs sparse files cannot run in `folder`: nothing where a file made long
/// without being written takes (almost) no room on its disk there.
std::optional<std::string> unlessSparseFiles(const std::filesystem::path& folder);
/// Why a test that takes minutes of processor time is not run: nothing where the environment
/// variable GANTREL_LONG_TESTS is 1. `what` says what takes the time.
std::optional<std::string> unlessLongTestsWanted(std::string_view what);

/// Ends the running test as skipped, its reason in the test output, where `reason` (one of the
/// predicates above) gives one; so every test is declared on every platform, and a skipped one
/// is counted and named.
#define GANTREL_SKIP_WITH(reason)                                \
    if (const std::optional<std::string> gantrelSkip = (reason)) \
    GTEST_SKIP() << *gantrelSkip

#ifdef _WIN32
/// Gives a file the hidden attribute, and the system attribute too when `system`, as Windows
/// gives them to the desktop.ini and Thumbs.db it leaves in folders. POSIX has neither.
void hideFile(const std::filesystem::path& file, bool system);
#endif

/// Makes `link` a new folder that leads to the folder `target`: a symbolic link on POSIX, a
/// junction on Windows (which takes no privilege, unlike a symbolic link there). False when the
/// system makes neither: Wine does not.
bool makeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link);

/// How a program started by a test ended: its exit status (-1 when it could not be started or
/// did not exit), and what it wrote to its output and error streams, line breaks as "\n".
struct Ended {
    int status = -1;
    std::string out;
    std::string err;
};

/// Runs a program with the arguments, without a shell, and waits for it; its streams are kept
/// in files below `scratch`.
Ended runProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& scratch);

// ---- Fixtures -------------------------------------------------------------------------------

/// A fresh folder below the system's temporary folder (or below `parent`), removed with
/// everything in it.
class TempDir {
public:
    TempDir();
    explicit TempDir(const std::filesystem::path& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    /// The folder as the program's 8-bit path text.
    std::string str() const { return textOf(m_path); }

private:
    std::filesystem::path m_path;
};

/// Writes the bytes to the file, making its folders.
void writeFile(const std::filesystem::path& file, std::string_view bytes);
/// The whole content of a file.
std::string readFile(const std::filesystem::path& file);

/// Every folder (as "name/") and file (with its content) below a folder, by relative path with
/// "/" between its names whatever the platform;
/// empty when the folder does not exist. Two trees compare equal when they hold the same.
using Tree = std::map<std::string, std::string>;
Tree tree(const std::filesystem::path& folder);

/// Text as UTF-16 bytes, little- or big-endian, with or without the byte-order mark.
std::string utf16Bytes(std::u16string_view text, bool bigEndian, bool withMark = true);

/// Records what the message box and the error box were asked to show.
class RecordingUi : public UserInterface {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void showError(const std::string& message) override { errors.push_back(message); }
    void tileScanned(std::size_t done, std::size_t total) override
    {
        progress.emplace_back(done, total);
    }

    std::vector<std::string> messages;
    std::vector<std::string> errors;
    std::vector<std::pair<std::size_t, std::size_t>> progress;
};

/// Sets (or, with nullptr, removes) an environment variable for its lifetime. Windows keeps no
/// empty variables: there the empty value removes it too.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

/// Ends the test program when a case that could wait for ever (a named pipe, a device) outlives
/// the bound, so that it fails then instead of stopping the suite. POSIX only, as those cases.
class HangGuard {
public:
    explicit HangGuard(unsigned seconds);
    ~HangGuard();
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};

/// The path of the examples folder of the source tree.
std::filesystem::path examplesFolder();

#ifndef _WIN32
/// Folders below `top`, `depth` deep, whose whole path is longer than the system takes, made
/// and removed folder by folder, with empty files of the given names in the deepest one.
/// `relative` is the path of the deepest folder below `top`, with backslashes as a map writes
/// it and one at its end.
class DeepFolders {
public:
    DeepFolders(const std::filesystem::path& top, std::size_t depth,
                const std::vector<std::string>& files);
    ~DeepFolders();
    DeepFolders(const DeepFolders&) = delete;
    DeepFolders& operator=(const DeepFolders&) = delete;

    std::string relative;

private:
    std::vector<int> m_fds;
    std::vector<std::string> m_files;
};
#endif

}  // namespace gantrel::test
