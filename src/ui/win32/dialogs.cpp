// SPDX-License-Identifier: MIT
#include "dialogs.h"

#include <windows.h>

#include "common/error.h"
#include "folder_dialog.h"
#include "map_folder_chooser.h"
#include "report_box.h"
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

}  // namespace gantrel::ui::win32
