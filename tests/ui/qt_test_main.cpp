// Test entry point for tests that need a running Qt application. No display
// exists on the test machines, so the offscreen platform is used.

#include <gtest/gtest.h>

#include <QApplication>

#include "fixtures/skip_without_tools.h"

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    fixtures::SkipTestsWithoutTools();
    return RUN_ALL_TESTS();
}
