// SPDX-License-Identifier: MIT
// The program's own boxes, opened for real and answered from a timer that runs inside their
// modal message loop.

#include "dialogs.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>

namespace gantrel::ui::win32 {
namespace {

std::string className(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// Calls `look` with the first visible top-level window of the thread once one is open, then
// closes it with OK.
class AnswerBox {
public:
    explicit AnswerBox(std::function<void(HWND)> look)
    {
        current() = std::move(look);
        m_timer = SetTimer(nullptr, 0, 50, &AnswerBox::tick);
    }
    ~AnswerBox()
    {
        KillTimer(nullptr, m_timer);
        current() = nullptr;
    }
    AnswerBox(const AnswerBox&) = delete;
    AnswerBox& operator=(const AnswerBox&) = delete;

private:
    static std::function<void(HWND)>& current()
    {
        static std::function<void(HWND)> look;
        return look;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND box = nullptr;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM found) {
                if (IsWindowVisible(window) == FALSE) {
                    return TRUE;
                }
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&box));
        if (box == nullptr || !current()) {
            return;
        }
        current()(box);
        current() = nullptr;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    }

    UINT_PTR m_timer = 0;
};

std::string textOf(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

TEST(NativeDialogsTest, ALongReportScrollsInABoxThatFitsTheScreen)
{
    std::string report;
    for (int line = 1; line <= 200; ++line) {
        report += "Folder " + std::to_string(line) + std::string(300, 'x') + " was not copied\n";
    }
    NativeDialogs dialogs;
    HWND box = nullptr;
    RECT place{};
    std::string shown;
    LONG fieldStyle = 0;
    bool icon = false;
    bool closedByEscape = true;
    bool tabLeftTheText = false;
    {
        const AnswerBox answer([&](HWND found) {
            box = found;
            GetWindowRect(box, &place);
            const HWND field = FindWindowExA(box, nullptr, "Edit", nullptr);
            shown = textOf(field);
            fieldStyle = GetWindowLongA(field, GWL_STYLE);
            icon = FindWindowExA(box, nullptr, "Static", nullptr) != nullptr;
            EXPECT_EQ(textOf(box), "Gantrel 3.1");
            // Escape and Tab in the text, as the box's message loop hands them over: the edit
            // behaves as a dialog's, posting WM_CLOSE and sending WM_NEXTDLGCTL.
            SetFocus(field);
            MSG escape{field, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
            IsDialogMessageA(box, &escape);
            MSG pending{};
            closedByEscape = PeekMessageA(&pending, box, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) != FALSE;
            MSG tab{field, WM_KEYDOWN, VK_TAB, 0, 0, {}};
            IsDialogMessageA(box, &tab);
            tabLeftTheText = GetFocus() == GetDlgItem(box, IDOK);
        });
        dialogs.showError(report);
    }
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(IsWindow(box)) << "OK closed it";
    EXPECT_NE(className(box), "#32770") << "no message box, which cannot scroll";
    EXPECT_TRUE(icon) << "an error's stop icon";
    EXPECT_FALSE(closedByEscape) << "Escape in the text does nothing";
    EXPECT_TRUE(tabLeftTheText);
    EXPECT_NE(fieldStyle & WS_VSCROLL, 0);
    EXPECT_NE(fieldStyle & ES_READONLY, 0);
    // Every line ends in CR LF in the edit; a text ending in a line break gets no full stop.
    std::string expected;
    for (const char c : report) {
        expected += c == '\n' ? "\r\n" : std::string(1, c);
    }
    EXPECT_EQ(shown, expected);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    EXPECT_LE(place.right - place.left, (work.right - work.left) * 8 / 10);
    EXPECT_LE(place.bottom - place.top, (work.bottom - work.top) * 8 / 10);
    EXPECT_TRUE(place.left >= work.left && place.top >= work.top);

    // A short text stays in the system's message box.
    std::string shortBoxClass;
    {
        const AnswerBox answer([&](HWND found) { shortBoxClass = className(found); });
        dialogs.showMessage("Used Spline folders copied successfully.");
    }
    EXPECT_EQ(shortBoxClass, "#32770");
}

}  // namespace
}  // namespace gantrel::ui::win32
