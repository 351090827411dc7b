#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace serial {

// A worker thread that can be waited for with a time limit. Its body must hold shared
// ownership of everything it touches: a thread that has not ended when the limit passes
// is let go, and must then find its objects still alive.
class TCommThread {
public:
    // Starts body at once; raises std::system_error when no thread can be created.
    explicit TCommThread(std::function<void()> body);
    ~TCommThread();
    TCommThread(const TCommThread&) = delete;
    TCommThread& operator=(const TCommThread&) = delete;

    // Waits up to timeout for the body to end; true (and the thread joined) when it has.
    bool WaitFor(std::chrono::milliseconds timeout);

private:
    struct TDone {
        std::mutex Mutex;
        std::condition_variable Ended;
        bool Finished = false;
    };
    std::shared_ptr<TDone> Done_;
    std::thread Thread_;
};

}  // namespace serial
