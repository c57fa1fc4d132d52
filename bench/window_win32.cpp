// SPDX-License-Identifier: MIT
// The Windows window's benchmark: the real window analyses a map of 100,000 distinct
// references; how long after the scan's end its lists are shown, and how long a page scroll of
// the longest list takes. Run under Wine by bench/window.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "control_ids.h"
#include "dialogs.h"
#include "main_window.h"
#include "window_bench.h"

namespace {

using namespace gantrel;
using Clock = std::chrono::steady_clock;

// Answers the chooser with the map and takes the time of the scan's end message.
class BenchDialogs final : public ui::win32::Dialogs {
public:
    explicit BenchDialogs(std::string map) : m_map(std::move(map)) {}
    void showMessage(const std::string& /*text*/) override { scanEnd = Clock::now(); }
    void showError(const std::string& message) override
    {
        std::fprintf(stderr, "window_win32: %s\n", message.c_str());
    }
    bool chooseMapFolder(const std::string&, const std::string&, std::string& folder) override
    {
        folder = m_map;
        return true;
    }
    bool executeFolderDialog(ui::win32::FolderDialog&) override { return false; }
    std::optional<std::string> chooseSaveFile(const std::string&) override { return {}; }
    std::optional<std::string> chooseSaveZip(const std::string&, const std::string&) override
    {
        return {};
    }
    bool executePackageDialog(ui::win32::PackageDialog&) override { return false; }
    void executeWhereUsed(ui::win32::WhereUsedDialog&) override {}
    void openFile(const std::string&) override {}
    UINT executeMenu(HMENU, HWND, POINT) override { return 0; }
    bool confirmRelink(const std::string&) override { return false; }
    void showRelinkReport(const std::string&) override {}

    std::optional<Clock::time_point> scanEnd;

private:
    std::string m_map;
};

}  // namespace

int main()
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "gantrel-window-bench";
    std::filesystem::remove_all(folder);
    BenchDialogs dialogs(bench::writeWindowBenchMap(folder).string());
    ui::win32::MainWindow window(dialogs, {(folder / "gantrel.ini").string()});
    window.show(SW_SHOWNORMAL);

    const HWND choose = GetDlgItem(window.hwnd(), ui::win32::ids::Button2);
    SendMessageA(window.hwnd(), WM_COMMAND, MAKEWPARAM(ui::win32::ids::Button2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(choose));
    UpdateWindow(window.hwnd());
    const Clock::time_point shown = Clock::now();
    if (!dialogs.scanEnd || window.state().objects.size() < 80'000) {
        std::fprintf(stderr, "window_win32: the analysis did not complete\n");
        return 2;
    }
    bench::WindowFigures figures;
    figures.shown = shown - *dialogs.scanEnd;

    // The object list, the longest, on its page.
    const Clock::time_point select = Clock::now();
    const HWND tabs = GetDlgItem(window.hwnd(), ui::win32::ids::PageControl);
    SendMessageA(tabs, TCM_SETCURSEL, 3, 0);
    NMHDR header{tabs, static_cast<UINT_PTR>(ui::win32::ids::PageControl),
                 static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageA(window.hwnd(), WM_NOTIFY, ui::win32::ids::PageControl,
                 reinterpret_cast<LPARAM>(&header));
    const HWND memo = GetDlgItem(window.hwnd(), ui::win32::ids::filelist);
    UpdateWindow(window.hwnd());
    figures.pageShown = Clock::now() - select;
    // The rest of the list follows on the window's timer.
    const auto lines = static_cast<LRESULT>(window.state().objects.size()) + 1;
    MSG message{};
    while (SendMessageA(memo, EM_GETLINECOUNT, 0, 0) < lines &&
           GetMessageA(&message, nullptr, 0, 0) > 0) {
        const Clock::time_point step = Clock::now();
        DispatchMessageA(&message);
        figures.longestStep = std::max<bench::Seconds>(figures.longestStep, Clock::now() - step);
    }
    figures.filled = Clock::now() - select;
    for (int page = 0; page < 30; ++page) {
        const Clock::time_point start = Clock::now();
        SendMessageA(memo, EM_SCROLL, SB_PAGEDOWN, 0);
        UpdateWindow(memo);
        figures.scrolls.emplace_back(Clock::now() - start);
    }
    const Clock::time_point start = Clock::now();
    SendMessageA(memo, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    UpdateWindow(memo);
    figures.scrolls.emplace_back(Clock::now() - start);

    const bool met = bench::printWindowFigures("Windows window (Wine)", figures);
    std::filesystem::remove_all(folder);
    return met ? 0 : 1;
}
