// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/window_state.h"
#include "export/export_copiers.h"
#include "export/export_ui.h"
#include "window/missing_search.h"
#include "window/package_dialog.h"
#include "window/relink_flow.h"
#include "window/where_used_table.h"
#include "window/window_design.h"

namespace gantrel::window {

/// What the window operations ask of the window that renders them: the boxes, the map folder
/// chooser, the interfaces a run and an export talk to, the clipboard and the timer that
/// watches the copier exports.
class WindowFront {
public:
    virtual ~WindowFront() = default;

    /// Shows the window state as it stands.
    virtual void render() = 0;
    /// The message box; returns when it has been closed.
    virtual void showMessage(const std::string& text) = 0;
    /// The error box for an error's message (the front end applies the full-stop rule).
    virtual void showError(const std::string& message) = 0;
    /// The map folder chooser (title, root of the tree, start folder in and chosen folder out);
    /// false when the user cancelled.
    virtual bool chooseMapFolder(const std::string& title, const std::string& root,
                                 std::string& folder) = 0;
    /// The interface an analysis run talks to, with its progress; lives for one run.
    virtual std::unique_ptr<UserInterface> analysisInterface() = 0;
    /// The interface an export talks to, with the destination folder dialog and the copy's
    /// progress; a copier export keeps it until its last copier has ended.
    virtual std::unique_ptr<ExportUi> exportInterface() = 0;
    /// Selects the whole text of the list's memo.
    virtual void selectAll(WindowList list) = 0;
    /// Puts plain text on the clipboard; never called with an empty text.
    virtual void setClipboardText(const std::string& text) = 0;
    /// Starts (true) or stops (false) the timer whose every tick calls copierTick().
    virtual void watchCopiers(bool on) = 0;
    /// Starts (true) or stops (false) the timer whose every tick calls searchTick().
    virtual void watchSearch(bool on) = 0;
};

/// A front whose message and error boxes are those of the window's dialogs seam.
class DialogsFront : public WindowFront {
public:
    void showMessage(const std::string& text) final { m_boxes.showMessage(text); }
    void showError(const std::string& message) final { m_boxes.showError(message); }

protected:
    /// `boxes` must outlive the front.
    explicit DialogsFront(UserInterface& boxes) : m_boxes(boxes) {}

private:
    UserInterface& m_boxes;
};

/// What the window's buttons do, on the window state the operations own. One operation runs
/// at a time: a press while another one runs (a click queued before a modal box opened) is
/// ignored. An exception that escapes an operation is shown in the error box; the window is
/// rendered after every operation, and before the error box opens.
class WindowOperations {
public:
    /// `front` must outlive the operations. `settingsPath` is the settings file the map folder
    /// choice reads and a completed scan writes; `copier` the program's own copier for the
    /// command-line export where the system has none.
    WindowOperations(WindowFront& front, std::string settingsPath, std::string copier);
    ~WindowOperations();
    WindowOperations(const WindowOperations&) = delete;
    WindowOperations& operator=(const WindowOperations&) = delete;

    const WindowState& state() const { return m_state; }

    /// "..." (Button2): the start folder, the map folder chooser, and the analysis run on the
    /// chosen folder; nothing when the chooser was cancelled.
    void chooseAndAnalyse();
    /// A map folder given without the chooser (the command line, a drop): analysed exactly as
    /// "..." analyses the folder the chooser returned.
    void analyseMapFolder(const std::string& folder);
    /// Cancels the scan that runs, if any: it ends after the tile it is on, as cancelled (the
    /// window is closing, or the progress dialog's Cancel was pressed where the front does not
    /// answer that itself).
    void cancelScan() { m_cancelScan = true; }
    /// "Click me" (Button7): the notice in the message box.
    void showNotice(const std::string& notice);
    /// A "Copy to Clipboard" button: selects the memo's whole text and puts it on the
    /// clipboard; an empty list leaves the clipboard alone.
    void copyToClipboard(WindowList list);
    /// "Save As..." of a list's menu. `chooseFile` is the save dialog, given the file name it
    /// proposes (saveAsFileName); it returns the file chosen, or nullopt when cancelled. The
    /// file gets the list's clipboard text in one step; one that cannot be written raises
    /// Error "Unable to write to <file>" into the error box and is left as it was.
    void saveListAs(
        WindowList list,
        const std::function<std::optional<std::string>(const std::string&)>& chooseFile);
    /// "Where Used..." on entry `index` of a list that offersWhereUsed, or a double-click on it:
    /// `show` is the dialog, given the entry and the tiles that use it in tile-list order; it
    /// runs within the operation. Nothing for an index past the list's end.
    using WhereUsedDialog =
        std::function<void(const std::string& entry, const std::vector<WhereUsedRow>& rows)>;
    void showWhereUsed(WindowList list, std::size_t index, const WhereUsedDialog& show);
    /// An export button. A copier export goes on after this returns: its copiers are watched
    /// by the front's timer, and its end is shown when the last of them has ended.
    void exportFolders(ExportList list, ExportVariant variant);
    /// True once a run has completed: "Make Map Package..." is offered from then on.
    bool packageAvailable() const { return !m_packageMap.empty(); }
    /// "Make Map Package...": the package dialog on the folders of the last completed run, with
    /// the folders remembered as not needed for its installation unchecked; on "Create..." the
    /// unchecked ones are remembered, the save dialog proposes "<map>.zip" in the folder of the
    /// last package, and the package is written with progress, ending with its message (a
    /// cancel ends it without one). Nothing before a completed run.
    void makeMapPackage(const PackageDialogs& dialogs);
    /// The timer's tick: looks at every unfinished copier export without waiting; those that
    /// have ended show their end and are dropped. While another operation's box is open the
    /// tick does nothing, so that an export's end waits until that box is closed.
    void copierTick();
    /// The number of copier exports still watched.
    std::size_t copierExportsRunning() const { return m_copierExports.size(); }

    /// The search for the missing entries that every completed run starts. While it runs the
    /// log's last line is kSearchingLogLine and the front's search timer ticks.
    MissingSearch& missingSearch() { return m_missingSearch; }
    /// The search timer's tick: once the search has ended, the log says what it found (or that
    /// it was cancelled) and the timer stops. Like copierTick, nothing while a box is open.
    void searchTick();
    /// "Relink..." from the Where Used dialog; the map is analysed again after a change.
    void relink(const RelinkChange& change, RelinkFront& front);
    /// "Undo Last Relink"; the map is analysed again after a change.
    void undoLastRelink(RelinkFront& front);
    bool canUndoRelink() const { return m_relinks.canUndo(); }

private:
    void runOperation(const std::function<void()>& operation);
    // The analysis run on a folder as the chooser returns it; within an operation.
    void analyse(const std::string& folder);

    struct CopierExport {
        std::unique_ptr<ExportUi> ui;
        CopierRun run;
    };

    WindowFront& m_front;
    std::string m_settingsPath;
    std::string m_copier;
    WindowState m_state;
    bool m_busy = false;
    bool m_cancelScan = false;  // set during a scan by cancelScan()
    std::vector<CopierExport> m_copierExports;
    std::string m_analysedFolder;  // the map folder of the last completed run
    std::string m_packageMap;      // the same, its links resolved, for the package
    std::string m_packageFolder;   // the folder of the last package written
    RelinkFlow m_relinks;
    bool m_searchLogged = false;    // the log says the search runs; its end is still to say
    MissingSearch m_missingSearch;  // last: its worker ends before the rest goes
};

}  // namespace gantrel::window
