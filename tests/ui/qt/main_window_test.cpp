// SPDX-License-Identifier: MIT
#include "main_window.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <utility>

#include "export/export_texts.h"
#include "folder_dialog.h"
#include "package_dialog.h"
#include "scripted_dialogs.h"
#include "support/sample_map.h"
#include "support/test_support.h"
#include "where_used_dialog.h"

namespace gantrel::ui::test {
namespace {

using namespace std::chrono_literals;

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() : sample(folder.path()) {}

    MainWindow& window()
    {
        if (!m_window) {
            m_window = std::make_unique<MainWindow>(
                dialogs, MainWindowSetup{(folder.path() / "gantrel.ini").string(), clock, copier});
        }
        return *m_window;
    }
    template <typename T = QWidget>
    T* find(const char* name)
    {
        return window().findChild<T*>(QString::fromLatin1(name));
    }
    // Shows the memo's page, as the user does to see the memo; Mema lies on no page.
    QPlainTextEdit* shown(QPlainTextEdit* memo)
    {
        auto* pages = find<QTabWidget>("PageControl");
        if (const int page = pages->indexOf(memo->parentWidget()); page >= 0) {
            pages->setCurrentIndex(page);
        }
        return memo;
    }
    QString text(const char* memo) { return shown(find<QPlainTextEdit>(memo))->toPlainText(); }
    bool exportShown()
    {
        int shown = 0;
        for (const char* name : {"scof_copy", "slif_copy", "Button10", "Button11"}) {
            shown += find(name)->isHidden() ? 0 : 1;
        }
        EXPECT_TRUE(shown == 0 || shown == 4) << "the four export buttons go together";
        return shown == 4;
    }
    // Chooses the folder in the map folder chooser ("..."), or cancels it with nullopt.
    void choose(std::optional<std::filesystem::path> map)
    {
        dialogs.chooserAnswers.push_back(map ? std::optional(map->string()) : std::nullopt);
        find<QPushButton>("Button2")->click();
    }
    // Everything the user can see or copy, to compare the window before and after.
    QStringList snapshot()
    {
        auto* pages = find<QTabWidget>("PageControl");
        const int page = pages->currentIndex();
        QStringList seen{find<QLineEdit>("caminho")->text(), QString::number(page),
                         QString::number(exportShown())};
        for (auto* memo : window().findChildren<QPlainTextEdit*>()) {
            seen << shown(memo)->toPlainText();
        }
        pages->setCurrentIndex(page);
        return seen;
    }

