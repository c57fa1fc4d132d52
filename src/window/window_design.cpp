// SPDX-License-Identifier: MIT
#include "window/window_design.h"

namespace gantrel::window {

const std::vector<std::string>& listOf(const WindowState& state, WindowList list)
{
    switch (list) {
        case WindowList::Log:
            return state.log;
        case WindowList::ObjectFolders:
            return state.objectFolders;
        case WindowList::SplineFolders:
            return state.splineFolders;
        case WindowList::Objects:
            return state.objects;
        case WindowList::Splines:
            return state.splines;
        case WindowList::MissingObjects:
            return state.missingObjects;
        case WindowList::MissingSplines:
            break;
    }
    return state.missingSplines;
}

std::string clipboardText(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries) {
        for (const char c : entry) {
            if (c == '\n') {
                text += '\r';
            }
            text += c;
        }
        text += "\r\n";
    }
    return text;
}

std::string memoText(std::span<const std::string> entries, std::string_view lineEnd)
{
    std::size_t size = 0;
    for (const std::string& entry : entries) {
        size += entry.size() + lineEnd.size();
    }
    std::string text;
    text.reserve(size);
    for (const std::string& entry : entries) {
        text.append(entry).append(lineEnd);
    }
    return text;
}

std::string noticeText(const std::string& version, const std::vector<std::string>& builtWith)
{
    std::string text = std::string(kApplicationTitle) + ", version " + version +
                       "\n"
                       "\n"
                       "Gantrel reads every tile of a TELV map and lists the scenery objects "
                       "and splines the map uses, the folders they lie in, and those that are "
                       "missing from the installation. Each list can be copied to the "
                       "clipboard, and the folders the map uses can be copied into another "
                       "folder to assemble a map package.\n"
                       "\n"
                       "Gantrel is released under the MIT licence.\n"
                       "\n"
                       "Built with:";
    for (const std::string& library : builtWith) {
        text += '\n' + library;
    }
    return text;
}

}  // namespace gantrel::window
