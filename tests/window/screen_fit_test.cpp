// SPDX-License-Identifier: MIT
#include "window/screen_fit.h"

#include <gtest/gtest.h>

namespace gantrel::window {
namespace {

TEST(ScreenFitTest, AWindowThatFitsStaysAndOneThatDoesNotMovesJustEnough)
{
    // A 1,600 by 900 screen whose task bar takes the lowest 40 pixels.
    const ScreenRect screen{0, 0, 1600, 860};
    EXPECT_EQ(fitOnScreen({516, 70, 570, 411}, screen), (ScreenRect{516, 70, 570, 411}));
    // The designed place at a scale of 2: pushed back to the right and bottom edges.
    EXPECT_EQ(fitOnScreen({1032, 140, 1140, 822}, screen), (ScreenRect{460, 38, 1140, 822}));
    // Off the left and top edges of a second screen beside the first.
    EXPECT_EQ(fitOnScreen({1500, -20, 570, 411}, {1600, 0, 1280, 1024}),
              (ScreenRect{1600, 0, 570, 411}));
    // Larger than the screen: the title bar and left edge stay on it.
    EXPECT_EQ(fitOnScreen({516, 70, 2000, 1200}, screen), (ScreenRect{0, 0, 2000, 1200}));
}

}  // namespace
}  // namespace gantrel::window
