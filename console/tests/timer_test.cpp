#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <thread>

#include "console/timer.h"

namespace console {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Runs the event loop until the timer fired `count` times; returns when the last one came.
Clock::time_point WaitForTicks(const int& ticks, int count) {
    const auto deadline = Clock::now() + 5s;
    while (ticks < count && Clock::now() < deadline) QApplication::processEvents(QEventLoop::AllEvents, 1);
    return Clock::now();
}

TEST(Timer, EnablingAgainOrTheSameIntervalKeepTheRunningPeriod) {
    TTimer timer("Timer1", 1000);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    const auto start = Clock::now();
    timer.SetEnabled(true);
    std::this_thread::sleep_for(700ms);
    timer.SetEnabled(true);   // already enabled: the period goes on
    timer.SetInterval(1000);  // the same interval: the period goes on
    const auto fired = WaitForTicks(ticks, 1);
    EXPECT_EQ(ticks, 1);
    EXPECT_LT(fired - start, 1500ms);  // a restart at 700 ms would fire at 1700 ms
}

TEST(Timer, ANewIntervalRestartsThePeriodAndDisablingStops) {
    TTimer timer("Timer1", 300);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetEnabled(true);
    std::this_thread::sleep_for(200ms);
    const auto changed = Clock::now();
    timer.SetInterval(800);
    const auto fired = WaitForTicks(ticks, 1);
    EXPECT_GE(fired - changed, 750ms);  // the old period would have ended 100 ms after the change
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    const int before = ticks;
    std::this_thread::sleep_for(600ms);
    QApplication::processEvents();
    EXPECT_EQ(ticks, before);
    timer.SetInterval(100);  // a stopped timer stays stopped
    EXPECT_FALSE(timer.Timer().isActive());
}

}  // namespace
}  // namespace console
