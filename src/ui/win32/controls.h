// SPDX-License-Identifier: MIT
#pragma once

// The native controls the window is built of, each a small type over its HWND. A control is
// created from a plain CreateArgs; clicks and notifications arrive as std::function handlers,
// because the parent window reflects WM_COMMAND and WM_NOTIFY back to the control that sent
// them (Window::reflect).

#include <windows.h>

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace gantrel::ui::win32 {

/// A place in device pixels.
struct Place {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

/// What every control is created from.
struct CreateArgs {
    HWND parent = nullptr;
    int id = 0;  // the control identifier a test finds it by
    Place place;
    std::string text;
    DWORD style = 0;  // beyond WS_CHILD and WS_VISIBLE
    HFONT font = nullptr;
};

/// A window that owns its HWND: destroyed with the object unless the system destroyed it
/// first. The object is found again from its HWND (from()), which is how a parent reflects a
/// control's messages to it.
class Window {
public:
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return m_hwnd; }
    std::string text() const;
    void setText(const std::string& text);
    bool visible() const;
    void setVisible(bool visible);

    /// The object of a window made by this type, or null.
    static Window* from(HWND hwnd);
    /// Hands a parent's WM_COMMAND or WM_NOTIFY to the control that sent it; false when the
    /// sender is none of ours. `result` receives the notification's answer.
    static bool reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    Window() = default;
    /// Takes ownership of a window just made and ties it to this object.
    void adopt(HWND hwnd);
    /// Unties the object from a window that is being destroyed.
    void release();
    /// Creates a system control of `className` as a child of args.parent.
    void createControl(const char* className, const CreateArgs& args, DWORD extraStyle = 0);
    /// A notification code of WM_COMMAND from this control.
    virtual void onCommand(WORD /*code*/) {}
    /// A WM_NOTIFY from this control.
    virtual LRESULT onNotify(const NMHDR& /*header*/) { return 0; }

private:
    HWND m_hwnd = nullptr;
};

/// A push button; BS_MULTILINE in the style wraps its caption.
class Button final : public Window {
public:
    explicit Button(const CreateArgs& args);
    std::function<void()> onClick;

private:
    void onCommand(WORD code) override;
};

/// A group box, a label, an icon, or anything else that shows and reports nothing.
class Static final : public Window {
public:
    enum class Kind { GroupBox, Label, Icon };
    Static(Kind kind, const CreateArgs& args);
};

/// An edit control with 8-bit text: one line, or a memo with ES_MULTILINE.
class Edit final : public Window {
public:
    explicit Edit(const CreateArgs& args);
    ~Edit() override;
    /// Sees every message of the control before the control does; what it leaves unanswered
    /// (nullopt) goes on to the control. It may call DefSubclassProc to let the control answer
    /// first.
    std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> onMessage;
    /// The lines, each followed by CR LF, as one text.
    void setLines(std::span<const std::string> lines);
    /// Appends the lines, each followed by CR LF, keeping the selection and the lines in view.
    void appendLines(std::span<const std::string> lines);
    void selectAll();
    /// Puts the caret at the end of the text and scrolls it into view.
    void scrollToEnd();

private:
    static LRESULT CALLBACK subclassed(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
};

/// A multi-line edit control of UTF-16 text: a Unicode window, as the line store needs.
class UnicodeEdit final : public Window {
public:
    explicit UnicodeEdit(const CreateArgs& args);
    void setText(const std::u16string& text);
};

/// A list box; LBS_SORT in the style keeps it sorted.
class ListBox final : public Window {
public:
    explicit ListBox(const CreateArgs& args);
    void setItems(const std::vector<std::string>& items);
};

/// A progress bar.
class ProgressBar final : public Window {
public:
    explicit ProgressBar(const CreateArgs& args);
    /// At `value` of `maximum`; with `maximum` 0 a bar that only shows activity.
    void setPosition(std::size_t value, std::size_t maximum);
};

/// A report-style list view: one row selected at a time, rows highlighted whole, the selection
/// shown also without the focus.
class ReportView : public Window {
protected:
    /// The columns have the `captions`; each but the first is right-aligned and as wide as its
    /// entry in `widths` (one entry fewer), the first takes what the others and the vertical
    /// scroll bar leave. `extendedStyle` is added to LVS_EX_FULLROWSELECT.
    ReportView(const CreateArgs& args, std::span<const char* const> captions,
               std::span<const int> widths, DWORD extendedStyle = 0);
    /// Appends a row of these cells, left to right, with `data` as its item data.
    void addRow(std::span<const std::string> cells, LPARAM data);
};

/// A tab control with its pages' captions.
class TabControl final : public Window {
public:
    TabControl(const CreateArgs& args, const std::vector<std::string>& captions);
    int current() const;
    /// Shows page `index` as if the user had clicked its tab.
    void select(int index);
    /// The area the pages fill, in the parent's client coordinates.
    Place pageArea() const;
    /// After the user (or select()) changed the page.
    std::function<void(int)> onChange;

private:
    LRESULT onNotify(const NMHDR& header) override;
};

/// The tooltips of a window's controls, shown while the pointer rests on them.
class ToolTip final : public Window {
public:
    explicit ToolTip(HWND owner);
    /// `text` for the whole of `control`.
    void addControl(HWND control, const std::string& text);
    /// `text` for `area` of `control` (in its client coordinates), as its tool `id`; called
    /// again for the same id, it moves the area.
    void setArea(HWND control, UINT_PTR id, const RECT& area, const std::string& text);
    /// Hides the tip shown, if any, until the pointer moves again.
    void hide();

private:
    /// Gives the tooltip a tip longer than it keeps itself.
    LRESULT onNotify(const NMHDR& header) override;

    std::map<UINT_PTR, std::string> m_longTexts;  // by tool, the tips of 80 characters and more
};

/// A top-level window of the program's own class. It reflects WM_COMMAND and WM_NOTIFY to the
/// controls that sent them and hands every other message to onMessage first; what that leaves
/// unanswered (nullopt) goes to the default window procedure.
class TopWindow final : public Window {
public:
    /// `args.place` is the window's outer rectangle; `args.style` its whole style, `exStyle`
    /// its extended style. `icon` may be null; `smallIcon`, the title bar's, is `icon` when
    /// null.
    TopWindow(const CreateArgs& args, DWORD exStyle, HICON icon, HICON smallIcon = nullptr);

    std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> onMessage;

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace gantrel::ui::win32
