// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "analysis/tile_rewrite.h"
#include "controls.h"
#include "window/where_used_table.h"

namespace gantrel::ui::win32 {

class Dialogs;
class TileTable;

/// What the "Found elsewhere" part of a missing entry's dialog offers: its relinks, best first,
/// and whether the search still runs (so that nothing can be offered yet).
struct FoundElsewhereOffer {
    std::vector<RelinkChange> choices;
    bool searching = false;
};

/// The small modal window of "Where Used...": the entry, how many tiles use it, and a table of
/// those tiles (file name and first line) in tile-list order until a column's caption is
/// clicked, which sorts by that column (again: the other way round). "Copy to Clipboard" copies
/// the table as shown; "Open Tile", a double-click or Return on a row opens that tile through
/// the dialogs' openFile. With an offer, the "Found elsewhere" part below the table lists the
/// relinks, and "Relink..." closes the dialog with the one selected. Created hidden; run()
/// shows it.
class WhereUsedDialog {
public:
    /// The controls' identifiers; Close is IDCANCEL.
    enum : int {
        kEntryId = 10,
        kCountId,
        kTableId,
        kCopyId,
        kOpenId,
        kFoundBoxId,
        kFoundNoteId,
        kFoundListId,
        kRelinkId
    };

    /// `dialogs` must outlive the dialog; `dpi` is the owner's, to which the layout is scaled.
    WhereUsedDialog(HWND owner, int dpi, Dialogs& dialogs, const std::string& entry,
                    std::vector<window::WhereUsedRow> rows,
                    std::optional<FoundElsewhereOffer> offer = std::nullopt);
    ~WhereUsedDialog();
    WhereUsedDialog(const WhereUsedDialog&) = delete;
    WhereUsedDialog& operator=(const WhereUsedDialog&) = delete;

    HWND hwnd() const { return m_box->hwnd(); }
    /// Shows the dialog modal to the thread's windows until it is closed.
    void run();
    /// The rows in the order the table shows them.
    std::vector<window::WhereUsedRow> shownRows() const;
    /// The relink picked with "Relink...", if any.
    const std::optional<RelinkChange>& chosen() const { return m_chosen; }

private:
    void openRow(int item);
    // The "Found elsewhere" part in `place`.
    void addFoundElsewhere(const Place& place, int dpi);

    Dialogs& m_dialogs;
    std::vector<window::WhereUsedRow> m_rows;
    std::unique_ptr<std::remove_pointer_t<HFONT>, decltype(&DeleteObject)> m_font;
    std::unique_ptr<TopWindow> m_box;
    std::unique_ptr<Static> m_entry;
    std::unique_ptr<Static> m_count;
    std::unique_ptr<TileTable> m_table;
    std::unique_ptr<Button> m_copy;
    std::unique_ptr<Button> m_openButton;
    std::unique_ptr<Button> m_close;
    std::optional<FoundElsewhereOffer> m_offer;
    std::optional<RelinkChange> m_chosen;
    std::unique_ptr<Static> m_foundBox;
    std::unique_ptr<Static> m_foundNote;
    std::unique_ptr<ListBox> m_foundList;
    std::unique_ptr<Button> m_relink;
    bool m_shown = false;
};

}  // namespace gantrel::ui::win32
