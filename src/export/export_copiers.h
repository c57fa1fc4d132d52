// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "analysis/window_state.h"
#include "export/export_texts.h"
#include "export/export_ui.h"
#include "platform/copy.h"

namespace gantrel {

/// The copier processes of one command-line export, watched without blocking. When the last
/// of them has ended, the export's end message, or the report of the folders that failed, is
/// shown once through the export's user interface, which must outlive an unfinished run.
class CopierRun {
public:
    /// A run that started nothing and has finished (a cancelled export).
    CopierRun() = default;

    /// Looks at every copier still running, without waiting; true once all have ended and the
    /// end of the export was shown. Later calls return true and show nothing.
    bool poll();
    /// True once the end of the export was shown, or for a cancelled export.
    bool finished() const { return m_finished; }
    /// The number of copier processes the export started so far.
    std::size_t started() const { return m_copiers.size(); }
    /// The number of them not yet seen to have ended.
    std::size_t running() const;

private:
    friend CopierRun startCopiers(const WindowState&, ExportList, ExportUi&, const std::string&,
                                  std::size_t);

    struct Copier {
        std::size_t index;  // the entry's place in the list, for the order of the report
        std::string entry;
        std::unique_ptr<platform::CopierProcess> process;
        bool ended = false;
    };
    struct Waiting {
        std::size_t index;
        std::string entry;
        platform::CopierCommand command;
    };
    struct Failure {
        std::size_t index;
        FolderFailure folder;
    };

    // Starts waiting copiers while fewer than the limit run.
    void startWaiting();

    ExportUi* m_ui = nullptr;  // not owned
    ExportList m_list = ExportList::ObjectFolders;
    std::string m_copier;
    std::size_t m_maxRunning = 1;
    std::vector<Waiting> m_waiting;  // in list order; m_nextWaiting is the next to start
    std::size_t m_nextWaiting = 0;
    std::vector<Copier> m_copiers;
    std::vector<Failure> m_failures;
    bool m_finished = true;
};

/// How many copiers an export runs at once: the number of cores, and at least four, so that a
/// map of thousands of folders does not start thousands of processes together.
std::size_t maxRunningCopiers();

/// The export of Button10 and Button11: shows the notice, takes GameRoot from the run whose lists
/// are shown, asks for the destination (a cancel ends here, after the notice alone), then starts
/// one copier per entry of the list, in order, without waiting: empty entries and the bare top
/// folder ("Sceneryobjects\" or "Splines\", exactly) are skipped; an unsafe entry, or one whose
/// target leads out of the destination, is not copied and is reported at the end. The copiers
/// run in parallel with each other and with the program. `copier` is the program's own copier,
/// used where the system has none (started as `copier --within DESTINATION -- SOURCE TARGET`).
/// At most `maxRunning` copiers run at once; the next starts, in list order, when the run is
/// polled after one has ended. The returned run shows the end at once when no copier was to
/// be started.
CopierRun startCopiers(const WindowState& state, ExportList which, ExportUi& ui,
                       const std::string& copier = platform::bundledCopier(),
                       std::size_t maxRunning = maxRunningCopiers());

}  // namespace gantrel
