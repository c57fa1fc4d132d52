// SPDX-License-Identifier: MIT
#include "window/window_operations.h"

#include <exception>
#include <iterator>
#include <utility>

#include "analysis/analysis_run.h"
#include "analysis/where_used.h"
#include "common/error.h"
#include "export/export_shell_copy.h"
#include "platform/package_files.h"
#include "platform/platform.h"
#include "settings/not_needed_folders.h"
#include "settings/settings_file.h"
#include "settings/start_folder.h"
#include "window/list_menu.h"

namespace gantrel::window {
namespace {

// The front's run interface, cancelled also by the operations' own flag.
class CancellableRun final : public UserInterface {
public:
    CancellableRun(UserInterface& front, const bool& cancel) : m_front(front), m_cancel(cancel) {}
    void showMessage(const std::string& text) override { m_front.showMessage(text); }
    void showError(const std::string& message) override { m_front.showError(message); }
    void tileScanned(std::size_t done, std::size_t total) override
    {
        m_front.tileScanned(done, total);
    }
    bool cancelRequested() override { return m_cancel || m_front.cancelRequested(); }

private:
    UserInterface& m_front;
    const bool& m_cancel;
};

}  // namespace

WindowOperations::WindowOperations(WindowFront& front, std::string settingsPath, std::string copier)
    : m_front(front), m_settingsPath(std::move(settingsPath)), m_copier(std::move(copier))
{
}

WindowOperations::~WindowOperations() = default;

void WindowOperations::runOperation(const std::function<void()>& operation)
{
    // Modal boxes and progress dialogs keep input away during an operation; this also covers
    // a click that was queued before one of them opened.
    if (m_busy) {
        return;
    }
    m_busy = true;
    try {
        operation();
    } catch (const std::exception& error) {
        m_front.render();
        m_front.showError(error.what());
    }
    m_busy = false;
    m_front.render();
}

void WindowOperations::analyse(const std::string& folder)
{
    SettingsFile settings(m_settingsPath);
    const std::unique_ptr<UserInterface> ui = m_front.analysisInterface();
    m_cancelScan = false;
    CancellableRun run(*ui, m_cancelScan);
    m_missingSearch.cancel();
    // A run that starts clears the log, and with it the line that the search runs; a rejected
    // folder leaves the log, whose search now ends as cancelled.
    const bool searchLogged = std::exchange(m_searchLogged, false);
    const RunEnd end = runAnalysis(folder, m_state, run, settings);
    m_searchLogged = end == RunEnd::NotAMapFolder && searchLogged;
    if (end == RunEnd::Completed) {
        m_analysedFolder = folder;
        m_packageMap = platform::linkTarget(folder);
        // The search runs beside the window: the log says so until its end is seen, even when
        // it has already ended, so that its end line is never left out.
        m_searchLogged = m_missingSearch.start(m_state);
        if (m_searchLogged) {
            m_state.log.push_back(kSearchingLogLine);
            ++m_state.logScrolls;
        }
        m_front.watchSearch(m_searchLogged);
    }
}

void WindowOperations::searchTick()
{
    runOperation([this] {
        const FoundElsewhere* found = m_missingSearch.result();
        if (found == nullptr) {
            return;
        }
        if (m_searchLogged) {
            m_state.log.push_back(searchEndLogLine(
                *found, m_state.missingObjects.size() + m_state.missingSplines.size()));
            ++m_state.logScrolls;
            m_searchLogged = false;
        }
        m_front.watchSearch(false);
    });
}

void WindowOperations::relink(const RelinkChange& change, RelinkFront& front)
{
    runOperation([this, &change, &front] {
        m_missingSearch.cancel();
        m_missingSearch.wait();
        if (m_relinks.relink(m_state, change, front)) {
            analyse(m_analysedFolder);
        }
    });
}

void WindowOperations::undoLastRelink(RelinkFront& front)
{
    runOperation([this, &front] {
        if (m_relinks.undo(front)) {
            analyse(m_analysedFolder);
        }
    });
}

void WindowOperations::chooseAndAnalyse()
{
    runOperation([this] {
        std::string folder = startFolder(SettingsFile(m_settingsPath));
        if (m_front.chooseMapFolder(kMapFolderTitle, kMapFolderRoot, folder)) {
            analyse(folder);
        }
    });
}

void WindowOperations::analyseMapFolder(const std::string& folder)
{
    runOperation([this, &folder] { analyse(folder); });
}

void WindowOperations::saveListAs(
    WindowList list,
    const std::function<std::optional<std::string>(const std::string&)>& chooseFile)
{
    runOperation([this, list, &chooseFile] {
        const std::optional<std::string> file = chooseFile(saveAsFileName(list));
        if (file && !platform::replaceFile(*file, clipboardText(listOf(m_state, list)))) {
            throw Error("Unable to write to " + *file);
        }
    });
}

void WindowOperations::showNotice(const std::string& notice)
{
    runOperation([this, &notice] { m_front.showMessage(notice); });
}

void WindowOperations::copyToClipboard(WindowList list)
{
    runOperation([this, list] {
        m_front.selectAll(list);
        if (const std::string text = clipboardText(listOf(m_state, list)); !text.empty()) {
            m_front.setClipboardText(text);
        }
    });
}

void WindowOperations::showWhereUsed(WindowList list, std::size_t index,
                                     const WhereUsedDialog& show)
{
    runOperation([this, list, index, &show] {
        const std::vector<std::string>& entries = listOf(m_state, list);
        if (index < entries.size()) {
            const std::string& entry = entries[index];
            show(entry, whereUsedRows(m_state, whereUsed(m_state, entry)));
        }
    });
}

void WindowOperations::exportFolders(ExportList list, ExportVariant variant)
{
    runOperation([this, list, variant] {
        std::unique_ptr<ExportUi> ui = m_front.exportInterface();
        if (variant == ExportVariant::ShellCopy) {
            copyUsedFolders(m_state, list, *ui);
            return;
        }
        CopierRun run = startCopiers(m_state, list, *ui, m_copier);
        if (run.finished()) {
            return;
        }
        m_copierExports.push_back({std::move(ui), std::move(run)});
        m_front.watchCopiers(true);
    });
}

void WindowOperations::makeMapPackage(const PackageDialogs& dialogs)
{
    runOperation([this, &dialogs] {
        if (m_packageMap.empty()) {
            return;
        }
        const NotNeededFolders remembered(m_settingsPath);
        PackageDialogModel model(packageFolders(m_state, m_packageMap),
                                 remembered.read(m_state.gameRoot));
        if (!dialogs.choose(model)) {
            return;
        }
        remembered.store(m_state.gameRoot, model.notNeeded());
        const std::optional<std::string> file = dialogs.chooseFile(
            m_packageFolder,
            platform::narrowPath(platform::nativePath(m_packageMap).filename()) + ".zip");
        if (!file) {
            return;
        }
        m_packageFolder = platform::narrowPath(platform::nativePath(*file).parent_path());
        const PackageResult result =
            writeMapPackage(model.folders(), model.chosen(), *file, dialogs.progress);
        if (!result.cancelled) {
            m_front.showMessage(packageEndMessage(result, *file));
        }
    });
}

void WindowOperations::copierTick()
{
    runOperation([this] {
        // An export whose end message threw has finished all the same: the next tick drops it.
        for (auto it = m_copierExports.begin(); it != m_copierExports.end();) {
            it = it->run.poll() ? m_copierExports.erase(it) : std::next(it);
        }
        if (m_copierExports.empty()) {
            m_front.watchCopiers(false);
        }
    });
}

}  // namespace gantrel::window
