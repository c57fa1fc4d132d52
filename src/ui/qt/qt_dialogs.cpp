// SPDX-License-Identifier: MIT
#include "qt_dialogs.h"

#include <QMessageBox>

#include "app_info.h"
#include "common/error.h"
#include "folder_dialog.h"
#include "map_folder_chooser.h"
#include "qt_text.h"

namespace gantrel::ui {
namespace {

// Parentless, so that Qt centres the box on the screen and makes it application-modal.
void showBox(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void QtDialogs::showMessage(const std::string& text)
{
    showBox(QMessageBox::NoIcon, toQString(text));
}

void QtDialogs::showError(const std::string& message)
{
    showBox(QMessageBox::Critical, toQString(errorBoxText(message)));
}

bool QtDialogs::chooseMapFolder(const QString& title, const QString& root, std::string& folder)
{
    return gantrel::ui::chooseMapFolder(title, root, folder);
}

bool QtDialogs::executeFolderDialog(FolderDialog& dialog)
{
    return dialog.execute();
}

}  // namespace gantrel::ui
