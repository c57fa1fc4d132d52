// SPDX-License-Identifier: MIT
#include "folder_browser.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

#include "qt_text.h"
#include "window/shell_folders.h"

namespace gantrel::ui {
namespace {

// The classic browser's fixed size at 96 dpi.
constexpr QSize kClassicSize(320, 360);
// The resizable form opens somewhat larger and never shrinks below the classic size.
constexpr QSize kResizableSize(400, 440);
// The path line's text keeps this distance from the line's right edge.
constexpr int kPathLineSlack = 8;

// Whether the trees show folders whose names start with a dot: kept on the application, so that
// Ctrl+H in one tree holds for every tree until the program ends.
constexpr char kShowHiddenProperty[] = "gantrel.showHiddenFolders";

bool hiddenFoldersShown()
{
    return qApp->property(kShowHiddenProperty).toBool();
}

QDir::Filters folderFilter()
{
    const QDir::Filters folders = QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot;
    return hiddenFoldersShown() ? folders | QDir::Hidden : folders;
}

QString cleanAbsolute(const QString& folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

}  // namespace

FolderBrowser::FolderBrowser(FolderBrowserOptions options, QWidget* parent)
    : QDialog(parent), m_options(std::move(options))
{
    setObjectName(QStringLiteral("FolderBrowser"));
    setWindowTitle(m_options.title);
    setModal(true);

    m_instruction = new QLabel(m_options.instruction, this);
    m_instruction->setObjectName(QStringLiteral("instruction"));
    m_instruction->setWordWrap(true);

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("tree"));

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->setObjectName(QStringLiteral("buttons"));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &FolderBrowser::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_rows = new QVBoxLayout(this);
    m_rows->addWidget(m_instruction);
    m_rows->addWidget(m_tree, 1);
    m_rows->addWidget(m_buttons);

    if (m_options.resizable) {
        setSizeGripEnabled(true);
        setMinimumSize(kClassicSize);
        resize(kResizableSize);
    } else {
        setFixedSize(kClassicSize);
    }

    setUpExtras();
    setUpModel();
    setUpTree();
    beginStartSelection();
}

FolderBrowser::~FolderBrowser() = default;

QString FolderBrowser::selectedFolder() const
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid() || !m_model->isDir(current)) {
        return {};
    }
    // filePath gives "/" and "C:/" for roots and no trailing separator otherwise.
    return QDir::toNativeSeparators(m_model->filePath(current));
}

QString FolderBrowser::chosenFolder() const
{
    const QString typed = typedFolder();
    return typed.isEmpty() ? selectedFolder() : typed;
}

QString FolderBrowser::typedFolder() const
{
    if (m_editBox == nullptr || m_editBox->text().isEmpty()) {
        return {};
    }
    // The edit box shows the selection's name, so its text is taken from the folder that holds
    // the selection: the name unchanged is the selection, another name a folder beside it.
    const QString typed = QDir::fromNativeSeparators(m_editBox->text());
    QString candidate = typed;
    if (QDir::isRelativePath(typed)) {
        const QString selected = selectedFolder();
        if (selected.isEmpty()) {
            return {};
        }
        const QFileInfo holder(selected);
        candidate = QDir(holder.isRoot() ? selected : holder.absolutePath()).filePath(typed);
    }
    return QFileInfo(candidate).isDir() ? QDir::toNativeSeparators(cleanAbsolute(candidate))
                                        : QString();
}

void FolderBrowser::accept()
{
    if (m_options.validateTypedName && m_editBox != nullptr && !m_editBox->text().isEmpty() &&
        typedFolder().isEmpty()) {
        emit typedNameRejected(m_editBox->text());
        return;
    }
    QDialog::accept();
}

void FolderBrowser::selectFolder(const QString& folder)
{
    const QModelIndex target = folder.isEmpty() || !QFileInfo(folder).isDir()
                                   ? QModelIndex()
                                   : m_model->index(cleanAbsolute(folder));
    if (!target.isValid()) {
        return;
    }
    const bool replacesStart = m_pendingIsStart && !m_pendingSelection.isEmpty();
    m_pendingIsStart = false;
    const QModelIndex parent = target.parent();
    const QString parentPath =
        parent.isValid() ? m_model->filePath(parent) : m_model->filePath(target);
    // Opening the chain lists only the folders on the way down; the selection follows when the
    // folder's own parent has been listed.
    for (QModelIndex above = parent; above.isValid(); above = above.parent()) {
        m_tree->expand(above);
        m_model->fetchMore(above);
    }
    if (m_listed.contains(parentPath)) {
        m_pendingSelection.clear();
        m_pendingSelectionParent.clear();
        finishSelection(target);
    } else {
        m_pendingSelection = m_model->filePath(target);
        m_pendingSelectionParent = parentPath;
    }
    if (replacesStart) {
        emitInitializedWhenReady();
    }
}

