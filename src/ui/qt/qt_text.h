// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// The program's 8-bit strings (paths, list entries, log lines) meet Qt's UTF-16 text only here.

namespace gantrel::ui {

/// An 8-bit string of the engine as Qt text (the system's 8-bit encoding: UTF-8 on POSIX).
QString toQString(std::string_view text);

/// Qt text as an 8-bit string of the engine; the inverse of toQString.
std::string toNarrow(const QString& text);

/// A list as a memo shows it: every entry followed by a line break, converted in one piece so
/// that long lists cost one conversion and one document load.
QString joinEntries(const std::vector<std::string>& entries);

}  // namespace gantrel::ui
