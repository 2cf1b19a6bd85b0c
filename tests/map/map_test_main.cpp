// The WebEngine tests: one application for every test of the binary, the browser data and
// the user settings in a private folder, a real X display when the test script gives one.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

#include "map/browser_setup.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const char* display = std::getenv("DISPLAY");
    setenv("QT_QPA_PLATFORM", display && *display ? "xcb" : "offscreen", 1);
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    korvane::PrepareBrowserEnvironment();
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
