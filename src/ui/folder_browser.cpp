#include "folder_browser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace gantrel::ui {
namespace {

// The classic browser's fixed size at 96 dpi.
constexpr QSize kClassicSize(320, 360);
// The resizable form opens somewhat larger and never shrinks below the classic size.
constexpr QSize kResizableSize(400, 440);

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
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
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

void FolderBrowser::setUpModel()
{
    m_model = new QFileSystemModel(this);
    // Folder icons come from the file system type only, and nothing is watched: a custom icon
    // or a watch on a dead network mount would block the tree.
    m_model->setOptions(QFileSystemModel::DontUseCustomDirectoryIcons |
                        QFileSystemModel::DontWatchForChanges);
    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, &FolderBrowser::onDirectoryLoaded);
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
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
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

    // Listings that arrive after the start selection insert and sort rows above it; the start
    // folder stays in view until the user takes over the tree.
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { keepStartInView(); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this, [this] { keepStartInView(); });
    const auto userTakesOver = [this] { m_keepInView = QPersistentModelIndex(); };
    connect(m_tree, &QAbstractItemView::pressed, this, userTakesOver);
    connect(m_tree, &QTreeView::collapsed, this, userTakesOver);
    connect(m_tree->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, userTakesOver);
}

void FolderBrowser::keepStartInView()
{
    if (m_keepInView.isValid()) {
        m_tree->scrollTo(m_keepInView, QAbstractItemView::PositionAtCenter);
    }
}

void FolderBrowser::beginStartSelection()
{
    const QModelIndex start =
        m_options.startFolder.isEmpty() || !QFileInfo(m_options.startFolder).isDir()
            ? QModelIndex()
            : m_model->index(cleanAbsolute(m_options.startFolder));
    if (!start.isValid()) {
        // The default selection: the root of the file system, when it is the top node.
        if (!m_options.rootFolder.isEmpty() && QDir(m_options.rootFolder).isRoot()) {
            m_tree->setCurrentIndex(m_model->index(m_options.rootFolder));
        }
        return;
    }
    m_pendingStart = m_model->filePath(start);
    const QModelIndex parent = start.parent();
    m_pendingStartParent = parent.isValid() ? m_model->filePath(parent) : m_pendingStart;
    // Opening the chain lists only the folders on the way down; the selection follows when the
    // start folder's own parent has been listed.
    for (QModelIndex above = parent; above.isValid(); above = above.parent()) {
        m_tree->expand(above);
        m_model->fetchMore(above);
    }
}

void FolderBrowser::onDirectoryLoaded(const QString& folder)
{
    if (m_pendingStart.isEmpty() || QDir::cleanPath(folder) != m_pendingStartParent) {
        return;
    }
    const QModelIndex start = m_model->index(m_pendingStart);
    m_pendingStart.clear();
    m_pendingStartParent.clear();
    if (!start.isValid()) {
        return;
    }
    m_tree->setCurrentIndex(start);
    m_tree->expand(start);
    m_keepInView = start;
    keepStartInView();
    emit startFolderSelected();
}

void FolderBrowser::onCurrentChanged(const QModelIndex& current)
{
    if (current != m_keepInView) {
        m_keepInView = QPersistentModelIndex();
    }
    const QString folder = selectedFolder();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!folder.isEmpty());
    emit selectedFolderChanged(folder);
}

}  // namespace gantrel::ui
