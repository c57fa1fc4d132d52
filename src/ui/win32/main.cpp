// SPDX-License-Identifier: MIT
// Program start: the common controls, the one window and the message loop. The program takes
// no command-line arguments.

#include <windows.h>

#include <commctrl.h>

#include "dialogs.h"
#include "main_window.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int show)
{
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
