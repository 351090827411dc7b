#pragma once

#include <functional>
#include <memory>

#include "platform/message.h"

namespace platform {

class TNotifyReceiver;
struct TNotifyShared;

// A handle through which any thread posts messages to a notify window. It stays valid
// after the window is gone: posts then fail instead of touching freed memory.
class TNotifyTarget {
public:
    TNotifyTarget() = default;
    // Queues the message for the window procedure; false when the window no longer exists.
    bool Post(TMessage message) const;

private:
    friend class TNotifyWindow;
    explicit TNotifyTarget(std::shared_ptr<TNotifyShared> shared) : Shared_(std::move(shared)) {}
    std::shared_ptr<TNotifyShared> Shared_;
};

// The hidden window of a component: it lives on the thread that creates it (the GUI thread,
// which runs the Qt event loop), and its window procedure handles every posted message
// there, one at a time, in posting order. Messages still queued when it is destroyed are
// dropped with their blocks.
class TNotifyWindow {
public:
    using TWindowProc = std::function<void(const TMessage&)>;

    explicit TNotifyWindow(TWindowProc windowProc);
    ~TNotifyWindow();
    TNotifyWindow(const TNotifyWindow&) = delete;
    TNotifyWindow& operator=(const TNotifyWindow&) = delete;

    TNotifyTarget Target() const { return TNotifyTarget(Shared_); }

private:
    std::shared_ptr<TNotifyShared> Shared_;
    std::unique_ptr<TNotifyReceiver> Receiver_;
};

}  // namespace platform
