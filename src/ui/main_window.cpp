// SPDX-License-Identifier: MIT
#include "main_window.h"

#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QTabBar>
#include <QTextCursor>
#include <QTimer>

#include <chrono>
#include <exception>
#include <iterator>
#include <tuple>
#include <utility>

#include "analysis/analysis_run.h"
#include "app_info.h"
#include "dialogs.h"
#include "export/export_copiers.h"
#include "export/export_shell_copy.h"
#include "export_interface.h"
#include "folder_dialog.h"
#include "qt_text.h"
#include "run_interface.h"
#include "scan_progress.h"
#include "settings/settings_file.h"
#include "settings/start_folder.h"
#include "ui_main_window.h"

namespace gantrel::ui {
namespace {

// The designed client size at 96 dpi; Qt scales it on high-dpi screens.
constexpr int kClientWidth = 570;
constexpr int kClientHeight = 411;
// The designed position on the screen.
constexpr int kDesignedLeft = 516;
constexpr int kDesignedTop = 70;

// How often the copiers of the command-line exports are looked at while they run.
constexpr std::chrono::milliseconds kCopierPollInterval{150};

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

}  // namespace

struct MainWindow::CopierExport {
    std::unique_ptr<ExportInterface> ui;
    CopierRun run;
};

MainWindow::MainWindow(Dialogs& dialogs, MainWindowSetup setup, QWidget* parent)
    : QWidget(parent),
      m_dialogs(dialogs),
      m_setup(std::move(setup)),
      m_ui(std::make_unique<Ui::MainWindow>()),
      m_folderDialog(new FolderDialog(this)),
      m_copierTimer(new QTimer(this))
{
    if (m_setup.settingsPath.empty()) {
        m_setup.settingsPath = settingsFilePath();
    }
    if (m_setup.copier.empty()) {
        m_setup.copier = platform::bundledCopier();
    }
    m_folderDialog->setObjectName(QStringLiteral("FolderDialog1"));
    m_copierTimer->setInterval(kCopierPollInterval);
    m_ui->setupUi(this);
    applyDesign();
    m_lists = {
        {&m_state.log, m_ui->scanlog, {}},
        {&m_state.objectFolders, m_ui->folderlist, {}},
        {&m_state.splineFolders, m_ui->splinefolderlist, {}},
        {&m_state.objects, m_ui->filelist, {}},
        {&m_state.splines, m_ui->splinefilelist, {}},
        {&m_state.missingObjects, m_ui->missingobjects, {}},
        {&m_state.missingSplines, m_ui->missingsplines, {}},
    };
    connectButtons();
    render();
}

MainWindow::~MainWindow() = default;

void MainWindow::applyDesign()
{
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);
    move(kDesignedLeft, kDesignedTop);

    setFont(pixelFont(QStringLiteral("Arial"), 11, QFont::SansSerif));
    m_ui->GroupBox1->setFont(pixelFont(QStringLiteral("Arial"), 13, QFont::SansSerif));
    m_ui->caminho->setFont(pixelFont(QStringLiteral("Arial"), 11, QFont::SansSerif));

    styleMemo(*m_ui->scanlog, 12);
    for (QPlainTextEdit* memo :
         {m_ui->folderlist, m_ui->splinefolderlist, m_ui->filelist, m_ui->splinefilelist,
          m_ui->missingobjects, m_ui->missingsplines}) {
        styleMemo(*memo, 13);
    }

    for (QPushButton* button : {m_ui->scof_copy, m_ui->slif_copy, m_ui->Button10, m_ui->Button11}) {
        button->hide();
    }
    // Created after the controls, so that the window deletes it after the tab bar that uses it.
    auto* tabStyle = new NarrowTabStyle;
    tabStyle->setParent(this);
    m_ui->PageControl->tabBar()->setStyle(tabStyle);
    m_ui->PageControl->setCurrentIndex(0);
}

void MainWindow::connectButtons()
{
    connect(m_ui->Button2, &QPushButton::clicked, this,
            [this] { runOperation([this] { chooseAndAnalyse(); }); });
    connect(m_ui->Button7, &QPushButton::clicked, this,
            [this] { runOperation([this] { m_dialogs.showMessage(toNarrow(noticeText())); }); });

    const std::pair<QPushButton*, QPlainTextEdit*> copies[] = {
        {m_ui->Button1, m_ui->scanlog},          {m_ui->Button3, m_ui->folderlist},
        {m_ui->Button4, m_ui->splinefolderlist}, {m_ui->Button5, m_ui->filelist},
        {m_ui->Button6, m_ui->splinefilelist},   {m_ui->Button8, m_ui->missingobjects},
        {m_ui->Button9, m_ui->missingsplines},
    };
    for (const auto& [button, memo] : copies) {
        connect(button, &QPushButton::clicked, this,
                [this, memo = memo] { runOperation([this, memo] { copyToClipboard(*memo); }); });
    }

    const std::tuple<QPushButton*, ExportList, ExportVariant> exports[] = {
        {m_ui->scof_copy, ExportList::ObjectFolders, ExportVariant::ShellCopy},
        {m_ui->slif_copy, ExportList::SplineFolders, ExportVariant::ShellCopy},
        {m_ui->Button10, ExportList::ObjectFolders, ExportVariant::CommandCopy},
        {m_ui->Button11, ExportList::SplineFolders, ExportVariant::CommandCopy},
    };
    for (const auto& [button, list, variant] : exports) {
        connect(button, &QPushButton::clicked, this, [this, list = list, variant = variant] {
            runOperation([this, list, variant] { exportFolders(list, variant); });
        });
    }
    // While a box of another operation is open the tick does nothing: an export's end waits
    // until that box is closed instead of opening over it.
    connect(m_copierTimer, &QTimer::timeout, this,
            [this] { runOperation([this] { pollCopierExports(); }); });
}

