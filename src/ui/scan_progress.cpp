#include "scan_progress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>
#include <limits>
#include <utility>

#include "app_info.h"

namespace gantrel::ui {
namespace {

// QProgressDialog counts in int; larger tile counts are scaled onto its range.
int barValue(std::size_t value, std::size_t total)
{
    constexpr std::size_t kMax = std::numeric_limits<int>::max();
    if (total <= kMax) {
        return static_cast<int>(value);
    }
    return static_cast<int>(static_cast<double>(value) / static_cast<double>(total) * kMax);
}

}  // namespace

std::chrono::steady_clock::time_point ScanProgress::now()
{
    return std::chrono::steady_clock::now();
}

ScanProgress::ScanProgress(QWidget* owner, Clock clock)
    : m_owner(owner), m_clock(std::move(clock)), m_start(m_clock())
{
}

ScanProgress::~ScanProgress() = default;

void ScanProgress::tileScanned(std::size_t done, std::size_t total)
{
    if (!m_dialog) {
        if (m_clock() - m_start < kDelay) {
            return;
        }
        m_dialog = std::make_unique<QProgressDialog>(m_owner);
        m_dialog->setObjectName(QStringLiteral("progress"));
        m_dialog->setWindowTitle(QString::fromLatin1(kApplicationTitle));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setCancelButton(nullptr);
        // Stays at "Tile N of N" until closed instead of vanishing at the maximum.
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->setMinimumDuration(0);
        m_dialog->setMinimumWidth(260);
        m_dialog->show();
    }
    m_dialog->setMaximum(barValue(std::max(total, std::size_t{1}), total));
    m_dialog->setLabelText(QStringLiteral("Tile %1 of %2").arg(done).arg(total));
    m_dialog->setValue(barValue(done, total));
    QCoreApplication::processEvents();
}

void ScanProgress::close()
{
    m_dialog.reset();
}

}  // namespace gantrel::ui
