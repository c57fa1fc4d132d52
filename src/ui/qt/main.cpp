// Program start: the application object, the one window and the message loop. The program
// takes no command-line arguments of its own.

#include <QApplication>
#include <QIcon>

#include "app_info.h"
#include "main_window.h"
#include "qt_dialogs.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Gantrel"));
    // The display name is the application title; window captions that end in it get nothing
    // appended by the platform.
    QApplication::setApplicationDisplayName(QString::fromLatin1(gantrel::ui::kApplicationTitle));
    QApplication::setApplicationVersion(gantrel::ui::applicationVersion());
    QApplication::setDesktopFileName(QString::fromLatin1(gantrel::ui::kDesktopId));
    QIcon icon;
    for (const int size : {16, 32, 48, 256}) {
        icon.addFile(QStringLiteral(":/icons/gantrel-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);

    gantrel::ui::QtDialogs dialogs;
    gantrel::ui::MainWindow window(dialogs);
    window.show();
    return QApplication::exec();
}