    gantrel::test::TempDir folder;
    gantrel::test::SampleMap sample;
    ScriptedDialogs dialogs;
    std::chrono::steady_clock::time_point now{};
    // Every look at the clock finds `tick` gone.
    std::chrono::milliseconds tick{0};
    DelayedProgress::Clock clock = [this] { return now += tick; };
    // The copier built with the tests, handed over by the build.
    std::string copier = std::getenv("GANTREL_COPY") != nullptr ? std::getenv("GANTREL_COPY") : "";

private:
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, StartsWithTheDesignedLayout)
{
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Gantrel 3.1"));
    EXPECT_EQ(window().size(), QSize(570, 411));
    // The designed size is the normal size; the window can be maximised beyond it.
    EXPECT_EQ(window().minimumSize(), QSize(570, 411));
    EXPECT_TRUE(window().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    const QRect screen = window().screen()->availableGeometry();
    if (screen.contains(QRect(516, 70, 570, 411))) {
        EXPECT_EQ(window().pos(), QPoint(516, 70));
    }
    EXPECT_TRUE(screen.contains(QRect(window().pos(), window().size())));
    const std::pair<const char*, QRect> places[] = {
        {"GroupBox1", {8, 8, 553, 57}},    {"caminho", {12, 24, 453, 22}},
        {"Button2", {484, 23, 49, 23}},    {"PageControl", {8, 71, 553, 297}},
        {"Button7", {486, 377, 75, 25}},   {"scanlog", {8, 8, 521, 217}},
        {"Button1", {8, 232, 123, 33}},    {"scof_copy", {404, 231, 123, 33}},
        {"Button10", {265, 232, 133, 33}}, {"slif_copy", {406, 231, 123, 33}},
        {"Button11", {267, 231, 133, 33}}, {"tilelist", {8, 445, 361, 105}},
        {"Mema", {400, 448, 313, 209}},
    };
    for (const auto& [name, place] : places) {
        EXPECT_EQ(find(name)->geometry(), place) << name;
    }
    for (const char* name : {"Label1", "Label2", "telvpath"}) {
        EXPECT_GE(find(name)->y(), 411) << name << " lies below the client area";
    }
    EXPECT_EQ(find<QGroupBox>("GroupBox1")->font().pixelSize(), 13);
    EXPECT_EQ(find("caminho")->font().pixelSize(), 11);
    EXPECT_EQ(find("scanlog")->font().pixelSize(), 12);
    EXPECT_EQ(find("missingsplines")->font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(find("missingsplines")->font().pixelSize(), 13);

    const auto* pages = find<QTabWidget>("PageControl");
    ASSERT_EQ(pages->count(), 7);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(pages->tabText(5), QStringLiteral("Missing Objects"));
    const auto* log = find<QPlainTextEdit>("scanlog");
    EXPECT_TRUE(log->isReadOnly());
    EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(log->palette().color(QPalette::Text), QColor(Qt::white));
    EXPECT_FALSE(find("caminho")->isEnabled());
    EXPECT_EQ(find<QPushButton>("Button10")->text().count(QLatin1Char('\n')), 1);
    EXPECT_FALSE(exportShown());
    EXPECT_EQ(text("Mema"), QStringLiteral("Mema"));
}

TEST_F(MainWindowTest, HiddenControlsTakeNoKeysAndReturnPressesTheFocusedButton)
{
    for (const char* name : {"tilelist", "Mema", "Label1", "Label2", "telvpath"}) {
        EXPECT_EQ(find(name)->focusPolicy(), Qt::NoFocus) << name;
    }
    EXPECT_TRUE(find<QPlainTextEdit>("Mema")->isReadOnly());
    auto* clickMe = find<QPushButton>("Button7");
    QTest::keyClick(clickMe, Qt::Key_Return);
    QTest::keyClick(clickMe, Qt::Key_Enter);
    EXPECT_EQ(dialogs.messages.size(), 2U) << "Return and Enter each show the notice";
}

TEST_F(MainWindowTest, AnalysisFillsEveryTabSorted)
{
    choose(sample.map);

    ASSERT_TRUE(dialogs.errors.empty()) << dialogs.errors.front();
    ASSERT_EQ(dialogs.chooserCalls.size(), 1U);
    EXPECT_EQ(dialogs.chooserCalls[0].title, QStringLiteral("Select your MAP folder"));
    EXPECT_EQ(dialogs.chooserCalls[0].root, QStringLiteral("\\"));
    EXPECT_EQ(text("folderlist"),
              QStringLiteral("Sceneryobjects\\Houses\\\nSceneryobjects\\Trees\\\n"));
    EXPECT_EQ(text("splinefolderlist"), QStringLiteral("Splines\\Roads\\\n"));
    EXPECT_EQ(text("filelist"), QStringLiteral("Sceneryobjects\\Houses\\house.sco\n"
                                               "Sceneryobjects\\Trees\\birch.sco\n"
                                               "Sceneryobjects\\Trees\\oak.sco\n"));
    EXPECT_EQ(text("splinefilelist"), QStringLiteral("Splines\\Roads\\lane.sli\n"
                                                     "Splines\\Roads\\road.sli\n"));
    EXPECT_EQ(text("missingobjects"), QStringLiteral("Sceneryobjects\\Trees\\birch.sco\n"));
    EXPECT_EQ(text("missingsplines"), QStringLiteral("Splines\\Roads\\lane.sli\n"));
    const QString log = text("scanlog");
    EXPECT_TRUE(log.startsWith(QStringLiteral("Loaded successfully from path ") +
                               QString::fromStdString(sample.map.string()) +
                               QStringLiteral("\nThis map contains 2 tiles.\n")));
    // The search for the missing entries says that it runs after the counts.
    EXPECT_TRUE(log.endsWith(QStringLiteral("Missing Objects: 1\nMissing Splines: 1\n") +
                             QString::fromLatin1(window::kSearchingLogLine) + QLatin1Char('\n')))
        << log.toStdString();
    // The caret sits at the end of the log, scrolled into view.
    const auto* scanlog = find<QPlainTextEdit>("scanlog");
    EXPECT_TRUE(scanlog->textCursor().atEnd());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"End of analysis. Check the Activity log "
                                                         "and other tabs for additional info."});
    EXPECT_TRUE(exportShown());
    EXPECT_EQ(find<QLineEdit>("caminho")->text().toStdString(), (sample.mapsFolder / "").string());
    EXPECT_EQ(find<QListWidget>("tilelist")->count(), 2);
    EXPECT_EQ(find("Label1")->property("text").toString(), QStringLiteral("Tiles: 2"));
    EXPECT_TRUE(text("Mema").contains(QStringLiteral("birch.sco")));

    // The next "..." starts at the stored maps folder; a second map replaces every list.
    choose(sample.addMap("Other", 1));
    ASSERT_EQ(dialogs.chooserCalls.size(), 2U);
    EXPECT_EQ(dialogs.chooserCalls[1].startFolder, (sample.mapsFolder / "").string());
    EXPECT_EQ(text("filelist"), QStringLiteral("Sceneryobjects\\Trees\\oak.sco\n"));
    EXPECT_EQ(text("missingobjects"), QString());
    EXPECT_EQ(find<QListWidget>("tilelist")->count(), 1);
}

TEST_F(MainWindowTest, APageShowsItsListOnceShownAndRenewsItAtARunsEndWhileShown)
{
    auto* pages = find<QTabWidget>("PageControl");
    const auto* objects = find<QPlainTextEdit>("filelist");
    choose(sample.map);
    pages->setCurrentIndex(3);
    EXPECT_EQ(objects->toPlainText(), QStringLiteral("Sceneryobjects\\Houses\\house.sco\n"
                                                     "Sceneryobjects\\Trees\\birch.sco\n"
                                                     "Sceneryobjects\\Trees\\oak.sco\n"));
    choose(sample.addMap("Other", 1));
    EXPECT_EQ(objects->toPlainText(), QStringLiteral("Sceneryobjects\\Trees\\oak.sco\n"));
}

TEST_F(MainWindowTest, RejectedFolderKeepsResultsWhileThePathShowsIt)
{
    choose(sample.map);
    const QString objects = text("filelist");
    std::filesystem::remove(sample.map / "ailists.cfg");
    QString pathDuringMessage;
    dialogs.onBox = [&] { pathDuringMessage = find<QLineEdit>("caminho")->text(); };

    choose(sample.map);

    EXPECT_EQ(dialogs.messages.back(),
              "Invalid map folder structure. Is this really a map folder?");
    EXPECT_EQ(pathDuringMessage.toStdString(), sample.map.string());
    EXPECT_EQ(find<QLineEdit>("caminho")->text().toStdString(), sample.map.string());
    EXPECT_EQ(text("filelist"), objects);
    EXPECT_TRUE(exportShown());
}

TEST_F(MainWindowTest, CancelLeavesTheWindowAsItWas)
{
    const QStringList atStart = snapshot();
    choose(std::nullopt);
    EXPECT_EQ(snapshot(), atStart);

    choose(sample.map);
    find<QTabWidget>("PageControl")->setCurrentIndex(3);
    const QStringList afterRun = snapshot();
    choose(std::nullopt);
    EXPECT_EQ(snapshot(), afterRun);
    EXPECT_EQ(dialogs.messages.size(), 1U);
}

TEST_F(MainWindowTest, FailingRunShowsTheErrorAndTheWindowTakesTheNextRun)
{
    const auto broken = sample.addMap("Broken", 1);
    std::filesystem::create_directory(broken / "x.map");
    QString logDuringError;
    dialogs.onBox = [&] { logDuringError = text("scanlog"); };

    choose(broken);

    ASSERT_EQ(dialogs.errors.size(), 1U);
    EXPECT_EQ(dialogs.errors[0].rfind("Cannot open file \"", 0), 0U) << dialogs.errors[0];
    EXPECT_TRUE(logDuringError.contains(QStringLiteral("Tile 1 of 2 verified successfully.")));
    EXPECT_FALSE(exportShown());

    choose(sample.map);
    EXPECT_EQ(dialogs.errors.size(), 1U);
    EXPECT_TRUE(exportShown());
    EXPECT_TRUE(text("scanlog").contains(QStringLiteral("Missing Splines: 1")));
}

TEST_F(MainWindowTest, AnyEscapingExceptionGoesToTheErrorBox)
{
    // The end message of the scan throws once, as a failing box would.
    bool thrown = false;
    dialogs.onBox = [&] {
        if (!std::exchange(thrown, true)) {
            throw std::runtime_error("no memory left");
        }
    };
    choose(sample.map);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"no memory left"});

    find<QPushButton>("Button7")->click();
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_NE(dialogs.messages[0].find("Gantrel 3.1"), std::string::npos);
    EXPECT_NE(dialogs.messages[0].find("MIT licence"), std::string::npos);
    EXPECT_NE(dialogs.messages[0].find("ICU"), std::string::npos);
}

