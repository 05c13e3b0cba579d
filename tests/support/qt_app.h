#pragma once
// The one QApplication of a GUI test executable, on the offscreen platform unless the caller chose
// another. Header only, so that the test-support library needs no Qt; include it only from tests
// that link Qt Widgets. Test thread only (the thread that first calls it is the GUI thread).
//
// A global test environment destroys the application after the last test, before the process's
// exit handlers run: Qt's own statics are gone by then, and an application destroyed later crashes.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace talvoro::test {

class QtAppEnvironment : public ::testing::Environment {
  public:
    void TearDown() override { Application().reset(); }
    static std::unique_ptr<QApplication>& Application() {
        static std::unique_ptr<QApplication> application;
        return application;
    }
};

// Registered once per test executable (an inline variable has one instance per program).
inline ::testing::Environment* const kQtAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);  // gtest takes ownership

// Creates the application on first use and returns it. Call before creating widgets.
inline QApplication& QtApp() {
    std::unique_ptr<QApplication>& application = QtAppEnvironment::Application();
    if (!application) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "talvoro_gui_test";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QApplication>(argc, argv);
    }
    return *application;
}

}  // namespace talvoro::test
