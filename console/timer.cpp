#include "console/timer.h"

namespace console {

TTimer::TTimer(const QString& name, int interval) : Interval_(interval) {
    Timer_.setObjectName(name);
    Timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&Timer_, &QTimer::timeout, [this] {
        if (Enabled_ && OnTimer) OnTimer();
    });
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == Enabled_) return;
    Enabled_ = enabled;
    if (enabled && Interval_ > 0)
        Timer_.start(Interval_);
    else
        Timer_.stop();
}

void TTimer::SetInterval(int interval) {
    if (interval == Interval_) return;
    Interval_ = interval;
    if (!Enabled_) return;
    // An interval of 0 stops the ticks, as with the class library's timer.
    if (Interval_ > 0)
        Timer_.start(Interval_);
    else
        Timer_.stop();
}

}  // namespace console
