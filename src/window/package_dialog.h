// SPDX-License-Identifier: MIT
#pragma once

// The map package dialog as both windows show it: one row per folder with its check box, its
// files and their size, the total line, "Check all" and "Uncheck all". The windows render the
// rows and forward the clicks; the operation behind "Make Map Package..." drives the rest.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "export/map_package.h"

namespace gantrel::window {

/// The dialog's texts, the same in both windows.
inline constexpr const char* kPackageDialogTitle = "Make Map Package";
inline constexpr std::array<const char*, 3> kPackageColumns{"Folder", "Files", "Size"};
inline constexpr const char* kCheckAllButton = "Check all";
inline constexpr const char* kUncheckAllButton = "Uncheck all";
inline constexpr const char* kCreateButton = "Create...";
/// The progress dialog's text while the package is written.
inline constexpr const char* kPackageProgressText = "Writing the map package...";

struct PackageRow {
    std::string folder;  // "maps\Demo\", relative to GameRoot
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
    bool present = true;  // false: shown greyed, never checked, never packed
    bool checked = true;
};

class PackageDialogModel {
public:
    /// Every present folder is checked but those in `notNeeded` (matched as sameFolderName does).
    PackageDialogModel(std::vector<PackageFolder> folders,
                       const std::vector<std::string>& notNeeded);

    const std::vector<PackageRow>& rows() const { return m_rows; }
    /// A row's check box; a folder the installation lacks stays unchecked.
    void setChecked(std::size_t row, bool checked);
    void checkAll() { setAll(true); }
    void uncheckAll() { setAll(false); }
    /// The line below the rows: "Total: N files, B bytes" of the checked folders.
    std::string totalText() const;

    /// The present folders left unchecked, to be remembered as not needed.
    std::vector<std::string> notNeeded() const;
    const std::vector<PackageFolder>& folders() const { return m_folders; }
    std::vector<bool> chosen() const;

private:
    void setAll(bool checked);

    std::vector<PackageFolder> m_folders;
    std::vector<PackageRow> m_rows;
};

/// The dialogs the package operation runs, each given by the window.
struct PackageDialogs {
    /// The package dialog on the model: true when "Create..." was pressed, false when closed.
    std::function<bool(PackageDialogModel&)> choose;
    /// The save dialog for the zip, proposing `fileName` in `folder` (empty: the window's
    /// own choice); the chosen file, or nullopt when cancelled.
    std::function<std::optional<std::string>(const std::string& folder,
                                             const std::string& fileName)>
        chooseFile;
    /// The progress dialog: called while the package is written; false once cancelled.
    PackageProgressFn progress;
};

/// The text of a size for the dialog's rows: "0 bytes", "12 KB", "3.4 MB", "1.2 GB".
std::string sizeText(std::uint64_t bytes);

}  // namespace gantrel::window
