// The GUI tests' main: the GL format and the QApplication the windows need,
// with the settings kept in a folder of their own.
#include "ui/application.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // No update check leaves the machine during tests.
    qputenv("TESSALINE_UPDATE_HOST", "");
    tessaline::set_default_surface_format();
    tessaline::TApplication app(argc, argv);
    tessaline::set_application_identity(app);
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    return RUN_ALL_TESTS();
}
