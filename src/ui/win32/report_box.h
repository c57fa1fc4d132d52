// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <string>

namespace gantrel::ui::win32 {

/// The box of a report too long for a message box (window::isLongReport): captioned with the
/// application title, the text in a read-only edit that scrolls, the stop icon beside it when
/// `error`, and OK. As large as the text needs, but at most window::kReportScreenShare of the
/// work area each way, centred on it; owned by `owner` (none: null), to which the focus returns,
/// and task-modal. Returns when it has been closed.
void showReportBox(const std::string& text, bool error, HWND owner);

/// The same box, without an icon, with OK and Cancel (the default, which Escape and the close
/// box press) to confirm what the text says: true for OK.
bool confirmReportBox(const std::string& text, HWND owner);

}  // namespace gantrel::ui::win32
