// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QPersistentModelIndex>
#include <QSet>
#include <QString>

#include <functional>

class QDialogButtonBox;
class QFileSystemModel;
class QHelpEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QVBoxLayout;

namespace gantrel::ui {

/// What a FolderBrowser shows. The map folder chooser uses the classic form; the destination
/// folder dialog adds the path line, the new-folder button and its own rules.
struct FolderBrowserOptions {
    /// The window caption.
    QString title = QStringLiteral("Browse for Folder");
    /// The instruction text above the tree.
    QString instruction;
    /// The top of the tree; empty: the whole file system (every drive where there are drives).
    QString rootFolder;
    /// Selected, with its branch expanded, once its parent folder has been listed; ignored when
    /// it is not an existing folder.
    QString startFolder;
    /// False: the classic fixed-size dialog. True: resizable, with a size grip.
    bool resizable = false;
    /// A one-line path line under the instruction text, filled by setPathText.
    bool pathLine = false;
    /// The caption of a new-folder button in the button row; empty: no such button. The button
    /// is enabled only while a folder is selected; a click emits newFolderRequested.
    QString newFolderCaption;
    /// A click on a folder opens its branch; moving with the keyboard opens nothing.
    bool expandOnClick = false;
    /// An edit box under the tree with the selected folder's name, where the user may type the
    /// name of a folder below the selection or a full path (chosenFolder).
    bool editBox = false;
    /// With the edit box: OK on a typed text that names no folder keeps the dialog open and
    /// emits typedNameRejected; without it such a text is ignored and OK takes the selection.
    bool validateTypedName = false;
    /// Asked for every folder as the tree lists it, with its path; false hides the folder.
    /// Unset: every folder is shown.
    std::function<bool(const QString& folder)> includeFolder;
};

/// A modal tree of folders with OK and Cancel. The tree is filled lazily on the model's own
/// thread: only the folders the user opens, and the chain down to the start folder, are listed,
/// and nothing is watched, so slow or dead mounts do not freeze the dialog. OK is enabled only
/// while the current item is a file-system folder, unless the owner says otherwise
/// (setOkEnabled). Folders whose names start with a dot are left out unless Ctrl+H has shown
/// them, but the chain down to the start folder is always shown. A name too long for the tree
/// scrolls sideways and shows whole in a tooltip.
class FolderBrowser : public QDialog {
    Q_OBJECT

public:
    explicit FolderBrowser(FolderBrowserOptions options, QWidget* parent = nullptr);
    ~FolderBrowser() override;

    const FolderBrowserOptions& options() const { return m_options; }

    /// The current item's folder with native separators, without a trailing separator except
    /// for a root (/, C:\); empty when no file-system folder is selected.
    QString selectedFolder() const;

    /// What OK confirms: with an edit box whose text names an existing folder (below the
    /// selection, or a full path), that folder in the form of selectedFolder(); otherwise
    /// selectedFolder().
    QString chosenFolder() const;

    /// Makes the folder the current item with the branches above it expanded, as soon as its
    /// parent folder has been listed (at once when it has been). Ignored when the folder does
    /// not exist; a later call replaces a selection still waiting for its listing.
    void selectFolder(const QString& folder);

    /// Shows the text in the path line, shortened with "..." (shortenPath) until it fits the
    /// line's inner width less 8 pixels in the line's font, and again whenever the line is
    /// resized. Does nothing without a path line.
    void setPathText(const QString& text);
    /// The text last given to setPathText, before any shortening.
    const QString& pathText() const { return m_pathText; }

    /// Overrides the OK button's state until the next selection change.
    void setOkEnabled(bool enabled);
    /// Renames the new-folder button, when there is one.
    void setNewFolderCaption(const QString& caption);

    /// Confirms chosenFolder(); see FolderBrowserOptions::validateTypedName.
    void accept() override;

signals:
    /// The current item changed; `folder` is selectedFolder().
    void selectedFolderChanged(const QString& folder);
    /// The start folder has been selected and its branch expanded.
    void startFolderSelected();
    /// The dialog is shown and its start selection made (or found impossible). Emitted once per
    /// dialog, from the event loop, so that a handler may close the dialog.
    void initialized();
    /// The new-folder button was clicked.
    void newFolderRequested();
    /// OK was pressed on an edit-box text that names no folder (validateTypedName).
    void typedNameRejected(const QString& text);

protected:
    QFileSystemModel* model() const { return m_model; }
    QTreeView* tree() const { return m_tree; }
    QLabel* instruction() const { return m_instruction; }
    QDialogButtonBox* buttons() const { return m_buttons; }
    /// Instruction, tree and buttons, top to bottom; further rows go in between.
    QVBoxLayout* rows() const { return m_rows; }

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpModel();
    void setUpTree();
    void setUpExtras();
    void beginStartSelection();
    void onDirectoryLoaded(const QString& folder);
    void onCurrentChanged(const QModelIndex& current);
    void onRowsInserted(const QModelIndex& parent, int first, int last);
    void finishSelection(const QModelIndex& folder);
    void keepStartInView();
    /// Ctrl+H: shows or hides the folders whose names start with a dot, in this tree and in
    /// every tree opened later in the program's run.
    void toggleHiddenFolders();
    /// Shows the whole name of the item under the pointer when the tree's edge cuts it off.
    bool showNameTip(QHelpEvent& event);
    void showPathText();
    void emitInitializedWhenReady();
    /// The existing folder the edit box's text names; empty when it names none.
    QString typedFolder() const;

    FolderBrowserOptions m_options;
    QFileSystemModel* m_model = nullptr;  // owned by the dialog
    QTreeView* m_tree = nullptr;
    QLabel* m_instruction = nullptr;
    QLabel* m_pathLine = nullptr;
    QLineEdit* m_editBox = nullptr;
    QPushButton* m_newFolder = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QVBoxLayout* m_rows = nullptr;
    QString m_pathText;
    QSet<QString> m_listed;              // folders whose listing has arrived
    QString m_pendingSelection;          // a folder to select, until its parent's listing arrives
    QString m_pendingSelectionParent;    // the listing that completes that selection
    bool m_pendingIsStart = false;       // the pending selection is the start folder
    QPersistentModelIndex m_keepInView;  // the selected start folder, until the user moves on
    bool m_shown = false;
    bool m_initialized = false;
};

}  // namespace gantrel::ui
