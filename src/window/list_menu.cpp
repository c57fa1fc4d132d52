// SPDX-License-Identifier: MIT
#include "window/list_menu.h"

#include <algorithm>

#include "window/shortcuts.h"

namespace gantrel::window {

bool offersWhereUsed(WindowList list)
{
    return list == WindowList::Objects || list == WindowList::Splines ||
           list == WindowList::MissingObjects || list == WindowList::MissingSplines;
}

bool offersMapPackage(WindowList list)
{
    return list == WindowList::ObjectFolders || list == WindowList::SplineFolders;
}

std::vector<ListMenuItem> listMenu(WindowList list)
{
    std::vector<ListMenuItem> items{
        {ListCommand::Copy, "Copy", "Ctrl+C", false},
        {ListCommand::SelectAll, "Select All", "Ctrl+A", false},
        {ListCommand::CopyToClipboard, "Copy to Clipboard",
         keyText(chordOf(ShortcutCommand::CopyShownList)), true},
        {ListCommand::SaveAs, "Save As...", "", false},
    };
    if (offersWhereUsed(list)) {
        items.push_back({ListCommand::WhereUsed, "Where Used...", "", true});
    }
    if (offersMapPackage(list)) {
        items.push_back({ListCommand::MakeMapPackage, "Make Map Package...",
                         keyText(chordOf(ShortcutCommand::MakeMapPackage)), true});
    }
    return items;
}

std::string saveAsFileName(WindowList list)
{
    const auto page = std::find_if(kPages.begin(), kPages.end(), [list](const PageDesign& design) {
        return design.list == list;
    });
    return std::string(page->caption) + ".txt";
}

}  // namespace gantrel::window