TEST_F(MainWindowTest, CopyPutsTheWholeMemoOnTheClipboardWithCrLf)
{
    choose(sample.map);
    QClipboard* clipboard = QGuiApplication::clipboard();

    find<QPushButton>("Button3")->click();
    EXPECT_EQ(clipboard->text(), QStringLiteral("Sceneryobjects\\Houses\\\r\n"
                                                "Sceneryobjects\\Trees\\\r\n"));
    // Each of the seven buttons copies its own list, and the sample map makes them all differ.
    const std::pair<const char*, const char*> copies[] = {
        {"Button1", "scanlog"},          {"Button3", "folderlist"},
        {"Button4", "splinefolderlist"}, {"Button5", "filelist"},
        {"Button6", "splinefilelist"},   {"Button8", "missingobjects"},
        {"Button9", "missingsplines"},
    };
    for (const auto& [button, list] : copies) {
        find<QPushButton>(button)->click();
        const auto* memo = find<QPlainTextEdit>(list);
        EXPECT_EQ(clipboard->text().toStdString(),
                  memo->toPlainText().replace(u'\n', QStringLiteral("\r\n")).toStdString())
            << button;
        EXPECT_EQ(memo->textCursor().selectedText().size(), memo->toPlainText().size()) << button;
    }

    choose(sample.addMap("Clean", 1));  // no missing splines
    clipboard->setText(QStringLiteral("before"));
    find<QPushButton>("Button9")->click();
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));
}

TEST_F(MainWindowTest, ListMenusCopySelectAndSaveTheirList)
{
    choose(sample.map);
    auto* memo = shown(find<QPlainTextEdit>("filelist"));
    // Right-clicks the memo on the line of an entry.
    const auto rightClick = [&](QPlainTextEdit* on, const char* item, int line) {
        dialogs.menuAnswers.push_back(QString::fromLatin1(item));
        const QPoint at =
            on->cursorRect(QTextCursor(on->document()->findBlockByNumber(line))).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, on->viewport()->mapToGlobal(at));
        QApplication::sendEvent(on->viewport(), &event);
    };

    rightClick(memo, "Select All", 1);
    rightClick(find<QPlainTextEdit>("scanlog"), "", 0);
    const QStringList common{QStringLiteral("(Copy)"), QStringLiteral("Select All"),
                             QStringLiteral("-"), QStringLiteral("Copy to Clipboard"),
                             QStringLiteral("Save As...")};
    ASSERT_EQ(dialogs.menus.size(), 2U);
    const QStringList withWhereUsed =
        common + QStringList{QStringLiteral("-"), QStringLiteral("Where Used...")};
    EXPECT_EQ(dialogs.menus[0], withWhereUsed);
    EXPECT_EQ(dialogs.menus[1], common) << "the log offers no Where Used";
    EXPECT_EQ(memo->textCursor().selectedText().size(), memo->toPlainText().size());

    // "Save As..." writes the clipboard text; a file that cannot be written changes nothing.
    const auto saved = folder.path() / "saved.txt";
    dialogs.saveAnswers = {saved.string(), (folder.path() / "no" / "such.txt").string()};
    rightClick(memo, "Save As...", 0);
    find<QPushButton>("Button5")->click();
    EXPECT_EQ(gantrel::test::readFile(saved), QGuiApplication::clipboard()->text().toStdString());
    EXPECT_EQ(dialogs.saveCalls, std::vector<std::string>{"Object list.txt"});
    const QStringList before = snapshot();
    rightClick(find<QPlainTextEdit>("missingsplines"), "Save As...", 0);
    EXPECT_EQ(dialogs.saveCalls.back(), "Missing Splines.txt");
    EXPECT_EQ(dialogs.errors,
              std::vector<std::string>{"Unable to write to " +
                                       (folder.path() / "no" / "such.txt").string()});
    EXPECT_EQ(snapshot(), before);
}

