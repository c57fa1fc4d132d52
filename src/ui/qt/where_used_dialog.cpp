// SPDX-License-Identifier: MIT
#include "where_used_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <utility>

#include "qt_text.h"

namespace gantrel::ui {
namespace {

// The index of the row in the dialog's rows, kept on the row's first cell across sorting.
constexpr int kRowRole = Qt::UserRole;

}  // namespace

WhereUsedDialog::WhereUsedDialog(const std::string& entry, std::vector<window::WhereUsedRow> rows,
                                 std::function<void(const std::string&)> copy,
                                 std::function<void(const std::string&)> open, QWidget* parent)
    : QDialog(parent),
      m_rows(std::move(rows)),
      m_open(std::move(open)),
      m_table(new QTableWidget(static_cast<int>(m_rows.size()), 2, this)),
      m_openButton(new QPushButton(QStringLiteral("Open Tile"), this))
{
    setObjectName(QStringLiteral("WhereUsed"));
    setWindowTitle(QString::fromLatin1(window::kWhereUsedTitle));

    auto* entryLabel = new QLabel(toQString(entry), this);
    entryLabel->setObjectName(QStringLiteral("entry"));
    entryLabel->setTextFormat(Qt::PlainText);
    entryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* count = new QLabel(this);
    count->setText(m_rows.size() == 1 ? QStringLiteral("Used on 1 tile")
                                      : QStringLiteral("Used on %1 tiles").arg(m_rows.size()));

    m_table->setObjectName(QStringLiteral("tiles"));
    m_table->setHorizontalHeaderLabels({QString::fromLatin1(window::kWhereUsedColumns[0]),
                                        QString::fromLatin1(window::kWhereUsedColumns[1])});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const window::WhereUsedRow& use = m_rows[static_cast<std::size_t>(row)];
        auto* tile = new QTableWidgetItem(toQString(use.fileName));
        tile->setToolTip(toQString(use.tile));
        tile->setData(kRowRole, row);
        m_table->setItem(row, 0, tile);
        auto* line = new QTableWidgetItem;
        line->setData(Qt::DisplayRole, static_cast<qulonglong>(use.line));  // sorts as a number
        m_table->setItem(row, 1, line);
    }
    // In tile-list order until a header is clicked.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    if (m_table->rowCount() > 0) {
        m_table->selectRow(0);
    }
    m_openButton->setObjectName(QStringLiteral("openTile"));
    m_openButton->setEnabled(m_table->rowCount() > 0);
    auto* copyButton = new QPushButton(QStringLiteral("Copy to Clipboard"), this);
    copyButton->setObjectName(QStringLiteral("copyTable"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(copyButton, QDialogButtonBox::ActionRole);
    buttons->addButton(m_openButton, QDialogButtonBox::ActionRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(entryLabel);
    layout->addWidget(count);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(480, 320);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(copyButton, &QPushButton::clicked, this,
            [this, copy = std::move(copy)] { copy(window::whereUsedText(shownRows())); });
    connect(m_openButton, &QPushButton::clicked, this, [this] { openRow(m_table->currentRow()); });
    connect(m_table, &QTableWidget::cellActivated, this,
            [this](int row, int /*column*/) { openRow(row); });
}

void WhereUsedDialog::addPart(QWidget* part)
{
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->insertWidget(box->count() - 1, part);  // above the buttons
}

std::vector<window::WhereUsedRow> WhereUsedDialog::shownRows() const
{
    std::vector<window::WhereUsedRow> shown;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        shown.push_back(m_rows[m_table->item(row, 0)->data(kRowRole).toULongLong()]);
    }
    return shown;
}

void WhereUsedDialog::openRow(int row)
{
    if (row >= 0 && row < m_table->rowCount()) {
        m_open(m_rows[m_table->item(row, 0)->data(kRowRole).toULongLong()].tile);
    }
}

}  // namespace gantrel::ui
