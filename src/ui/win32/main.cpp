// SPDX-License-Identifier: MIT
// Program start: the command line, the common controls, the one window and the message loop.

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "dialogs.h"
#include "main_window.h"
#include "window/command_line.h"

namespace {

// OleInitialize at the start of the window's thread, OleUninitialize at its end when it
// succeeded.
class OleSession {
public:
    OleSession() : m_initialised(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession()
    {
        if (m_initialised) {
            OleUninitialize();
        }
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

private:
    bool m_initialised;
};

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int show)
{
    // Written to the standard output and error a terminal or a script gave the program, if any.
    const gantrel::window::WindowStart start = gantrel::window::readCommandLine(
        std::vector<std::string_view>(__argv + 1, __argv + __argc), std::cout, std::cerr);
    if (start.exitStatus) {
        return *start.exitStatus;
    }

    // OLE for the window's thread, once for the program's life: the destination dialog's modern
    // browser drags and drops, and its context menus use the clipboard, both through OLE.
    const OleSession ole;

    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    gantrel::ui::win32::NativeDialogs dialogs;
    gantrel::ui::win32::MainWindow window(dialogs);
    dialogs.setOwner(window.hwnd());
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
