// SPDX-License-Identifier: MIT
#include "export/export_copiers.h"

#include <algorithm>
#include <thread>

#include "export/export_entry.h"
#include "platform/copy.h"

namespace gantrel {

std::size_t CopierRun::running() const
{
    return static_cast<std::size_t>(std::count_if(m_copiers.begin(), m_copiers.end(),
                                                  [](const Copier& c) { return !c.ended; }));
}

std::size_t maxRunningCopiers()
{
    return std::max<std::size_t>(4, std::thread::hardware_concurrency());
}

void CopierRun::startWaiting()
{
    while (m_nextWaiting < m_waiting.size() && running() < m_maxRunning) {
        Waiting& next = m_waiting[m_nextWaiting++];
        m_copiers.push_back(
            {next.index, std::move(next.entry), platform::startCopier(next.command, m_copier)});
        // A copier that could not start has ended already and takes no place.
        m_copiers.back().ended = m_copiers.back().process->poll();
    }
}

bool CopierRun::poll()
{
    if (m_finished) {
        return true;
    }
    for (Copier& copier : m_copiers) {
        copier.ended = copier.ended || copier.process->poll();
    }
    startWaiting();
    if (running() > 0 || m_nextWaiting < m_waiting.size()) {
        return false;
    }
    // Asked only now: the copiers of nested folders write the same files, and a copier that
    // checks its copy must not see another one's files half-written.
    for (const Copier& copier : m_copiers) {
        if (!copier.process->succeeded()) {
            m_failures.push_back(
                {copier.index, {copier.entry, copierReason(copier.process->failure())}});
        }
    }
    m_finished = true;
    if (m_failures.empty()) {
        m_ui->showMessage(std::string(exportEndMessage(m_list)));
        return true;
    }
    std::stable_sort(m_failures.begin(), m_failures.end(),
                     [](const Failure& a, const Failure& b) { return a.index < b.index; });
    std::vector<FolderFailure> folders;
    folders.reserve(m_failures.size());
    for (const Failure& failure : m_failures) {
        folders.push_back(failure.folder);
    }
    m_ui->showMessage(failureReport(folders));
    return true;
}

CopierRun startCopiers(const WindowState& state, ExportList which, ExportUi& ui,
                       const std::string& copier, std::size_t maxRunning)
{
    ui.showMessage(std::string(exportNotice(ExportVariant::CommandCopy, which)));
    const std::string& root = state.gameRoot;
    const std::optional<std::string> destination = ui.chooseDestination();
    CopierRun run;
    if (!destination) {
        return run;
    }
    run.m_ui = &ui;
    run.m_list = which;
    run.m_copier = copier;
    run.m_maxRunning = std::max<std::size_t>(1, maxRunning);
    run.m_finished = false;

    const std::vector<std::string>& entries =
        which == ExportList::ObjectFolders ? state.objectFolders : state.splineFolders;
    std::vector<std::string> started;  // the sources of the copiers started, as found on disk
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const std::string& entry = entries[index];
        if (entry.empty() || isTopFolder(which, entry)) {
            continue;
        }
        if (!isSafeEntry(entry)) {
            run.m_failures.push_back({index, {entry, unsafeEntryReason()}});
            continue;
        }
        const std::string target = targetOf(*destination, entry);
        if (!staysInside(*destination, target)) {
            run.m_failures.push_back({index, {entry, platform::outsideDestinationReason(target)}});
            continue;
        }
        const std::optional<std::string> source = platform::resolveFolder(root + entry);
        if (!source) {
            // Said as the shell export says it: a copier started for it would tell only an
            // exit code (xcopy's 4, "initialisation error").
            run.m_failures.push_back(
                {index, {entry, missingFolderReason(copierSourceOf(root, entry))}});
            continue;
        }
        if (sameFolder(*source, target)) {
            continue;  // the destination is the installation: the folder is already there
        }
        if (std::find(started.begin(), started.end(), *source) != started.end()) {
            continue;  // an entry in another case named this folder: one copier fills it
        }
        started.push_back(*source);
        const platform::CopierCommand command{copierSourceOf(root, entry), target, *destination,
                                              xcopyParameters(root, *destination, entry)};
        run.m_waiting.push_back({index, entry, command});
    }
    run.poll();
    return run;
}

}  // namespace gantrel
