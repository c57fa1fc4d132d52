// SPDX-License-Identifier: MIT
// Shows the native window for a screenshot: the real window, driven through dialogs that
// answer the map folder chooser with the given folder, after its analysis. Once the window is
// drawn the program writes its place on the screen as WIDTHxHEIGHT+X+Y to the standard output
// and keeps it there, repainting, until a line (or the end) arrives on the standard input;
// scripts/screenshot-windows grabs the screen meanwhile.
//
//   gantrel-screenshot MAP_FOLDER [TAB]

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "control_ids.h"
#include "dialogs.h"
#include "main_window.h"
#include "support/test_support.h"

namespace {

// Boxes that collect what they would show, and a chooser that answers with one folder.
class AnsweringDialogs final : public gantrel::ui::win32::Dialogs {
public:
    explicit AnsweringDialogs(std::string map) : m_map(std::move(map)) {}

    void showMessage(const std::string& /*text*/) override {}
    void showError(const std::string& message) override { errors.push_back(message); }
    bool chooseMapFolder(const std::string& /*title*/, const std::string& /*root*/,
                         std::string& folder) override
    {
        folder = m_map;
        return true;
    }
    bool executeFolderDialog(gantrel::ui::win32::FolderDialog& /*dialog*/) override
    {
        return false;
    }
    std::optional<std::string> chooseSaveFile(const std::string& /*fileName*/) override
    {
        return std::nullopt;
    }
    std::optional<std::string> chooseSaveZip(const std::string& /*folder*/,
                                             const std::string& /*fileName*/) override
    {
        return std::nullopt;
    }
    bool executePackageDialog(gantrel::ui::win32::PackageDialog& /*dialog*/) override
    {
        return false;
    }
    bool confirmRelink(const std::string& /*preview*/) override { return false; }
    void showRelinkReport(const std::string& /*report*/) override {}
    void executeWhereUsed(gantrel::ui::win32::WhereUsedDialog& /*dialog*/) override {}
    void openFile(const std::string& /*path*/) override {}
    UINT executeMenu(HMENU /*menu*/, HWND /*owner*/, POINT /*at*/) override { return 0; }

    std::vector<std::string> errors;

private:
    std::string m_map;
};

void pumpMessages()
{
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

int main(int argc, char* argv[])
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: gantrel-screenshot MAP_FOLDER [TAB]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    const gantrel::test::TempDir settings;
    AnsweringDialogs dialogs(argv[1]);
    gantrel::ui::win32::MainWindow window(dialogs,
                                          {gantrel::test::textOf(settings.path() / "gantrel.ini")});
    window.show(SW_SHOWNORMAL);
    // What a click on "..." sends the window.
    const int button = gantrel::ui::win32::ids::Button2;
    SendMessageA(window.hwnd(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window.hwnd(), button)));
    if (!dialogs.errors.empty()) {
        std::fprintf(stderr, "the analysis failed: %s\n", dialogs.errors.front().c_str());
        return 1;
    }
    if (argc == 3) {
        // What a click on a tab sends the window.
        const HWND tabs = GetDlgItem(window.hwnd(), gantrel::ui::win32::ids::PageControl);
        SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(std::atoi(argv[2])), 0);
        NMHDR header{tabs, static_cast<UINT_PTR>(gantrel::ui::win32::ids::PageControl),
                     static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(window.hwnd(), WM_NOTIFY, gantrel::ui::win32::ids::PageControl,
                     reinterpret_cast<LPARAM>(&header));
    }
    SetForegroundWindow(window.hwnd());
    RedrawWindow(window.hwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pumpMessages();

    RECT place{};
    GetWindowRect(window.hwnd(), &place);
    std::cout << place.right - place.left << 'x' << place.bottom - place.top << '+' << place.left
              << '+' << place.top << std::endl;

    // The window keeps answering its messages while the screen is grabbed.
    std::atomic<bool> done = false;
    std::thread waiter([&done] {
        std::string line;
        std::getline(std::cin, line);
        done = true;
    });
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        pumpMessages();
    }
    waiter.join();
    return 0;
}
