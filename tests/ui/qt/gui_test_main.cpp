// SPDX-License-Identifier: MIT
// GoogleTest with a QApplication: the window, the dialogs and the clipboard need one. Listing
// the tests (as test discovery does at build time) needs no display and makes none.

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

int main(int argc, char* argv[])
{
    testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<QApplication> application;
    if (!GTEST_FLAG_GET(list_tests)) {
        application = std::make_unique<QApplication>(argc, argv);
    }
    return RUN_ALL_TESTS();
}
