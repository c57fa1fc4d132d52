// SPDX-License-Identifier: MIT
#include "export/export_shell_copy.h"

#include <algorithm>
#include <vector>

#include "export/export_entry.h"
#include "export/export_texts.h"
#include "platform/copy.h"

namespace gantrel {
namespace {

const std::vector<std::string>& folderList(const WindowState& state, ExportList which)
{
    return which == ExportList::ObjectFolders ? state.objectFolders : state.splineFolders;
}

}  // namespace

void copyUsedFolders(const WindowState& state, ExportList which, ExportUi& ui)
{
    ui.showMessage(std::string(exportNotice(ExportVariant::ShellCopy, which)));
    const std::string& root = state.gameRoot;
    const std::optional<std::string> destination = ui.chooseDestination();
    if (!destination) {
        return;
    }

    std::vector<FolderFailure> failures;
    CopyProgress before;              // the folders copied so far
    std::vector<std::string> copied;  // their sources, as found on disk
    for (const std::string& entry : folderList(state, which)) {
        if (entry.empty()) {
            continue;
        }
        if (!isSafeEntry(entry)) {
            failures.push_back({entry, unsafeEntryReason()});
            continue;
        }
        const std::string source = root + entry;
        const std::optional<std::string> folder = platform::resolveFolder(source);
        if (!folder) {
            failures.push_back({entry, missingFolderReason(source)});
            continue;
        }
        const std::string target = targetOf(*destination, entry);
        if (!staysInside(*destination, target)) {
            failures.push_back({entry, platform::outsideDestinationReason(target)});
            continue;
        }
        if (sameFolder(*folder, target)) {
            continue;  // the destination is the installation: the folder is already there
        }
        if (std::find(copied.begin(), copied.end(), *folder) != copied.end()) {
            continue;  // an entry in another case named this folder, which is copied already
        }
        copied.push_back(*folder);
        CopyProgress done = before;
        const auto progress = [&](const CopyProgress& now) {
            done = CopyProgress{before.files + now.files, before.bytes + now.bytes, now.folder};
            ui.copyProgress(done);
        };
        const std::vector<platform::CopyFailure> problems =
            platform::copyFolder({*folder, target, *destination, false}, progress);
        before = done;
        if (!problems.empty()) {
            std::vector<std::string> texts;
            texts.reserve(problems.size());
            for (const platform::CopyFailure& problem : problems) {
                texts.push_back(copyFailureText(problem));
            }
            failures.push_back({entry, summaryOf(texts)});
        }
    }
    ui.showMessage(failures.empty() ? std::string(exportEndMessage(which))
                                    : failureReport(failures));
}

}  // namespace gantrel
