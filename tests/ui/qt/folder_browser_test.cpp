// SPDX-License-Identifier: MIT
#include "folder_browser.h"

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
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

}  // namespace
}  // namespace gantrel::ui
