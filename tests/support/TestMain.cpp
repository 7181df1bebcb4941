// Shared main for the test executables: a QApplication so widget, D-Bus and
// timer code can run; offscreen unless the run provides a display on purpose.
#include "BuildInfo.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // ctest discovers tests by running each binary at build time, without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // The identity the application gives itself in its own main.
    QApplication::setApplicationDisplayName(QString::fromUtf8(BuildInfo::displayName));
    QApplication::setDesktopFileName(QString::fromUtf8(BuildInfo::bundleIdentifier));
    return RUN_ALL_TESTS();
}
