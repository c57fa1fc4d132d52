// SPDX-License-Identifier: MIT
#include "folder_dialog.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "browser_tree.h"
#include "dialogs.h"
#include "dpi.h"
#include "input_box.h"
#include "platform/platform.h"

namespace gantrel::ui::win32 {
namespace {

using namespace gantrel::window;

// The browser's own controls.
constexpr int kInstructionId = 0x3742;
constexpr int kStatusId = 0x3743;
constexpr int kTreeId = 0x3741;
constexpr int kNewFolderId = 14150;
// The classic style's own new-folder button.
constexpr int kOwnNewFolderId = 255;
// Posted to itself when the dialog was moved or resized: remember the place, lay out again. The
// number is the system's own for the program, so that it is none of the shell dialog's.
UINT rememberMessage()
{
    static const UINT message = RegisterWindowMessageA("Gantrel.FolderDialog.Remember");
    return message;
}
constexpr UINT_PTR kSubclassId = 1;

// Where the user last moved a destination dialog: one place for the whole process.
std::optional<POINT>& rememberedPosition()
{
    static std::optional<POINT> position;
    return position;
}

std::wstring wide(const std::string& text)
{
    const std::u16string units = platform::codePageToUtf16(text);
    return {units.begin(), units.end()};
}

// The drive part of a path: "C:" or "\\server\share"; empty for neither.
std::string drivePart(const std::string& text)
{
    if (text.size() >= 2 && text[1] == ':') {
        return text.substr(0, 2);
    }
    if (text.starts_with("\\\\")) {
        std::size_t end = text.find('\\', 2);
        end = end == std::string::npos ? end : text.find('\\', end + 1);
        return text.substr(0, end);
    }
    return {};
}

// The item a Folder or RootFolder text selects; null for none. A folder missing below an
// existing drive is made again first, with its parents.
PIDLIST_ABSOLUTE itemForPath(std::string text)
{
    if (text.empty()) {
        return nullptr;
    }
    const std::string drive = drivePart(text);
    if (!drive.empty() && platform::directoryExists(drive + "\\")) {
        const DWORD attributes = GetFileAttributesA(text.c_str());
        const bool isFile =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        if (!isFile) {
            SHCreateDirectoryExA(nullptr, text.c_str(), nullptr);
        }
    }
    if (!text.ends_with('\\')) {
        text += '\\';
    }
    std::wstring name = wide(prettyCase(text, '\\'));
    IShellFolder* desktop = nullptr;
    PIDLIST_ABSOLUTE item = nullptr;
    if (SUCCEEDED(SHGetDesktopFolder(&desktop))) {
        if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &item,
                                             nullptr))) {
            item = nullptr;
        }
        desktop->Release();
    }
    return item;
}

std::string displayName(IShellFolder& parent, PCUITEMID_CHILD child, SHGDNF kind)
{
    STRRET name{};
    std::vector<char> text(MAX_PATH * 4, '\0');
    if (FAILED(parent.GetDisplayNameOf(child, kind, &name)) ||
        FAILED(StrRetToBufA(&name, child, text.data(), static_cast<UINT>(text.size())))) {
        return {};
    }
    return text.data();
}

// The folder a shortcut file points to, or null when the item is no shortcut to a folder.
PIDLIST_ABSOLUTE shortcutTarget(PCIDLIST_ABSOLUTE item)
{
    IShellFolder* parent = nullptr;
    PCUITEMID_CHILD child = nullptr;
    if (FAILED(SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child))) {
        return nullptr;
    }
    SFGAOF attributes = SFGAO_LINK;
    const bool link = SUCCEEDED(parent->GetAttributesOf(1, &child, &attributes)) &&
                      (attributes & SFGAO_LINK) != 0;
    parent->Release();
    std::vector<char> path(MAX_PATH, '\0');
    if (!link || SHGetPathFromIDListA(item, path.data()) == FALSE) {
        return nullptr;
    }
    IShellLinkA* shortcut = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shortcut)))) {
        return nullptr;
    }
    PIDLIST_ABSOLUTE target = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        const std::wstring name = wide(path.data());
        if (FAILED(file->Load(name.c_str(), STGM_READ)) || FAILED(shortcut->GetIDList(&target))) {
            target = nullptr;
        }
        file->Release();
    }
    shortcut->Release();
    std::vector<char> targetPath(MAX_PATH, '\0');
    if (target != nullptr && (SHGetPathFromIDListA(target, targetPath.data()) == FALSE ||
                              !platform::directoryExists(targetPath.data()))) {
        CoTaskMemFree(target);
        target = nullptr;
    }
    return target;
}

