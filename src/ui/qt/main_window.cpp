// SPDX-License-Identifier: MIT
#include "main_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <utility>

#include "app_info.h"
#include "dialogs.h"
#include "folder_dialog.h"
#include "found_elsewhere_part.h"
#include "package_dialog.h"
#include "qt_text.h"
#include "settings/settings_file.h"
#include "ui_main_window.h"
#include "where_used_dialog.h"
#include "window/list_menu.h"
#include "window/opened_folder.h"
#include "window/operation_interfaces.h"
#include "window/screen_fit.h"
#include "window/shortcuts.h"
#include "window/window_design.h"

namespace gantrel::ui {
namespace {

// The seven captions fit the tab control's width only with the narrow tab padding of the
// design; the style's own padding would push the last tabs behind scroll buttons.
class NarrowTabStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        if (metric == PM_TabBarTabHSpace) {
            return 12;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QKeySequence keySequence(const std::string& keyText)
{
    return QKeySequence(QString::fromLatin1(keyText), QKeySequence::PortableText);
}

QFont pixelFont(const QString& family, int pixels, QFont::StyleHint hint)
{
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    return font;
}

// White text on the menu-highlight colour; a selection shows inverted so that it stays visible.
void styleMemo(QPlainTextEdit& memo, int fontPixels)
{
    memo.setFont(pixelFont(QStringLiteral("Courier New"), fontPixels, QFont::Monospace));
    QPalette palette = memo.palette();
    const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, highlight);
        palette.setColor(group, QPalette::Text, Qt::white);
        palette.setColor(group, QPalette::Highlight, Qt::white);
        palette.setColor(group, QPalette::HighlightedText, highlight);
    }
    memo.setPalette(palette);
}

// Starts (on) or stops a timer; one that already ticks goes on from its last tick.
void keepTicking(QTimer& timer, bool on)
{
    if (!on) {
        timer.stop();
    } else if (!timer.isActive()) {
        timer.start();
    }
}

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, MainWindowSetup setup, QWidget* parent)
    : QWidget(parent),
      window::DialogsFront(dialogs),
      m_dialogs(dialogs),
      m_setup(std::move(setup)),
      m_ui(std::make_unique<Ui::MainWindow>()),
      m_folderDialog(new FolderDialog(this)),
      m_copierTimer(new QTimer(this)),
      m_searchTimer(new QTimer(this))
{
    if (m_setup.settingsPath.empty()) {
        m_setup.settingsPath = settingsFilePath();
    }
    if (m_setup.copier.empty()) {
        m_setup.copier = platform::bundledCopier();
    }
    window::WindowFront& front = *this;
    m_operations =
        std::make_unique<window::WindowOperations>(front, m_setup.settingsPath, m_setup.copier);
    m_folderDialog->setObjectName(QStringLiteral("FolderDialog1"));
    m_copierTimer->setInterval(window::kCopierPollInterval);
    m_searchTimer->setInterval(window::kSearchPollInterval);
    m_ui->setupUi(this);
    applyDesign();
    for (const window::PageDesign& page : window::kPages) {
        m_lists.push_back({page.list, memoOf(page.list), {}});
    }
    // The pages follow kPages; a page's memo is brought up to date as it is shown.
    connect(m_ui->PageControl, &QTabWidget::currentChanged, this,
            [this](int page) { syncMemo(m_lists[static_cast<std::size_t>(page)]); });
    connectButtons();
    connectShortcuts();
    connectListMenus();
    setAcceptDrops(true);
    render();
}

MainWindow::~MainWindow() = default;

MainWindow::ListView& MainWindow::viewOf(window::WindowList list)
{
    for (ListView& view : m_lists) {
        if (view.list == list) {
            return view;
        }
    }
    throw std::logic_error("MainWindow: no memo shows this list");
}

