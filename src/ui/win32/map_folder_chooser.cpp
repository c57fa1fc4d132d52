// SPDX-License-Identifier: MIT
#include "map_folder_chooser.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <optional>

#include "browser_tree.h"
#include "modal_loop.h"
#include "platform/platform.h"

namespace gantrel::ui::win32 {
namespace {

constexpr UINT kBufferSize = 260;

// Once the browser has opened: over its owner, the start folder (given as text, if any)
// selected, in view and highlighted in the tree that has the focus.
int CALLBACK initialise(HWND browser, UINT message, LPARAM /*lParam*/, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        placeOverOwner(browser, GetWindow(browser, GW_OWNER));
        if (data != 0) {
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
        }
        showSelectionOnceShown(browser);
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

// The path of a folder too long for the 260-byte buffer, in the program's 8-bit text; nothing
// when the item has no path or its name holds a character that the code page cannot hold.
std::optional<std::string> longFolderPath(PCIDLIST_ABSOLUTE item)
{
    std::wstring path(32768, L'\0');
    if (SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT) ==
        FALSE) {
        return std::nullopt;
    }
    path.resize(std::wcslen(path.c_str()));
    const std::string narrow = platform::utf16ToNarrow(
        std::u16string_view(reinterpret_cast<const char16_t*>(path.data()), path.size()));
    // A substitute in the 8-bit text would name another folder, or none.
    const std::u16string back = platform::codePageToUtf16(narrow);
    if (back.size() != path.size() ||
        !std::equal(back.begin(), back.end(), path.begin(),
                    [](char16_t a, wchar_t b) { return a == static_cast<char16_t>(b); })) {
        return std::nullopt;
    }
    return narrow;
}

}  // namespace

bool chooseMapFolder(const std::string& title, const std::wstring& root, std::string& folder,
                     HWND owner)
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
    request.hwndOwner = owner;
    request.pidlRoot = rootItem;
    request.pszDisplayName = buffer;
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    request.lpfn = &initialise;
    if (!folder.empty()) {
        request.lParam = reinterpret_cast<LPARAM>(folder.c_str());
    }

    PIDLIST_ABSOLUTE chosen = nullptr;
    {
        const DisabledWindows disabled(owner);
        const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
        chosen = SHBrowseForFolderA(&request);
        SetErrorMode(oldMode);
    }
    if (rootItem != nullptr) {
        shellMalloc.pointer->Free(rootItem);
    }
    bool result = false;
    if (chosen != nullptr) {
        // The buffer holds the item's display name from the browser: only a path the call
        // gives is the chosen folder.
        if (SHGetPathFromIDListA(chosen, buffer) != FALSE) {
            folder = buffer;
            result = true;
        } else if (const std::optional<std::string> path = longFolderPath(chosen)) {
            folder = *path;
            result = true;
        }
        shellMalloc.pointer->Free(chosen);
    }
    shellMalloc.pointer->Free(buffer);
    return result;
}

}  // namespace gantrel::ui::win32