int platformMajorVersion()
{
    return LOBYTE(LOWORD(GetVersion()));
}

// A control's place in its dialog's client coordinates.
RECT placeIn(HWND dialog, HWND control)
{
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// The dialog's first push button, in the order of its children.
HWND firstPushButton(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char name[16] = {};
        GetClassNameA(child, name, sizeof(name));
        const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
        if (lstrcmpiA(name, WC_BUTTONA) == 0 &&
            (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
            return child;
        }
    }
    return nullptr;
}

// The own new-folder button's left, width and height at `dpi`.
std::array<int, 3> ownButtonSize(int dpi)
{
    switch (dpi) {
        case 72:
        case 96:
            return {12, 75, 23};
        case 120:
            return {15, 93, 28};
        case 144:
            return {17, 112, 35};
        case 192:
            return {20, 150, 41};
        default:
            return {12 * dpi / 96, 75 * dpi / 96, 23 * dpi / 96};
    }
}

// The system's text for an error code.
std::string systemText(DWORD code)
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message(text != nullptr ? text : "", length);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message;
}

}  // namespace

FolderDialog::FolderDialog(HWND owner) : FolderDialog(owner, shellLanguageKeys()) {}

FolderDialog::FolderDialog(HWND owner, LanguageKeys keys)
    : DestinationDialog(std::move(keys), '\\'),
      namePrompt([](HWND dialog, const std::string& title) { return inputBox(dialog, title, ""); }),
      messageBox(&showMessageBox),
      m_owner(owner),
      m_comInitialised(SUCCEEDED(CoInitialize(nullptr)))
{
    m_filter.include = [this](const std::string& path, const std::string& name) {
        return !onXPIncludeItem || onXPIncludeItem(path, name);
    };
}

FolderDialog::~FolderDialog()
{
    if (m_comInitialised) {
        CoUninitialize();
    }
}

LanguageKeys FolderDialog::shellLanguageKeys()
{
    char library[] = "Shell32.dll";
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(library, &handle);
    std::vector<char> record(size);
    void* translation = nullptr;
    UINT length = 0;
    char query[] = "\\VarFileInfo\\Translation";
    if (size != 0 && GetFileVersionInfoA(library, 0, size, record.data()) != FALSE &&
        VerQueryValueA(record.data(), query, &translation, &length) != FALSE &&
        length >= sizeof(WORD)) {
        return languageKeysFor(*static_cast<const WORD*>(translation));
    }
    return languageKeysFor(GetSystemDefaultLangID());
}

bool FolderDialog::prepareItems()
{
    m_initialItem.reset(itemForPath(folder));
    m_rootItem.reset(itemForPath(rootFolder));
    return m_initialItem != nullptr;
}

std::optional<FolderDialog::ItemText> FolderDialog::runOpening(const Preselection& preselection)
{
    m_preselection = preselection;
    m_dialog = nullptr;
    m_tree = nullptr;
    m_treeItem = nullptr;
    m_hiddenByMinimise = false;
    m_newFolderButton = nullptr;

    std::vector<char> displayBuffer(261, '\0');
    const std::string instruction = labelCaption();
    BROWSEINFOA request{};
    request.hwndOwner = m_owner;
    request.pidlRoot = m_rootItem.get();
    request.pszDisplayName = displayBuffer.data();
    request.lpszTitle = instruction.c_str();
    request.ulFlags = browseFlags(browseFor, flags);
    request.lpfn = &FolderDialog::callback;
    request.lParam = reinterpret_cast<LPARAM>(this);
    const Item chosen(SHBrowseForFolderA(&request));
    if (m_dialog != nullptr && IsWindow(m_dialog)) {
        RemoveWindowSubclass(m_dialog, &FolderDialog::subclass, kSubclassId);
    }
    if (m_hooked != nullptr) {
        RemoveWindowSubclass(m_hooked, &FolderDialog::applicationHook, kSubclassId);
        m_hooked = nullptr;
    }
    m_dialog = nullptr;
    if (chosen == nullptr) {
        return std::nullopt;
    }
    return convertItem(chosen.get());
}

