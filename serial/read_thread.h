#pragma once

#include <chrono>
#include <memory>

#include "platform/event_fd.h"
#include "platform/notify_window.h"
#include "platform/serial_device.h"
#include "serial/comm_thread.h"

namespace serial {

// Receives from the port while it is open: every chunk of at most 1024 bytes, every line
// error and modem event is posted to the component's notify window. Ends on the stop event
// or on a failure it cannot go on from (posting WM_COMM_HANGUP for the latter).
class TReadThread {
public:
    TReadThread(std::shared_ptr<platform::TSerialDevice> port, std::shared_ptr<platform::TEventFd> stopEvent,
                platform::TNotifyTarget notifyWindow);

    bool WaitFor(std::chrono::milliseconds timeout) { return Thread_.WaitFor(timeout); }

private:
    TCommThread Thread_;
};

}  // namespace serial
