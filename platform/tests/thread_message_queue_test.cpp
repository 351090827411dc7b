#include <gtest/gtest.h>
#include <poll.h>

#include <thread>

#include "platform/thread_message_queue.h"

namespace platform {
namespace {

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
}

TEST(ThreadMessageQueue, DeliversInOrderAndSignalsInputUntilDrained) {
    TThreadMessageQueue queue;
    EXPECT_FALSE(Readable(queue.InputFd()));
    std::thread poster([&] {
        for (uint32_t i = 0; i < 1000; ++i) ASSERT_TRUE(queue.Post({WM_USER + 1, i, 0, {uint8_t(i), 0}}));
    });
    poster.join();
    EXPECT_TRUE(Readable(queue.InputFd()));
    TMessage message;
    for (uint32_t i = 0; i < 1000; ++i) {
        ASSERT_TRUE(queue.TryTake(message));
        EXPECT_EQ(message.WParam, i);
        EXPECT_EQ(message.Block[0], uint8_t(i));
    }
    EXPECT_FALSE(queue.TryTake(message));
    EXPECT_FALSE(Readable(queue.InputFd()));
    queue.Post({WM_USER + 5, 0, 0, {}});
    EXPECT_TRUE(Readable(queue.InputFd()));
}

TEST(ThreadMessageQueue, ClosedQueueRefusesPostsAndDropsWhatItHeld) {
    TThreadMessageQueue queue;
    queue.Post({WM_USER + 1, 3, 0, std::vector<uint8_t>(4)});
    queue.Close();
    EXPECT_FALSE(queue.Post({WM_USER + 1, 3, 0, std::vector<uint8_t>(4)}));
    TMessage message;
    EXPECT_FALSE(queue.TryTake(message));
}

}  // namespace
}  // namespace platform
