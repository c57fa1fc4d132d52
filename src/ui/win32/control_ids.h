// SPDX-License-Identifier: MIT
#pragma once

// The control identifiers of the main window's controls, by component name: a test finds a
// control with GetDlgItem and clicks it with a message.

namespace gantrel::ui::win32::ids {

enum : int {
    GroupBox1 = 100,
    caminho,
    Button2,
    PageControl,
    Button7,
    // The memos and copy buttons of the pages, in tab order.
    scanlog,
    folderlist,
    splinefolderlist,
    filelist,
    splinefilelist,
    missingobjects,
    missingsplines,
    Button1,
    Button3,
    Button4,
    Button5,
    Button6,
    Button8,
    Button9,
    // The export buttons.
    scof_copy,
    slif_copy,
    Button10,
    Button11,
    // The working controls below the client area.
    Label1,
    Label2,
    tilelist,
    Mema,
    telvpath,
};

/// The memo and the copy button of page `index`.
constexpr int memoOfPage(int index)
{
    return scanlog + index;
}
constexpr int copyButtonOfPage(int index)
{
    return Button1 + index;
}
/// Export button `index` of the shared design's kExportButtons.
constexpr int exportButton(int index)
{
    return scof_copy + index;
}

}  // namespace gantrel::ui::win32::ids
