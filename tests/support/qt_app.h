#pragma once
// The one QApplication of a GUI test executable, on the offscreen platform unless the caller chose
// another. Header only, so that the test-support library itself needs no Qt; include it only from
// tests that link Qt Widgets. Test thread only (the thread that first calls it becomes the GUI
// thread).

#include <QApplication>
#include <QByteArray>

namespace talvoro::test {

// Creates the application on first use and returns it. Call at the start of every GUI test (or
// from a test fixture's SetUp) before creating widgets.
inline QApplication& QtApp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    }
    static int argc = 1;
    static char name[] = "talvoro_gui_test";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return application;
}

}  // namespace talvoro::test
