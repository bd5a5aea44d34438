// GoogleTest with a Qt widgets application object, for tests of windows on the offscreen platform.
#include "desktop_sandbox.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tessik::testing::enterDesktopSandbox();
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
