// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/window_state.h"
#include "delayed_progress.h"
#include "window/window_operations.h"

class QMenu;
class QMimeData;
class QPlainTextEdit;
class QTimer;

namespace Ui {
class MainWindow;
}

namespace gantrel::ui {

class Dialogs;
class FolderDialog;

/// Where the window keeps its settings, how it times a long operation and which copier it
/// starts; the defaults serve the program.
struct MainWindowSetup {
    /// The settings file (gantrel.ini) the map folder choice reads and a completed scan writes.
    std::string settingsPath;
    /// Times an analysis or a folder copy for its progress dialog.
    DelayedProgress::Clock clock = &window::ProgressTiming::now;
    /// The program's own copier for the command-line export; empty means the one installed
    /// beside the program.
    std::string copier{};
};

/// The program's one window. It owns the window state and renders it: the path field, the
/// activity log, the six result lists, the tile list, the line store and the export buttons.
/// Its buttons start the operations on that state; an exception that escapes one is shown in
/// the error box, and the window stays usable. Every control carries its component name as its
/// object name.
///
/// Every memo has a context menu (Copy, Select All, "Copy to Clipboard", "Save As...", and on
/// the reference lists "Where Used..."); a folder dropped on the window is analysed as a chosen
/// one; the keys of window/shortcuts.h press the buttons and show the pages.
///
/// The four export buttons share one destination folder dialog, FolderDialog1, so that every
/// export opens at the last confirmed destination. A copier export goes on after its button's
/// operation has returned: the window watches its copiers while it takes input, and the export
/// shows its end when the last of them has ended; any number of them may be under way at once.
class MainWindow : public QWidget, private window::DialogsFront {
    Q_OBJECT

public:
    /// `dialogs` must outlive the window. An empty settingsPath means the program's settings
    /// file (settingsFilePath()).
    explicit MainWindow(Dialogs& dialogs, MainWindowSetup setup = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    const WindowState& state() const { return m_operations->state(); }

    /// Analyses a map folder given without the chooser (the command line) as "..." analyses a
    /// chosen one.
    void analyseMapFolder(const std::string& folder);

protected:
    /// A scan that runs is cancelled: it ends after its tile and writes no settings file.
    void closeEvent(QCloseEvent* event) override;
    /// A drag is accepted only when it holds one local folder; anything else is refused.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    /// The dropped folder is analysed once the drop has ended, as a chosen one.
    void dropEvent(QDropEvent* event) override;
    /// A double-click on an entry of a reference list opens its Where Used dialog.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A memo and the list it shows, with the entries it last rendered.
    struct ListView {
        window::WindowList list;
        QPlainTextEdit* memo;
        std::vector<std::string> shown;
    };

    void applyDesign();
    /// Moves the window to its designed place, or just far enough from it to lie wholly on
    /// the screen's available area (a high scale factor can push it off the screen).
    void placeOnScreen();
    void connectButtons();
    void connectShortcuts();
    void connectListMenus();
    QPlainTextEdit* memoOf(window::WindowList list) const;
    ListView& viewOf(window::WindowList list);
    /// Sets the memo's text to its list when that changed since the memo last showed it.
    void syncMemo(ListView& view);
    /// The memo's context menu, for the point `at` of its viewport.
    void showListMenu(window::WindowList list, const QPoint& at);
    /// The index of the list entry on the line at the point `at` of the memo's viewport;
    /// nullopt below the last entry.
    std::optional<std::size_t> entryAt(window::WindowList list, const QPoint& at) const;
    void showWhereUsed(window::WindowList list, std::size_t entry);
    void addFoundElsewhereItems(QMenu& menu);
    // "Make Map Package..." and Ctrl+Shift+P: the package dialog, the save dialog, and the
    // package written under a progress dialog that can be cancelled.
    void makeMapPackage();
    /// The folder a drag carries, when the window takes it.
    static std::optional<std::string> droppedFolder(const QMimeData* data);

    // The window operations' front: the boxes through the dialogs, the progress dialogs, the
    // clipboard and the copier timer.
    /// Shows the model as it stands: only what changed since the last render is set again. Of
    /// the list memos only the page shown's is set, and the log's when it scrolls to its end.
    void render() override;
    bool chooseMapFolder(const std::string& title, const std::string& root,
                         std::string& folder) override;
    std::unique_ptr<UserInterface> analysisInterface() override;
    std::unique_ptr<ExportUi> exportInterface() override;
    void selectAll(window::WindowList list) override;
    void setClipboardText(const std::string& text) override;
    void watchCopiers(bool on) override;
    void watchSearch(bool on) override;

    Dialogs& m_dialogs;
    MainWindowSetup m_setup;
    std::unique_ptr<Ui::MainWindow> m_ui;
    std::vector<ListView> m_lists;
    std::vector<std::string> m_shownTiles;
    std::u16string m_shownLineStore;
    std::size_t m_shownLogScrolls = 0;

    FolderDialog* m_folderDialog;  // FolderDialog1
    QTimer* m_copierTimer;
    QTimer* m_searchTimer;  // looks for the end of the search for the missing entries
    std::unique_ptr<window::WindowOperations> m_operations;
};

}  // namespace gantrel::ui
