// SPDX-License-Identifier: MIT
// Program start: the application object, the one window and the message loop. The command
// line takes --help, --version and a map folder to analyse at once.

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <iostream>
#include <string_view>
#include <vector>

#include "app_info.h"
#include "main_window.h"
#include "qt_dialogs.h"
#include "window/command_line.h"

int main(int argc, char* argv[])
{
    // Answered before the application object exists, which needs a display.
    if (const auto status = gantrel::window::answerInformationOptions(
            std::vector<std::string_view>(argv + 1, argv + argc), std::cout)) {
        return *status;
    }

    // The application object takes the toolkit's own options out of the arguments first.
    QApplication application(argc, argv);
    const gantrel::window::WindowStart start = gantrel::window::readCommandLine(
        std::vector<std::string_view>(argv + 1, argv + argc), std::cout, std::cerr);
    if (start.exitStatus) {
        return *start.exitStatus;
    }
    QApplication::setApplicationName(QStringLiteral("Gantrel"));
    // The display name is the application title; window captions that end in it get nothing
    // appended by the platform.
    QApplication::setApplicationDisplayName(QString::fromLatin1(gantrel::kApplicationTitle));
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
    if (start.mapFolder) {
        // Once the window shows, as if the chooser had just returned the folder.
        QTimer::singleShot(0, &window,
                           [&window, &start] { window.analyseMapFolder(*start.mapFolder); });
    }
    return QApplication::exec();
}
