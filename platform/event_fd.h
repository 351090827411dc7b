#pragma once

namespace platform {

// A manual-reset event that poll() can wait on: once Set it stays signalled until Reset.
class TEventFd {
public:
    // Raises base::Exception when the kernel refuses the descriptor.
    TEventFd();
    ~TEventFd();
    TEventFd(const TEventFd&) = delete;
    TEventFd& operator=(const TEventFd&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    int Fd() const { return Fd_; }

private:
    int Fd_;
};

}  // namespace platform
