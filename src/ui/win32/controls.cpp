// SPDX-License-Identifier: MIT
#include "controls.h"

#include <commctrl.h>

#include "window/window_design.h"

namespace gantrel::ui::win32 {
namespace {

// The longest tip, with its terminating null, that a tooltip keeps of the text it is given.
constexpr std::size_t kMaxStoredText = 80;
// The window property that ties a window to its object.
constexpr char kObjectProperty[] = "Gantrel.Window";
constexpr char kTopWindowClass[] = "Gantrel.TopWindow";

}  // namespace

Window::~Window()
{
    if (m_hwnd != nullptr && IsWindow(m_hwnd)) {
        RemovePropA(m_hwnd, kObjectProperty);
        DestroyWindow(m_hwnd);
    }
}

void Window::release()
{
    RemovePropA(m_hwnd, kObjectProperty);
    m_hwnd = nullptr;
}

void Window::adopt(HWND hwnd)
{
    m_hwnd = hwnd;
    SetPropA(hwnd, kObjectProperty, this);
}

void Window::createControl(const char* className, const CreateArgs& args, DWORD extraStyle)
{
    const HWND hwnd = CreateWindowExA(
        0, className, args.text.c_str(), WS_CHILD | WS_VISIBLE | args.style | extraStyle,
        args.place.left, args.place.top, args.place.width, args.place.height, args.parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), GetModuleHandleA(nullptr), nullptr);
    adopt(hwnd);
    if (args.font != nullptr) {
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(args.font), FALSE);
    }
}

Window* Window::from(HWND hwnd)
{
    return hwnd != nullptr ? static_cast<Window*>(GetPropA(hwnd, kObjectProperty)) : nullptr;
}

bool Window::reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_COMMAND && lParam != 0) {
        if (Window* control = from(reinterpret_cast<HWND>(lParam))) {
            control->onCommand(HIWORD(wParam));
            result = 0;
            return true;
        }
    } else if (message == WM_NOTIFY) {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (Window* control = from(header.hwndFrom)) {
            result = control->onNotify(header);
            return true;
        }
    }
    return false;
}