void MainWindow::syncMemo(ListView& view)
{
    const std::vector<std::string>& entries = window::listOf(state(), view.list);
    if (entries != view.shown) {
        // One document load for the whole list, however long.
        view.memo->setPlainText(joinEntries(entries));
        view.shown = entries;
    }
}

QPlainTextEdit* MainWindow::memoOf(window::WindowList list) const
{
    for (const window::PageDesign& page : window::kPages) {
        if (page.list == list) {
            return findChild<QPlainTextEdit*>(QString::fromLatin1(page.memo));
        }
    }
    return nullptr;
}

void MainWindow::applyDesign()
{
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // The designed size is the normal size and the least (Qt scales it on high-dpi screens);
    // maximising uncovers the working controls below it.
    constexpr window::ScreenRect designed = window::kDesignedClient;
    setMinimumSize(designed.width, designed.height);
    resize(designed.width, designed.height);
    placeOnScreen();

    setFont(pixelFont(QStringLiteral("Arial"), 11, QFont::SansSerif));
    m_ui->GroupBox1->setFont(pixelFont(QStringLiteral("Arial"), 13, QFont::SansSerif));
    m_ui->caminho->setFont(pixelFont(QStringLiteral("Arial"), 11, QFont::SansSerif));

    for (const window::PageDesign& page : window::kPages) {
        styleMemo(*memoOf(page.list), page.memoFontPixels);
    }
    for (const window::ExportButtonDesign& button : window::kExportButtons) {
        findChild<QPushButton*>(QString::fromLatin1(button.name))->hide();
    }
    // Created after the controls, so that the window deletes it after the tab bar that uses it.
    auto* tabStyle = new NarrowTabStyle;
    tabStyle->setParent(this);
    m_ui->PageControl->tabBar()->setStyle(tabStyle);
    m_ui->PageControl->setCurrentIndex(0);

    // Return and Enter press the focused button, as in a dialog; a button with a shortcut
    // names it in its tooltip, and so does each tab.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(true);
        button->setToolTip(toQString(window::buttonToolTip(toNarrow(button->objectName()))));
    }
    for (int page = 0; page < m_ui->PageControl->count(); ++page) {
        m_ui->PageControl->setTabToolTip(
            page, toQString(window::pageToolTip(static_cast<std::size_t>(page))));
    }
    // Drops go to the window, not to the text of a memo.
    for (QPlainTextEdit* memo : findChildren<QPlainTextEdit*>()) {
        memo->setAcceptDrops(false);
    }
}

void MainWindow::placeOnScreen()
{
    const QRect available = screen()->availableGeometry();
    const window::ScreenRect place =
        window::fitOnScreen(window::kDesignedClient,
                            {available.x(), available.y(), available.width(), available.height()});
    move(place.left, place.top);
}

void MainWindow::connectButtons()
{
    connect(m_ui->Button2, &QPushButton::clicked, this,
            [this] { m_operations->chooseAndAnalyse(); });
    connect(m_ui->Button7, &QPushButton::clicked, this,
            [this] { m_operations->showNotice(noticeText()); });
    for (const window::PageDesign& page : window::kPages) {
        connect(findChild<QPushButton*>(QString::fromLatin1(page.copyButton)),
                &QPushButton::clicked, this,
                [this, list = page.list] { m_operations->copyToClipboard(list); });
    }
    for (const window::ExportButtonDesign& button : window::kExportButtons) {
        connect(findChild<QPushButton*>(QString::fromLatin1(button.name)), &QPushButton::clicked,
                this, [this, list = button.list, variant = button.variant] {
                    m_operations->exportFolders(list, variant);
                });
    }
    connect(m_copierTimer, &QTimer::timeout, this, [this] { m_operations->copierTick(); });
    connect(m_searchTimer, &QTimer::timeout, this, [this] { m_operations->searchTick(); });
}

