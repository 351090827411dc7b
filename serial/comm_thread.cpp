#include "serial/comm_thread.h"

namespace serial {

TCommThread::TCommThread(std::function<void()> body) : Done_(std::make_shared<TDone>()) {
    Thread_ = std::thread([done = Done_, body = std::move(body)] {
        body();
        std::lock_guard lock(done->Mutex);
        done->Finished = true;
        done->Ended.notify_all();
    });
}

TCommThread::~TCommThread() {
    if (!Thread_.joinable()) return;
    // Only a thread that missed its time limit is still joinable here: let it run out.
    Thread_.detach();
}

bool TCommThread::WaitFor(std::chrono::milliseconds timeout) {
    if (!Thread_.joinable()) return true;
    std::unique_lock lock(Done_->Mutex);
    if (!Done_->Ended.wait_for(lock, timeout, [&] { return Done_->Finished; })) return false;
    lock.unlock();
    Thread_.join();
    return true;
}

}  // namespace serial
