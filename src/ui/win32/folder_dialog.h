// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

#include "item_filter.h"
#include "window/destination_dialog.h"
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
/// and opens the browser again with it selected. The confirmed folder is reported pretty-cased.
class FolderDialog : public window::DestinationDialog {
public:
    /// `owner` (the main window) is the browser's owner. The language keys are those of the
    /// shell library's version record, or the system's default language.
    explicit FolderDialog(HWND owner);
    /// With given language keys, for tests.
    FolderDialog(HWND owner, window::LanguageKeys keys);
    ~FolderDialog() override;

    // ---- Events besides those of every destination dialog, none assigned by default --------
    /// When the browser rejects a typed name (bfValidate), with that name: true lets the browser
    /// close all the same. Unassigned, the system beeps and the browser stays open.
    std::function<bool(const std::string& typed)> onValidateFailed;
    /// Per item the browser would show, on systems before major version 6 only (later browsers
    /// take no item filter), with the item's path (empty for none) and display name: false
    /// hides the item. Unassigned, every item is shown.
    std::function<bool(const std::string& path, const std::string& name)> onXPIncludeItem;

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
    // An item of the shell namespace, freed with the shell's allocator.
    struct ItemFree {
        void operator()(PIDLIST_ABSOLUTE item) const { CoTaskMemFree(item); }
    };
    using Item = std::unique_ptr<std::remove_pointer_t<PIDLIST_ABSOLUTE>, ItemFree>;

    bool prepareItems() override;
    std::optional<ItemText> runOpening(const Preselection& preselection) override;
    void refreshPathLine() override { showPathLine(); }
    void enableButtons(bool ok, bool newFolder) override;
    std::optional<std::string> askFolderName(const std::string& title) override;
    bool makeFolder(const std::string& path) override;
    std::string cannotCreateText() const override;
    void showMessage(const std::string& text) override { messageBox(text); }
    void closeAsCancelled() override;

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
    // The path and display text of an item, pretty-cased with efUsePrettyCase.
    ItemText convertItem(PCIDLIST_ABSOLUTE item) const;

    HWND m_owner;
    bool m_comInitialised;
    Item m_initialItem;  // folder's item, until the first opening preselects it
    Item m_rootItem;
    ItemFilter m_filter;
    // Per opening.
    Preselection m_preselection;
    HWND m_dialog = nullptr;
    HWND m_tree = nullptr;
    HTREEITEM m_treeItem = nullptr;  // the current tree item
    HWND m_hooked = nullptr;         // the application window hooked for minimising
    bool m_hiddenByMinimise = false;
    HWND m_newFolderButton = nullptr;
};

}  // namespace gantrel::ui::win32
