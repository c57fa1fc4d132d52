// SPDX-License-Identifier: MIT
#include "where_used_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "clipboard.h"
#include "dialogs.h"
#include "dpi.h"
#include "modal_loop.h"
#include "window/relink_flow.h"

namespace gantrel::ui::win32 {
namespace {

constexpr int kClientWidth = 480;
constexpr int kClientHeight = 320;
constexpr int kLineColumnWidth = 70;
constexpr int kFoundPartHeight = 140;

// The three-way comparison of two values.
template <typename T>
int compared(const T& a, const T& b)
{
    return (b < a) - (a < b);
}

}  // namespace

/// The report-style list view of the tiles: an item a row, whose item data is the row's index.
class TileTable final : public ReportView {
public:
    TileTable(const CreateArgs& args, int lineColumnWidth,
              const std::vector<window::WhereUsedRow>& rows)
        : ReportView(args, window::kWhereUsedColumns, std::array{lineColumnWidth}), m_rows(rows)
    {
        for (std::size_t row = 0; row < rows.size(); ++row) {
            addRow(std::array{rows[row].fileName, std::to_string(rows[row].line)},
                   static_cast<LPARAM>(row));
        }
        if (!rows.empty()) {
            select(0);
        }
    }

    int count() const { return static_cast<int>(SendMessageA(hwnd(), LVM_GETITEMCOUNT, 0, 0)); }
    int selected() const
    {
        return static_cast<int>(
            SendMessageA(hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    /// The index in the rows of the item shown at `item`.
    std::size_t rowOf(int item) const
    {
        LVITEMA data{};
        data.mask = LVIF_PARAM;
        data.iItem = item;
        SendMessageA(hwnd(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        return static_cast<std::size_t>(data.lParam);
    }

    /// A double-click on an item.
    std::function<void(int)> onActivate;

private:
    void select(int item)
    {
        LVITEMA state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(&state));
    }

    LRESULT onNotify(const NMHDR& header) override
    {
        if (header.code == static_cast<UINT>(LVN_COLUMNCLICK)) {
            const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
            m_ascending = column != m_sortColumn || !m_ascending;
            m_sortColumn = column;
            SendMessageA(hwnd(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(this),
                         reinterpret_cast<LPARAM>(&compare));
        } else if (header.code == static_cast<UINT>(NM_DBLCLK) && onActivate) {
            if (const int item = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem; item >= 0) {
                onActivate(item);
            }
        }
        return 0;
    }

    // By the sorted column (file names in the system's order, lines as numbers), then by the
    // other, then in tile-list order.
    static int CALLBACK compare(LPARAM a, LPARAM b, LPARAM self)
    {
        const auto& table = *reinterpret_cast<const TileTable*>(self);
        const window::WhereUsedRow& x = table.m_rows[static_cast<std::size_t>(a)];
        const window::WhereUsedRow& y = table.m_rows[static_cast<std::size_t>(b)];
        const int byName = lstrcmpiA(x.fileName.c_str(), y.fileName.c_str());
        const int byLine = compared(x.line, y.line);
        int order = table.m_sortColumn == 0 ? (byName != 0 ? byName : byLine)
                                            : (byLine != 0 ? byLine : byName);
        order = order != 0 ? order : compared(a, b);
        return table.m_ascending ? order : -order;
    }

    const std::vector<window::WhereUsedRow>& m_rows;
    int m_sortColumn = -1;
    bool m_ascending = true;
};

WhereUsedDialog::WhereUsedDialog(HWND owner, int dpi, Dialogs& dialogs, const std::string& entry,
                                 std::vector<window::WhereUsedRow> rows,
                                 std::optional<FoundElsewhereOffer> offer)
    : m_dialogs(dialogs),
      m_rows(std::move(rows)),
      m_font(nullptr, &DeleteObject),
      m_offer(std::move(offer))
{
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    m_font.reset(CreateFontIndirectA(&metrics.lfMessageFont));
    const HFONT font = m_font.get();
    // The layout is designed at 96 dpi and scaled to the owner's.
    const auto px = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    const int clientWidth = px(kClientWidth);
    const int partHeight = m_offer ? px(kFoundPartHeight) : 0;
    const int clientHeight = px(kClientHeight) + partHeight;
    const int margin = px(kBoxMargin);
    const int labelHeight = px(kBoxLabelHeight);
    const int buttonHeight = px(kBoxButtonHeight);

    m_box = ownedBox(owner, window::kWhereUsedTitle, clientWidth, clientHeight);
    const HWND box = m_box->hwnd();
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    const int inner = clientWidth - 2 * margin;
    m_entry = std::make_unique<Static>(
        Static::Kind::Label,
        CreateArgs{box, kEntryId, {margin, margin, inner, labelHeight}, entry, 0, font});
    const std::size_t uses = m_rows.size();
    m_count = std::make_unique<Static>(
        Static::Kind::Label,
        CreateArgs{box,
                   kCountId,
                   {margin, margin + labelHeight + px(4), inner, labelHeight},
                   "Used on " + std::to_string(uses) + (uses == 1 ? " tile" : " tiles"),
                   0,
                   font});
    const int tableTop = margin + 2 * labelHeight + px(12);
    const int buttonTop = clientHeight - margin - buttonHeight;
    // The part, when there is one, lies between the table and the buttons.
    const int tableBottom = buttonTop - margin - (m_offer ? partHeight : 0);
    m_table = std::make_unique<TileTable>(
        CreateArgs{box, kTableId, {margin, tableTop, inner, tableBottom - tableTop}, "", 0, font},
        px(kLineColumnWidth), m_rows);
    if (m_offer) {
        addFoundElsewhere({margin, tableBottom + px(4), inner, partHeight - px(4)}, dpi);
    }
    m_copy = std::make_unique<Button>(CreateArgs{box,
                                                 kCopyId,
                                                 {margin, buttonTop, px(120), buttonHeight},
                                                 "Copy to Clipboard",
                                                 WS_TABSTOP,
                                                 font});
    m_openButton = std::make_unique<Button>(
        CreateArgs{box,
                   kOpenId,
                   {margin + px(128), buttonTop, px(90), buttonHeight},
                   "Open Tile",
                   static_cast<DWORD>(WS_TABSTOP | (m_rows.empty() ? WS_DISABLED : 0)),
                   font});
    m_close = std::make_unique<Button>(CreateArgs{
        box,
        IDCANCEL,
        {clientWidth - margin - px(kBoxButtonWidth), buttonTop, px(kBoxButtonWidth), buttonHeight},
        "Close",
        WS_TABSTOP,
        font});

    m_copy->onClick = [this] {
        if (!setClipboardText(hwnd(), window::whereUsedText(shownRows()))) {
            m_dialogs.showMessage(kClipboardBusy);
        }
    };
    m_openButton->onClick = [this] { openRow(m_table->selected()); };
    m_table->onActivate = [this](int item) { openRow(item); };
    m_close->onClick = [this] { m_shown = false; };
    m_box->onMessage = [this](UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_CLOSE || (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)) {
            m_shown = false;
            return 0;
        }
        // Return: on the table it opens the selected tile, on a button it presses that button.
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            const HWND focus = GetFocus();
            if (focus == m_table->hwnd()) {
                openRow(m_table->selected());
            } else if (focus == m_copy->hwnd() || focus == m_openButton->hwnd() ||
                       (m_relink && focus == m_relink->hwnd())) {
                SendMessageA(focus, BM_CLICK, 0, 0);
            }
            return 0;
        }
        return std::nullopt;
    };
}

WhereUsedDialog::~WhereUsedDialog() = default;

void WhereUsedDialog::run()
{
    m_shown = true;
    runModal(hwnd(), m_table->hwnd(), m_shown);
    // Hidden at once, so that the owner, enabled again, takes the activation.
    ShowWindow(hwnd(), SW_HIDE);
}

std::vector<window::WhereUsedRow> WhereUsedDialog::shownRows() const
{
    std::vector<window::WhereUsedRow> shown;
    for (int item = 0; item < m_table->count(); ++item) {
        shown.push_back(m_rows[m_table->rowOf(item)]);
    }
    return shown;
}

void WhereUsedDialog::addFoundElsewhere(const Place& place, int dpi)
{
    const auto px = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    const HWND box = hwnd();
    const HFONT font = m_font.get();
    const std::vector<RelinkChange>& choices = m_offer->choices;
    m_foundBox = std::make_unique<Static>(
        Static::Kind::GroupBox,
        CreateArgs{box, kFoundBoxId, place, window::kFoundElsewhereCaption, 0, font});
    const int left = place.left + px(8);
    const int width = place.width - px(16);
    int top = place.top + px(18);
    if (m_offer->searching || choices.empty()) {
        m_foundNote = std::make_unique<Static>(
            Static::Kind::Label,
            CreateArgs{box,
                       kFoundNoteId,
                       {left, top, width, px(kBoxLabelHeight)},
                       m_offer->searching ? window::kSearchingNote : window::kFoundNowhereNote,
                       0,
                       font});
        top += px(kBoxLabelHeight + 4);
    }
    const int buttonTop = place.top + place.height - px(8 + kBoxButtonHeight);
    m_foundList = std::make_unique<ListBox>(CreateArgs{box,
                                                       kFoundListId,
                                                       {left, top, width, buttonTop - px(6) - top},
                                                       "",
                                                       WS_BORDER | WS_TABSTOP,
                                                       font});
    std::vector<std::string> texts;
    for (const RelinkChange& choice : choices) {
        texts.push_back(window::relinkChoiceText(choice));
    }
    m_foundList->setItems(texts);
    m_relink = std::make_unique<Button>(
        CreateArgs{box,
                   kRelinkId,
                   {left + width - px(90), buttonTop, px(90), px(kBoxButtonHeight)},
                   window::kRelinkButton,
                   static_cast<DWORD>(WS_TABSTOP | (choices.empty() ? WS_DISABLED : 0)),
                   font});
    if (!choices.empty()) {
        SendMessageA(m_foundList->hwnd(), LB_SETCURSEL, 0, 0);
    }
    m_relink->onClick = [this] {
        const LRESULT row = SendMessageA(m_foundList->hwnd(), LB_GETCURSEL, 0, 0);
        if (row >= 0 && static_cast<std::size_t>(row) < m_offer->choices.size()) {
            m_chosen = m_offer->choices[static_cast<std::size_t>(row)];
            m_shown = false;
        }
    };
}

void WhereUsedDialog::openRow(int item)
{
    if (item >= 0 && item < m_table->count()) {
        m_dialogs.openFile(m_rows[m_table->rowOf(item)].tile);
    }
}

}  // namespace gantrel::ui::win32
