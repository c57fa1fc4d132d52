// SPDX-License-Identifier: MIT
#include "map_folder_chooser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <functional>

#include "folder_browser.h"
#include "support/test_support.h"

namespace gantrel::ui {
namespace {

// Acts on the chooser's dialog once it runs its modal loop, after its start selection.
void whenOpen(std::function<void(FolderBrowser&)> act)
{
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        auto* browser = qobject_cast<FolderBrowser*>(QApplication::activeModalWidget());
        ASSERT_NE(browser, nullptr);
        QSignalSpy selected(browser, &FolderBrowser::startFolderSelected);
        if (!browser->options().startFolder.isEmpty() && browser->selectedFolder().isEmpty()) {
            EXPECT_TRUE(selected.wait());
        }
        act(*browser);
    });
}

class MapFolderChooserTest : public ::testing::Test {
protected:
    MapFolderChooserTest() { std::filesystem::create_directories(demo); }

    gantrel::test::TempDir folder;
    std::filesystem::path demo = folder.path() / "maps" / "D\xC3\xA9mo";
};

TEST_F(MapFolderChooserTest, ReturnsTheChosenFolderWithoutTrailingSeparator)
{
    std::string chosen = demo.string() + "/";
    whenOpen([](FolderBrowser& browser) { browser.accept(); });
    ASSERT_TRUE(
        chooseMapFolder(QStringLiteral("Select your MAP folder"), QStringLiteral("\\"), chosen));
    EXPECT_EQ(chosen, demo.string());
}

TEST_F(MapFolderChooserTest, ReturnsTheRootWithItsSeparator)
{
    std::string chosen;
    whenOpen([](FolderBrowser& browser) {
        auto* tree = browser.findChild<QTreeView*>(QStringLiteral("tree"));
        tree->setCurrentIndex(browser.findChild<QFileSystemModel*>()->index(QDir::rootPath()));
        browser.accept();
    });
    ASSERT_TRUE(chooseMapFolder(QStringLiteral("t"), QStringLiteral("\\"), chosen));
    EXPECT_EQ(chosen, QDir::toNativeSeparators(QDir::rootPath()).toStdString());
}

TEST_F(MapFolderChooserTest, CancelKeepsAnExistingStartAndDropsAMissingOne)
{
    std::string existing = demo.string();
    whenOpen([](FolderBrowser& browser) { browser.reject(); });
    EXPECT_FALSE(chooseMapFolder(QStringLiteral("t"), QStringLiteral("\\"), existing));
    EXPECT_EQ(existing, demo.string());

    std::string missing = (folder.path() / "gone").string();
    whenOpen([](FolderBrowser& browser) {
        EXPECT_TRUE(browser.options().startFolder.isEmpty());
        browser.reject();
    });
    EXPECT_FALSE(chooseMapFolder(QStringLiteral("t"), QStringLiteral("\\"), missing));
    EXPECT_EQ(missing, "");
}

TEST_F(MapFolderChooserTest, RootTextNamesTheFileSystemRoot)
{
    EXPECT_EQ(rootFolderFromText(QStringLiteral("\\")), QDir::rootPath());
    EXPECT_EQ(rootFolderFromText(QString()), QString());
    EXPECT_EQ(rootFolderFromText(QString::fromStdString(demo.string())),
              QString::fromStdString(demo.string()));
    EXPECT_EQ(rootFolderFromText(QStringLiteral("/no/such/folder")), QString());
}

}  // namespace
}  // namespace gantrel::ui
