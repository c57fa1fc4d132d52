// SPDX-License-Identifier: MIT
#include "qt_text.h"

#include "window/window_design.h"

namespace gantrel::ui {

QString toQString(std::string_view text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toNarrow(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

QString joinEntries(const std::vector<std::string>& entries)
{
    return toQString(window::memoText(entries, "\n"));
}

}  // namespace gantrel::ui
