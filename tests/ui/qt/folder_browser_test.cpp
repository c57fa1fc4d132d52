// SPDX-License-Identifier: MIT
#include "folder_browser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QTreeView>

#include <filesystem>

#include "support/test_support.h"

namespace gantrel::ui {
namespace {

class FolderBrowserTest : public ::testing::Test {
protected:
    FolderBrowserTest() { std::filesystem::create_directories(folder.path() / "Maps/Ünter/Demo"); }

    FolderBrowserOptions optionsFor(const std::filesystem::path& start)
    {
        FolderBrowserOptions options;
        options.instruction = QStringLiteral("Select your MAP folder");
        options.rootFolder = QDir::rootPath();
        options.startFolder = QString::fromStdString(start.string());
        return options;
    }
    static QTreeView* tree(FolderBrowser& browser)
    {
        return browser.findChild<QTreeView*>(QStringLiteral("tree"));
    }
    static QPushButton* ok(FolderBrowser& browser)
    {
        return browser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    }

    // The names the tree lists under the folder, sorted.
    static QStringList namesUnder(FolderBrowser& browser, const std::filesystem::path& parent)
    {
        const auto* model = browser.findChild<QFileSystemModel*>();
        const QModelIndex index = model->index(QString::fromStdString(parent.string()));
        QStringList names;
        for (int row = 0; row < model->rowCount(index); ++row) {
            names << model->fileName(model->index(row, 0, index));
        }
        names.sort();
        return names;
    }
    static void pressCtrlH(FolderBrowser& browser)
    {
        browser.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&browser));
        QTest::keyClick(&browser, Qt::Key_H, Qt::ControlModifier);
    }

    gantrel::test::TempDir folder;
};

TEST_F(FolderBrowserTest, SelectsTheStartFolderOnceItsParentIsListed)
{
    const auto start = folder.path() / "Maps/Ünter";
    FolderBrowser browser(optionsFor(start));
    QSignalSpy selected(&browser, &FolderBrowser::startFolderSelected);
    browser.show();
    ASSERT_TRUE(selected.wait());

    EXPECT_EQ(browser.selectedFolder().toStdString(), start.string());
    EXPECT_TRUE(ok(browser)->isEnabled());
    const QModelIndex current = tree(browser)->currentIndex();
    EXPECT_TRUE(tree(browser)->isExpanded(current));
    EXPECT_TRUE(tree(browser)->isExpanded(current.parent()));
    EXPECT_EQ(browser.findChild<QLabel*>(QStringLiteral("instruction"))->text(),
              QStringLiteral("Select your MAP folder"));
    EXPECT_EQ(browser.windowTitle(), QStringLiteral("Browse for Folder"));
    EXPECT_EQ(browser.minimumSize(), browser.maximumSize());
}

TEST_F(FolderBrowserTest, MissingStartFolderLeavesTheRootSelectedAndOkFollowsTheSelection)
{
    FolderBrowser browser(optionsFor(folder.path() / "Gone"));
    QSignalSpy loaded(browser.findChild<QFileSystemModel*>(), &QFileSystemModel::directoryLoaded);
    QSignalSpy selected(&browser, &FolderBrowser::startFolderSelected);
    browser.show();
    ASSERT_TRUE(loaded.wait());
    EXPECT_EQ(selected.count(), 0);
    EXPECT_EQ(browser.selectedFolder(), QDir::toNativeSeparators(QDir::rootPath()));
    EXPECT_TRUE(ok(browser)->isEnabled());

    tree(browser)->setCurrentIndex({});
    EXPECT_TRUE(browser.selectedFolder().isEmpty());
    EXPECT_FALSE(ok(browser)->isEnabled());
}

TEST_F(FolderBrowserTest, AnyOtherRootFolderShowsItsSubfoldersAtTheTop)
{
    FolderBrowserOptions options = optionsFor(folder.path() / "Maps/Ünter/Demo");
    options.rootFolder = QString::fromStdString((folder.path() / "Maps").string());
    options.resizable = true;
    FolderBrowser browser(options);
    QSignalSpy selected(&browser, &FolderBrowser::startFolderSelected);
    browser.show();
    ASSERT_TRUE(selected.wait());
    const auto* model = browser.findChild<QFileSystemModel*>();
    EXPECT_EQ(model->filePath(tree(browser)->rootIndex()), options.rootFolder);
    EXPECT_NE(browser.minimumSize(), browser.maximumSize());
}

TEST_F(FolderBrowserTest, CtrlHShowsDotFoldersInEveryTreeAndTheWayToTheStartIsAlwaysShown)
{
    const auto start = folder.path() / ".wine/drive_c";
    std::filesystem::create_directories(start);
    std::filesystem::create_directories(folder.path() / ".steam");
    FolderBrowser browser(optionsFor(start));
    QSignalSpy selected(&browser, &FolderBrowser::startFolderSelected);
    browser.show();
    ASSERT_TRUE(selected.wait());
    EXPECT_EQ(browser.selectedFolder().toStdString(), start.string());
    EXPECT_EQ(namesUnder(browser, folder.path()), (QStringList{".wine", "Maps"}));

    pressCtrlH(browser);
    EXPECT_TRUE(QTest::qWaitFor([&] { return namesUnder(browser, folder.path()).size() == 3; }));
    EXPECT_EQ(browser.selectedFolder().toStdString(), start.string());

    // A tree opened later in the run shows them too, until Ctrl+H hides them again.
    FolderBrowser later(optionsFor(folder.path() / "Maps"));
    QSignalSpy laterSelected(&later, &FolderBrowser::startFolderSelected);
    later.show();
    ASSERT_TRUE(laterSelected.wait());
    EXPECT_EQ(namesUnder(later, folder.path()), (QStringList{".steam", ".wine", "Maps"}));
    pressCtrlH(later);
    EXPECT_TRUE(QTest::qWaitFor([&] { return namesUnder(later, folder.path()).size() == 1; }));
}

TEST_F(FolderBrowserTest, ALongNameScrollsSidewaysAndShowsWholeInATooltip)
{
    const auto start = folder.path() / std::string(120, 'n');
    std::filesystem::create_directories(start);
    FolderBrowser browser(optionsFor(start));
    QSignalSpy selected(&browser, &FolderBrowser::startFolderSelected);
    browser.show();
    ASSERT_TRUE(selected.wait());
    QTreeView& view = *tree(browser);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.horizontalScrollBar()->maximum() > 0; }));

    const QRect place = view.visualRect(view.currentIndex());
    QHelpEvent help(QEvent::ToolTip, place.topLeft() + QPoint(4, 4),
                    view.viewport()->mapToGlobal(place.topLeft()));
    QApplication::sendEvent(view.viewport(), &help);
    EXPECT_EQ(QToolTip::text(), QString::fromStdString(std::string(120, 'n')));
    QToolTip::hideText();
}

}  // namespace
}  // namespace gantrel::ui
