// SPDX-License-Identifier: MIT
#include "found_elsewhere_part.h"

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/platform.h"
#include "qt_text.h"

namespace gantrel::ui {

FoundElsewherePart::FoundElsewherePart(std::vector<RelinkChange> choices, bool searching,
                                       QDialog& dialog)
    : QGroupBox(QStringLiteral("Found elsewhere"), &dialog),
      m_choices(std::move(choices)),
      m_list(new QListWidget(this))
{
    m_list->setObjectName(QStringLiteral("foundElsewhere"));
    for (const RelinkChange& choice : m_choices) {
        // A folder move shows both folders; a single file the file found.
        m_list->addItem(toQString(
            choice.folder() ? choice.from + " " + platform::utf8ToNarrow("\u2192") + " " + choice.to
                            : choice.to));
    }
    auto* relink = new QPushButton(QStringLiteral("Relink..."), this);
    relink->setObjectName(QStringLiteral("relink"));
    relink->setEnabled(!m_choices.empty());
    if (!m_choices.empty()) {
        m_list->setCurrentRow(0);
    }
    auto* layout = new QVBoxLayout(this);
    if (searching || m_choices.empty()) {
        layout->addWidget(new QLabel(searching ? QStringLiteral("Searching the installation...")
                                               : QStringLiteral("Found nowhere else."),
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
