// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "window/destination_dialog.h"
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
///
/// The reopening, the preselection and the new-folder flow are those of every destination
/// dialog (window::DestinationDialog); this class builds the FolderBrowser of each opening.
class FolderDialog : public QObject, private window::DestinationDialog {
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
    BrowseFor browseFor() const { return DestinationDialog::browseFor; }
    void setBrowseFor(BrowseFor browseFor) { DestinationDialog::browseFor = browseFor; }

    /// efAutoExpandTree and efUsePrettyCase.
    ExtraFlagSet extraFlags() const { return DestinationDialog::extraFlags; }
    void setExtraFlags(ExtraFlagSet flags) { DestinationDialog::extraFlags = flags; }

    /// In: the folder selected when the dialog opens; out: the folder confirmed. Empty.
    const std::string& folder() const { return DestinationDialog::folder; }
    void setFolder(std::string folder) { DestinationDialog::folder = std::move(folder); }

    /// bfShowPath and bfNewDialogStyle. The dialog acts on bfShowPath (the path line),
    /// bfEditBox, bfNewDialogStyle (resizable; otherwise the classic fixed size),
    /// bfHideNewFolderButton, bfDontBrowseShortcuts and bfValidate; every flag enters
    /// browseFlags().
    BrowseInfoFlagSet flags() const { return DestinationDialog::flags; }
    void setFlags(BrowseInfoFlagSet flags) { DestinationDialog::flags = flags; }

    /// The top of the tree; empty: the whole file system. Empty.
    const std::string& rootFolder() const { return DestinationDialog::rootFolder; }
    void setRootFolder(std::string folder) { DestinationDialog::rootFolder = std::move(folder); }

    /// Called once per opening, after the preselection. None.
    void setOnInitialized(std::function<void()> handler) { onInitialized = std::move(handler); }
    /// Called after every selection change, once selectedFolder() holds the new selection. None.
    void setOnSelectionChanged(std::function<void()> handler)
    {
        onSelectionChanged = std::move(handler);
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
    const CaptionList& labelCaptions() const { return DestinationDialog::labelCaptions; }
    void setLabelCaptions(CaptionList captions)
    {
        DestinationDialog::labelCaptions = std::move(captions);
    }
    /// The new-folder button's caption and its name prompt's title by language; the 36
    /// entries of defaultNewFolderCaptions(). A change renames the button of an open dialog.
    const CaptionList& newFolderCaptions() const { return DestinationDialog::newFolderCaptions; }
    void setNewFolderCaptions(CaptionList captions);
    /// The window caption by language, looked up at each opening; empty: the browser's own
    /// caption stays.
    const CaptionList& titles() const { return DestinationDialog::titles; }
    void setTitles(CaptionList titles) { DestinationDialog::titles = std::move(titles); }

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
    using DestinationDialog::execute;

    /// The folder selected in the open dialog; folder() when execute() starts.
    using DestinationDialog::selectedFolder;
    /// The text of the path line: the selection's path, pretty-cased with efUsePrettyCase.
    QString displayText() const;
    /// The instruction text and the new-folder caption for the dialog's language keys.
    QString labelCaption() const;
    QString newFolderCaption() const;
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
    bool prepareItems() override;
    std::optional<ItemText> runOpening(const Preselection& preselection) override;
    void refreshPathLine() override;
    void enableButtons(bool ok, bool newFolder) override;
    std::optional<std::string> askFolderName(const std::string& title) override;
    bool makeFolder(const std::string& path) override;
    void showMessage(const std::string& text) override;
    void closeAsCancelled() override;

    ItemText convertItem(const QString& folder) const;
    void placeWindow(FolderBrowser& window) const;
    void connectWindow(FolderBrowser& window);
    void handleInitialized();
    void handleSelectionChanged(FolderBrowser& window, const QString& folder);
    void handleTypedNameRejected(FolderBrowser& window, const QString& typed);

    std::function<bool(const QString&)> m_onValidateFailed;
    std::function<bool(const QString&)> m_onXPIncludeItem;
    NamePrompt m_namePrompt;
    MessageBox m_messageBox;

    QString m_initialItem;  // the folder's item, until the first opening preselects it
    QString m_rootItem;

    // Per opening.
    FolderBrowser* m_window = nullptr;  // the running dialog, owned by runOpening()
};

}  // namespace gantrel::ui
