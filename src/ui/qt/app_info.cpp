// SPDX-License-Identifier: MIT
#include "app_info.h"

namespace gantrel::ui {

QString applicationVersion()
{
    return QString::fromLatin1(kVersion);
}

std::string noticeText()
{
    return window::noticeText(kVersion,
                              {"Qt 6, under the GNU Lesser General Public License, version 3",
                               "ICU, under the Unicode License"});
}

}  // namespace gantrel::ui