TEST_F(MainWindowTest, WhereUsedListsTheTilesOfTheEntryUnderThePointer)
{
    choose(sample.map);
    const auto pointAt = [&](const char* memo, int line) {
        auto* on = shown(find<QPlainTextEdit>(memo));
        return std::pair(
            on->viewport(),
            on->cursorRect(QTextCursor(on->document()->findBlockByNumber(line))).center());
    };
    QStringList tiles;
    dialogs.onWhereUsed = [&](WhereUsedDialog& dialog) {
        auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tiles"));
        tiles.clear();
        for (int row = 0; row < table->rowCount(); ++row) {
            tiles << table->item(row, 0)->text() + QLatin1Char(':') + table->item(row, 1)->text();
        }
        // Sorted by line, the table copies in that order and opens the tile of the row.
        table->horizontalHeader()->setSortIndicator(1, Qt::AscendingOrder);
        dialog.findChild<QPushButton*>(QStringLiteral("copyTable"))->click();
        table->selectRow(0);
        dialog.findChild<QPushButton*>(QStringLiteral("openTile"))->click();
    };

    // oak.sco, the third object, is on line 3 of the first tile and line 2 of the second.
    const auto [objects, oak] = pointAt("filelist", 2);
    QTest::mouseDClick(objects, Qt::LeftButton, Qt::NoModifier, oak);
    ASSERT_EQ(dialogs.whereUsedEntries,
              std::vector<QString>{QStringLiteral("Sceneryobjects\\Trees\\oak.sco")});
    EXPECT_EQ(tiles,
              (QStringList{QStringLiteral("tile_0_0.map:3"), QStringLiteral("tile_1_0.map:2")}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Tile\tLine\r\ntile_1_0.map\t2\r\ntile_0_0.map\t3\r\n"));
    EXPECT_EQ(dialogs.openedFiles,
              std::vector<std::string>{(sample.map / "tile_1_0.map").string()});

    // The menu's item opens the same dialog; below the last entry it is disabled, and the log
    // takes a double-click as text.
    const auto [missing, lane] = pointAt("missingsplines", 0);
    dialogs.menuAnswers.push_back(QStringLiteral("Where Used..."));
    QContextMenuEvent menu(QContextMenuEvent::Mouse, lane, missing->mapToGlobal(lane));
    QApplication::sendEvent(missing, &menu);
    EXPECT_EQ(tiles, QStringList{QStringLiteral("tile_1_0.map:3")});
    const QPoint below(lane.x(), missing->height() - 2);
    QContextMenuEvent empty(QContextMenuEvent::Mouse, below, missing->mapToGlobal(below));
    QApplication::sendEvent(missing, &empty);
    EXPECT_EQ(dialogs.menus.back().back(), QStringLiteral("(Where Used...)"));
    const auto [log, start] = pointAt("scanlog", 0);
    QTest::mouseDClick(log, Qt::LeftButton, Qt::NoModifier, start);
    EXPECT_EQ(dialogs.whereUsedEntries.size(), 2U);
}

TEST_F(MainWindowTest, AMissingObjectFoundElsewhereIsRelinkedFromItsWhereUsedDialogAndUndone)
{
    gantrel::test::writeFile(sample.installation / "Sceneryobjects" / "Forest" / "birch.sco", "");
    const auto tile = sample.map / "tile_1_0.map";
    const std::string original = gantrel::test::readFile(tile);
    choose(sample.map);
    // The log says that the search runs beside the window, then what it found.
    EXPECT_TRUE(text("scanlog").contains(QString::fromLatin1(window::kSearchingLogLine)));
    QTRY_VERIFY_WITH_TIMEOUT(
        text("scanlog").contains(QStringLiteral("Search ended: 1 of 2 missing found elsewhere")),
        10000);
    auto* missing = shown(find<QPlainTextEdit>("missingobjects"));
    const QPoint at =
        missing->cursorRect(QTextCursor(missing->document()->findBlockByNumber(0))).center();
    const auto rightClick = [&](const char* item) {
        dialogs.menuAnswers.push_back(QString::fromLatin1(item));
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, missing->viewport()->mapToGlobal(at));
        QApplication::sendEvent(missing->viewport(), &event);
    };
    // The search runs beside the window: its menu item tells what it has found so far.
    QTRY_VERIFY_WITH_TIMEOUT(
        (rightClick("Found Elsewhere..."),
         !dialogs.relinkReports.empty() &&
             dialogs.relinkReports.back().starts_with("Sceneryobjects\\Trees\\birch.sco\n")),
        10000);
    EXPECT_EQ(dialogs.relinkReports.back(),
              "Sceneryobjects\\Trees\\birch.sco\n    Sceneryobjects\\Forest\\birch.sco\n");
    EXPECT_EQ(
        dialogs.menus.back(),
        (QStringList{QStringLiteral("(Copy)"), QStringLiteral("Select All"), QStringLiteral("-"),
                     QStringLiteral("Copy to Clipboard"), QStringLiteral("Save As..."),
                     QStringLiteral("-"), QStringLiteral("Found Elsewhere..."),
                     QStringLiteral("(Cancel Search)"), QStringLiteral("(Undo Last Relink)"),
                     QStringLiteral("-"), QStringLiteral("Where Used...")}));

    QStringList candidates;
    dialogs.onWhereUsed = [&](WhereUsedDialog& dialog) {
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("foundElsewhere"));
        candidates.clear();
        for (int row = 0; row < list->count(); ++row) {
            candidates << list->item(row)->text();
        }
        dialog.findChild<QPushButton*>(QStringLiteral("relink"))->click();
    };
    dialogs.relinkAnswers = {false, true};
    QTest::mouseDClick(missing->viewport(), Qt::LeftButton, Qt::NoModifier, at);  // cancelled
    EXPECT_EQ(candidates, QStringList{QStringLiteral("Sceneryobjects\\Forest\\birch.sco")});
    ASSERT_EQ(dialogs.relinkPreviews.size(), 1U);
    EXPECT_EQ(gantrel::test::readFile(tile), original);

    QTest::mouseDClick(missing->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_EQ(dialogs.relinkPreviews.size(), 2U);
    EXPECT_NE(dialogs.relinkReports.back().find("Backup: "), std::string::npos);
    EXPECT_NE(gantrel::test::readFile(tile).find("Sceneryobjects\\Forest\\birch.sco\r\n"),
              std::string::npos);
    EXPECT_EQ(text("missingobjects"), QString());  // analysed again

    rightClick("Undo Last Relink");
    EXPECT_EQ(dialogs.relinkReports.back(), "Restored 1 tile.\n  tile_1_0.map\n");
    EXPECT_EQ(gantrel::test::readFile(tile), original);
    EXPECT_EQ(text("missingobjects"), QStringLiteral("Sceneryobjects\\Trees\\birch.sco\n"));
}

TEST_F(MainWindowTest, ADroppedFolderIsAnalysedAsAChosenOne)
{
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window(), &enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window(), &event);
        EXPECT_EQ(enter.isAccepted(), event.isAccepted());
        return event.isAccepted();
    };
    // The log's last line comes when the search for the missing entries has ended.
    const auto searchEnded = [&] {
        return QTest::qWaitFor([&] { return window().state().log.back().starts_with("Search "); });
    };
    choose(sample.map);
    ASSERT_TRUE(searchEnded());
    const QStringList chosen = snapshot();
    const std::string tile = (sample.map / "tile_0_0.map").string();
    const QUrl map = QUrl::fromLocalFile(QString::fromStdString((sample.map / "").string()));

    // Files, several items and remote folders are refused, without a message.
    EXPECT_FALSE(drop({QUrl::fromLocalFile(QString::fromStdString(tile))}));
    EXPECT_FALSE(drop({map, map}));
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/maps/Demo/"))}));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.messages.size(), 1U);

    ASSERT_TRUE(drop({map}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.messages.size() == 2; }));
    ASSERT_TRUE(searchEnded());
    EXPECT_EQ(snapshot(), chosen);
    EXPECT_EQ(dialogs.chooserCalls.size(), 1U);

    // So is a folder named on the command line.
    window().analyseMapFolder(sample.addMap("Other", 1).string());
    EXPECT_EQ(text("filelist"), QStringLiteral("Sceneryobjects\\Trees\\oak.sco\n"));
}

