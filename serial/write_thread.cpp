#include "serial/write_thread.h"

#include <poll.h>

#include <cerrno>

#include "serial/comm_messages.h"

namespace serial {
namespace {

using platform::TSerialIoStatus;

struct TWriter {
    std::shared_ptr<platform::TSerialDevice> Port;
    std::shared_ptr<platform::TEventFd> StopEvent;
    platform::TNotifyTarget NotifyWindow;
    std::shared_ptr<std::atomic<bool>> QueueEmpty;
    std::shared_ptr<platform::TThreadMessageQueue> Queue;

    void Hangup() { NotifyWindow.Post({WM_COMM_HANGUP, 0, 0, {}}); }

    bool WriteBlock(const platform::TMessage& request) {
        const size_t length = request.WParam;
        if (length >= request.Block.size()) {  // a request that does not hold its own bytes
            Hangup();
            return false;
        }
        const platform::TSerialIoResult result = Port->Write(request.Block.data(), length, *StopEvent);
        switch (result.Status) {
            case TSerialIoStatus::Completed:
                if (result.Count == length) return true;
                Hangup();  // a short write is never continued
                return false;
            case TSerialIoStatus::Stopped:
            case TSerialIoStatus::InvalidHandle: return false;
            default: Hangup(); return false;
        }
    }

    // Waits for the stop event or new input to the queue; false when the thread must end.
    bool WaitForInput() {
        for (;;) {
            pollfd fds[2] = {{StopEvent->Fd(), POLLIN, 0}, {Queue->InputFd(), POLLIN, 0}};
            const int ready = ::poll(fds, 2, -1);
            if (ready < 0 && errno == EINTR) continue;
            if (ready < 0) {
                Hangup();
                return false;
            }
            return !(fds[0].revents & POLLIN);
        }
    }

    void Execute() {
        bool signalEmpty = true;
        for (;;) {
            platform::TMessage message;
            if (!Queue->TryTake(message)) {
                *QueueEmpty = true;
                if (signalEmpty && !NotifyWindow.Post({WM_COMM_SEND_EMPTY, 0, 0, {}})) {
                    Hangup();
                    break;
                }
                signalEmpty = false;
                if (!WaitForInput()) break;
                continue;
            }
            if (StopEvent->IsSet()) break;  // the request is dropped with its block
            if (message.Msg != WM_COMM_DATA) continue;
            if (!WriteBlock(message)) break;
            signalEmpty = true;
            *QueueEmpty = true;
        }
        // Later requests find the queue closed, so SendData reports them as not handed over.
        Queue->Close();
        Port->Purge(false, true);
        *QueueEmpty = true;
    }
};

}  // namespace

TWriteThread::TWriteThread(std::shared_ptr<platform::TSerialDevice> port, std::shared_ptr<platform::TEventFd> stopEvent,
                           platform::TNotifyTarget notifyWindow, std::shared_ptr<std::atomic<bool>> queueEmpty)
    : Queue_(std::make_shared<platform::TThreadMessageQueue>()),
      Thread_(
          [writer = std::make_shared<TWriter>(TWriter{std::move(port), std::move(stopEvent), std::move(notifyWindow),
                                                      std::move(queueEmpty), Queue_})] { writer->Execute(); }) {}

}  // namespace serial
