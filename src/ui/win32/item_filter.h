// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <functional>
#include <string>

namespace gantrel::ui::win32 {

/// The item filter a folder browser asks about every item it would show, on systems whose
/// browser takes one. It lives inside its owner, which outlives every browser it is given to:
/// its reference count only serves the browser's bookkeeping.
class ItemFilter final : public IFolderFilter {
public:
    /// Asked with an item's file-system path (empty when it has none) and display name; false
    /// hides the item. Unset, every item is shown.
    std::function<bool(const std::string& path, const std::string& name)> include;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ShouldShow(IShellFolder* folder, PCIDLIST_ABSOLUTE parent,
                                         PCUITEMID_CHILD item) override;
    /// Adds enumeration from the first item on (SHCONTF_INIT_ON_FIRST_NEXT) to every enumeration.
    HRESULT STDMETHODCALLTYPE GetEnumFlags(IShellFolder* folder, PCIDLIST_ABSOLUTE parent,
                                           HWND* window, DWORD* flags) override;

    /// Sets this filter on the browser whose object `browser` is (the lParam of BFFM_IUNKNOWN).
    void registerWith(IUnknown* browser);
};

}  // namespace gantrel::ui::win32
