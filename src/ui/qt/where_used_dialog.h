// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "window/where_used_table.h"

class QPushButton;
class QTableWidget;

namespace gantrel::ui {

/// The Where Used dialog: the entry, how many tiles use it, and a table of those tiles (file
/// name, first line) that sorts by either column when its header is clicked. "Copy to
/// Clipboard" copies the table as it is sorted; "Open Tile", a double-click or Return on a
/// row opens that tile in the desktop's program for its file type. Children are named by role:
/// "entry", "tiles", "copyTable", "openTile".
class WhereUsedDialog final : public QDialog {
    Q_OBJECT

public:
    /// `copy` puts a text on the clipboard; `open` opens a tile file by its full path.
    WhereUsedDialog(const std::string& entry, std::vector<window::WhereUsedRow> rows,
                    std::function<void(const std::string&)> copy,
                    std::function<void(const std::string&)> open, QWidget* parent = nullptr);

    /// Adds a part of the dialog below the table.
    void addPart(QWidget* part);

    /// The rows in the order the table shows them.
    std::vector<window::WhereUsedRow> shownRows() const;

private:
    void openRow(int row);

    std::vector<window::WhereUsedRow> m_rows;
    std::function<void(const std::string&)> m_open;
    QTableWidget* m_table;
    QPushButton* m_openButton;
};

}  // namespace gantrel::ui
