// SPDX-License-Identifier: MIT
#include "cli/scanner.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "analysis/analysis_run.h"
#include "common/error.h"
#include "gantrel/version.h"
#include "platform/platform.h"

namespace gantrel {
namespace {

constexpr const char* kUsage =
    "Usage: gantrel-scan [--json] MAP_FOLDER\n"
    "Checks a TELV map folder: reads every tile, lists the scenery objects and splines the map\n"
    "uses, their folders, and the ones missing from the installation that holds the map.\n"
    "\n"
    "  --json     print one JSON object instead of the activity log and the lists\n"
    "  --help     print this help\n"
    "  --version  print the version\n"
    "\n"
    "Exit status: 0 nothing missing, 1 something missing, 2 not a map folder or an error,\n"
    "64 wrong usage.\n";

// Message boxes become lines on the error stream, in order; the JSON form collects them.
class ConsoleUi final : public UserInterface {
public:
    ConsoleUi(std::ostream& err, bool echo) : m_err(err), m_echo(echo) {}

    void showMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (m_echo) {
            platform::writeText(m_err, text + '\n');
        }
    }
    void showError(const std::string& message) override
    {
        error = errorBoxText(message);
        if (m_echo) {
            platform::writeText(m_err, *error + '\n');
        }
    }

    std::vector<std::string> messages;
    std::optional<std::string> error;

private:
    std::ostream& m_err;
    bool m_echo;
};

struct Section {
    const char* caption;
    const char* key;
    const std::vector<std::string> WindowState::*list;
};

constexpr Section kSections[] = {
    {"Object folders", "objectFolders", &WindowState::objectFolders},
    {"Spline folders", "splineFolders", &WindowState::splineFolders},
    {"Object list", "objects", &WindowState::objects},
    {"Spline list", "splines", &WindowState::splines},
    {"Missing Objects", "missingObjects", &WindowState::missingObjects},
    {"Missing Splines", "missingSplines", &WindowState::missingSplines},
};

// 8-bit text, in one piece: a console is given the characters it stands for.
void printText(const WindowState& state, std::ostream& out)
{
    std::string text;
    for (const std::string& line : state.log) {
        text.append(line).append(1, '\n');
    }
    for (const Section& section : kSections) {
        text.append(1, '\n').append(section.caption).append(1, '\n');
        for (const std::string& entry : state.*section.list) {
            text.append(entry).append(1, '\n');
        }
    }
    platform::writeText(out, text);
}

// JSON is UTF-8, and the program's strings are in the system's 8-bit code page.
std::vector<std::string> utf8(const std::vector<std::string>& texts)
{
    std::vector<std::string> converted;
    converted.reserve(texts.size());
    for (const std::string& text : texts) {
        converted.push_back(platform::narrowToUtf8(text));
    }
    return converted;
}

void printJson(const WindowState& state, const ConsoleUi& ui, std::ostream& out)
{
    nlohmann::ordered_json result;
    result["path"] = platform::narrowToUtf8(state.path);
    result["log"] = utf8(state.log);
    result["tiles"] = utf8(state.tiles);
    for (const Section& section : kSections) {
        result[section.key] = utf8(state.*section.list);
    }
    result["exportButtonsVisible"] = state.exportButtonsVisible;
    result["messages"] = utf8(ui.messages);
    result["error"] = ui.error ? nlohmann::ordered_json(platform::narrowToUtf8(*ui.error))
                               : nlohmann::ordered_json();
    // Paths on disk need not be valid UTF-8: such bytes are replaced rather than refused.
    out << result.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

}  // namespace

std::string chosenFolderPath(const std::string& argument)
{
    // The system's own full-path routine: the argument is in the program's 8-bit text, which
    // the standard library reads in another encoding on Windows.
    std::string text = platform::fullPath(argument);
    // A root keeps its separator: "/", and a drive's root "E:\" as the chooser returns it.
    const auto isRoot = [&] {
        return text.size() == 1 || (platform::hasDrives() && text.size() == 3 && text[1] == ':');
    };
    while (!text.empty() && !isRoot() && platform::isSeparator(text.back())) {
        text.pop_back();
    }
    return text;
}

int runScanner(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    bool json = false;
    bool optionsEnded = false;  // after "--" every argument is a folder, even "-x"
    std::vector<std::string> folders;
    for (const std::string& argument : arguments) {
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            folders.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kScanClean;
        } else if (argument == "--version") {
            out << "gantrel-scan " << kVersion << "\n";
            return kScanClean;
        } else if (argument == "--json") {
            json = true;
        } else {
            err << "gantrel-scan: unknown option " << argument << "\n" << kUsage;
            return kScanUsage;
        }
    }
    if (folders.size() != 1) {
        err << (folders.empty() ? "gantrel-scan: no map folder given\n"
                                : "gantrel-scan: give one map folder\n")
            << kUsage;
        return kScanUsage;
    }

    WindowState state;
    ConsoleUi ui(err, !json);
    NoMapsFolderStore store;
    RunEnd end = RunEnd::NotAMapFolder;
    try {
        end = runAnalysis(chosenFolderPath(folders.front()), state, ui, store);
    } catch (const std::exception& error) {
        ui.showError(error.what());
    }
    if (json) {
        printJson(state, ui, out);
    } else {
        printText(state, out);
    }
    if (end != RunEnd::Completed || ui.error) {
        return kScanFailed;
    }
    return state.missingObjects.empty() && state.missingSplines.empty() ? kScanClean : kScanMissing;
}

}  // namespace gantrel
