#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/notify_window.h"

namespace platform {
namespace {

class NotifyWindowTest : public ::testing::Test {
protected:
    // Runs the event loop until done() or two seconds pass.
    template <typename Done>
    static bool PumpUntil(Done done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done() && std::chrono::steady_clock::now() < deadline) QCoreApplication::processEvents();
        return done();
    }
};

TEST_F(NotifyWindowTest, HandlesMessagesOnTheOwningThreadInPostingOrder) {
    std::vector<uintptr_t> received;
    const auto guiThread = std::this_thread::get_id();
    bool allOnGuiThread = true;
    TNotifyWindow window([&](const TMessage& m) {
        allOnGuiThread = allOnGuiThread && std::this_thread::get_id() == guiThread;
        received.push_back(m.WParam);
        EXPECT_EQ(m.Block.size(), 2u);
    });
    const TNotifyTarget target = window.Target();
    std::thread poster([&] {
        for (uintptr_t i = 0; i < 500; ++i) EXPECT_TRUE(target.Post({WM_USER + 1, i, 0, {1, 0}}));
    });
    poster.join();
    ASSERT_TRUE(PumpUntil([&] { return received.size() == 500; }));
    EXPECT_TRUE(allOnGuiThread);
    for (uintptr_t i = 0; i < 500; ++i) EXPECT_EQ(received[i], i);
}

TEST_F(NotifyWindowTest, PostsFailOnceTheWindowIsGoneAndQueuedBlocksAreFreed) {
    int handled = 0;
    TNotifyTarget target;
    {
        TNotifyWindow window([&](const TMessage&) { ++handled; });
        target = window.Target();
        EXPECT_TRUE(target.Post({WM_USER + 1, 100, 0, std::vector<uint8_t>(100)}));
    }
    EXPECT_FALSE(target.Post({WM_USER + 1, 1, 0, {0}}));
    QCoreApplication::processEvents();
    EXPECT_EQ(handled, 0);
    EXPECT_FALSE(TNotifyTarget().Post({WM_USER, 0, 0, {}}));
}

}  // namespace
}  // namespace platform
