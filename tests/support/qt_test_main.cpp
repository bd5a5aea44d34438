// GoogleTest with a Qt application object, for tests that need an event loop (network, timers).
#include "desktop_sandbox.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    tessik::testing::enterDesktopSandbox();
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
