#pragma once

#include <QString>
#include <QTimer>
#include <functional>

namespace console {

// A repeating timer with the class library's semantics, which the request cycle relies on:
// enabling an enabled timer or setting the interval it already has changes nothing; a new
// interval on a running timer restarts its period; disabling stops it.
class TTimer {
public:
    explicit TTimer(const QString& name, int interval = 1000);
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return Interval_; }
    void SetInterval(int interval);

    std::function<void()> OnTimer;
    QTimer& Timer() { return Timer_; }

private:
    QTimer Timer_;
    bool Enabled_ = false;
    int Interval_;
};

}  // namespace console
