// SPDX-License-Identifier: MIT
#include "package_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "qt_text.h"

namespace gantrel::ui {

PackageDialog::PackageDialog(window::PackageDialogModel& model, QWidget* parent)
    : QDialog(parent), m_model(model), m_folders(new QTreeWidget(this)), m_total(new QLabel(this))
{
    setWindowTitle(QString::fromLatin1(window::kPackageDialogTitle));
    m_folders->setObjectName(QStringLiteral("PackageFolders"));
    QStringList columns;
    for (const char* column : window::kPackageColumns) {
        columns << QString::fromLatin1(column);
    }
    m_folders->setHeaderLabels(columns);
    m_folders->setRootIsDecorated(false);
    m_folders->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_total->setObjectName(QStringLiteral("PackageTotal"));
    for (const window::PackageRow& row : m_model.rows()) {
        auto* item = new QTreeWidgetItem(m_folders);
        item->setText(0, toQString(row.folder));
        item->setText(1, QString::number(row.files));
        item->setText(2, toQString(window::sizeText(row.bytes)));
        item->setTextAlignment(1, Qt::AlignRight);
        item->setTextAlignment(2, Qt::AlignRight);
        item->setDisabled(!row.present);
    }

    const auto button = [this](const char* name, const char* text) {
        auto* made = new QPushButton(QString::fromLatin1(text), this);
        made->setObjectName(QString::fromLatin1(name));
        made->setAutoDefault(false);
        return made;
    };
    QPushButton* checkAll = button("CheckAll", window::kCheckAllButton);
    QPushButton* uncheckAll = button("UncheckAll", window::kUncheckAllButton);
    QPushButton* create = button("Create", window::kCreateButton);
    QPushButton* cancel = button("Cancel", "Cancel");
    create->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(checkAll);
    buttons->addWidget(uncheckAll);
    buttons->addStretch();
    buttons->addWidget(create);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_folders);
    layout->addWidget(m_total);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(m_folders, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        if (!m_rendering) {
            m_model.setChecked(static_cast<std::size_t>(m_folders->indexOfTopLevelItem(item)),
                               item->checkState(0) == Qt::Checked);
            render();
        }
    });
    connect(checkAll, &QPushButton::clicked, this, [this] {
        m_model.checkAll();
        render();
    });
    connect(uncheckAll, &QPushButton::clicked, this, [this] {
        m_model.uncheckAll();
        render();
    });
    connect(create, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    render();
}

void PackageDialog::render()
{
    m_rendering = true;
    for (std::size_t row = 0; row < m_model.rows().size(); ++row) {
        m_folders->topLevelItem(static_cast<int>(row))
            ->setCheckState(0, m_model.rows()[row].checked ? Qt::Checked : Qt::Unchecked);
    }
    m_total->setText(toQString(m_model.totalText()));
    m_rendering = false;
}

}  // namespace gantrel::ui
