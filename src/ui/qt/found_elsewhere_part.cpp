// SPDX-License-Identifier: MIT
#include "found_elsewhere_part.h"

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt_text.h"
#include "window/relink_flow.h"

namespace gantrel::ui {

FoundElsewherePart::FoundElsewherePart(std::vector<RelinkChange> choices, bool searching,
                                       QDialog& dialog)
    : QGroupBox(QString::fromLatin1(window::kFoundElsewhereCaption), &dialog),
      m_choices(std::move(choices)),
      m_list(new QListWidget(this))
{
    m_list->setObjectName(QStringLiteral("foundElsewhere"));
    for (const RelinkChange& choice : m_choices) {
        m_list->addItem(toQString(window::relinkChoiceText(choice)));
    }
    auto* relink = new QPushButton(QString::fromLatin1(window::kRelinkButton), this);
    relink->setObjectName(QStringLiteral("relink"));
    relink->setEnabled(!m_choices.empty());
    if (!m_choices.empty()) {
        m_list->setCurrentRow(0);
    }
    auto* layout = new QVBoxLayout(this);
    if (searching || m_choices.empty()) {
        layout->addWidget(new QLabel(
            QString::fromLatin1(searching ? window::kSearchingNote : window::kFoundNowhereNote),
            this));
    }
    layout->addWidget(m_list);
    layout->addWidget(relink, 0, Qt::AlignRight);
    connect(relink, &QPushButton::clicked, this, [this, &dialog] {
        const int row = m_list->currentRow();
        if (row >= 0) {
            m_chosen = m_choices[static_cast<std::size_t>(row)];
            dialog.accept();
        }
    });
}

}  // namespace gantrel::ui
