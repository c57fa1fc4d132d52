// SPDX-License-Identifier: MIT
#include "window/package_dialog.h"

#include <algorithm>
#include <cstdio>

namespace gantrel::window {

PackageDialogModel::PackageDialogModel(std::vector<PackageFolder> folders,
                                       const std::vector<std::string>& notNeeded)
    : m_folders(std::move(folders))
{
    for (const PackageFolder& folder : m_folders) {
        const bool unwanted =
            std::any_of(notNeeded.begin(), notNeeded.end(),
                        [&](const auto& name) { return sameFolderName(name, folder.folder); });
        m_rows.push_back({folder.folder, folder.files.size(), folder.bytes, folder.present,
                          folder.present && !unwanted});
    }
}

void PackageDialogModel::setChecked(std::size_t row, bool checked)
{
    if (row < m_rows.size()) {
        m_rows[row].checked = checked && m_rows[row].present;
    }
}

void PackageDialogModel::setAll(bool checked)
{
    for (std::size_t row = 0; row < m_rows.size(); ++row) {
        setChecked(row, checked);
    }
}

std::string PackageDialogModel::totalText() const
{
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    for (const PackageRow& row : m_rows) {
        if (row.checked) {
            files += row.files;
            bytes += row.bytes;
        }
    }
    return "Total: " + std::to_string(files) + " files, " + sizeText(bytes);
}

std::vector<std::string> PackageDialogModel::notNeeded() const
{
    std::vector<std::string> folders;
    for (const PackageRow& row : m_rows) {
        if (row.present && !row.checked) {
            folders.push_back(row.folder);
        }
    }
    return folders;
}

std::vector<bool> PackageDialogModel::chosen() const
{
    std::vector<bool> chosen;
    for (const PackageRow& row : m_rows) {
        chosen.push_back(row.checked);
    }
    return chosen;
}

std::string sizeText(std::uint64_t bytes)
{
    if (bytes < 1024) {
        return std::to_string(bytes) + " bytes";
    }
    constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB"};
    double size = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    for (; size >= 1024 && unit + 1 < std::size(kUnits); ++unit) {
        size /= 1024;
    }
    char text[32];
    std::snprintf(text, sizeof text, size < 10 ? "%.1f %s" : "%.0f %s", size, kUnits[unit]);
    return text;
}

}  // namespace gantrel::window
