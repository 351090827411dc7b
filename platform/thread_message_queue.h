#pragma once

#include <deque>
#include <mutex>

#include "platform/event_fd.h"
#include "platform/message.h"

namespace platform {

// A thread's message queue: any thread posts, the owning thread takes messages without
// waiting and, when the queue is empty, waits in poll() on InputFd() for new input.
class TThreadMessageQueue {
public:
    // Queues the message; false when the queue has been closed to new messages.
    bool Post(TMessage message);
    // Takes the oldest message; false (and the input signal cleared) when there is none.
    bool TryTake(TMessage& message);
    // No further posts are accepted; messages still queued are dropped with their blocks.
    void Close();

    int InputFd() const { return Input_.Fd(); }

private:
    std::mutex Mutex_;
    std::deque<TMessage> Messages_;
    bool Closed_ = false;
    TEventFd Input_;
};

}  // namespace platform
