// SPDX-License-Identifier: MIT
#pragma once

// What every window shows and where its buttons lead, by component name: the seven pages with
// their lists and copy buttons, and the four export buttons. Each window lays these out in its
// own toolkit.

#include <array>
#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/window_state.h"
#include "export/export_texts.h"
#include "gantrel/version.h"
#include "window/screen_fit.h"

namespace gantrel::window {

/// The application title: the caption of the main window and of every message box.
using gantrel::kApplicationTitle;
/// The map folder chooser's instruction text and the root of its tree.
inline constexpr char kMapFolderTitle[] = "Select your MAP folder";
inline constexpr char kMapFolderRoot[] = "\\";

/// The main window's designed place on the screen and its client size at 96 dpi, which is its
/// normal size and its least.
inline constexpr ScreenRect kDesignedClient{516, 70, 570, 411};
/// How often the copiers of the command-line exports are looked at while they run.
inline constexpr std::chrono::milliseconds kCopierPollInterval{150};
/// How often the window looks whether the search for the missing entries has ended.
inline constexpr std::chrono::milliseconds kSearchPollInterval{100};

/// The lists the memos of the seven pages show, in tab order.
enum class WindowList {
    Log,
    ObjectFolders,
    SplineFolders,
    Objects,
    Splines,
    MissingObjects,
    MissingSplines
};

/// One page of the tab control: its caption, its memo with the memo's font size in pixels, and
/// its "Copy to Clipboard" button.
struct PageDesign {
    const char* caption;
    const char* memo;
    int memoFontPixels;
    const char* copyButton;
    WindowList list;
};

inline constexpr std::array<PageDesign, 7> kPages{{
    {"Activity log", "scanlog", 12, "Button1", WindowList::Log},
    {"Object folders", "folderlist", 13, "Button3", WindowList::ObjectFolders},
    {"Spline folders", "splinefolderlist", 13, "Button4", WindowList::SplineFolders},
    {"Object list", "filelist", 13, "Button5", WindowList::Objects},
    {"Spline list", "splinefilelist", 13, "Button6", WindowList::Splines},
    {"Missing Objects", "missingobjects", 13, "Button8", WindowList::MissingObjects},
    {"Missing Splines", "missingsplines", 13, "Button9", WindowList::MissingSplines},
}};

/// One of the four export buttons, hidden until the first completed run.
struct ExportButtonDesign {
    const char* name;
    ExportList list;
    ExportVariant variant;
};

inline constexpr std::array<ExportButtonDesign, 4> kExportButtons{{
    {"scof_copy", ExportList::ObjectFolders, ExportVariant::ShellCopy},
    {"slif_copy", ExportList::SplineFolders, ExportVariant::ShellCopy},
    {"Button10", ExportList::ObjectFolders, ExportVariant::CommandCopy},
    {"Button11", ExportList::SplineFolders, ExportVariant::CommandCopy},
}};

/// The entries a memo shows.
const std::vector<std::string>& listOf(const WindowState& state, WindowList list);

/// The clipboard text of a list: every entry followed by CR LF, a line break inside an entry
/// made CR LF as well; empty for an empty list.
std::string clipboardText(const std::vector<std::string>& entries);

/// A memo's text: every entry followed by `lineEnd`, made in one piece so that a long list
/// costs one allocation.
std::string memoText(std::span<const std::string> entries, std::string_view lineEnd);

/// The program's notice, shown by "Click me": name and version, what the program is for, and
/// `builtWith`, the libraries the window is built on with their licences, one a line.
std::string noticeText(const std::string& version, const std::vector<std::string>& builtWith);

}  // namespace gantrel::window
