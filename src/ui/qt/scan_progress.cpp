// SPDX-License-Identifier: MIT
#include "scan_progress.h"

#include <QString>

#include <algorithm>
#include <limits>

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

void ScanProgress::tileScanned(std::size_t done, std::size_t total)
{
    m_progress.update(QStringLiteral("Tile %1 of %2").arg(done).arg(total), barValue(done, total),
                      barValue(std::max(total, std::size_t{1}), total));
}

}  // namespace gantrel::ui
