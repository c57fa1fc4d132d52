// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/export_ui.h"
#include "platform/copy.h"

namespace gantrel {

/// The two ways a folder list is exported: the shell's file copy (scof_copy, slif_copy) and
/// the command-line copier (Button10, Button11).
enum class ExportVariant { ShellCopy, CommandCopy };

/// The notice an export button shows first.
std::string_view exportNotice(ExportVariant variant, ExportList list);

/// The message an export shows at the end when every folder was copied.
std::string_view exportEndMessage(ExportList list);

/// A folder of the list that could not be copied, and why.
struct FolderFailure {
    std::string entry;
    std::string reason;
};

/// The message that replaces the end message when folders failed: one line per folder, in the
/// order given, "entry: reason"; a reason that several folders share is said once, at the place
/// of its first folder, as "N folders: reason" with the folders indented on the lines below.
std::string failureReport(const std::vector<FolderFailure>& failures);

/// Why: the folder entry does not name a folder strictly below the folder it is joined to.
std::string unsafeEntryReason();
/// Why: the source folder is not in the installation.
std::string missingFolderReason(const std::string& path);

/// One thing a folder copy could not do, in words: the step, the path and the system's reason.
std::string copyFailureText(const platform::CopyFailure& failure);

/// Several problems of one folder in one reason: the first, and how many more there were.
std::string summaryOf(const std::vector<std::string>& problems);

/// The reason a copier process gave (one problem a line, each perhaps prefixed with the
/// copier's name and ": "), summed up as summaryOf does.
std::string copierReason(std::string_view text);

}  // namespace gantrel
