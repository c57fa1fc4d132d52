// SPDX-License-Identifier: MIT
#include "cli/scan_package.h"

#include <algorithm>
#include <exception>
#include <ostream>

#include "common/error.h"
#include "export/map_package.h"
#include "platform/platform.h"

namespace gantrel {

bool writeScanPackage(const WindowState& state, const std::string& mapFolder,
                      const std::string& zipFile, const std::vector<std::string>& notNeeded,
                      std::ostream& out, std::ostream& err)
{
    try {
        const std::vector<PackageFolder> folders = packageFolders(state, mapFolder);
        std::vector<bool> chosen;
        for (const PackageFolder& folder : folders) {
            chosen.push_back(std::none_of(
                notNeeded.begin(), notNeeded.end(),
                [&](const auto& name) { return sameFolderName(name, folder.folder); }));
        }
        const PackageResult result =
            writeMapPackage(folders, chosen, zipFile, [](const PackageProgress&) { return true; });
        platform::writeText(out, packageEndMessage(result, zipFile) + '\n');
        return true;
    } catch (const std::exception& error) {
        platform::writeText(err, "gantrel-scan: " + errorBoxText(error.what()) + '\n');
        return false;
    }
}

}  // namespace gantrel
