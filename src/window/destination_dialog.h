// SPDX-License-Identifier: MIT
#pragma once

// The destination folder dialog apart from its toolkit: its properties, the run that opens the
// browser again after the dialog's own new-folder button, what each opening preselects, what a
// selection change enables, and the new-folder flow. Each window's FolderDialog derives from it
// and supplies the browser.

#include <functional>
#include <optional>
#include <string>

#include "window/shell_folders.h"

namespace gantrel::window {

/// The message for a new folder that cannot be made where the platform has no text of its own
/// for the error (code 82): the words of the platform that has one.
inline constexpr char kCannotCreateFolderText[] = "The directory or file cannot be created.";

/// The destination folder dialog over a folder browser that a derived class runs. Every path
/// is one of the program's 8-bit strings with the separator given at construction.
class DestinationDialog {
public:
    /// An item of the browser as the dialog reports it (its path, empty when it has none) and
    /// as the path line shows it.
    struct ItemText {
        std::string path;
        std::string display;
    };

    /// What one opening preselects: the item that `folder` gave, at the first opening only;
    /// otherwise the folder the new-folder button has just made, by its path; otherwise, with
    /// both unset, nothing (the browser keeps its own default selection).
    struct Preselection {
        bool initialItem = false;
        std::string newFolder;

        bool none() const { return !initialItem && newFolder.empty(); }
    };

    virtual ~DestinationDialog() = default;
    DestinationDialog(const DestinationDialog&) = delete;
    DestinationDialog& operator=(const DestinationDialog&) = delete;

    // ---- Properties, each at its default ----------------------------------------------------
    BrowseFor browseFor = BrowseFor::bfOnlyFileSystem;
    ExtraFlagSet extraFlags = ExtraFlagSet(efAutoExpandTree) | efUsePrettyCase;
    /// In: the folder selected when the dialog opens; out: the folder confirmed.
    std::string folder;
    BrowseInfoFlagSet flags = BrowseInfoFlagSet(bfShowPath) | bfNewDialogStyle;
    /// The top of the tree; empty: the whole namespace.
    std::string rootFolder;
    CaptionList labelCaptions = defaultLabelCaptions();
    CaptionList newFolderCaptions = defaultNewFolderCaptions();
    /// The window caption by language; empty: the browser's own caption stays.
    CaptionList titles;

    // ---- Events, none assigned by default -----------------------------------------------------
    /// After the browser has opened and made its preselection.
    std::function<void()> onInitialized;
    /// After each selection change, once selectedFolder() and displayText() hold the new item.
    std::function<void()> onSelectionChanged;

    /// Runs the browser modally, opening it again as long as the new-folder button closes it:
    /// true when the user confirmed a folder (folder and selectedFolder() then hold it), false
    /// on cancel (folder unchanged, selectedFolder() the last selection).
    bool execute();

    /// The folder selected in the open dialog; folder when execute() starts.
    const std::string& selectedFolder() const { return m_selectedFolder; }
    /// The text of the path line.
    const std::string& displayText() const { return m_displayText; }
    /// The instruction text, the new-folder caption and the window caption (empty: the
    /// browser's own) for the dialog's language keys.
    std::string labelCaption() const { return lookUpCaption(labelCaptions, m_keys); }
    std::string newFolderCaption() const { return lookUpCaption(newFolderCaptions, m_keys); }
    std::string title() const { return lookUpCaption(titles, m_keys); }

protected:
    DestinationDialog(LanguageKeys keys, char separator)
        : m_keys(std::move(keys)), m_separator(separator)
    {
    }

    // ---- Called by the derived class while an opening runs -------------------------------------
    /// The browser has opened: from now on a selection change refreshes the path line.
    void markInitialised() { m_initialised = true; }
    bool initialised() const { return m_initialised; }
    /// The browser selected `item` (a shortcut already followed to its target): it becomes the
    /// selected folder and the path line's text; OK and the new-folder button are enabled as
    /// the selection allows.
    void selectionChanged(ItemText item);
    /// The last selection had a path; true at the start of each opening.
    bool hasPath() const { return m_hasPath; }
    /// The path line's text before the first selection change of an opening.
    void setDisplayText(std::string text) { m_displayText = std::move(text); }
    /// The dialog's own new-folder button was pressed: asks for a name, makes the folder below
    /// the selection and closes the browser, which then opens again with the new folder
    /// selected; when the folder cannot be made, the message box says so and the browser opens
    /// again with nothing selected. A cancelled or empty name changes nothing.
    void newFolderRequested();

private:
    /// Turns folder and rootFolder into the browser's items before the first opening (a
    /// folder missing below an existing root is made again first); true when folder gave one.
    virtual bool prepareItems() = 0;
    /// Runs one opening modally; the confirmed item, or nullopt when it was closed otherwise.
    virtual std::optional<ItemText> runOpening(const Preselection& preselection) = 0;
    /// Shows displayText() in the path line.
    virtual void refreshPathLine() = 0;
    /// Enables OK and the new-folder button.
    virtual void enableButtons(bool ok, bool newFolder) = 0;
    /// Asks for a new folder's name, titled `title`; nullopt when cancelled.
    virtual std::optional<std::string> askFolderName(const std::string& title) = 0;
    /// Makes the folder with its missing parents; true when it is a folder afterwards.
    virtual bool makeFolder(const std::string& path) = 0;
    /// The message for a folder that cannot be made.
    virtual std::string cannotCreateText() const { return kCannotCreateFolderText; }
    /// Shows a text in the program's message box.
    virtual void showMessage(const std::string& text) = 0;
    /// Closes the running browser as cancelled.
    virtual void closeAsCancelled() = 0;

    const LanguageKeys m_keys;
    const char m_separator;
    std::string m_selectedFolder;
    std::string m_displayText;
    bool m_initialItemUnused = false;  // folder's item has not yet been preselected
    std::string m_pendingNewFolder;    // made by the new-folder button, selected on reopening
    // Per opening.
    bool m_initialised = false;
    bool m_reopen = false;
    bool m_hasPath = true;
};

}  // namespace gantrel::window
