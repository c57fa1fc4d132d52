// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

#include "export/export_ui.h"

namespace gantrel {

/// True when a folder entry (a relative path ending in "\", read from a tile) names a folder
/// strictly below the folder it is joined to: not empty, not absolute ("/" or "\" first, which
/// also covers "\\server"), without a colon (a drive such as "C:", or a stream), and without a
/// ".." component between either separator. Entries that fail are never copied: a tile is
/// input from anyone.
bool isSafeEntry(std::string_view entry);

/// True when the entry is the bare top folder that the command-line export skips:
/// "Sceneryobjects\" for the object folders, "Splines\" for the spline folders, compared exactly.
bool isTopFolder(ExportList list, std::string_view entry);

/// The target folder of an entry: destination + separator + entry, every "\" of the entry
/// made the platform's separator, the entry's own spelling kept.
std::string targetOf(const std::string& destination, std::string_view entry);

/// The source folder the command-line copier is given: GameRoot + entry without its last
/// character (its trailing backslash).
std::string copierSourceOf(const std::string& gameRoot, std::string_view entry);

/// The parameters of the system's command-line copier for one entry E, with S = GameRoot + E
/// without its last character and D the destination: "S" "D\E" /S /Y /J /I, each path in
/// double quotes.
std::string xcopyParameters(const std::string& gameRoot, const std::string& destination,
                            std::string_view entry);

/// True when the target, with every link of its existing part followed, still lies below the
/// destination's real path.
bool staysInside(const std::string& destination, const std::string& target);

/// True when both paths name one existing folder (the same file identity), the second found as
/// the native file system finds names, without regard to case.
bool sameFolder(const std::string& first, const std::string& second);

}  // namespace gantrel