void FolderBrowser::setPathText(const QString& text)
{
    m_pathText = text;
    showPathText();
}

void FolderBrowser::setOkEnabled(bool enabled)
{
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(enabled);
}

void FolderBrowser::setNewFolderCaption(const QString& caption)
{
    if (m_newFolder != nullptr) {
        m_newFolder->setText(caption);
    }
}

void FolderBrowser::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        // Queued: a handler that closes the dialog must find its modal loop running.
        QMetaObject::invokeMethod(
            this, [this] { emitInitializedWhenReady(); }, Qt::QueuedConnection);
    }
}

bool FolderBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pathLine && event->type() == QEvent::Resize) {
        showPathText();
    }
    // A name cut off by the tree's edge shows whole in a tooltip.
    if (watched == m_tree->viewport() && event->type() == QEvent::ToolTip &&
        showNameTip(*static_cast<QHelpEvent*>(event))) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FolderBrowser::setUpExtras()
{
    if (m_options.pathLine) {
        m_pathLine = new QLabel(this);
        m_pathLine->setObjectName(QStringLiteral("pathLine"));
        m_pathLine->setTextFormat(Qt::PlainText);
        m_pathLine->setWordWrap(false);
        m_pathLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // The line takes the tree's width; a long path never widens the dialog.
        m_pathLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        m_pathLine->installEventFilter(this);
        m_rows->insertWidget(1, m_pathLine);
    }
    if (m_options.editBox) {
        m_editBox = new QLineEdit(this);
        m_editBox->setObjectName(QStringLiteral("editBox"));
        m_rows->insertWidget(m_rows->indexOf(m_tree) + 1, m_editBox);
    }
    if (!m_options.newFolderCaption.isEmpty()) {
        m_newFolder =
            m_buttons->addButton(m_options.newFolderCaption, QDialogButtonBox::ActionRole);
        m_newFolder->setObjectName(QStringLiteral("newFolder"));
        m_newFolder->setEnabled(false);
        connect(m_newFolder, &QPushButton::clicked, this, [this] { emit newFolderRequested(); });
    }
}

void FolderBrowser::setUpModel()
{
    m_model = new QFileSystemModel(this);
    // Folder icons come from the file system type only, and nothing is watched: a custom icon
    // or a watch on a dead network mount would block the tree.
    m_model->setOptions(QFileSystemModel::DontUseCustomDirectoryIcons |
                        QFileSystemModel::DontWatchForChanges);
    m_model->setFilter(folderFilter());
    m_model->setReadOnly(true);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FolderBrowser::onDirectoryLoaded);
    if (m_options.includeFolder) {
        connect(m_model, &QAbstractItemModel::rowsInserted, this, &FolderBrowser::onRowsInserted);
    }
    // Listing starts here, on the model's gatherer thread.
    m_model->setRootPath(m_options.rootFolder);
}

void FolderBrowser::setUpTree()
{
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column) {
        m_tree->hideColumn(column);
    }
    // A long name widens the column and the tree scrolls sideways to it.
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tree->viewport()->installEventFilter(this);
    m_tree->setSortingEnabled(true);
    m_tree->sortByColumn(0, Qt::AscendingOrder);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setUniformRowHeights(true);

    // A root of the file system stays visible as the top node; any other root folder shows its
    // subfolders as the top level.
    if (!m_options.rootFolder.isEmpty()) {
        const QModelIndex root = m_model->index(m_options.rootFolder);
        if (QDir(m_options.rootFolder).isRoot()) {
            m_tree->expand(root);
        } else {
            m_tree->setRootIndex(root);
        }
    }
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { onCurrentChanged(current); });
    if (m_options.expandOnClick) {
        connect(m_tree, &QAbstractItemView::clicked, this,
                [this](const QModelIndex& index) { m_tree->expand(index); });
    }

    // Listings that arrive after the start selection insert and sort rows above it; the start
    // folder stays in view until the user takes over the tree.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { keepStartInView(); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] { keepStartInView(); });
    const auto userTakesOver = [this] { m_keepInView = QPersistentModelIndex(); };
    connect(m_tree, &QAbstractItemView::pressed, this, userTakesOver);
    connect(m_tree, &QTreeView::collapsed, this, userTakesOver);
    connect(m_tree->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, userTakesOver);

    // As in the desktop's own file dialogs.
    auto* toggleHidden = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(toggleHidden, &QShortcut::activated, this, &FolderBrowser::toggleHiddenFolders);
}

