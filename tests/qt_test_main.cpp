// GoogleTest main for tests that need a Qt application object.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Listing tests at build time has no display; windows then draw offscreen.
    if (!qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
