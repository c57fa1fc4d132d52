// SPDX-License-Identifier: MIT
#pragma once

// The folder export's part of the seam to the operating system: finding a folder as the native
// file system finds it, copying one folder tree, and starting one command-line copier without
// waiting for it. CMake picks the POSIX or the Win32 implementation.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace gantrel::platform {

/// How far a copy has come: files and bytes copied so far, and the target folder being filled.
struct CopyProgress {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    std::string folder;
};

using CopyProgressFn = std::function<void(const CopyProgress&)>;

/// The step of a folder copy that went wrong.
enum class CopyStep {
    ListFolder,          // a source folder could not be listed
    ReadFile,            // a source file could not be opened or read
    MakeFolder,          // a target folder could not be made (a file is in the way, no rights)
    WriteFile,           // a target file could not be made or written (no rights, disk full)
    OutsideDestination,  // a target path leads out of the destination (a symbolic link)
    CopiedAlready,       // a source path leads to a folder copied already from `reason`
    ShellOperation,      // the shell's own copy reported an error (platforms that have one)
    Refused,  // the copy was not begun: the reason says why (the target holds the source)
};

/// One thing a folder copy could not do: the path concerned and the system's words for why.
struct CopyFailure {
    CopyStep step;
    std::string path;
    std::string reason;
};

/// Why a path was not written: it leads out of the destination folder (through a link in the
/// destination). Every copy, the program's own and the system's, says it in these words.
std::string outsideDestinationReason(const std::string& path);

/// The folder a path names, found as the native file system finds names: each component without
/// regard to case (the exact spelling first, else the first entry that matches), "\" and "/"
/// both taken as separators, "." and ".." resolved lexically. Returns the path with the names as
/// they are on disk, without a trailing separator; nullopt when no such folder exists.
std::optional<std::string> resolveFolder(const std::string& path);

/// One folder copy: the folder `source` (an existing folder, as resolveFolder gives it) with
/// everything in it into the folder `target`, which lies lexically below `boundary`.
struct FolderCopy {
    std::string source;
    std::string target;
    /// Nothing is written anywhere but below this folder: no link below it is ever followed,
    /// and what lies behind a link in the target tree is reported instead of written.
    std::string boundary;
    /// Subfolders that hold no file, at any depth, are not made (the top target folder is).
    bool skipEmptyFolders = false;
};

/// Copies a folder tree. The boundary is made with its parents when missing; below it every
/// name of the target tree is found as the native file system finds names, without regard to
/// case (a folder or file there in another case is written into or over, a new one takes the
/// source's spelling), and no link on the way is followed. Each file is written beside its
/// target and then takes its place, so a hard link of the old file elsewhere keeps its content
/// and a file that cannot be written whole leaves nothing behind (such files that a copier
/// which no longer runs left in a folder are removed when the next copy writes there);
/// existing files are replaced without asking. A target that is the source, holds it or lies inside it is refused
/// (Refused) before anything is made; a link in the source to the copy's own folders is not
/// entered, so the copy never copies itself. What fails is skipped and the copy goes on;
/// nothing is written below a folder that was refused. Returns the failures, none when
/// everything was copied. `progress` is called after each file. On Windows this is the
/// shell's file operation (SHFileOperationA), which shows its own progress (`progress` is
/// called once, after it) and reports one ShellOperation failure for a non-zero result or an
/// aborted copy, and each file the shell left out is a WriteFile failure.
std::vector<CopyFailure> copyFolder(const FolderCopy& copy, const CopyProgressFn& progress);

/// One started copier process, watched without blocking.
class CopierProcess {
public:
    virtual ~CopierProcess() = default;
    /// Looks at the process without waiting (reading what it wrote to its error stream so far);
    /// true once it has ended. Ending is seen once: later calls return true and change nothing.
    virtual bool poll() = 0;
    /// After poll() returned true: true when the copier ended with success. A copier may look
    /// at what it copied here, so an export asks only once all its copiers have ended.
    virtual bool succeeded() const = 0;
    /// After poll() returned true and succeeded() is false: what the copier said went wrong
    /// (the lines of its error stream), or how it ended when it said nothing. A copier whose
    /// own words cannot be read (xcopy) and that ended with success is checked file by file
    /// first: the files that did not arrive are its failure.
    virtual std::string failure() const = 0;
};

/// What one copier is asked to do, in the two forms the platforms need.
struct CopierCommand {
    std::string source;       // the source folder, as it stands (not resolved)
    std::string target;       // the target folder, with the platform's separators
    std::string destination;  // the chosen destination: nothing is written outside it
    std::string parameters;   // the whole parameter text of the system's own copier
};

/// Starts one copier for a folder and returns at once; the copier runs in parallel with the
/// program and with other copiers. Where the system has a command-line copier (Windows) it is
/// started as the system folder's xcopy.exe, by its full path, minimised and without taking the
/// focus, with `command.parameters` through the shell's "open" launcher; elsewhere
/// the program `copier` is started directly (no shell) with the arguments "--within",
/// destination, "--", source and target, its standard input and output on the null device and
/// its error stream captured.
/// A copier that cannot be started gives a process that has already ended with the reason; so
/// does, on Windows, a target inside its own source, for which xcopy is not started.
std::unique_ptr<CopierProcess> startCopier(const CopierCommand& command, const std::string& copier);

/// The program's own copier beside the running executable ("gantrel-copy", "gantrel-copy.exe"
/// on Windows), or the bare name, looked up on the search path, when the executable's folder is
/// unknown. Windows starts xcopy instead.
std::string bundledCopier();

}  // namespace gantrel::platform