TEST_F(MainWindowTest, ShortcutsPressTheButtonsTheirTooltipsName)
{
    window().show();
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    dialogs.chooserAnswers.push_back(sample.map.string());
    QTest::keyClick(&window(), Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(dialogs.chooserCalls.size(), 1U);
    EXPECT_TRUE(find("Button2")->toolTip().endsWith(QStringLiteral("(Ctrl+O)")));

    // Ctrl+1 to Ctrl+7 show the pages in tab order.
    for (int page = 6; page >= 0; --page) {
        QTest::keyClick(&window(), static_cast<Qt::Key>(Qt::Key_1 + page), Qt::ControlModifier);
        EXPECT_EQ(find<QTabWidget>("PageControl")->currentIndex(), page);
    }
    QTest::keyClick(&window(), Qt::Key_6, Qt::ControlModifier);
    EXPECT_EQ(find<QTabWidget>("PageControl")->currentIndex(), 5);
    QTest::keyClick(&window(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("Sceneryobjects\\Trees\\birch.sco\r\n"));
    EXPECT_TRUE(find("Button8")->toolTip().endsWith(QStringLiteral("(Ctrl+Shift+C)")));
    EXPECT_TRUE(
        find<QTabWidget>("PageControl")->tabToolTip(5).endsWith(QStringLiteral("(Ctrl+6)")));

    QTest::keyClick(&window(), Qt::Key_F1);
    ASSERT_EQ(dialogs.messages.size(), 2U);
    EXPECT_NE(dialogs.messages[1].find("MIT licence"), std::string::npos);
    EXPECT_TRUE(find("Button7")->toolTip().endsWith(QStringLiteral("(F1)")));
    EXPECT_EQ(find<QPushButton>("Button7")->text(), QStringLiteral("Click me"));
}

TEST_F(MainWindowTest, ProgressDialogAppearsOnlyForASlowRun)
{
    const auto map = sample.addMap("Large", 4);
    std::vector<QString> seen;
    dialogs.onTile = [&](std::size_t, std::size_t) {
        const auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        seen.push_back(progress ? progress->labelText() : QString());
        now += 300ms;
    };
    dialogs.onBox = [&] { EXPECT_EQ(QApplication::activeModalWidget(), nullptr); };

    choose(map);
    EXPECT_EQ(seen, (std::vector<QString>{
                        {}, {}, QStringLiteral("Tile 3 of 4"), QStringLiteral("Tile 4 of 4")}));
    const QString slowLog = text("scanlog");

    dialogs.onTile = [&](std::size_t, std::size_t) {
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    };
    choose(map);
    EXPECT_EQ(text("scanlog"), slowLog);
}

TEST_F(MainWindowTest, CancelOrClosingTheWindowEndsTheScanAndWritesNoSettings)
{
    const auto map = sample.addMap("Large", 4);
    const auto settings = folder.path() / "gantrel.ini";
    const std::vector<std::function<void()>> cancels = {
        [] {
            auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(progress, nullptr);
            auto* cancel = progress->findChild<QPushButton*>();
            ASSERT_NE(cancel, nullptr);
            EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
            cancel->click();
        },
        [this] { window().close(); },
    };
    for (const auto& cancel : cancels) {
        now = {};
        dialogs.onTile = [&](std::size_t done, std::size_t) {
            now += 300ms;  // the dialog shows from the third tile on
            if (done == 3) {
                cancel();
            }
        };
        choose(map);
        const QStringList log = text("scanlog").split(u'\n', Qt::SkipEmptyParts);
        ASSERT_GE(log.size(), 2);
        EXPECT_EQ(log.end()[-2], QStringLiteral("Tile 3 of 4 verified successfully."));
        EXPECT_EQ(log.back(), QStringLiteral("Analysis cancelled."));
        EXPECT_FALSE(exportShown());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(std::filesystem::exists(settings));
    }
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

// ---- The export buttons ----------------------------------------------------------------------

namespace fs = std::filesystem;
using gantrel::test::Tree;
using gantrel::test::tree;

const std::string kObjectNotice(exportNotice(ExportVariant::ShellCopy, ExportList::ObjectFolders));
const std::string kObjectsDone(exportEndMessage(ExportList::ObjectFolders));
const std::string kSplineNotice(exportNotice(ExportVariant::CommandCopy,
                                             ExportList::SplineFolders));
const std::string kSplinesDone(exportEndMessage(ExportList::SplineFolders));

// A copy of the sample installation, analysed in the window through its map Demo. The map uses
// the object folder list
//   "", "Sceneryobjects\", Fences, Häuser, Houses, houses, Houses\Old, Signs, trees, Trees
// and the spline folders Bridges, paths, Rails and Roads; Fences and Bridges are not installed.
class ExportButtonsTest : public MainWindowTest {
protected:
    ExportButtonsTest()
    {
        fs::create_directories(game.parent_path());
        fs::copy(gantrel::test::examplesFolder() / "TELV 2", game, fs::copy_options::recursive);
    }
    void SetUp() override { ASSERT_FALSE(copier.empty()) << "GANTREL_COPY names no copier"; }

    // The installation with every folder the map uses, so that every folder can be copied.
    void completeInstallation() const
    {
        gantrel::test::writeFile(game / "Sceneryobjects/Fences/fence_wood.sco", "fence");
        gantrel::test::writeFile(game / "Splines/Bridges/bridge_steel.sli", "bridge");
    }
    void analyse()
    {
        choose(game / "maps" / "Demo");
        ASSERT_TRUE(dialogs.errors.empty()) << dialogs.errors.front();
        ASSERT_TRUE(exportShown());
        dialogs.messages.clear();
    }
    // Clicks the export button with the destination dialog answering `destination`, or
    // cancelled with nullopt.
    void exportTo(const char* button, const std::optional<fs::path>& destination)
    {
        dialogs.destinationAnswers.push_back(destination ? std::optional(destination->string())
                                                         : std::nullopt);
        find<QPushButton>(button)->click();
    }
    // Lets the window run, watching its copiers, until `count` boxes have been shown since the
    // analysis.
    bool waitForBoxes(std::size_t count)
    {
        return QTest::qWaitFor(
            [&] { return dialogs.messages.size() + dialogs.errors.size() >= count; }, 20000);
    }
    // What copying each (source, target) pair of folders below the installation's top folder
    // makes below the same top folder of the package.
    Tree copyOf(const fs::path& top,
                const std::vector<std::pair<std::string, std::string>>& folders) const
    {
        Tree expected;
        for (const auto& [source, target] : folders) {
            expected[target + "/"] = "";
            for (const auto& [path, content] : tree(game / top / source)) {
                expected[target + "/" + path] = content;
            }
        }
        return expected;
    }
    // Every spline folder the map uses, copied as the list spells it ("paths").
    Tree splinesCopied() const
    {
        return copyOf(
            "Splines",
            {{"Bridges", "Bridges"}, {"Paths", "paths"}, {"Rails", "Rails"}, {"Roads", "Roads"}});
    }
    std::string missing(const std::string& entry) const
    {
        return missingFolderReason(gantrel::test::textOf(game) + "/" + entry);
    }

    fs::path game = folder.path() / "copy" / "TELV 2";
    fs::path package = folder.path() / "package";
};

TEST_F(ExportButtonsTest, ShellCopyCopiesEveryFolderOnceWhateverTheListsSpelling)
{
    completeInstallation();
    analyse();
    const Tree installation = tree(game);

    exportTo("scof_copy", package);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{kObjectNotice, kObjectsDone}));
    // The top-folder entry copies the whole top folder; the entries spelt in lower case name
    // the same folders, which are filled once, as the native file system would have it.
    EXPECT_EQ(tree(package / "Sceneryobjects"), tree(game / "Sceneryobjects"));

    exportTo("slif_copy", package);
    EXPECT_EQ(dialogs.messages.back(), kSplinesDone);
    EXPECT_EQ(tree(package / "Splines"), splinesCopied());
    EXPECT_EQ(tree(game), installation);
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(ExportButtonsTest, ShellCopyShowsFilesBytesAndTheFolderInItsProgress)
{
    completeInstallation();
    analyse();
    tick = 1s;  // the copy is slow: its progress dialog appears at its first file
    QStringList seen;
    // Runs whenever the copy lets the window repaint, and records what the dialog shows.
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (const auto* progress =
                qobject_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
            seen.append(progress->labelText());
        }
    });
    watcher.start();
    dialogs.onBox = [&] { EXPECT_EQ(QApplication::activeModalWidget(), nullptr); };

    exportTo("slif_copy", package);

    EXPECT_EQ(dialogs.messages.back(), kSplinesDone);
    qulonglong files = 0;
    qulonglong bytes = 0;
    for (const auto& [path, content] : tree(package / "Splines")) {
        files += path.ends_with('/') ? 0 : 1;
        bytes += content.size();
    }
    ASSERT_FALSE(seen.isEmpty());
    const QLocale locale;
    EXPECT_TRUE(seen.back().startsWith(
        QStringLiteral("Files copied: %1\nBytes copied: %2\nCopying into: %3")
            .arg(locale.toString(files), locale.toString(bytes),
                 QString::fromStdString((package / "Splines").string()))))
        << seen.back().toStdString();
}
TEST_F(ExportButtonsTest, AQuickCopyShowsNoProgressHoweverLongTheUserRead)
{
    completeInstallation();
    analyse();
    // The user takes ten seconds over the notice; the copy itself takes no time.
    dialogs.onBox = [&] { now += 10s; };
    bool progressShown = false;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        progressShown =
            progressShown || qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    });
    watcher.start();

    exportTo("slif_copy", package);

    EXPECT_EQ(dialogs.messages.back(), kSplinesDone);
    EXPECT_EQ(tree(package / "Splines"), splinesCopied());
    EXPECT_FALSE(progressShown);
}

