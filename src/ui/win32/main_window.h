// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/window_state.h"
#include "controls.h"
#include "folder_dialog.h"
#include "progress.h"
#include "window/shortcuts.h"
#include "window/window_operations.h"

namespace gantrel::ui::win32 {

class Dialogs;

/// Where the window keeps its settings, how it times a long operation and which copier it
/// starts; the defaults serve the program.
struct MainWindowSetup {
    /// The settings file; empty means gantrel.ini beside the program.
    std::string settingsPath;
    DelayedProgress::Clock clock = &window::ProgressTiming::now;
    /// The program's own copier where the system has none; empty means the bundled one.
    std::string copier{};
};

/// The program's one window, native: it owns the window operations (and so the window state)
/// and renders them in native controls laid out at the designed places, scaled from 96 dpi to
/// the monitor's (again when it moves to a monitor of another dpi). Its buttons start the
/// operations; every control carries the identifier of its component name (control_ids.h). The
/// four export buttons share one destination dialog. A long operation shows its progress in a
/// dialog; closing the window during a scan cancels the scan, and the window closes once the
/// scan has ended. A long list enters its memo a thousand lines at a time, when its page is
/// shown.
class MainWindow final : private window::DialogsFront {
public:
    /// `dialogs` must outlive the window. The window is created hidden; show() shows it.
    explicit MainWindow(Dialogs& dialogs, MainWindowSetup setup = {});
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND hwnd() const { return m_frame->hwnd(); }
    void show(int command);
    /// Analyses `folder` as a folder the chooser returned, once the window takes its messages:
    /// the map folder of the command line.
    void analyseWhenShown(std::string folder);
    /// What the message loop does first with each message: the window's keyboard shortcuts and
    /// the keys that move between its controls as in a dialog. False when the message is still
    /// to be translated and dispatched.
    bool translate(MSG& message);
    const WindowState& state() const { return m_operations->state(); }
    FolderDialog& folderDialog() { return *m_folderDialog; }
    /// Runs when the user has closed the window.
    std::function<void()> onClosed;

private:
    // A page's memo, the entries it is filled with and how many of them it holds so far.
    struct Memo {
        std::unique_ptr<Edit> edit;
        std::vector<std::string> shown;
        std::size_t filled = 0;
    };
    /// How many lines a memo takes at a time: Wine's edit control takes about 50 ms for them.
    static constexpr std::size_t kFillStep = 1000;

    // A font of the design, in pixels high at 96 dpi.
    struct FontDesign {
        const char* family;
        int pixels;
    };
    static constexpr FontDesign kArial{"Arial", 11};
    // Where a control lies at 96 dpi, on the client area or on the tab control's page area.
    struct ControlDesign {
        int id;
        Place place;
        FontDesign font = kArial;
        bool onPage = false;
    };
    using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)>;

    int scaled(int pixels) const;
    /// The font at the window's dpi; made once per dpi.
    HFONT font(const FontDesign& design);
    /// The design's place at the window's dpi.
    Place placed(const ControlDesign& design) const;
    /// The arguments that create the control of `design`, which is kept for a new dpi.
    CreateArgs arrange(const ControlDesign& design, std::string text, DWORD style);
    /// Lays out the window and its controls at `dpi`, in the `suggested` outer rectangle.
    void changeDpi(int dpi, const RECT& suggested);
    void createControls();
    void createPages();
    /// Sets the page's memo to its list when that changed, with its first kFillStep entries;
    /// the rest at once when `whole`, otherwise a step a time on the fill timer's ticks.
    void syncMemo(std::size_t page, bool whole);
    /// Appends up to `count` of the entries the page's memo does not hold yet.
    void fillMemo(std::size_t page, std::size_t count);
    void showPage(int index);
    std::optional<LRESULT> handle(UINT message, WPARAM wParam, LPARAM lParam);
    /// Runs a window operation; a close asked for meanwhile happens once it has ended.
    void operate(const std::function<void()>& operation);
    /// Clicks the push button that has the focus, if one has.
    void pressFocusedButton();
    /// A message of a page's memo: its context menu, a double-click on an entry, and no
    /// selection of its whole text when the keyboard moves the focus to it.
    std::optional<LRESULT> memoMessage(std::size_t page, UINT message, WPARAM wParam,
                                       LPARAM lParam);
    /// The index in the page's list of the entry at `point` (client coordinates of the memo),
    /// if the memo shows one there.
    std::optional<std::size_t> entryAt(std::size_t page, POINT point) const;
    /// The memo's context menu at `at`, as WM_CONTEXTMENU gives it (-1 from the keyboard: at
    /// the caret), and the command chosen on it.
    void showListMenu(std::size_t page, LPARAM at);
    void showWhereUsed(window::WindowList list, std::size_t entry);
    /// The missing lists' own items of `menu`: what the search found, its cancel, and the undo
    /// of the last relink.
    void addFoundElsewhereItems(HMENU menu);
    /// "Make Map Package..." and Ctrl+Shift+P: the package dialog, the save dialog, and the
    /// package written under a progress dialog that can be cancelled.
    void makeMapPackage();
    /// Files or folders dropped on the window.
    void dropped(HDROP drop);
    void runShortcut(const window::Shortcut& shortcut);
    void createToolTips();
    /// Puts the tabs' tooltips over the tabs where they lie now.
    void placeTabToolTips();

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
    int m_dpi;
    std::map<std::pair<std::string, int>, Font> m_fonts;
    std::vector<ControlDesign> m_layout;
    std::unique_ptr<TopWindow> m_frame;

    std::unique_ptr<Static> m_groupBox;
    std::unique_ptr<Edit> m_path;         // caminho
    std::unique_ptr<Button> m_choose;     // Button2
    std::unique_ptr<TabControl> m_pages;  // PageControl
    std::unique_ptr<Button> m_notice;     // Button7
    std::array<Memo, 7> m_memos;
    std::array<std::unique_ptr<Button>, 7> m_copyButtons;
    std::array<std::unique_ptr<Button>, 4> m_exportButtons;
    std::unique_ptr<Static> m_tileCaption;     // Label1
    std::unique_ptr<Static> m_lastTile;        // Label2
    std::unique_ptr<ListBox> m_tiles;          // tilelist
    std::unique_ptr<UnicodeEdit> m_lineStore;  // Mema
    std::unique_ptr<Static> m_telvpath;

    std::vector<std::string> m_shownTiles;
    std::u16string m_shownLineStore;
    std::size_t m_shownLogScrolls = 0;
    bool m_shownExportButtons = false;
    int m_operationDepth = 0;
    bool m_closeWhenDone = false;

    std::unique_ptr<ToolTip> m_toolTips;
    std::unique_ptr<std::remove_pointer_t<HACCEL>, decltype(&DestroyAcceleratorTable)> m_shortcuts;
    std::optional<std::string> m_startFolder;

    std::unique_ptr<FolderDialog> m_folderDialog;  // FolderDialog1
    std::unique_ptr<window::WindowOperations> m_operations;
};

}  // namespace gantrel::ui::win32
