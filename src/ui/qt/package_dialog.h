// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include "window/package_dialog.h"

class QLabel;
class QTreeWidget;

namespace gantrel::ui {

/// The map package dialog: the model's rows with their check boxes ("PackageFolders"), the
/// total line ("PackageTotal"), "Check all", "Uncheck all", "Create..." (accepts) and "Cancel".
/// A folder the installation lacks is shown greyed. Every change goes to the model.
class PackageDialog final : public QDialog {
public:
    PackageDialog(window::PackageDialogModel& model, QWidget* parent);

private:
    void render();

    window::PackageDialogModel& m_model;
    QTreeWidget* m_folders;
    QLabel* m_total;
    bool m_rendering = false;
};

}  // namespace gantrel::ui
