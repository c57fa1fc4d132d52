// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "item_filter.h"
#include "window/shell_folders.h"

namespace gantrel::ui::win32 {

/// The destination folder dialog over the shell's folder browser. Its properties start at their
/// defaults; the window never changes them. The browser opens with the label caption as its
/// instruction text, the path line in its status text (shortened with "..." to fit), OK and the
/// shell's new-folder button enabled only while the selection has a path, and the last
/// confirmed folder preselected (made again when it was deleted), its node scrolled into view
/// and opened. It opens centred on the screen and, once the user has moved a dialog, where it
/// was moved to: that place is shared by every FolderDialog of the process. While the owner's
/// top-level window is minimised the browser is hidden. In the classic style (bfNewDialogStyle
/// cleared) the dialog adds its own new-folder button, which asks for a name, makes the folder
/// and opens the browser again with it selected.
class FolderDialog {
public:
    /// `owner` (the main window) is the browser's owner. The language keys are those of the
    /// shell library's version record, or the system's default language.
    explicit FolderDialog(HWND owner);
    /// With given language keys, for tests.
    FolderDialog(HWND owner, window::LanguageKeys keys);
    ~FolderDialog();
    FolderDialog(const FolderDialog&) = delete;
    FolderDialog& operator=(const FolderDialog&) = delete;

    // ---- Properties, each at its default --------------------------------------------------
    window::BrowseFor browseFor = window::BrowseFor::bfOnlyFileSystem;
    window::ExtraFlagSet extraFlags =
        window::ExtraFlagSet(window::efAutoExpandTree) | window::efUsePrettyCase;
    /// In: the folder selected when the dialog opens; out: the folder confirmed.
    std::string folder;
    window::BrowseInfoFlagSet flags =
        window::BrowseInfoFlagSet(window::bfShowPath) | window::bfNewDialogStyle;
    std::string rootFolder;
    window::CaptionList labelCaptions = window::defaultLabelCaptions();
    window::CaptionList newFolderCaptions = window::defaultNewFolderCaptions();
    window::CaptionList titles;

    // ---- Events, none assigned by default ---------------------------------------------------
    /// After the browser has opened, been placed and made its preselection.
    std::function<void()> onInitialized;
    /// After each selection change, once selectedFolder() and displayText() hold the new item.
    std::function<void()> onSelectionChanged;
    /// When the browser rejects a typed name (bfValidate), with that name: true lets the browser
    /// close all the same. Unassigned, the system beeps and the browser stays open.
    std::function<bool(const std::string& typed)> onValidateFailed;
    /// Per item the browser would show, on systems before major version 6 only (later browsers
    /// take no item filter), with the item's path (empty for none) and display name: false
    /// hides the item. Unassigned, every item is shown.
    std::function<bool(const std::string& path, const std::string& name)> onXPIncludeItem;

    /// Runs the browser modally: true when the user confirmed a folder (selectedFolder() and
    /// folder then hold it, pretty-cased), false on cancel (folder unchanged).
    bool execute();

    const std::string& selectedFolder() const { return m_selectedFolder; }
    /// The instruction text and the new-folder caption for the dialog's language keys.
    std::string labelCaption() const { return lookUpCaption(labelCaptions, m_keys); }
    std::string newFolderCaption() const { return lookUpCaption(newFolderCaptions, m_keys); }
    /// The text of the path line.
    const std::string& displayText() const { return m_displayText; }
    /// The open browser window; null while execute() is not running.
    HWND window() const { return m_dialog; }
    /// The language keys of the shell library's version record.
    static window::LanguageKeys shellLanguageKeys();

    /// Asks for a new folder's name in a modal box over the dialog, titled with the new-folder
    /// caption; nullopt when cancelled. An input box by default.
    std::function<std::optional<std::string>(HWND dialog, const std::string& title)> namePrompt;
    /// Reports a folder that cannot be made; the program's message box by default.
    std::function<void(const std::string& text)> messageBox;

private:
    static int CALLBACK callback(HWND dialog, UINT message, LPARAM lParam, LPARAM data);
    static LRESULT CALLBACK subclass(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    // The application's top-level window while the browser is open: minimised, it hides the
    // browser; restored, it shows it again.
    static LRESULT CALLBACK applicationHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data);
    void handleInitialized(HWND dialog);
    void handleSelectionChanged(HWND dialog, PCIDLIST_ABSOLUTE item);
    void showPathLine();
    void place();
    bool modernStyle() const;
    void onShown(HWND dialog);
    void onNewFolder(HWND dialog);
    // The path, display text and pretty case of an item.
    void convertItem(PCIDLIST_ABSOLUTE item, std::string& path, std::string& display) const;

    HWND m_owner;
    window::LanguageKeys m_keys;
    bool m_comInitialised;
    std::string m_selectedFolder;
    std::string m_displayText;
    PIDLIST_ABSOLUTE m_initialItem = nullptr;  // the first opening's preselection
    std::string m_pendingNewFolder;  // made by the own new-folder button, selected on reopening
    ItemFilter m_filter;
    // Per opening.
    HWND m_dialog = nullptr;
    HWND m_tree = nullptr;
    HTREEITEM m_treeItem = nullptr;  // the current tree item
    HWND m_hooked = nullptr;         // the application window hooked for minimising
    bool m_hiddenByMinimise = false;
    HWND m_newFolderButton = nullptr;
    bool m_initialised = false;
    bool m_reopen = false;
    bool m_hasPath = true;
};

}  // namespace gantrel::ui::win32