void FolderBrowser::toggleHiddenFolders()
{
    qApp->setProperty(kShowHiddenProperty, !hiddenFoldersShown());
    // The current folder, maybe a hidden one, stays selected and in view.
    const QString current = selectedFolder();
    m_model->setFilter(folderFilter());
    if (!current.isEmpty()) {
        m_tree->setCurrentIndex(m_model->index(QDir::fromNativeSeparators(current)));
        m_tree->scrollTo(m_tree->currentIndex());
    }
}

bool FolderBrowser::showNameTip(QHelpEvent& event)
{
    const QModelIndex index = m_tree->indexAt(event.pos());
    const QRect place = m_tree->visualRect(index);
    if (!index.isValid() || m_tree->viewport()->rect().contains(place)) {
        return false;
    }
    QToolTip::showText(event.globalPos(), m_model->fileName(index), m_tree->viewport(), place);
    return true;
}

void FolderBrowser::keepStartInView()
{
    if (m_keepInView.isValid()) {
        m_tree->scrollTo(m_keepInView, QAbstractItemView::PositionAtCenter);
    }
}

void FolderBrowser::beginStartSelection()
{
    if (m_options.startFolder.isEmpty() || !QFileInfo(m_options.startFolder).isDir()) {
        // The default selection: the root of the file system, when it is the top node.
        if (!m_options.rootFolder.isEmpty() && QDir(m_options.rootFolder).isRoot()) {
            m_tree->setCurrentIndex(m_model->index(m_options.rootFolder));
        }
        return;
    }
    selectFolder(m_options.startFolder);
    m_pendingIsStart = !m_pendingSelection.isEmpty();
}

void FolderBrowser::onDirectoryLoaded(const QString& folder)
{
    const QString listed = QDir::cleanPath(folder);
    m_listed.insert(listed);
    if (m_pendingSelection.isEmpty() || listed != m_pendingSelectionParent) {
        return;
    }
    const QModelIndex target = m_model->index(m_pendingSelection);
    m_pendingSelection.clear();
    m_pendingSelectionParent.clear();
    if (target.isValid()) {
        finishSelection(target);
    }
    if (m_pendingIsStart) {
        m_pendingIsStart = false;
        emitInitializedWhenReady();
    }
}

void FolderBrowser::finishSelection(const QModelIndex& folder)
{
    m_tree->setCurrentIndex(folder);
    m_tree->expand(folder);
    m_keepInView = folder;
    keepStartInView();
    if (m_pendingIsStart) {
        emit startFolderSelected();
    }
}

void FolderBrowser::onCurrentChanged(const QModelIndex& current)
{
    if (current != m_keepInView) {
        m_keepInView = QPersistentModelIndex();
    }
    const QString folder = selectedFolder();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!folder.isEmpty());
    if (m_newFolder != nullptr) {
        m_newFolder->setEnabled(!folder.isEmpty());
    }
    if (m_editBox != nullptr) {
        const QString name = QFileInfo(QDir::fromNativeSeparators(folder)).fileName();
        m_editBox->setText(name.isEmpty() ? folder : name);
    }
    emit selectedFolderChanged(folder);
}

void FolderBrowser::onRowsInserted(const QModelIndex& parent, int first, int last)
{
    for (int row = first; row <= last; ++row) {
        const QString folder =
            QDir::toNativeSeparators(m_model->filePath(m_model->index(row, 0, parent)));
        if (!m_options.includeFolder(folder)) {
            m_tree->setRowHidden(row, parent, true);
        }
    }
}

void FolderBrowser::showPathText()
{
    if (m_pathLine == nullptr) {
        return;
    }
    const QFontMetrics metrics(m_pathLine->font());
    const int room = m_pathLine->contentsRect().width() - kPathLineSlack;
    m_pathLine->setText(toQString(window::shortenPath(
        toNarrow(m_pathText), QDir::separator().toLatin1(), [&](const std::string& text) {
            return metrics.horizontalAdvance(toQString(text)) <= room;
        })));
}

void FolderBrowser::emitInitializedWhenReady()
{
    const bool startPending = m_pendingIsStart && !m_pendingSelection.isEmpty();
    if (m_initialized || !m_shown || startPending) {
        return;
    }
    m_initialized = true;
    emit initialized();
}

}  // namespace gantrel::ui