int CALLBACK FolderDialog::callback(HWND dialog, UINT message, LPARAM lParam, LPARAM data)
{
    auto& self = *reinterpret_cast<FolderDialog*>(data);
    self.m_dialog = dialog;
    if (self.m_tree == nullptr) {
        self.m_tree = browserTree(dialog);
    }
    switch (message) {
        case BFFM_INITIALIZED:
            self.handleInitialized(dialog);
            return 0;
        case BFFM_SELCHANGED:
            if (lParam != 0) {
                self.handleSelectionChanged(dialog, reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
            }
            return 0;
        case BFFM_VALIDATEFAILEDA:
            if (!self.onValidateFailed) {
                MessageBeep(MB_OK);
                return 1;
            }
            return self.onValidateFailed(reinterpret_cast<const char*>(lParam)) ? 0 : 1;
        case BFFM_IUNKNOWN:
            // Later browsers take no item filter.
            if (platformMajorVersion() < 6) {
                self.m_filter.registerWith(reinterpret_cast<IUnknown*>(lParam));
            }
            return 0;
        default:
            return 0;
    }
}

void FolderDialog::handleInitialized(HWND dialog)
{
    if (m_owner != nullptr) {
        m_hooked = GetAncestor(m_owner, GA_ROOTOWNER);
        SetWindowSubclass(m_hooked, &FolderDialog::applicationHook, kSubclassId,
                          reinterpret_cast<DWORD_PTR>(this));
    }
    if (m_preselection.none() && displayText().empty()) {
        // Nothing is preselected: the browser shows its root selected (the desktop) and may
        // say nothing of it, so that the path line would stay empty until the first change.
        Item root(rootFolder.empty() ? nullptr : itemForPath(rootFolder));
        if (root == nullptr) {
            PIDLIST_ABSOLUTE desktop = nullptr;
            SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop);
            root.reset(desktop);
        }
        if (root != nullptr) {
            const ItemText item = convertItem(root.get());
            setDisplayText(!item.path.empty() ? item.path : item.display);
        }
    }
    if (flags.testFlag(bfShowPath)) {
        showPathLine();
    }
    place();
    if (const std::string caption = title(); !caption.empty()) {
        SetWindowTextA(dialog, caption.c_str());
    }
    SetWindowSubclass(dialog, &FolderDialog::subclass, kSubclassId,
                      reinterpret_cast<DWORD_PTR>(this));
    markInitialised();
    if (m_preselection.initialItem) {
        SendMessageA(dialog, BFFM_SETSELECTIONA, FALSE,
                     reinterpret_cast<LPARAM>(m_initialItem.get()));
        m_initialItem.reset();
    } else if (!m_preselection.newFolder.empty()) {
        SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE,
                     reinterpret_cast<LPARAM>(m_preselection.newFolder.c_str()));
    }
    if (m_tree != nullptr && m_treeItem != nullptr) {
        SendMessageA(m_tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(m_treeItem));
        SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(m_treeItem));
    }
    showSelectionOnceShown(dialog);
    if (onInitialized) {
        onInitialized();
    }
}

bool FolderDialog::modernStyle() const
{
    return platformMajorVersion() >= 5 && flags.testFlag(bfNewDialogStyle);
}

