// SPDX-License-Identifier: MIT
#include "qt_dialogs.h"

#include "package_dialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "app_info.h"
#include "common/error.h"
#include "folder_dialog.h"
#include "map_folder_chooser.h"
#include "qt_text.h"
#include "where_used_dialog.h"
#include "window/screen_fit.h"

namespace gantrel::ui {
namespace {

// A box with the text in a read-only scrolling field, no taller or wider than the screen allows.
void showScrollingBox(QMessageBox::Icon icon, const QString& text)
{
    QDialog box;
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(QString::fromLatin1(kApplicationTitle));
    auto* field = new QPlainTextEdit(text, &box);
    field->setObjectName(QStringLiteral("text"));
    field->setReadOnly(true);
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);

    auto* row = new QHBoxLayout;
    if (icon == QMessageBox::Critical) {
        auto* iconLabel = new QLabel(&box);
        const int size = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
        iconLabel->setPixmap(
            box.style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(size, size));
        row->addWidget(iconLabel, 0, Qt::AlignTop);
    }
    row->addWidget(field, 1);
    auto* rows = new QVBoxLayout(&box);
    rows->addLayout(row);
    rows->addWidget(buttons);

    const QFontMetrics metrics(field->font());
    int widest = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    const int frame =
        2 * field->frameWidth() + 2 * static_cast<int>(field->document()->documentMargin());
    const int scrollBar = field->verticalScrollBar()->sizeHint().width();
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    field->setMinimumSize(std::min(widest + frame + scrollBar,
                                   static_cast<int>(screen.width() * window::kReportScreenShare)),
                          std::min(static_cast<int>(lines.size()) * metrics.lineSpacing() + frame,
                                   static_cast<int>(screen.height() * window::kReportScreenShare) -
                                       buttons->sizeHint().height()));
    box.setMaximumSize(screen.size() * window::kReportScreenShare);
    box.exec();
}

// Parentless, so that Qt centres the box on the screen and makes it application-modal.
void showBox(QMessageBox::Icon icon, const std::string& text)
{
    if (window::isLongReport(text)) {
        showScrollingBox(icon, toQString(text));
        return;
    }
    QMessageBox box(icon, QString::fromLatin1(kApplicationTitle), toQString(text), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void QtDialogs::showMessage(const std::string& text)
{
    showBox(QMessageBox::NoIcon, text);
}

void QtDialogs::showError(const std::string& message)
{
    showBox(QMessageBox::Critical, errorBoxText(message));
}

bool QtDialogs::chooseMapFolder(const QString& title, const QString& root, std::string& folder)
{
    return gantrel::ui::chooseMapFolder(title, root, folder);
}

bool QtDialogs::executeFolderDialog(FolderDialog& dialog)
{
    return dialog.execute();
}

std::optional<std::string> QtDialogs::chooseSaveFile(const std::string& fileName)
{
    const QString file =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("Save As"),
                                     QDir::home().filePath(toQString(fileName)),
                                     QStringLiteral("Text files (*.txt);;All files (*)"));
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return toNarrow(QDir::toNativeSeparators(file));
}

std::optional<std::string> QtDialogs::chooseSaveZip(const std::string& folder,
                                                    const std::string& fileName)
{
    const QDir in = folder.empty() ? QDir::home() : QDir(toQString(folder));
    const QString file = QFileDialog::getSaveFileName(
        QApplication::activeWindow(), QStringLiteral("Save Map Package"),
        in.filePath(toQString(fileName)), QStringLiteral("Zip files (*.zip);;All files (*)"));
    if (file.isEmpty()) {
        return std::nullopt;
    }
    return toNarrow(QDir::toNativeSeparators(file));
}

bool QtDialogs::executePackageDialog(PackageDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogs::executeMenu(QMenu& menu, const QPoint& at)
{
    menu.exec(at);
}

void QtDialogs::executeWhereUsed(WhereUsedDialog& dialog)
{
    dialog.exec();
}

bool QtDialogs::openFile(const std::string& file)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(file)));
}

}  // namespace gantrel::ui

namespace gantrel::ui {

bool QtDialogs::confirmRelink(const std::string& preview)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(kApplicationTitle),
                    toQString(preview), QMessageBox::Ok | QMessageBox::Cancel);
    box.setObjectName(QStringLiteral("RelinkPreview"));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void QtDialogs::showRelinkReport(const std::string& report)
{
    showBox(QMessageBox::NoIcon, report);
}

}  // namespace gantrel::ui