TEST_F(ExportButtonsTest, CancelShowsTheNoticeAloneAndCopiesNothing)
{
    analyse();
    exportTo("scof_copy", std::nullopt);
    exportTo("Button11", std::nullopt);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{kObjectNotice, kSplineNotice}));
    EXPECT_EQ(dialogs.destinationCalls.size(), 2U);
    EXPECT_FALSE(fs::exists(package));
}

TEST_F(ExportButtonsTest, OneDestinationDialogServesAllFourButtons)
{
    completeInstallation();
    analyse();
    exportTo("scof_copy", package / "first");
    exportTo("Button10", std::nullopt);
    exportTo("slif_copy", package / "second");
    exportTo("Button11", std::nullopt);

    const auto* shared = window().findChild<FolderDialog*>(QStringLiteral("FolderDialog1"));
    ASSERT_NE(shared, nullptr);
    ASSERT_EQ(dialogs.destinationCalls.size(), 4U);
    // Each opening starts at the destination confirmed last, whichever button confirmed it.
    const std::string first = (package / "first").string();
    const std::string second = (package / "second").string();
    const std::vector<std::string> preselected{"", first, first, second};
    for (std::size_t call = 0; call < 4; ++call) {
        EXPECT_EQ(dialogs.destinationCalls[call].first, shared) << call;
        EXPECT_EQ(dialogs.destinationCalls[call].second, preselected[call]) << call;
    }
    EXPECT_TRUE(fs::exists(package / "first" / "Sceneryobjects"));
    EXPECT_TRUE(fs::exists(package / "second" / "Splines"));
}

