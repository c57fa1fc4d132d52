// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QProgressDialog>
#include <QWidget>

#include <memory>

#include "delayed_progress.h"
#include "support/test_support.h"
#include "window/operation_interfaces.h"

namespace gantrel::ui {
namespace {

using namespace std::chrono_literals;

TEST(ScanProgressTest, ShowsTileOfTotalFromTheDelayOnUntilClosed)
{
    QWidget owner;
    std::chrono::steady_clock::time_point now{};
    gantrel::test::RecordingUi dialogs;
    window::RunInterface progress(dialogs,
                                  std::make_unique<DelayedProgress>(
                                      &owner, [&] { return now; }, DelayedProgress::Cancel::Yes),
                                  [] {});

    now += DelayedProgress::kDelay - 1ms;
    progress.tileScanned(1, 5);
    EXPECT_EQ(owner.findChild<QProgressDialog*>(), nullptr);

    now += 1ms;
    progress.tileScanned(2, 5);
    const auto* dialog = owner.findChild<QProgressDialog*>(QStringLiteral("progress"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->labelText(), QStringLiteral("Tile 2 of 5"));
    EXPECT_EQ(dialog->value(), 2);
    EXPECT_EQ(dialog->maximum(), 5);
    EXPECT_TRUE(dialog->isModal());

    // An update right after the last one shown is passed over; a later one is shown.
    progress.tileScanned(3, 5);
    EXPECT_EQ(dialog->labelText(), QStringLiteral("Tile 2 of 5"));
    now += DelayedProgress::kRepaintInterval;
    progress.tileScanned(5, 5);
    EXPECT_EQ(dialog->labelText(), QStringLiteral("Tile 5 of 5"));
    EXPECT_TRUE(dialog->isVisible()) << "stays at the maximum until closed";
    // A box closes the dialog first.
    progress.showMessage("done");
    EXPECT_EQ(owner.findChild<QProgressDialog*>(), nullptr);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"done"});

    // Counts beyond the bar's int range are scaled onto it.
    const std::size_t total = std::size_t{1} << 40;
    progress.tileScanned(total / 2, total);
    dialog = owner.findChild<QProgressDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_NEAR(static_cast<double>(dialog->value()) / dialog->maximum(), 0.5, 1e-6);
}

}  // namespace
}  // namespace gantrel::ui
