// SPDX-License-Identifier: MIT
#include "delayed_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <limits>
#include <utility>

#include "app_info.h"
#include "qt_text.h"

namespace gantrel::ui {
namespace {

// QProgressDialog counts in int; larger counts are scaled onto its range.
int barValue(std::size_t value, std::size_t maximum)
{
    constexpr std::size_t kMax = std::numeric_limits<int>::max();
    if (maximum <= kMax) {
        return static_cast<int>(value);
    }
    return static_cast<int>(static_cast<double>(value) / static_cast<double>(maximum) * kMax);
}

}  // namespace

DelayedProgress::DelayedProgress(QWidget* owner, Clock clock, Cancel cancel)
    : m_owner(owner), m_timing(std::move(clock)), m_cancel(cancel)
{
}

DelayedProgress::~DelayedProgress() = default;

void DelayedProgress::update(const std::string& text, std::size_t value, std::size_t maximum)
{
    if (!m_timing.due(m_dialog != nullptr)) {
        return;
    }
    if (!m_dialog) {
        m_dialog = std::make_unique<QProgressDialog>(m_owner);
        m_dialog->setObjectName(QStringLiteral("progress"));
        m_dialog->setWindowTitle(QString::fromLatin1(kApplicationTitle));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        if (m_cancel == Cancel::Yes) {
            // The dialog's own Cancel button; the dialog presses it on Escape too.
            QObject::connect(m_dialog.get(), &QProgressDialog::canceled, m_dialog.get(),
                             [this] { m_cancelled = true; });
        } else {
            // Without the button, Escape would only hide the dialog while the work goes on.
            m_dialog->setCancelButton(nullptr);
        }
        // Stays at the maximum until closed instead of vanishing there.
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(260);
        m_dialog->show();
    }
    m_dialog->setMaximum(barValue(maximum, maximum));
    m_dialog->setLabelText(toQString(text));
    m_dialog->setValue(barValue(value, maximum));
    QCoreApplication::processEvents();
}

void DelayedProgress::close()
{
    m_dialog.reset();
}

void DelayedProgress::restart()
{
    close();
    m_timing.restart();
}

}  // namespace gantrel::ui