TEST_F(ExportButtonsTest, FoldersThatFailedAreNamedInsteadOfTheSuccess)
{
    // Fences is not installed; Signs vanishes after the analysis.
    analyse();
    fs::remove_all(game / "Sceneryobjects" / "Signs");
    const std::string report =
        failureReport({{"Sceneryobjects\\Fences\\", missing("Sceneryobjects\\Fences\\")},
                       {"Sceneryobjects\\Signs\\", missing("Sceneryobjects\\Signs\\")}});

    exportTo("scof_copy", package / "shell");
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{kObjectNotice, report}));
    EXPECT_EQ(tree(package / "shell" / "Sceneryobjects" / "Houses"),
              tree(game / "Sceneryobjects" / "Houses"));

    exportTo("Button10", package / "copiers");
    ASSERT_TRUE(waitForBoxes(4));
    // The copier words its own reasons; the report names the two folders, in list order.
    const std::string& copierReport = dialogs.messages.back();
    EXPECT_EQ(
        copierReport.rfind("These folders could not be copied:\nSceneryobjects\\Fences\\: ", 0), 0U)
        << copierReport;
    EXPECT_NE(copierReport.find("\nSceneryobjects\\Signs\\: "), std::string::npos) << copierReport;
    EXPECT_EQ(std::count(copierReport.begin(), copierReport.end(), '\n'), 2);
    EXPECT_EQ(tree(package / "copiers" / "Sceneryobjects" / "Houses"),
              tree(game / "Sceneryobjects" / "Houses"));
}

TEST_F(ExportButtonsTest, AnErrorInAnExportGoesToTheErrorBox)
{
    completeInstallation();
    analyse();
    // The end message of each export throws, as a failing box would: the shell copy's (box 2),
    // and the copier export's that comes later (box 5, after the error box and the notice).
    int boxes = 0;
    dialogs.onBox = [&] {
        ++boxes;
        if (boxes == 2 || boxes == 5) {
            throw std::runtime_error("box " + std::to_string(boxes) + " failed");
        }
    };
    exportTo("slif_copy", package);
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{"box 2 failed"});

    exportTo("Button11", package);
    ASSERT_TRUE(waitForBoxes(4));
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{"box 2 failed", "box 5 failed"}));
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{
                  std::string(exportNotice(ExportVariant::ShellCopy, ExportList::SplineFolders)),
                  kSplineNotice}));

    // The window goes on taking input.
    find<QPushButton>("Button7")->click();
    EXPECT_EQ(dialogs.messages.size(), 3U);
}

TEST_F(ExportButtonsTest, CopierExportsSkipTheTopFolderAndRunWhileTheWindowTakesInput)
{
    GANTREL_SKIP_WITH(gantrel::test::unlessPosix(
        "a copier held at a gate: a named pipe it reads before it starts"));
#ifndef _WIN32
    // The spline copiers wait at a gate named after their folder until the test opens it;
    // the object copiers find no gate and copy at once. Each export ends when its own last
    // copier has.
    const fs::path gates = folder.path() / "gates";
    fs::create_directories(gates);
    for (const char* name : {"Bridges", "paths", "Rails", "Roads"}) {
        ASSERT_EQ(::mkfifo((gates / name).c_str(), 0600), 0);
    }
    const fs::path script = folder.path() / "gated-copy";
    gantrel::test::writeFile(script,
                             "#!/bin/sh\nfor target; do :; done\n"
                             "gate='" +
                                 gates.string() +
                                 "'/\"$(basename \"$target\")\"\n"
                                 "if [ -p \"$gate\" ]; then read go < \"$gate\"; fi\n"
                                 "exec '" +
                                 copier + "' \"$@\"\n");
    fs::permissions(script, fs::perms::owner_all);
    copier = script.string();
    // Lets the copier at the gate go; false when none came to it in time.
    const auto open = [&](const char* name) {
        return QTest::qWaitFor([&] {
            const int gate = ::open((gates / name).c_str(), O_WRONLY | O_NONBLOCK);
            if (gate < 0) {
                return false;  // no copier reads it yet
            }
            const bool sent = ::write(gate, "go\n", 3) == 3;
            ::close(gate);
            return sent;
        });
    };
    completeInstallation();
    analyse();

    exportTo("Button11", package);
    exportTo("Button10", package);
    ASSERT_TRUE(waitForBoxes(3));
    EXPECT_EQ(dialogs.messages,
              (std::vector<std::string>{kSplineNotice, kObjectNotice, kObjectsDone}));
    // No bench.sco: "Sceneryobjects\" is left out, its subfolders are copied.
    EXPECT_EQ(tree(package / "Sceneryobjects"),
              copyOf("Sceneryobjects", {{"Fences", "Fences"},
                                        {"H\xC3\xA4user", "H\xC3\xA4user"},
                                        {"Houses", "Houses"},
                                        {"Signs", "Signs"},
                                        {"Trees", "trees"}}));
    find<QPushButton>("Button7")->click();
    EXPECT_EQ(dialogs.messages.size(), 4U);

    for (const char* name : {"Bridges", "paths", "Rails"}) {
        ASSERT_TRUE(open(name)) << name;
    }
    const Tree rails = tree(game / "Splines" / "Rails");
    EXPECT_TRUE(QTest::qWaitFor([&] { return tree(package / "Splines" / "Rails") == rails; }));
    EXPECT_EQ(dialogs.messages.size(), 4U) << "the Roads copier has not ended yet";

    ASSERT_TRUE(open("Roads"));
    ASSERT_TRUE(waitForBoxes(5));
    EXPECT_EQ(dialogs.messages.back(), kSplinesDone);
    EXPECT_EQ(tree(package / "Splines"), splinesCopied());
#endif
}

