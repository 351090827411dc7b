#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include "platform/event_fd.h"
#include "platform/notify_window.h"
#include "platform/serial_device.h"
#include "platform/thread_message_queue.h"
#include "serial/comm_thread.h"

namespace serial {

// Writes the frames queued to it, one at a time and whole. Posts WM_COMM_SEND_EMPTY once
// when it first finds its queue empty and again each time the queue runs empty after a
// write. Ends on the stop event or on a failed or short write.
class TWriteThread {
public:
    TWriteThread(std::shared_ptr<platform::TSerialDevice> port, std::shared_ptr<platform::TEventFd> stopEvent,
                 platform::TNotifyTarget notifyWindow, std::shared_ptr<std::atomic<bool>> queueEmpty);

    // Queues a write request (WM_COMM_DATA, WParam = length, Block = the bytes and a NUL);
    // false once the thread has ended.
    bool Post(platform::TMessage message) { return Queue_->Post(std::move(message)); }
    bool WaitFor(std::chrono::milliseconds timeout) { return Thread_.WaitFor(timeout); }

private:
    std::shared_ptr<platform::TThreadMessageQueue> Queue_;
    TCommThread Thread_;
};

}  // namespace serial
