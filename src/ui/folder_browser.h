#pragma once

#include <QDialog>
#include <QPersistentModelIndex>
#include <QString>

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QTreeView;
class QVBoxLayout;

namespace gantrel::ui {

/// What a FolderBrowser shows. The map folder chooser uses the classic form; further forms add
/// their own options here.
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
};

/// A modal tree of folders with OK and Cancel. The tree is filled lazily on the model's own
/// thread: only the folders the user opens, and the chain down to the start folder, are listed,
/// and nothing is watched, so slow or dead mounts do not freeze the dialog. OK is enabled only
/// while the current item is a file-system folder.
class FolderBrowser : public QDialog {
    Q_OBJECT

public:
    explicit FolderBrowser(FolderBrowserOptions options, QWidget* parent = nullptr);
    ~FolderBrowser() override;

    const FolderBrowserOptions& options() const { return m_options; }

    /// The current item's folder with native separators, without a trailing separator except
    /// for a root (/, C:\); empty when no file-system folder is selected.
    QString selectedFolder() const;

signals:
    /// The current item changed; `folder` is selectedFolder().
    void selectedFolderChanged(const QString& folder);
    /// The start folder has been selected and its branch expanded.
    void startFolderSelected();

protected:
    QFileSystemModel* model() const { return m_model; }
    QTreeView* tree() const { return m_tree; }
    QLabel* instruction() const { return m_instruction; }
    QDialogButtonBox* buttons() const { return m_buttons; }
    /// Instruction, tree and buttons, top to bottom; further rows go in between.
    QVBoxLayout* rows() const { return m_rows; }

private:
    void setUpModel();
    void setUpTree();
    void beginStartSelection();
    void onDirectoryLoaded(const QString& folder);
    void onCurrentChanged(const QModelIndex& current);
    void keepStartInView();

    FolderBrowserOptions m_options;
    QFileSystemModel* m_model = nullptr;  // owned by the dialog
    QTreeView* m_tree = nullptr;
    QLabel* m_instruction = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QVBoxLayout* m_rows = nullptr;
    QString m_pendingStart;              // the start folder, until its parent's listing arrives
    QString m_pendingStartParent;        // the listing that completes the start selection
    QPersistentModelIndex m_keepInView;  // the selected start folder, until the user moves on
};

}  // namespace gantrel::ui
