// SPDX-License-Identifier: MIT
// Program start: the common controls, the one window and the message loop. The program takes
// no command-line arguments of its own beyond --help and --version.

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
    // Written to the standard output a terminal or a script gave the program, if any.
    if (const auto status = gantrel::window::answerInformationOptions(
            std::vector<std::string_view>(__argv + 1, __argv + __argc), std::cout)) {
        return *status;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    gantrel::ui::win32::NativeDialogs dialogs;
    gantrel::ui::win32::MainWindow window(dialogs);
    window.onClosed = [] { PostQuitMessage(0); };
    window.show(show);

    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between the controls as in a dialog.
        if (IsDialogMessageA(window.hwnd(), &message) == FALSE) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