void MainWindow::runOperation(const std::function<void()>& operation)
{
    // Modal boxes and the progress dialog keep input away during an operation; this also
    // covers a click that was queued before one of them opened.
    if (m_busy) {
        return;
    }
    m_busy = true;
    try {
        operation();
    } catch (const std::exception& error) {
        render();
        m_dialogs.showError(error.what());
    }
    m_busy = false;
    render();
}

void MainWindow::chooseAndAnalyse()
{
    SettingsFile settings(m_setup.settingsPath);
    std::string folder = startFolder(settings);
    if (!m_dialogs.chooseMapFolder(QStringLiteral("Select your MAP folder"), QStringLiteral("\\"),
                                   folder)) {
        return;
    }
    ScanProgress progress(this, m_setup.clock);
    RunInterface ui(m_dialogs, progress, [this] { render(); });
    runAnalysis(folder, m_state, ui, settings);
}

void MainWindow::exportFolders(ExportList list, ExportVariant variant)
{
    auto ui = std::make_unique<ExportInterface>(m_dialogs, *m_folderDialog, this, m_setup.clock,
                                                [this] { render(); });
    if (variant == ExportVariant::ShellCopy) {
        copyUsedFolders(m_state, list, *ui);
        return;
    }
    CopierRun run = startCopiers(m_state, list, *ui, m_setup.copier);
    if (run.finished()) {
        return;
    }
    m_copierExports.push_back({std::move(ui), std::move(run)});
    if (!m_copierTimer->isActive()) {
        m_copierTimer->start();
    }
}

void MainWindow::pollCopierExports()
{
    // An export whose end message threw has finished all the same: the next tick drops it.
    for (auto it = m_copierExports.begin(); it != m_copierExports.end();) {
        it = it->run.poll() ? m_copierExports.erase(it) : std::next(it);
    }
    if (m_copierExports.empty()) {
        m_copierTimer->stop();
    }
}

void MainWindow::copyToClipboard(QPlainTextEdit& memo)
{
    memo.selectAll();
    const QString text = clipboardText(memo.textCursor().selectedText());
    if (!text.isEmpty()) {
        QGuiApplication::clipboard()->setText(text);
    }
}

void MainWindow::render()
{
    m_ui->caminho->setText(toQString(m_state.path));
    for (ListView& list : m_lists) {
        if (*list.entries != list.shown) {
            // One document load for the whole list, however long.
            list.memo->setPlainText(joinEntries(*list.entries));
            list.shown = *list.entries;
        }
    }
    if (m_state.logScrolls != m_shownLogScrolls) {
        m_shownLogScrolls = m_state.logScrolls;
        m_ui->scanlog->moveCursor(QTextCursor::End);
        m_ui->scanlog->ensureCursorVisible();
    }

    if (m_state.tiles != m_shownTiles) {
        QStringList tiles;
        tiles.reserve(static_cast<qsizetype>(m_state.tiles.size()));
        for (const std::string& tile : m_state.tiles) {
            tiles.append(toQString(tile));
        }
        m_ui->tilelist->clear();
        m_ui->tilelist->addItems(tiles);
        m_shownTiles = m_state.tiles;
    }
    m_ui->Label1->setText(toQString(m_state.tileCaption));
    m_ui->Label1->adjustSize();
    if (m_state.lineStore.text() != m_shownLineStore) {
        m_shownLineStore = m_state.lineStore.text();
        // The store separates its lines with CR LF; the editor wants bare line feeds.
        m_ui->Mema->setPlainText(QString::fromUtf16(m_shownLineStore.data(),
                                                    static_cast<qsizetype>(m_shownLineStore.size()))
                                     .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    for (QPushButton* button : {m_ui->scof_copy, m_ui->slif_copy, m_ui->Button10, m_ui->Button11}) {
        button->setVisible(m_state.exportButtonsVisible);
    }
}

}  // namespace gantrel::ui
