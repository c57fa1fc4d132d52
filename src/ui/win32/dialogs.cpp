// SPDX-License-Identifier: MIT
#include "dialogs.h"

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include "common/error.h"
#include "folder_dialog.h"
#include "map_folder_chooser.h"
#include "modal_loop.h"
#include "package_dialog.h"
#include "platform/win32/wide_text.h"
#include "report_box.h"
#include "where_used_dialog.h"
#include "window/screen_fit.h"
#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

// The box's owner: the program's window that is active (a dialog of the main window's, or the
// main window), else the main window. Owned, the box stays in front of it and gives it the
// focus back when it closes; without an owner Windows may activate another program's window
// and the box may open behind it. Task-modal, it disables the thread's other windows too.
HWND ownerOf(HWND mainWindow)
{
    const HWND active = GetActiveWindow();
    return active != nullptr ? active : mainWindow;
}

// A long report cannot scroll in a message box: it goes into a box that does.
void showBox(const std::string& text, UINT icon, HWND mainWindow)
{
    const HWND owner = ownerOf(mainWindow);
    if (window::isLongReport(text)) {
        showReportBox(text, icon == MB_ICONSTOP, owner);
        return;
    }
    // With an owner MB_TASKMODAL disables only the owner, as MB_APPLMODAL does; the others of
    // the thread are disabled here.
    const DisabledWindows others(owner);
    MessageBoxA(owner, text.c_str(), window::kApplicationTitle, MB_OK | MB_TASKMODAL | icon);
}

// The system's save dialog, proposing `fileName` in `folder` (empty: the dialog's own choice):
// the file chosen, or nullopt when cancelled. A name the program's 8-bit text cannot hold
// raises the error the engine raises for such a name.
std::optional<std::string> saveFile(HWND owner, const std::string& folder,
                                    const std::string& fileName, const wchar_t* filter,
                                    const wchar_t* extension)
{
    using namespace platform::win32;
    // Room for a long path; the proposed name fills its start. A path in it is where the dialog
    // opens, before its own memory of the last folder.
    const bool joined = folder.empty() || folder.back() == '\\' || folder.back() == '/';
    std::wstring file = toWide(folder + (joined ? "" : "\\") + fileName);
    file.resize(32768);
    const std::wstring initial = toWide(folder);
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filter;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrInitialDir = folder.empty() ? nullptr : initial.c_str();
    request.lpstrDefExt = extension;
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

}  // namespace

void showMessageBox(const std::string& text)
{
    showBox(text, 0, nullptr);
}

void NativeDialogs::showMessage(const std::string& text)
{
    showBox(text, 0, m_owner);
}

void NativeDialogs::showError(const std::string& message)
{
    showBox(errorBoxText(message), MB_ICONSTOP, m_owner);
}

bool NativeDialogs::chooseMapFolder(const std::string& title, const std::string& root,
                                    std::string& folder)
{
    return win32::chooseMapFolder(title, std::wstring(root.begin(), root.end()), folder, m_owner);
}

bool NativeDialogs::executeFolderDialog(FolderDialog& dialog)
{
    return dialog.execute();
}

std::optional<std::string> NativeDialogs::chooseSaveFile(const std::string& fileName)
{
    return saveFile(ownerOf(m_owner), {}, fileName,
                    L"Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0", L"txt");
}

std::optional<std::string> NativeDialogs::chooseSaveZip(const std::string& folder,
                                                        const std::string& fileName)
{
    return saveFile(ownerOf(m_owner), folder, fileName,
                    L"Zip files (*.zip)\0*.zip\0All files (*.*)\0*.*\0", L"zip");
}

bool NativeDialogs::executePackageDialog(PackageDialog& dialog)
{
    return dialog.run();
}

bool NativeDialogs::confirmRelink(const std::string& preview)
{
    const HWND owner = ownerOf(m_owner);
    if (window::isLongReport(preview)) {
        return confirmReportBox(preview, owner);
    }
    const DisabledWindows others(owner);
    return MessageBoxA(owner, preview.c_str(), window::kApplicationTitle,
                       MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_TASKMODAL) == IDOK;
}

void NativeDialogs::showRelinkReport(const std::string& report)
{
    showBox(report, 0, m_owner);
}

void NativeDialogs::executeWhereUsed(WhereUsedDialog& dialog)
{
    dialog.run();
}

void NativeDialogs::openFile(const std::string& path)
{
    using namespace platform::win32;
    // A result above 32 is success; the others are error codes, of the system's (a missing
    // file, no access) or of the shell's own (no program for the file's type).
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
        ownerOf(m_owner), L"open", toWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) {
        return;
    }
    std::string reason;
    switch (result) {
        case SE_ERR_NOASSOC:
        case SE_ERR_ASSOCINCOMPLETE:
            reason = "No program is set to open files of its type.";
            break;
        case SE_ERR_SHARE:
            reason = "Another program is using it.";
            break;
        default:
            reason = systemText(result == 0 ? ERROR_NOT_ENOUGH_MEMORY : static_cast<DWORD>(result));
            break;
    }
    showBox(errorBoxText("Cannot open \"" + path + "\". " + reason), MB_ICONSTOP, m_owner);
}

UINT NativeDialogs::executeMenu(HMENU menu, HWND owner, POINT at)
{
    return static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                            at.x, at.y, 0, owner, nullptr));
}

}  // namespace gantrel::ui::win32
