// SPDX-License-Identifier: MIT
#include "app_info.h"

namespace gantrel::ui {

QString applicationVersion()
{
    return QString::fromLatin1(kVersion);
}

QString noticeText()
{
    return QStringLiteral(
               "%1, version %2\n"
               "\n"
               "Gantrel reads every tile of a TELV map and lists the scenery objects "
               "and splines the map uses, the folders they lie in, and those that are "
               "missing from the installation. Each list can be copied to the "
               "clipboard, and the folders the map uses can be copied into another "
               "folder to assemble a map package.\n"
               "\n"
               "Gantrel is released under the MIT licence.\n"
               "\n"
               "Built with:\n"
               "Qt 6, under the GNU Lesser General Public License, version 3\n"
               "ICU, under the Unicode License")
        .arg(QString::fromLatin1(kApplicationTitle), applicationVersion());
}

}  // namespace gantrel::ui
