#include "main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <utility>

#include "sample_map.h"
#include "scripted_dialogs.h"
#include "support/test_support.h"

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
                dialogs, MainWindowSetup{(folder.path() / "gantrel.ini").string(), clock});
        }
        return *m_window;
    }
    template <typename T = QWidget>
    T* find(const char* name)
    {
        return window().findChild<T*>(QString::fromLatin1(name));
    }
    QString text(const char* memo) { return find<QPlainTextEdit>(memo)->toPlainText(); }
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
        QStringList shown{find<QLineEdit>("caminho")->text(),
                          QString::number(find<QTabWidget>("PageControl")->currentIndex()),
                          QString::number(exportShown())};
        for (const auto* memo : window().findChildren<QPlainTextEdit*>()) {
            shown << memo->toPlainText();
        }
        return shown;
    }

    gantrel::test::TempDir folder;
    SampleMap sample;
    ScriptedDialogs dialogs;
    std::chrono::steady_clock::time_point now{};
    DelayedProgress::Clock clock = [this] { return now; };

private:
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, StartsWithTheDesignedLayout)
{
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Gantrel 3.1"));
    EXPECT_EQ(window().size(), QSize(570, 411));
    EXPECT_EQ(window().minimumSize(), window().maximumSize());
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
    EXPECT_TRUE(log.endsWith(QStringLiteral("Missing Objects: 1\nMissing Splines: 1\n")));
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
    EXPECT_NE(dialogs.messages[0].find("ICU"), std::string::npos);
}

TEST_F(MainWindowTest, CopyPutsTheWholeMemoOnTheClipboardWithCrLf)
{
    choose(sample.map);
    QClipboard* clipboard = QGuiApplication::clipboard();

    find<QPushButton>("Button3")->click();
    EXPECT_EQ(clipboard->text(), QStringLiteral("Sceneryobjects\\Houses\\\r\n"
                                                "Sceneryobjects\\Trees\\\r\n"));
    const auto* memo = find<QPlainTextEdit>("folderlist");
    EXPECT_EQ(memo->textCursor().selectedText().size(), memo->toPlainText().size());

    choose(sample.addMap("Clean", 1));  // no missing splines
    clipboard->setText(QStringLiteral("before"));
    find<QPushButton>("Button9")->click();
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));
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

}  // namespace
}  // namespace gantrel::ui::test
