// SPDX-License-Identifier: MIT
#include "qt_text.h"

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
    std::size_t size = 0;
    for (const std::string& entry : entries) {
        size += entry.size() + 1;
    }
    std::string joined;
    joined.reserve(size);
    for (const std::string& entry : entries) {
        joined.append(entry).push_back('\n');
    }
    return toQString(joined);
}

}  // namespace gantrel::ui
