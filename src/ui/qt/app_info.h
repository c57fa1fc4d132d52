// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <string>

#include "window/window_design.h"

namespace gantrel::ui {

using window::kApplicationTitle;

/// The identifier the desktop file, the icon and the AppStream data are installed under.
inline constexpr char kDesktopId[] = "io.github.gantrel.Gantrel";

/// The version of the program, as the build defines it.
QString applicationVersion();

/// The program's notice, shown by "Click me": name and version, what the program is for, its
/// licence, and the libraries it is built on with their licences.
std::string noticeText();

}  // namespace gantrel::ui