void MainWindow::connectShortcuts()
{
    for (const window::Shortcut& shortcut : window::kShortcuts) {
        auto* key = new QShortcut(keySequence(window::keyText(shortcut.chord)), this);
        connect(key, &QShortcut::activated, this, [this, shortcut] {
            switch (shortcut.command) {
                case window::ShortcutCommand::ChooseMapFolder:
                    m_operations->chooseAndAnalyse();
                    break;
                case window::ShortcutCommand::ShowPage:
                    m_ui->PageControl->setCurrentIndex(static_cast<int>(shortcut.page));
                    break;
                case window::ShortcutCommand::CopyShownList:
                    m_operations->copyToClipboard(
                        window::kPages[static_cast<std::size_t>(m_ui->PageControl->currentIndex())]
                            .list);
                    break;
                case window::ShortcutCommand::ShowNotice:
                    m_operations->showNotice(noticeText());
                    break;
                case window::ShortcutCommand::MakeMapPackage:
                    makeMapPackage();
                    break;
            }
        });
    }
}

void MainWindow::connectListMenus()
{
    for (const ListView& view : m_lists) {
        view.memo->setContextMenuPolicy(Qt::CustomContextMenu);
        // A scroll area gives the point in its viewport's coordinates.
        connect(view.memo, &QWidget::customContextMenuRequested, this,
                [this, list = view.list](const QPoint& at) { showListMenu(list, at); });
        if (window::offersWhereUsed(view.list)) {
            view.memo->viewport()->installEventFilter(this);
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonDblClick) {
        return QWidget::eventFilter(watched, event);
    }
    for (const ListView& view : m_lists) {
        if (view.memo->viewport() != watched) {
            continue;
        }
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (const std::optional<std::size_t> entry = entryAt(view.list, at)) {
            showWhereUsed(view.list, *entry);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<std::size_t> MainWindow::entryAt(window::WindowList list, const QPoint& at) const
{
    // Below the last entry the nearest line is the empty one that ends the text.
    const auto line = static_cast<std::size_t>(memoOf(list)->cursorForPosition(at).blockNumber());
    if (line >= window::listOf(state(), list).size()) {
        return std::nullopt;
    }
    return line;
}

void MainWindow::showWhereUsed(window::WindowList list, std::size_t entry)
{
    std::optional<RelinkChange> relink;
    m_operations->showWhereUsed(
        list, entry,
        [this, list, &relink](const std::string& text,
                              const std::vector<window::WhereUsedRow>& rows) {
            WhereUsedDialog dialog(
                text, rows, [this](const std::string& table) { setClipboardText(table); },
                [this](const std::string& tile) {
                    if (!m_dialogs.openFile(tile)) {
                        m_dialogs.showError("No program could open " + tile);
                    }
                },
                this);
            FoundElsewherePart* part = nullptr;
            if (window::offersFoundElsewhere(list)) {
                window::MissingSearch& search = m_operations->missingSearch();
                const FoundElsewhere* found = search.result();
                part = new FoundElsewherePart(found != nullptr ? window::relinkChoices(*found, text)
                                                               : std::vector<RelinkChange>(),
                                              search.searching(), dialog);
                dialog.addPart(part);
            }
            m_dialogs.executeWhereUsed(dialog);
            if (part != nullptr) {
                relink = part->chosen();
            }
        });
    // Once the dialog's operation has ended: the relink is an operation of its own.
    if (relink) {
        m_operations->relink(*relink, m_dialogs);
    }
}

// The missing lists' own items: what the search found, its cancel, and the undo of a relink.
void MainWindow::addFoundElsewhereItems(QMenu& menu)
{
    window::MissingSearch& search = m_operations->missingSearch();
    menu.addSeparator();
    connect(menu.addAction(QString::fromLatin1(window::kFoundElsewhereItem)), &QAction::triggered,
            this, [this, &search] {
                m_dialogs.showRelinkReport(
                    window::foundElsewhereMenuText(search.result(), search.searching()));
            });
    QAction* cancel = menu.addAction(QString::fromLatin1(window::kCancelSearchItem));
    cancel->setEnabled(search.searching());
    connect(cancel, &QAction::triggered, this, [&search] { search.cancel(); });
    QAction* undo = menu.addAction(QString::fromLatin1(window::kUndoRelinkItem));
    undo->setEnabled(m_operations->canUndoRelink());
    connect(undo, &QAction::triggered, this, [this] { m_operations->undoLastRelink(m_dialogs); });
}

void MainWindow::showListMenu(window::WindowList list, const QPoint& at)
{
    QPlainTextEdit* memo = memoOf(list);
    const std::optional<std::size_t> entry = entryAt(list, at);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ListMenu"));
    for (const window::ListMenuItem& item : window::listMenu(list)) {
        if (item.command == window::ListCommand::WhereUsed && window::offersFoundElsewhere(list)) {
            addFoundElsewhereItems(menu);
        }
        if (item.separatorBefore) {
            menu.addSeparator();
        }
        QAction* action = menu.addAction(QString::fromLatin1(item.text));
        action->setShortcut(keySequence(item.key));
        action->setShortcutVisibleInContextMenu(true);
        switch (item.command) {
            case window::ListCommand::Copy:
                action->setEnabled(memo->textCursor().hasSelection());
                connect(action, &QAction::triggered, memo, &QPlainTextEdit::copy);
                break;
            case window::ListCommand::SelectAll:
                connect(action, &QAction::triggered, memo, &QPlainTextEdit::selectAll);
                break;
            case window::ListCommand::CopyToClipboard:
                connect(action, &QAction::triggered, this,
                        [this, list] { m_operations->copyToClipboard(list); });
                break;
            case window::ListCommand::SaveAs:
                connect(action, &QAction::triggered, this, [this, list] {
                    m_operations->saveListAs(list, [this](const std::string& fileName) {
                        return m_dialogs.chooseSaveFile(fileName);
                    });
                });
                break;
            case window::ListCommand::WhereUsed:
                action->setEnabled(entry.has_value());
                connect(action, &QAction::triggered, this, [this, list, entry] {
                    if (entry) {
                        showWhereUsed(list, *entry);
                    }
                });
                break;
            case window::ListCommand::MakeMapPackage:
                action->setEnabled(m_operations->packageAvailable());
                connect(action, &QAction::triggered, this, [this] { makeMapPackage(); });
                break;
        }
    }
    m_dialogs.executeMenu(menu, memo->viewport()->mapToGlobal(at));
}

void MainWindow::makeMapPackage()
{
    QProgressDialog progress(QString::fromLatin1(window::kPackageProgressText),
                             QStringLiteral("Cancel"), 0, 1000, this);
    progress.setObjectName(QStringLiteral("PackageProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.reset();  // shown only once the package is being written
    const window::PackageDialogs dialogs{
        [this](window::PackageDialogModel& model) {
            PackageDialog dialog(model, this);
            return m_dialogs.executePackageDialog(dialog);
        },
        [this](const std::string& folder, const std::string& fileName) {
            return m_dialogs.chooseSaveZip(folder, fileName);
        },
        [&progress](const PackageProgress& done) {
            const std::uint64_t total = std::max<std::uint64_t>(done.totalBytes, 1);
            progress.setValue(
                static_cast<int>(std::min<std::uint64_t>(done.bytes, total) * 1000 / total));
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        }};
    m_operations->makeMapPackage(dialogs);
}

void MainWindow::analyseMapFolder(const std::string& folder)
{
    m_operations->analyseMapFolder(folder);
}

std::optional<std::string> MainWindow::droppedFolder(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (data != nullptr && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            paths.push_back(url.isLocalFile()
                                ? toNarrow(QDir::toNativeSeparators(url.toLocalFile()))
                                : std::string());
        }
    }
    return window::droppedMapFolder(paths);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedFolder(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (droppedFolder(event->mimeData())) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const std::optional<std::string> folder = droppedFolder(event->mimeData());
    if (!folder) {
        return;
    }
    event->acceptProposedAction();
    // The run with its boxes waits until the drag source has seen the drop end.
    QTimer::singleShot(0, this, [this, folder = *folder] { analyseMapFolder(folder); });
}

bool MainWindow::chooseMapFolder(const std::string& title, const std::string& root,
                                 std::string& folder)
{
    return m_dialogs.chooseMapFolder(toQString(title), toQString(root), folder);
}

std::unique_ptr<UserInterface> MainWindow::analysisInterface()
{
    return std::make_unique<window::RunInterface>(
        m_dialogs,
        std::make_unique<DelayedProgress>(this, m_setup.clock, DelayedProgress::Cancel::Yes),
        [this] { render(); });
}

std::unique_ptr<ExportUi> MainWindow::exportInterface()
{
    return std::make_unique<window::ExportInterface>(
        m_dialogs, std::make_unique<DelayedProgress>(this, m_setup.clock),
        [this]() -> std::optional<std::string> {
            // A confirmed dialog holds its selected folder in folder() as well, which is also
            // what its next opening preselects.
            if (!m_dialogs.executeFolderDialog(*m_folderDialog)) {
                return std::nullopt;
            }
            return m_folderDialog->folder();
        },
        [](std::uint64_t number) {
            return toNarrow(QLocale().toString(static_cast<qulonglong>(number)));
        },
        [this] { render(); });
}

void MainWindow::selectAll(window::WindowList list)
{
    ListView& view = viewOf(list);
    syncMemo(view);
    view.memo->selectAll();
}

void MainWindow::setClipboardText(const std::string& text)
{
    QGuiApplication::clipboard()->setText(toQString(text));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_operations->cancelScan();
    QWidget::closeEvent(event);
}

void MainWindow::watchCopiers(bool on)
{
    keepTicking(*m_copierTimer, on);
}

void MainWindow::watchSearch(bool on)
{
    keepTicking(*m_searchTimer, on);
}

void MainWindow::render()
{
    const WindowState& state = m_operations->state();
    m_ui->caminho->setText(toQString(state.path));
    // Qt's text document takes about a microsecond a line, a block each: half a second and more
    // for the lists of a large map. Only the page shown is filled now, each other memo when its
    // page is shown or its list selected.
    syncMemo(m_lists[static_cast<std::size_t>(m_ui->PageControl->currentIndex())]);
    if (state.logScrolls != m_shownLogScrolls) {
        m_shownLogScrolls = state.logScrolls;
        syncMemo(viewOf(window::WindowList::Log));
        m_ui->scanlog->moveCursor(QTextCursor::End);
        m_ui->scanlog->ensureCursorVisible();
    }

    if (state.tiles != m_shownTiles) {
        QStringList tiles;
        tiles.reserve(static_cast<qsizetype>(state.tiles.size()));
        for (const std::string& tile : state.tiles) {
            tiles.append(toQString(tile));
        }
        m_ui->tilelist->clear();
        m_ui->tilelist->addItems(tiles);
        m_shownTiles = state.tiles;
    }
    m_ui->Label1->setText(toQString(state.tileCaption));
    m_ui->Label1->adjustSize();
    if (state.lineStore.text() != m_shownLineStore) {
        m_shownLineStore = state.lineStore.text();
        // The store separates its lines with CR LF; the editor wants bare line feeds.
        m_ui->Mema->setPlainText(QString::fromUtf16(m_shownLineStore.data(),
                                                    static_cast<qsizetype>(m_shownLineStore.size()))
                                     .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    for (const window::ExportButtonDesign& button : window::kExportButtons) {
        findChild<QPushButton*>(QString::fromLatin1(button.name))
            ->setVisible(state.exportButtonsVisible);
    }
}

}  // namespace gantrel::ui
