// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "window/shell_folders.h"

class QWidget;

namespace gantrel::ui {

class FolderBrowser;

using window::BrowseFor;
using window::BrowseInfoFlagSet;
using window::CaptionList;
using window::ExtraFlagSet;
using window::LanguageKeys;

/// The keys of the user interface language (the first of the system's user interface
/// languages, or the system locale when it names none); empty keys when it has no identifier.
LanguageKeys systemLanguageKeys();

/// The language identifier of a locale name or language tag ("de_CH" and "de-CH" give 0x0807;
/// "de" without a country gives its primary language 0x0007); nullopt for a language that has
/// none, such as the C locale.
std::optional<std::uint16_t> languageIdOf(const QString& locale);

/// The destination folder dialog: a modal tree of folders (FolderBrowser) over the whole file
/// system, with the label caption as its instruction text, a path line under it, a new-folder
/// button, OK and Cancel. It opens centred on the screen the first time in a process and, once
/// the user has moved it, at the moved-to place: that place is shared by every FolderDialog of
/// the process.
///
/// Folder names: the file system matches them exactly, so efUsePrettyCase changes only the text
/// shown in the path line, and selectedFolder() and folder() keep naming the folder the user
/// chose, letter for letter.
///
/// Every path is an 8-bit string of the program, with native separators and no trailing
/// separator except for a root ("/", or a drive root as E:\).
class FolderDialog : public QObject {
    Q_OBJECT

public:
    /// Asks for the name of a new folder in a modal box titled `title` with an empty prompt and
    /// an empty entry; nullopt when it was cancelled.
    using NamePrompt = std::function<std::optional<QString>(const QString& title)>;
    /// Shows a text in the program's message box and returns when it has been closed.
    using MessageBox = std::function<void(const QString& text)>;

    /// `owner` (the main window) owns the dialog and is the parent of its window; it may be
    /// null. `keys` are the language keys the captions are looked up by, computed once here.
    /// Every property starts at its default; the captions are looked up at once.
    explicit FolderDialog(QWidget* owner, LanguageKeys keys = systemLanguageKeys());
    ~FolderDialog() override;

    // ---- Properties, each with its default ------------------------------------------------

    /// Which items OK may confirm; bfOnlyFileSystem.
    BrowseFor browseFor() const { return m_browseFor; }
    void setBrowseFor(BrowseFor browseFor) { m_browseFor = browseFor; }

    /// efAutoExpandTree and efUsePrettyCase.
    ExtraFlagSet extraFlags() const { return m_extraFlags; }
    void setExtraFlags(ExtraFlagSet flags) { m_extraFlags = flags; }

    /// In: the folder selected when the dialog opens; out: the folder confirmed. Empty.
    const std::string& folder() const { return m_folder; }
    void setFolder(std::string folder) { m_folder = std::move(folder); }

    /// bfShowPath and bfNewDialogStyle. The dialog acts on bfShowPath (the path line),
    /// bfEditBox, bfNewDialogStyle (resizable; otherwise the classic fixed size),
    /// bfHideNewFolderButton, bfDontBrowseShortcuts and bfValidate; every flag enters
    /// browseFlags().
    BrowseInfoFlagSet flags() const { return m_flags; }
    void setFlags(BrowseInfoFlagSet flags) { m_flags = flags; }

    /// The top of the tree; empty: the whole file system. Empty.
    const std::string& rootFolder() const { return m_rootFolder; }
    void setRootFolder(std::string folder) { m_rootFolder = std::move(folder); }

    /// Called once per opening, after the preselection. None.
    void setOnInitialized(std::function<void()> handler) { m_onInitialized = std::move(handler); }
    /// Called after every selection change, once selectedFolder() holds the new selection. None.
    void setOnSelectionChanged(std::function<void()> handler)
    {
        m_onSelectionChanged = std::move(handler);
    }
    /// With bfEditBox and bfValidate: asked with the typed text when OK is pressed on a text
    /// that names no folder; true closes the dialog as cancelled, false keeps it open. Unset:
    /// the dialog beeps and stays open. None.
    void setOnValidateFailed(std::function<bool(const QString& typed)> handler)
    {
        m_onValidateFailed = std::move(handler);
    }
    /// Asked for every folder the tree lists, with its path; false hides it. None: every
    /// folder is shown.
    void setOnXPIncludeItem(std::function<bool(const QString& folder)> handler)
    {
        m_onXPIncludeItem = std::move(handler);
    }

