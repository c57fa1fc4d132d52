// SPDX-License-Identifier: MIT
#include "export/copier.h"

#include <optional>

#include "export/export_texts.h"
#include "gantrel/version.h"
#include "platform/copy.h"

namespace gantrel {
namespace {

constexpr const char* kUsage =
    "Usage: gantrel-copy [--within FOLDER] [--] SOURCE TARGET\n"
    "Copies the folder SOURCE with its subfolders, except empty ones, into the folder TARGET,\n"
    "which is made when missing; files already there are overwritten without asking. SOURCE is\n"
    "found without regard to case, and \"\\\" is taken as a separator in it. SOURCE is never\n"
    "changed.\n"
    "\n"
    "  --within FOLDER  write nothing outside FOLDER, and never copy FOLDER into itself\n"
    "                   (TARGET must lie below it; without this option, TARGET is FOLDER)\n"
    "  --help           print this help\n"
    "  --version        print the version\n"
    "\n"
    "Exit status: 0 everything copied, 1 something could not be copied (each problem is told\n"
    "on the error stream), 64 wrong usage.\n";

int usageError(std::ostream& err, const std::string& problem)
{
    err << "gantrel-copy: " << problem << "\n" << kUsage;
    return kCopyUsage;
}

}  // namespace

int runCopier(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> operands;
    std::optional<std::string> within;
    bool options = true;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!options || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
        } else if (argument == "--") {
            options = false;
        } else if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kCopyDone;
        } else if (argument == "--version") {
            out << "gantrel-copy " << kVersion << "\n";
            return kCopyDone;
        } else if (argument == "--within" && i + 1 < arguments.size()) {
            within = arguments[++i];
        } else if (argument == "--within") {
            return usageError(err, "--within needs a folder");
        } else {
            return usageError(err, "unknown option " + argument);
        }
    }
    if (operands.size() != 2 || operands[0].empty() || operands[1].empty() ||
        (within && within->empty())) {
        return usageError(err, "give a source and a target folder");
    }

    const std::string& target = operands[1];
    const std::optional<std::string> source = platform::resolveFolder(operands[0]);
    if (!source) {
        err << "gantrel-copy: " << missingFolderReason(operands[0]) << "\n";
        return kCopyFailed;
    }
    const std::vector<platform::CopyFailure> failures =
        platform::copyFolder({*source, target, within.value_or(target), true}, {});
    for (const platform::CopyFailure& failure : failures) {
        err << "gantrel-copy: " << copyFailureText(failure) << "\n";
    }
    err.flush();
    return failures.empty() ? kCopyDone : kCopyFailed;
}

}  // namespace gantrel