void FolderDialog::onShown(HWND dialog)
{
    if (m_newFolderButton != nullptr) {
        return;
    }
    if (modernStyle()) {
        m_newFolderButton = GetDlgItem(dialog, kNewFolderId);
        if (m_newFolderButton == nullptr) {
            m_newFolderButton = firstPushButton(dialog);
        }
        if (flags.testFlag(bfHideNewFolderButton) && platformMajorVersion() == 5) {
            EnableWindow(m_newFolderButton, FALSE);
            ShowWindow(m_newFolderButton, SW_HIDE);
        }
        return;
    }
    const HWND first = firstPushButton(dialog);
    if (flags.testFlag(bfHideNewFolderButton) || first == nullptr) {
        return;
    }
    // The dialog's own monitor's dpi, as the main window takes its own.
    const int dpi = windowDpi(dialog);
    const auto [left, width, height] = ownButtonSize(dpi);
    const RECT firstPlace = placeIn(dialog, first);
    const std::string caption = newFolderCaption();
    m_newFolderButton = CreateWindowExA(
        0, WC_BUTTONA, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, left,
        firstPlace.top, width, height, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOwnNewFolderId)), GetModuleHandleA(nullptr),
        nullptr);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(first, WM_GETFONT, 0, 0));
    SendMessageA(m_newFolderButton, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // As wide as its caption and a margin, never narrower than designed.
    const HDC dc = GetDC(m_newFolderButton);
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(m_newFolderButton, dc);
    const int least = dpi == 72 ? 75 : 75 * dpi / 96;
    SetWindowPos(m_newFolderButton, nullptr, 0, 0, std::max<int>(size.cx + 12, least), height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EnableWindow(m_newFolderButton, hasPath() ? TRUE : FALSE);
}

std::optional<std::string> FolderDialog::askFolderName(const std::string& title)
{
    return namePrompt(m_dialog, title);
}

bool FolderDialog::makeFolder(const std::string& path)
{
    SHCreateDirectoryExA(nullptr, path.c_str(), nullptr);
    return platform::directoryExists(path);
}

std::string FolderDialog::cannotCreateText() const
{
    return systemText(ERROR_CANNOT_MAKE);
}

void FolderDialog::closeAsCancelled()
{
    PostMessageA(m_dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(m_dialog, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001));
}

void FolderDialog::enableButtons(bool ok, bool newFolder)
{
    SendMessageA(m_dialog, BFFM_ENABLEOK, 0, ok ? 1 : 0);
    if (m_newFolderButton != nullptr) {
        EnableWindow(m_newFolderButton, newFolder ? TRUE : FALSE);
    }
}

void FolderDialog::handleSelectionChanged(HWND dialog, PCIDLIST_ABSOLUTE item)
{
    if (!flags.testFlag(bfDontBrowseShortcuts)) {
        // A shortcut to a folder stands for its target: the browser then reports the target as
        // the new selection.
        if (const PIDLIST_ABSOLUTE target = shortcutTarget(item)) {
            SendMessageA(dialog, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(target));
            CoTaskMemFree(target);
            return;
        }
    }
    ItemText selected = convertItem(item);
    m_treeItem =
        m_tree != nullptr
            ? reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0))
            : nullptr;
    if (extraFlags.testFlag(efAutoExpandTree) && m_treeItem != nullptr) {
        // A node selected by a click opens; one reached with the keyboard does not.
        const int button = GetSystemMetrics(SM_SWAPBUTTON) != 0 ? VK_RBUTTON : VK_LBUTTON;
        if (static_cast<SHORT>(GetAsyncKeyState(button)) > 0) {
            SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(m_treeItem));
        }
    }
    if (!selected.path.empty()) {
        selected.display = selected.path;
    }
    selectionChanged(std::move(selected));
}

FolderDialog::ItemText FolderDialog::convertItem(PCIDLIST_ABSOLUTE item) const
{
    std::vector<char> buffer(261, '\0');
    ItemText text;
    std::string& path = text.path;
    std::string& display = text.display;
    path = SHGetPathFromIDListA(item, buffer.data()) != FALSE ? buffer.data() : "";
    display = path;
    IShellFolder* parent = nullptr;
    PCUITEMID_CHILD child = nullptr;
    if (SUCCEEDED(
            SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child))) {
        display = displayName(*parent, child, SHGDN_NORMAL);
        if (path.empty()) {
            const std::string parsing = displayName(*parent, child, SHGDN_FORPARSING);
            if (parsing.starts_with("\\\\")) {
                path = parsing;
            } else if (parsing.find("://") != std::string::npos) {
                display = parsing;
            }
        }
        parent->Release();
    }
    if (extraFlags.testFlag(efUsePrettyCase)) {
        path = prettyCase(path, '\\');
        display = prettyCase(display, '\\');
    }
    return text;
}

