#pragma once

#include <QString>

namespace gantrel::ui {

/// The application title: the caption of the main window and of every message box.
inline constexpr char kApplicationTitle[] = "Gantrel 3.1";

/// The identifier the desktop file, the icon and the AppStream data are installed under.
inline constexpr char kDesktopId[] = "io.github.gantrel.Gantrel";

/// The four-part version of the program, as the build defines it.
QString applicationVersion();

/// The program's notice, shown by "Click me": name and version, what the program is for, and
/// the libraries it is built on with their licences.
QString noticeText();

}  // namespace gantrel::ui
