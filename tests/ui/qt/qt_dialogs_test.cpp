// SPDX-License-Identifier: MIT
#include "qt_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "folder_browser.h"
#include "folder_dialog.h"
#include "qt_text.h"
#include "support/test_support.h"

namespace gantrel::ui {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;
    bool centred = false;
};

// Once the next box runs its modal loop: records it into `seen` and closes it with OK.
void closeNextBox(SeenBox& seen)
{
    QTimer::singleShot(0, qApp, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        const QPoint offset = box->geometry().center() - box->screen()->geometry().center();
        seen = {box->windowTitle(), box->text(), box->icon(), box->buttons().size(),
                offset.manhattanLength() <= 2};
        box->button(QMessageBox::Ok)->click();
    });
}

TEST(QtDialogsTest, MessageBoxShowsThePlainTextWithoutIcon)
{
    QtDialogs dialogs;
    SeenBox seen;
    closeNextBox(seen);
    dialogs.showMessage("End of <b>analysis</b>");
    EXPECT_EQ(seen.title, QStringLiteral("Gantrel 3.1"));
    EXPECT_EQ(seen.text, QStringLiteral("End of <b>analysis</b>"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.centred);
}

TEST(QtDialogsTest, ErrorBoxShowsTheStopIconAndTheFullStopRule)
{
    QtDialogs dialogs;
    SeenBox seen;
    closeNextBox(seen);
    dialogs.showError("Unable to write to /ro/gantrel.ini");
    EXPECT_EQ(seen.title, QStringLiteral("Gantrel 3.1"));
    EXPECT_EQ(seen.text, QStringLiteral("Unable to write to /ro/gantrel.ini."));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, 1);

    closeNextBox(seen);
    dialogs.showError("Cannot open file \"x.map\". Is a directory\n");
    EXPECT_EQ(seen.text, QStringLiteral("Cannot open file \"x.map\". Is a directory\n"));

    // A message that ends in a full stop already gets no second one; "/" sorts right after it.
    const std::pair<const char*, const char*> stops[] = {
        {"Cannot open file \"x.map\". The file is 2 GiB or larger.",
         "Cannot open file \"x.map\". The file is 2 GiB or larger."},
        {"Unable to write to /", "Unable to write to /."},
    };
    for (const auto& [message, shown] : stops) {
        closeNextBox(seen);
        dialogs.showError(message);
        EXPECT_EQ(seen.text, QString::fromUtf8(shown));
    }
}

TEST(QtDialogsTest, ALongReportScrollsInABoxThatFitsTheScreen)
{
    QString report = QStringLiteral("These folders could not be copied:");
    for (int line = 1; line <= 80; ++line) {
        report += QStringLiteral("\nSceneryobjects\\Folder %1").arg(line);
    }
    QString shown;
    QSize size;
    QTimer::singleShot(0, qApp, [&] {
        auto* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        shown = box->findChild<QPlainTextEdit*>()->toPlainText();
        size = box->frameGeometry().size();
        box->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QtDialogs().showMessage(report.toStdString());
    EXPECT_EQ(shown, report);
    const QSize screen = QApplication::primaryScreen()->availableSize();
    EXPECT_LE(size.height(), screen.height());
    EXPECT_LE(size.width(), screen.width());
}

TEST(QtDialogsTest, FolderDialogRunsModallyAndReportsTheConfirmedFolder)
{
    const gantrel::test::TempDir destination;
    const QString wanted = toQString(destination.str());
    QtDialogs dialogs;
    FolderDialog dialog(nullptr, window::languageKeysFor(0x0409));
    bool confirm = true;
    dialog.setOnInitialized([&] {
        FolderBrowser& window = *dialog.window();
        if (!confirm) {
            window.reject();
            return;
        }
        window.selectFolder(wanted);
        EXPECT_TRUE(QTest::qWaitFor([&] { return window.selectedFolder() == wanted; }));
        window.accept();
    });

    EXPECT_TRUE(dialogs.executeFolderDialog(dialog));
    EXPECT_EQ(dialog.folder(), destination.str());
    confirm = false;
    EXPECT_FALSE(dialogs.executeFolderDialog(dialog));
    EXPECT_EQ(dialog.folder(), destination.str());
}

}  // namespace
}  // namespace gantrel::ui