    /// The instruction text by language; the 36 entries of defaultLabelCaptions().
    const CaptionList& labelCaptions() const { return m_labelCaptions; }
    void setLabelCaptions(CaptionList captions);
    /// The new-folder button's caption and its name prompt's title by language; the 36
    /// entries of defaultNewFolderCaptions(). A change renames the button of an open dialog.
    const CaptionList& newFolderCaptions() const { return m_newFolderCaptions; }
    void setNewFolderCaptions(CaptionList captions);
    /// The window caption by language, looked up at each opening; empty: the browser's own
    /// caption stays.
    const CaptionList& titles() const { return m_titles; }
    void setTitles(CaptionList titles) { m_titles = std::move(titles); }

    /// "10.00.00.00"; information only: writing it changes nothing.
    QString version() const { return QStringLiteral("10.00.00.00"); }
    void setVersion(const QString& /*version*/) {}

    // ---- Running the dialog -------------------------------------------------------------------

    /// Runs the dialog modally until the user confirms a folder (true) or cancels (false).
    /// Before it opens, folder() is made again with its missing parents when it names no
    /// existing file and its root exists (a confirmed destination that was deleted comes back,
    /// empty), and is preselected when it is a folder; the same holds for rootFolder(). A new
    /// folder made with the new-folder button closes the dialog and opens it again with that
    /// folder preselected; when it cannot be made, the message box says "The directory or file
    /// cannot be created." and the dialog opens again without a preselection. After true,
    /// selectedFolder() and folder() hold the confirmed folder; after false folder() is
    /// unchanged and selectedFolder() holds the last selection.
    bool execute();

    /// The folder selected in the open dialog; folder() when execute() starts.
    const std::string& selectedFolder() const { return m_selectedFolder; }
    /// The text of the path line: the selection's path, pretty-cased with efUsePrettyCase.
    const QString& displayText() const { return m_displayText; }
    /// The instruction text and the new-folder caption for the dialog's language keys.
    const QString& labelCaption() const { return m_labelCaption; }
    const QString& newFolderCaption() const { return m_newFolderCaption; }
    /// The flag word of browseFor() and flags() (0x0045 with the defaults).
    std::uint32_t browseFlags() const;
    /// The open dialog window; null while execute() is not running.
    FolderBrowser* window() const { return m_window; }

    /// Replaces the input box that asks for a new folder's name (QInputDialog by default).
    void setNamePrompt(NamePrompt prompt) { m_namePrompt = std::move(prompt); }
    /// Replaces the message box that reports a folder that cannot be made (the program's
    /// message box by default).
    void setMessageBox(MessageBox messageBox) { m_messageBox = std::move(messageBox); }

    /// Forgets the place the dialogs of this process were last moved to, as at program start:
    /// the next dialog opens centred on the screen.
    static void forgetRememberedPosition();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A selected folder as the dialog reports it and as the path line shows it.
    struct ItemText {
        QString path;
        QString display;
    };

    ItemText convertItem(const QString& folder) const;
    void placeWindow(FolderBrowser& window) const;
    void connectWindow(FolderBrowser& window);
    void onInitialized(FolderBrowser& window);
    void onSelectionChanged(FolderBrowser& window, const QString& folder);
    void onNewFolderRequested(FolderBrowser& window);
    void onTypedNameRejected(FolderBrowser& window, const QString& typed);

    const LanguageKeys m_keys;
    BrowseFor m_browseFor = BrowseFor::bfOnlyFileSystem;
    ExtraFlagSet m_extraFlags = ExtraFlagSet(window::efAutoExpandTree) | window::efUsePrettyCase;
    std::string m_folder;
    BrowseInfoFlagSet m_flags = BrowseInfoFlagSet(window::bfShowPath) | window::bfNewDialogStyle;
    std::string m_rootFolder;
    std::function<void()> m_onInitialized;
    std::function<void()> m_onSelectionChanged;
    std::function<bool(const QString&)> m_onValidateFailed;
    std::function<bool(const QString&)> m_onXPIncludeItem;
    CaptionList m_labelCaptions;
    CaptionList m_newFolderCaptions;
    CaptionList m_titles;
    NamePrompt m_namePrompt;
    MessageBox m_messageBox;

    QString m_labelCaption;
    QString m_newFolderCaption;
    std::string m_selectedFolder;
    QString m_displayText;
    QString m_pendingNewFolder;  // made by the new-folder button, selected at the next opening

    // Per opening.
    FolderBrowser* m_window = nullptr;  // the running dialog, owned by execute()
    bool m_initialised = false;
    bool m_reopen = false;
};

}  // namespace gantrel::ui