TEST_F(MainWindowTest, FolderListsMakeTheMapPackageThroughItsDialog)
{
    auto* folders = shown(find<QPlainTextEdit>("folderlist"));
    const auto rightClick = [&](const char* item) {
        dialogs.menuAnswers.push_back(QString::fromLatin1(item));
        QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5},
                                folders->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(folders->viewport(), &event);
    };
    rightClick("");
    EXPECT_TRUE(dialogs.menus.back().contains(QStringLiteral("(Make Map Package...)")))
        << "offered before a completed run";

    choose(sample.map);
    const auto zip = folder.path() / "Demo.zip";
    dialogs.saveAnswers = {zip.string()};
    QStringList totals;
    dialogs.onPackage = [&](PackageDialog& dialog) {
        auto* rows = dialog.findChild<QTreeWidget*>(QStringLiteral("PackageFolders"));
        auto* total = dialog.findChild<QLabel*>(QStringLiteral("PackageTotal"));
        dialog.findChild<QPushButton*>(QStringLiteral("UncheckAll"))->click();
        totals << total->text();
        rows->topLevelItem(0)->setCheckState(0, Qt::Checked);  // the map folder alone
        totals << total->text();
        dialog.findChild<QPushButton*>(QStringLiteral("Create"))->click();
        return dialog.result() == QDialog::Accepted;
    };
    rightClick("Make Map Package...");
    EXPECT_EQ(totals, (QStringList{QStringLiteral("Total: 0 files, 0 bytes"),
                                   QStringLiteral("Total: 4 files, 200 bytes")}));
    EXPECT_EQ(dialogs.saveCalls, std::vector<std::string>{"|D\xC3\xA9mo.zip"});
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.back().starts_with("The map package holds 4 files, "))
        << dialogs.messages.back();
    EXPECT_TRUE(std::filesystem::is_regular_file(zip));

    // The next time the folders left out are shown unchecked; the dialog's Cancel asks for no
    // file.
    std::vector<Qt::CheckState> states;
    dialogs.onPackage = [&](PackageDialog& dialog) {
        auto* rows = dialog.findChild<QTreeWidget*>(QStringLiteral("PackageFolders"));
        for (int row = 0; row < rows->topLevelItemCount(); ++row) {
            states.push_back(rows->topLevelItem(row)->checkState(0));
        }
        dialog.findChild<QPushButton*>(QStringLiteral("Cancel"))->click();
        return dialog.result() == QDialog::Accepted;
    };
    rightClick("Make Map Package...");
    EXPECT_EQ(states, (std::vector<Qt::CheckState>{Qt::Checked, Qt::Unchecked, Qt::Unchecked,
                                                   Qt::Unchecked}));
    EXPECT_EQ(dialogs.saveCalls.size(), 1U);

    // A target that cannot be written and a file that cannot be read are shown as errors; a
    // cancel in the progress dialog ends without a message. None leaves a package.
    std::filesystem::remove(zip);
    const std::size_t messages = dialogs.messages.size();
    const auto gone = folder.path() / "gone" / "Demo.zip";
    dialogs.saveAnswers = {gone.string(), zip.string(), zip.string()};
    bool cancel = false;
    dialogs.onPackage = [&](PackageDialog& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("CheckAll"))->click();
        dialog.findChild<QPushButton*>(QStringLiteral("Create"))->click();
        if (cancel) {  // pressed as soon as the writing lets events through
            QTimer::singleShot(0, &window(), [this] {
                window().findChild<QProgressDialog*>(QStringLiteral("PackageProgress"))->cancel();
            });
        }
        return dialog.result() == QDialog::Accepted;
    };
    rightClick("Make Map Package...");
    ASSERT_EQ(dialogs.errors.size(), 1U);
    EXPECT_EQ(dialogs.errors.back(), "Unable to write to " + gone.string() + ". " +
                                         gantrel::test::systemErrorText(ENOENT));
    const auto broken = sample.installation / "Sceneryobjects" / "Houses" / "gone.sco";
    std::filesystem::create_symlink("nowhere.sco", broken);
    rightClick("Make Map Package...");
    ASSERT_EQ(dialogs.errors.size(), 2U);
    EXPECT_EQ(dialogs.errors.back(), "Cannot read file \"" + broken.string() + "\". " +
                                         gantrel::test::systemErrorText(ENOENT));
    std::filesystem::remove(broken);
    cancel = true;
    rightClick("Make Map Package...");
    EXPECT_EQ(dialogs.errors.size(), 2U);
    EXPECT_EQ(dialogs.messages.size(), messages);
    EXPECT_FALSE(std::filesystem::exists(zip));
}

}  // namespace
}  // namespace gantrel::ui::test
