// SPDX-License-Identifier: MIT
#include "dialogs.h"

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include "common/error.h"
#include "folder_dialog.h"
#include "map_folder_chooser.h"
#include "platform/win32/wide_text.h"
#include "report_box.h"
#include "where_used_dialog.h"
#include "window/screen_fit.h"
#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

// Without an owner the box is centred on the screen; task-modal, it disables the thread's
// windows while it is open. A long report cannot scroll there: it goes into a box that does.
void showBox(const std::string& text, UINT icon)
{
    if (window::isLongReport(text)) {
        showReportBox(text, icon == MB_ICONSTOP);
        return;
    }
    MessageBoxA(nullptr, text.c_str(), window::kApplicationTitle, MB_OK | MB_TASKMODAL | icon);
}

}  // namespace

void showMessageBox(const std::string& text)
{
    showBox(text, 0);
}

void NativeDialogs::showMessage(const std::string& text)
{
    showMessageBox(text);
}

void NativeDialogs::showError(const std::string& message)
{
    showBox(errorBoxText(message), MB_ICONSTOP);
}

bool NativeDialogs::chooseMapFolder(const std::string& title, const std::string& root,
                                    std::string& folder)
{
    return win32::chooseMapFolder(title, std::wstring(root.begin(), root.end()), folder);
}

bool NativeDialogs::executeFolderDialog(FolderDialog& dialog)
{
    return dialog.execute();
}

std::optional<std::string> NativeDialogs::chooseSaveFile(const std::string& fileName)
{
    using namespace platform::win32;
    // Room for a long path; the proposed name fills its start.
    std::wstring file = toWide(fileName);
    file.resize(32768);
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = GetActiveWindow();
    request.lpstrFilter = L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0";
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrDefExt = L"txt";
    request.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetSaveFileNameW(&request) == FALSE) {
        return std::nullopt;
    }
    file.resize(file.find(L'\0'));
    if (const std::optional<char32_t> unheld = unheldCharacter(file)) {
        throw unheldNameError(toNarrow(file), *unheld);
    }
    return toNarrow(file);
}

void NativeDialogs::executeWhereUsed(WhereUsedDialog& dialog)
{
    dialog.run();
}

void NativeDialogs::openFile(const std::string& path)
{
    ShellExecuteW(nullptr, L"open", platform::win32::toWide(path).c_str(), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

UINT NativeDialogs::executeMenu(HMENU menu, HWND owner, POINT at)
{
    return static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                            at.x, at.y, 0, owner, nullptr));
}

}  // namespace gantrel::ui::win32
