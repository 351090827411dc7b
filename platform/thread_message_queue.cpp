#include "platform/thread_message_queue.h"

namespace platform {

bool TThreadMessageQueue::Post(TMessage message) {
    std::lock_guard lock(Mutex_);
    if (Closed_) return false;
    Messages_.push_back(std::move(message));
    Input_.Set();
    return true;
}

bool TThreadMessageQueue::TryTake(TMessage& message) {
    std::lock_guard lock(Mutex_);
    if (Messages_.empty()) {
        // Cleared under the lock, so a post that follows signals again.
        Input_.Reset();
        return false;
    }
    message = std::move(Messages_.front());
    Messages_.pop_front();
    return true;
}

void TThreadMessageQueue::Close() {
    std::lock_guard lock(Mutex_);
    Closed_ = true;
    Messages_.clear();
}

}  // namespace platform