std::string Window::text() const
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(m_hwnd)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(m_hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Window::setText(const std::string& text)
{
    SetWindowTextA(m_hwnd, text.c_str());
}

bool Window::visible() const
{
    return (GetWindowLongA(m_hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Window::setVisible(bool visible)
{
    ShowWindow(m_hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

Button::Button(const CreateArgs& args)
{
    createControl(WC_BUTTONA, args, BS_PUSHBUTTON);
}

void Button::onCommand(WORD code)
{
    if (code == BN_CLICKED && onClick) {
        onClick();
    }
}

Static::Static(Kind kind, const CreateArgs& args)
{
    if (kind == Kind::GroupBox) {
        createControl(WC_BUTTONA, args, BS_GROUPBOX);
    } else if (kind == Kind::Icon) {
        createControl(WC_STATICA, args, SS_ICON);
    } else {
        createControl(WC_STATICA, args, SS_LEFT | SS_NOPREFIX);
    }
}

Edit::Edit(const CreateArgs& args)
{
    createControl(WC_EDITA, args);
    // A list of the benchmark map's size passes the default limit by far.
    SendMessageA(hwnd(), EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    SetWindowSubclass(hwnd(), &Edit::subclassed, 0, reinterpret_cast<DWORD_PTR>(this));
}

Edit::~Edit()
{
    // The control's last messages must not reach a handler that is being destroyed.
    if (IsWindow(hwnd()) != FALSE) {
        RemoveWindowSubclass(hwnd(), &Edit::subclassed, 0);
    }
}

LRESULT CALLBACK Edit::subclassed(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR /*id*/, DWORD_PTR self)
{
    // A memo handed to IsDialogMessage takes Escape as a dialog's edit does and posts WM_CLOSE
    // to its parent, which is no dialog here: Escape in a memo does nothing.
    if ((message == WM_KEYDOWN && wParam == VK_ESCAPE) || (message == WM_CHAR && wParam == 0x1B)) {
        if ((GetWindowLongA(hwnd, GWL_STYLE) & ES_MULTILINE) != 0) {
            return 0;
        }
    }
    const auto& handler = reinterpret_cast<Edit*>(self)->onMessage;
    if (handler) {
        if (const std::optional<LRESULT> answer = handler(message, wParam, lParam)) {
            return *answer;
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void Edit::setLines(std::span<const std::string> lines)
{
    setText(gantrel::window::memoText(lines, "\r\n"));
}

void Edit::appendLines(std::span<const std::string> lines)
{
    // Appending puts the caret at the end and scrolls there: the selection and the view are
    // put back where they were.
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    const LRESULT firstLine = SendMessageA(hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0);
    SendMessageA(hwnd(), WM_SETREDRAW, FALSE, 0);
    const auto length = static_cast<WPARAM>(GetWindowTextLengthA(hwnd()));
    SendMessageA(hwnd(), EM_SETSEL, length, static_cast<LPARAM>(length));
    SendMessageA(hwnd(), EM_REPLACESEL, FALSE,
                 reinterpret_cast<LPARAM>(gantrel::window::memoText(lines, "\r\n").c_str()));
    SendMessageA(hwnd(), EM_SETSEL, start, static_cast<LPARAM>(end));
    SendMessageA(hwnd(), EM_LINESCROLL, 0,
                 firstLine - SendMessageA(hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0));
    SendMessageA(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void Edit::selectAll()
{
    SendMessageA(hwnd(), EM_SETSEL, 0, -1);
}

void Edit::scrollToEnd()
{
    const auto end = static_cast<WPARAM>(GetWindowTextLengthA(hwnd()));
    SendMessageA(hwnd(), EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageA(hwnd(), EM_SCROLLCARET, 0, 0);
}

UnicodeEdit::UnicodeEdit(const CreateArgs& args)
{
    const std::wstring text(args.text.begin(), args.text.end());
    const HWND hwnd = CreateWindowExW(
        0, WC_EDITW, text.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | args.style,
        args.place.left, args.place.top, args.place.width, args.place.height, args.parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), GetModuleHandleW(nullptr), nullptr);
    adopt(hwnd);
    SendMessageW(hwnd, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    if (args.font != nullptr) {
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(args.font), FALSE);
    }
}

void UnicodeEdit::setText(const std::u16string& text)
{
    SetWindowTextW(hwnd(), reinterpret_cast<const wchar_t*>(text.c_str()));
}

ReportView::ReportView(const CreateArgs& args, std::span<const char* const> captions,
                       std::span<const int> widths, DWORD extendedStyle)
{
    createControl(WC_LISTVIEWA, args,
                  LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP);
    const DWORD extended = LVS_EX_FULLROWSELECT | extendedStyle;
    SendMessageA(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    int first = args.place.width - GetSystemMetrics(SM_CXVSCROLL) - 4;
    for (const int width : widths) {
        first -= width;
    }
    for (std::size_t column = 0; column < captions.size(); ++column) {
        LVCOLUMNA caption{};
        caption.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        caption.fmt = column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        caption.cx = column == 0 ? first : widths[column - 1];
        caption.pszText = const_cast<char*>(captions[column]);
        SendMessageA(hwnd(), LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&caption));
    }
}

void ReportView::addRow(std::span<const std::string> cells, LPARAM data)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(SendMessageA(hwnd(), LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(cells[0].c_str());
    item.lParam = data;
    const auto row = static_cast<WPARAM>(
        SendMessageA(hwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    item.mask = LVIF_TEXT;
    for (std::size_t column = 1; column < cells.size(); ++column) {
        item.iSubItem = static_cast<int>(column);
        item.pszText = const_cast<char*>(cells[column].c_str());
        SendMessageA(hwnd(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
}

ListBox::ListBox(const CreateArgs& args)
{
    createControl(WC_LISTBOXA, args, LBS_NOINTEGRALHEIGHT | WS_VSCROLL);
}

void ListBox::setItems(const std::vector<std::string>& items)
{
    SendMessageA(hwnd(), WM_SETREDRAW, FALSE, 0);
    SendMessageA(hwnd(), LB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
        SendMessageA(hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    SendMessageA(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

ProgressBar::ProgressBar(const CreateArgs& args)
{
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    createControl(PROGRESS_CLASSA, args);
}

void ProgressBar::setPosition(std::size_t value, std::size_t maximum)
{
    const LONG style = GetWindowLongA(hwnd(), GWL_STYLE);
    const bool marquee = maximum == 0;
    if (marquee != ((style & PBS_MARQUEE) != 0)) {
        SetWindowLongA(hwnd(), GWL_STYLE, marquee ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
        SendMessageA(hwnd(), PBM_SETMARQUEE, marquee ? TRUE : FALSE, 0);
    }
    if (!marquee) {
        // In thousandths: the control counts in int, a count of tiles may pass it.
        constexpr std::size_t kSteps = 1000;
        SendMessageA(hwnd(), PBM_SETRANGE32, 0, kSteps);
        SendMessageA(hwnd(), PBM_SETPOS, static_cast<WPARAM>(value * kSteps / maximum), 0);
    }
}

TabControl::TabControl(const CreateArgs& args, const std::vector<std::string>& captions)
{
    // The pages' controls are its siblings, drawn over it.
    createControl(WC_TABCONTROLA, args, WS_CLIPSIBLINGS);
    SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (std::size_t i = 0; i < captions.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(captions[i].c_str());
        SendMessageA(hwnd(), TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
}

int TabControl::current() const
{
    return static_cast<int>(SendMessageA(hwnd(), TCM_GETCURSEL, 0, 0));
}

void TabControl::select(int index)
{
    SendMessageA(hwnd(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (onChange) {
        onChange(index);
    }
}

Place TabControl::pageArea() const
{
    RECT area{};
    GetClientRect(hwnd(), &area);
    SendMessageA(hwnd(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(hwnd(), GetParent(hwnd()), reinterpret_cast<POINT*>(&area), 2);
    return {area.left, area.top, area.right - area.left, area.bottom - area.top};
}

LRESULT TabControl::onNotify(const NMHDR& header)
{
    if (header.code == static_cast<UINT>(TCN_SELCHANGE) && onChange) {
        onChange(current());
    }
    return 0;
}

ToolTip::ToolTip(HWND owner)
{
    adopt(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, GetModuleHandleA(nullptr),
                          nullptr));
    // Wide enough for every tip on one line but the export buttons', which wrap.
    SendMessageA(hwnd(), TTM_SETMAXTIPWIDTH, 0, 400);
}

void ToolTip::addControl(HWND control, const std::string& text)
{
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text.c_str());
    // A tooltip keeps at most 80 characters of a tip given to it; a longer one it asks for
    // whenever it shows it.
    if (text.size() >= kMaxStoredText) {
        m_longTexts[tool.uId] = text;
        tool.lpszText = LPSTR_TEXTCALLBACKA;
    }
    SendMessageA(hwnd(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT ToolTip::onNotify(const NMHDR& header)
{
    if (header.code == static_cast<UINT>(TTN_GETDISPINFOA)) {
        if (const auto found = m_longTexts.find(header.idFrom); found != m_longTexts.end()) {
            // The text must outlive the notification: the tooltip copies it afterwards.
            reinterpret_cast<NMTTDISPINFOA*>(const_cast<NMHDR*>(&header))->lpszText =
                const_cast<char*>(found->second.c_str());
        }
    }
    return 0;
}

void ToolTip::setArea(HWND control, UINT_PTR id, const RECT& area, const std::string& text)
{
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = control;
    tool.uId = id;
    tool.rect = area;
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(hwnd(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(hwnd(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void ToolTip::hide()
{
    SendMessageA(hwnd(), TTM_POP, 0, 0);
}

TopWindow::TopWindow(const CreateArgs& args, DWORD exStyle, HICON icon, HICON smallIcon)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    if (GetClassInfoExA(instance, kTopWindowClass, &windowClass) == FALSE) {
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &TopWindow::procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = kTopWindowClass;
        RegisterClassExA(&windowClass);
    }
    CreateWindowExA(exStyle, kTopWindowClass, args.text.c_str(), args.style, args.place.left,
                    args.place.top, args.place.width, args.place.height, args.parent, nullptr,
                    instance, this);
    if (icon != nullptr) {
        SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(hwnd(), WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(smallIcon != nullptr ? smallIcon : icon));
    }
}

LRESULT CALLBACK TopWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<TopWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->adopt(hwnd);
    }
    LRESULT result = 0;
    if (reflect(message, wParam, lParam, result)) {
        return result;
    }
    auto* self = static_cast<TopWindow*>(from(hwnd));
    if (self != nullptr && self->onMessage) {
        if (const std::optional<LRESULT> answer = self->onMessage(message, wParam, lParam)) {
            return *answer;
        }
    }
    // A memo in the window sends WM_NEXTDLGCTL for Tab as it would to a dialog, which answers
    // it: the window does so too, or the focus could never leave the memo.
    if (message == WM_NEXTDLGCTL) {
        const HWND next = LOWORD(lParam) != FALSE
                              ? reinterpret_cast<HWND>(wParam)
                              : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0 ? TRUE : FALSE);
        if (next != nullptr) {
            SetFocus(next);
        }
        return 0;
    }
    if (message == WM_NCDESTROY && self != nullptr) {
        // Closed by the user: the object outlives its window.
        self->release();
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace gantrel::ui::win32
