#include "serial/read_thread.h"

#include <algorithm>
#include <array>
#include <vector>

#include "serial/comm_messages.h"

namespace serial {
namespace {

using platform::TSerialIoStatus;

struct TReader {
    std::shared_ptr<platform::TSerialDevice> Port;
    std::shared_ptr<platform::TEventFd> StopEvent;
    platform::TNotifyTarget NotifyWindow;
    std::array<uint8_t, ReadBufferSize> Buffer{};

    bool Post(uint32_t msg, intptr_t lParam = 0) { return NotifyWindow.Post({msg, 0, lParam, {}}); }
    void Hangup() { Post(WM_COMM_HANGUP); }

    // Hands a chunk to the window in a block of its own, followed by a NUL byte.
    bool Deliver(size_t count) {
        std::vector<uint8_t> block(count + 1, 0);
        std::copy_n(Buffer.begin(), count, block.begin());
        if (NotifyWindow.Post({WM_COMM_DATA, count, 0, std::move(block)})) return true;
        Hangup();
        return false;
    }

    bool HandleLineEvents(uint32_t events) {
        if (events & platform::EV_ERR) {
            if (!Post(WM_COMM_ERROR, static_cast<intptr_t>(Port->ClearErrors()))) {
                Hangup();
                return false;
            }
        }
        const intptr_t modem =
            ((events & platform::EV_RLSD) ? ModemCarrierDetect : 0) + ((events & platform::EV_RING) ? ModemRing : 0);
        if (modem != 0 && !Post(WM_COMM_MODEM, modem)) {
            Hangup();
            return false;
        }
        if (!(events & platform::EV_ERR) && modem == 0) {
            Hangup();
            return false;
        }
        return true;
    }

    void Execute() {
        if (Port->SetEventMask(platform::EV_RLSD | platform::EV_ERR | platform::EV_RING)) {
            for (bool running = true; running;) {
                const platform::TSerialIoResult result = Port->Read(Buffer.data(), Buffer.size(), *StopEvent);
                switch (result.Status) {
                    // A read that ended on a total time-out with nothing received is no
                    // reason to stop listening.
                    case TSerialIoStatus::Completed: running = result.Count == 0 || Deliver(result.Count); break;
                    case TSerialIoStatus::LineEvent: running = HandleLineEvents(result.Events); break;
                    case TSerialIoStatus::Failed:
                        Hangup();
                        running = false;
                        break;
                    case TSerialIoStatus::Stopped:
                    case TSerialIoStatus::InvalidHandle: running = false; break;
                }
            }
        } else {
            Hangup();
        }
        Port->Purge(true, false);
    }
};

}  // namespace

TReadThread::TReadThread(std::shared_ptr<platform::TSerialDevice> port, std::shared_ptr<platform::TEventFd> stopEvent,
                         platform::TNotifyTarget notifyWindow)
    : Thread_([reader = std::make_shared<TReader>(
                   TReader{std::move(port), std::move(stopEvent), std::move(notifyWindow)})] { reader->Execute(); }) {}

}  // namespace serial
