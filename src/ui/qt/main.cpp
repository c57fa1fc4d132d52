// SPDX-License-Identifier: MIT
// Program start: the application object, the one window and the message loop. The program
// takes no command-line arguments of its own beyond --help and --version.

#include <QApplication>
#include <QIcon>
#include <iostream>
#include <string_view>

#include "app_info.h"
#include "main_window.h"
#include "qt_dialogs.h"

namespace {

constexpr const char* kUsage =
    "Usage: gantrel [--help] [--version]\n"
    "Opens the window that checks a TELV map folder: it lists the scenery objects and splines\n"
    "the map uses, their folders, and the ones missing from the installation, and copies the\n"
    "used folders into a map package folder. The map is chosen in the window.\n"
    "\n"
    "  --help     print this help\n"
    "  --version  print the version\n";

}  // namespace

int main(int argc, char* argv[])
{
    // Answered before the application object exists, which needs a display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (argument == "--version") {
            std::cout << "gantrel " << gantrel::kVersion << '\n';
            return 0;
        }
    }

    QApplication application(argc, argv);
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
    return QApplication::exec();
}
