// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>

#include <optional>
#include <vector>

#include "analysis/tile_rewrite.h"

class QDialog;
class QListWidget;

namespace gantrel::ui {

/// The "Found elsewhere" part of a missing entry's Where Used dialog: the folder moves that hold
/// the entry and the files of its name elsewhere, best first, and "Relink..." for the one
/// picked, which closes the dialog with that choice. Children: "foundElsewhere", "relink".
class FoundElsewherePart final : public QGroupBox {
    Q_OBJECT

public:
    /// `searching`: the search still runs, so nothing can be offered yet.
    FoundElsewherePart(std::vector<RelinkChange> choices, bool searching, QDialog& dialog);

    /// The relink picked with "Relink...", if any.
    const std::optional<RelinkChange>& chosen() const { return m_chosen; }

private:
    std::vector<RelinkChange> m_choices;
    std::optional<RelinkChange> m_chosen;
    QListWidget* m_list;
};

}  // namespace gantrel::ui
