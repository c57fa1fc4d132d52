// SPDX-License-Identifier: MIT
#include "export/export_texts.h"

#include <unordered_map>

namespace gantrel {

std::string_view exportNotice(ExportVariant variant, ExportList list)
{
    if (list == ExportList::ObjectFolders) {
        return "Notice that this function is merely a helper. The application will also copy "
               "original objects made by KW to the other folder if they were used in your map, "
               "but it is not needed to include them in your map package.";
    }
    if (variant == ExportVariant::ShellCopy) {
        return "Notice that this function is merely a helper. This application will also copy "
               "splines made by KW to the other folder if they were used in your map, but it is "
               "not needed to include them in your map package.";
    }
    return "Notice: this function is merely a helper. I will also copy original splines made by "
           "KW to the destination folder if they were used in your map, but it is not needed to "
           "include them in your map package.";
}

std::string_view exportEndMessage(ExportList list)
{
    return list == ExportList::ObjectFolders ? "Used Scenery Object folders copied successfully."
                                             : "Used Spline folders copied successfully.";
}

std::string failureReport(const std::vector<FolderFailure>& failures)
{
    // The folders of each reason, the reasons in the order of their first folder.
    std::vector<std::vector<const FolderFailure*>> groups;
    std::unordered_map<std::string_view, std::size_t> groupOf;
    for (const FolderFailure& failure : failures) {
        const auto [found, added] = groupOf.try_emplace(failure.reason, groups.size());
        if (added) {
            groups.emplace_back();
        }
        groups[found->second].push_back(&failure);
    }
    std::string text = "These folders could not be copied:";
    for (const auto& group : groups) {
        if (group.size() == 1) {
            text += "\n" + group.front()->entry + ": " + group.front()->reason;
            continue;
        }
        // One cause of many folders (a full disk, a copier that cannot start) is said once.
        text += "\n" + std::to_string(group.size()) + " folders: " + group.front()->reason;
        for (const FolderFailure* failure : group) {
            text += "\n    " + failure->entry;
        }
    }
    return text;
}

std::string unsafeEntryReason()
{
    return "the path leads out of the installation or the destination folder, so it was not "
           "copied";
}

std::string missingFolderReason(const std::string& path)
{
    return "no such folder \"" + path + "\"";
}

std::string copyFailureText(const platform::CopyFailure& failure)
{
    const std::string quoted = "\"" + failure.path + "\"";
    switch (failure.step) {
        case platform::CopyStep::ListFolder:
            return "cannot read the folder " + quoted + ": " + failure.reason;
        case platform::CopyStep::ReadFile:
            return "cannot read " + quoted + ": " + failure.reason;
        case platform::CopyStep::MakeFolder:
            return "cannot make the folder " + quoted + ": " + failure.reason;
        case platform::CopyStep::WriteFile:
            return "cannot write " + quoted + ": " + failure.reason;
        case platform::CopyStep::OutsideDestination:
            return platform::outsideDestinationReason(failure.path);
        case platform::CopyStep::CopiedAlready:
            return quoted + " is not copied: it leads to the folder \"" + failure.reason +
                   "\", which is copied once only";
        case platform::CopyStep::Refused:
            return "the copy to " + quoted + " was refused: " + failure.reason;
        case platform::CopyStep::ShellOperation:
            break;
    }
    return "the copy to " + quoted + " failed: " + failure.reason;
}

std::string summaryOf(const std::vector<std::string>& problems)
{
    if (problems.empty()) {
        return {};
    }
    std::string text = problems.front();
    if (problems.size() == 2) {
        text += " (and 1 more problem)";
    } else if (problems.size() > 2) {
        text += " (and " + std::to_string(problems.size() - 1) + " more problems)";
    }
    return text;
}

std::string copierReason(std::string_view text)
{
    constexpr std::string_view kPrefix = "gantrel-copy: ";
    std::vector<std::string> problems;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.starts_with(kPrefix)) {
            line.remove_prefix(kPrefix.size());
        }
        if (!line.empty()) {
            problems.emplace_back(line);
        }
    }
    return summaryOf(problems);
}

}  // namespace gantrel
