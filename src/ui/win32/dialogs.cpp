// SPDX-License-Identifier: MIT
#include "dialogs.h"

#include <windows.h>

#include "common/error.h"
#include "folder_dialog.h"
#include "map_folder_chooser.h"
#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

// Without an owner the box is centred on the screen; task-modal, it disables the thread's
// windows while it is open.
void showBox(const std::string& text, UINT icon)
{
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
