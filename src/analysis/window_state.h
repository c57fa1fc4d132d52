// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/line_store.h"
#include "analysis/where_used.h"

namespace gantrel {

/// The state the window shows and the analysis and the exports act on. The window renders it;
/// the scanner and the tests drive the same operations on it. Every list holds 8-bit strings.
struct WindowState {
    std::string path;                         // caminho: the map path field
    std::vector<std::string> log;             // scanlog: the activity log, one entry a line
    std::vector<std::string> objectFolders;   // folderlist
    std::vector<std::string> splineFolders;   // splinefolderlist
    std::vector<std::string> objects;         // filelist
    std::vector<std::string> splines;         // splinefilelist
    std::vector<std::string> missingObjects;  // missingobjects
    std::vector<std::string> missingSplines;  // missingsplines
    std::vector<std::string> tiles;           // tilelist: full tile paths, kept sorted
    LineStore lineStore{u"Mema"};             // Mema: the current tile's lines
    std::string tileCaption = "Tiles:";       // Label1
    WhereUsedRecord whereUsed;                // the tiles of the run that use each reference
    // GameRoot of the run whose lists are shown: the exports copy from this installation, not
    // from the one a later, rejected folder in the path field belongs to.
    std::string gameRoot;
    bool exportButtonsVisible = false;  // scof_copy, slif_copy, Button10, Button11
    std::size_t logScrolls = 0;  // times the log's caret was put at its end and scrolled into view
};

/// The message box and the error box, reached through one small interface so that the window
/// shows real modal boxes while the scanner prints and the tests record.
class UserInterface {
public:
    virtual ~UserInterface() = default;
    /// The message box: returns when the user has closed it.
    virtual void showMessage(const std::string& text) = 0;
    /// The error box for an error's message (the full-stop rule is applied by the caller's
    /// errorBoxText or here, as the implementation documents).
    virtual void showError(const std::string& message) = 0;
    /// Called after each tile of a scan; a window repaints and shows progress here.
    virtual void tileScanned(std::size_t /*done*/, std::size_t /*total*/) {}
    /// Asked after each tile of a scan, once tileScanned has returned: true ends the scan
    /// there as cancelled (the user pressed Cancel or closed the window).
    virtual bool cancelRequested() { return false; }
};

}  // namespace gantrel