void FolderDialog::showPathLine()
{
    const HWND line = GetDlgItem(m_dialog, kStatusId);
    const HWND instruction = GetDlgItem(m_dialog, kInstructionId);
    HWND tree =
        FindWindowExA(m_dialog, nullptr, "SHBrowseForFolder ShellNameSpace Control", nullptr);
    if (tree == nullptr) {
        tree = GetDlgItem(m_dialog, kTreeId);
    }
    if (line == nullptr || instruction == nullptr || tree == nullptr) {
        return;
    }
    const LONG style = GetWindowLongA(line, GWL_STYLE);
    SetWindowLongA(line, GWL_STYLE,
                   (style & ~(SS_TYPEMASK | WS_DISABLED)) | SS_LEFTNOWORDWRAP | WS_VISIBLE);
    const RECT top = placeIn(m_dialog, instruction);
    const RECT treePlace = placeIn(m_dialog, tree);
    const int lineTop = (top.top + treePlace.top) / 2;
    const int width = treePlace.right - treePlace.left + 8;
    MoveWindow(line, treePlace.left, lineTop, width, treePlace.top - lineTop, TRUE);

    const HDC dc = GetDC(line);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(line, WM_GETFONT, 0, 0));
    const HGDIOBJ old = SelectObject(dc, font);
    RECT inner{};
    GetClientRect(line, &inner);
    const std::string text = shortenPath(displayText(), '\\', [&](const std::string& candidate) {
        SIZE size{};
        GetTextExtentPoint32A(dc, candidate.c_str(), static_cast<int>(candidate.size()), &size);
        return size.cx <= inner.right - 8;
    });
    SelectObject(dc, old);
    ReleaseDC(line, dc);
    SetWindowTextA(line, text.c_str());
}

void FolderDialog::place()
{
    RECT frame{};
    GetWindowRect(m_dialog, &frame);
    if (const std::optional<POINT>& position = rememberedPosition()) {
        SetWindowPos(m_dialog, nullptr, position->x, position->y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(m_dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK FolderDialog::applicationHook(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR /*id*/, DWORD_PTR data)
{
    auto& self = *reinterpret_cast<FolderDialog*>(data);
    if (message == WM_SIZE && self.m_dialog != nullptr) {
        if (wParam == SIZE_MINIMIZED && IsWindowVisible(self.m_dialog)) {
            ShowWindow(self.m_dialog, SW_HIDE);
            self.m_hiddenByMinimise = true;
        } else if (wParam != SIZE_MINIMIZED && self.m_hiddenByMinimise) {
            self.m_hiddenByMinimise = false;
            ShowWindow(self.m_dialog, SW_SHOW);
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK FolderDialog::subclass(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR /*id*/, DWORD_PTR data)
{
    auto& self = *reinterpret_cast<FolderDialog*>(data);
    switch (message) {
        case WM_SHOWWINDOW:
            if (wParam != FALSE && lParam == 0) {
                self.place();
                self.onShown(dialog);
            }
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == kOwnNewFolderId && !self.modernStyle()) {
                self.newFolderRequested();
                return 0;
            }
            break;
        case WM_MOVE:
        case WM_SIZE:
            if (self.flags.testFlag(bfShowPath) && IsWindowVisible(dialog) &&
                (message == WM_MOVE || wParam == SIZE_RESTORED)) {
                PostMessageA(dialog, rememberMessage(), 0, 0);
            }
            break;
        default:
            if (message == rememberMessage()) {
                RECT frame{};
                GetWindowRect(dialog, &frame);
                rememberedPosition() = POINT{frame.left, frame.top};
                self.showPathLine();
                return 0;
            }
            break;
    }
    return DefSubclassProc(dialog, message, wParam, lParam);
}

}  // namespace gantrel::ui::win32
