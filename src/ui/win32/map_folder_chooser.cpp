// SPDX-License-Identifier: MIT
#include "map_folder_chooser.h"

#include <windows.h>

#include <shlobj.h>

#include "modal_loop.h"
#include "platform/platform.h"

namespace gantrel::ui::win32 {
namespace {

constexpr UINT kBufferSize = 260;

// Selects the start folder, given as text, once the browser has opened.
int CALLBACK preselect(HWND browser, UINT message, LPARAM /*lParam*/, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}

// A COM interface pointer released when it goes.
template <typename Interface>
struct Released {
    Interface* pointer = nullptr;
    ~Released()
    {
        if (pointer != nullptr) {
            pointer->Release();
        }
    }
};

}  // namespace

bool chooseMapFolder(const std::string& title, const std::wstring& root, std::string& folder)
{
    if (!platform::directoryExists(folder)) {
        folder.clear();
    }
    Released<IMalloc> shellMalloc;
    if (FAILED(SHGetMalloc(&shellMalloc.pointer))) {
        return false;
    }
    auto* buffer = static_cast<char*>(shellMalloc.pointer->Alloc(kBufferSize));
    if (buffer == nullptr) {
        return false;
    }
    buffer[0] = '\0';

    PIDLIST_ABSOLUTE rootItem = nullptr;
    if (!root.empty()) {
        Released<IShellFolder> desktop;
        if (SUCCEEDED(SHGetDesktopFolder(&desktop.pointer))) {
            std::wstring name = root;
            // The outcome is not looked at: a root that does not parse leaves the whole namespace.
            desktop.pointer->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &rootItem,
                                              nullptr);
        }
    }

    BROWSEINFOA request{};
    request.hwndOwner = nullptr;
    request.pidlRoot = rootItem;
    request.pszDisplayName = buffer;
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!folder.empty()) {
        request.lpfn = &preselect;
        request.lParam = reinterpret_cast<LPARAM>(folder.c_str());
    }

    PIDLIST_ABSOLUTE chosen = nullptr;
    {
        const DisabledWindows disabled;
        const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
        chosen = SHBrowseForFolderA(&request);
        SetErrorMode(oldMode);
    }
    if (rootItem != nullptr) {
        shellMalloc.pointer->Free(rootItem);
    }
    const bool result = chosen != nullptr;
    if (result) {
        SHGetPathFromIDListA(chosen, buffer);
        shellMalloc.pointer->Free(chosen);
        folder = buffer;
    }
    shellMalloc.pointer->Free(buffer);
    return result;
}

}  // namespace gantrel::ui::win32
