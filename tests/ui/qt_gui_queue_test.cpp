#include "ui/qt_gui_queue.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QThread>
#include <atomic>
#include <numeric>
#include <thread>
#include <vector>

#include "support/qt_app.h"

namespace talvoro::ui {
namespace {

TEST(QtGuiQueue, runs_work_from_other_threads_on_the_gui_thread_in_order) {
    talvoro::test::QtApp();
    QtGuiQueue queue;
    std::vector<int> order;
    std::atomic<bool> wrongThread{false};
    QThread* gui = QThread::currentThread();
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) {
            queue.Post([&, i] {
                wrongThread = wrongThread || QThread::currentThread() != gui;
                order.push_back(i);
            });
        }
    });
    worker.join();
    EXPECT_TRUE(order.empty());  // never inside Post
    std::vector<int> expected(100);
    std::iota(expected.begin(), expected.end(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 100; }, 5000));
    EXPECT_EQ(order, expected);
    EXPECT_FALSE(wrongThread);
    // Work still pending when the queue goes never runs.
    bool ran = false;
    {
        QtGuiQueue doomed;
        doomed.Post([&] { ran = true; });
    }
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace talvoro::ui
