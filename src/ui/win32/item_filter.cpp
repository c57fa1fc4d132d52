// SPDX-License-Identifier: MIT
#include "item_filter.h"

#include <shlwapi.h>

#include <vector>

namespace gantrel::ui::win32 {

HRESULT STDMETHODCALLTYPE ItemFilter::QueryInterface(REFIID id, void** object)
{
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IFolderFilter)) {
        *object = static_cast<IFolderFilter*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE ItemFilter::ShouldShow(IShellFolder* folder, PCIDLIST_ABSOLUTE parent,
                                                 PCUITEMID_CHILD item)
{
    if (!include) {
        return S_OK;
    }
    std::vector<char> path(MAX_PATH + 1, '\0');
    if (const PIDLIST_ABSOLUTE whole = ILCombine(parent, item)) {
        if (SHGetPathFromIDListA(whole, path.data()) == FALSE) {
            path[0] = '\0';
        }
        ILFree(whole);
    }
    std::vector<char> name(MAX_PATH * 4, '\0');
    STRRET display{};
    if (folder == nullptr || FAILED(folder->GetDisplayNameOf(item, SHGDN_NORMAL, &display)) ||
        FAILED(StrRetToBufA(&display, item, name.data(), static_cast<UINT>(name.size())))) {
        name[0] = '\0';
    }
    return include(path.data(), name.data()) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ItemFilter::GetEnumFlags(IShellFolder* /*folder*/,
                                                   PCIDLIST_ABSOLUTE /*parent*/, HWND* /*window*/,
                                                   DWORD* flags)
{
    *flags |= SHCONTF_INIT_ON_FIRST_NEXT;
    return S_OK;
}

void ItemFilter::registerWith(IUnknown* browser)
{
    IFolderFilterSite* site = nullptr;
    if (browser != nullptr && SUCCEEDED(browser->QueryInterface(IID_IFolderFilterSite,
                                                                reinterpret_cast<void**>(&site)))) {
        site->SetFilter(static_cast<IFolderFilter*>(this));
        site->Release();
    }
}

}  // namespace gantrel::ui::win32
