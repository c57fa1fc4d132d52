// SPDX-License-Identifier: MIT
#pragma once

// The context menu of the memos: what it offers on each list, in order, and the file name
// "Save As..." proposes. Each window builds the menu in its own toolkit from these items.

#include <string>
#include <vector>

#include "window/window_design.h"

namespace gantrel::window {

enum class ListCommand {
    Copy,             // the selection, as the memo's own Copy does
    SelectAll,        // selects the memo's whole text
    CopyToClipboard,  // the page's "Copy to Clipboard" button
    SaveAs,           // the list as a text file
    WhereUsed,        // the tiles that use the entry under the pointer
    MakeMapPackage,   // the map package dialog (the folder lists)
};

struct ListMenuItem {
    ListCommand command;
    const char* text;
    /// The key that does the same, as keyText writes it; empty for none.
    std::string key;
    /// A separator line goes above the item.
    bool separatorBefore;
};

/// True for the lists whose entries are references the tiles use: the object, spline and
/// missing lists.
bool offersWhereUsed(WindowList list);

/// True for the folder lists, whose menu offers "Make Map Package...".
bool offersMapPackage(WindowList list);

/// The items of a memo's context menu, in order: Copy, Select All, then "Copy to Clipboard",
/// "Save As..." and, where offersWhereUsed, "Where Used...", where offersMapPackage
/// "Make Map Package...".
std::vector<ListMenuItem> listMenu(WindowList list);

/// The file name "Save As..." proposes: the page's caption and ".txt".
std::string saveAsFileName(WindowList list);

}  // namespace gantrel::window
