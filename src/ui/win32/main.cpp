// SPDX-License-Identifier: MIT
// Program start: the command line, the common controls, the one window and the message loop.

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "dialogs.h"
#include "main_window.h"
#include "window/command_line.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int show)
{
    // Written to the standard output and error a terminal or a script gave the program, if any.
    const gantrel::window::WindowStart start = gantrel::window::readCommandLine(
        std::vector<std::string_view>(__argv + 1, __argv + __argc), std::cout, std::cerr);
    if (start.exitStatus) {
        return *start.exitStatus;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    gantrel::ui::win32::NativeDialogs dialogs;
    gantrel::ui::win32::MainWindow window(dialogs);
    window.onClosed = [] { PostQuitMessage(0); };
    window.show(show);
    if (start.mapFolder) {
        window.analyseWhenShown(*start.mapFolder);
    }

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!window.translate(message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
