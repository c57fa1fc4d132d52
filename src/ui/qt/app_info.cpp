#include "app_info.h"

namespace gantrel::ui {

QString applicationVersion()
{
    return QStringLiteral(GANTREL_VERSION);
}

std::string noticeText()
{
    return window::noticeText(GANTREL_VERSION,
                              {"Qt 6, under the GNU Lesser General Public License, version 3",
                               "ICU, under the Unicode License"});
}

}  // namespace gantrel::ui
