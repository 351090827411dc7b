// Timed scenarios for the serial port component over a pty pair: idle cost of an open port,
// delivery latency of a chunk after its last byte, and throughput at full speed.
#include <sys/resource.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/testing/pty_pair.h"
#include "serial/comm.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

template <typename Done>
void PumpUntil(Done done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

double IdleCpuMs() {
    const double before = CpuSeconds();
    std::this_thread::sleep_for(2s);
    return (CpuSeconds() - before) * 1000;
}

void IdleCost() {
    const double baseline = IdleCpuMs();
    platform::testing::TPtyPair pty;
    serial::TComm comm;
    comm.SetCommName(pty.SlavePath());
    comm.OpenPort();
    std::this_thread::sleep_for(200ms);  // let both threads settle into their waits
    QCoreApplication::processEvents();
    const double used = IdleCpuMs();
    std::printf("idle open port: %.3f ms CPU over 2 s, %.3f ms with no port open (target < 1 ms)\n", used, baseline);
}

void ChunkLatency(uint32_t interval, int chunks) {
    platform::testing::TPtyPair pty;
    serial::TComm comm;
    comm.SetCommName(pty.SlavePath());
    comm.SetReadIntervalTimeout(interval);
    Clock::time_point arrived;
    bool received = false;
    comm.OnReceiveData = [&](serial::TComm&, const uint8_t*, uint16_t) {
        arrived = Clock::now();
        received = true;
    };
    comm.OpenPort();
    const std::vector<uint8_t> reply = {0x01, 0x03, 0x0C, 0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0x12, 0x34};
    std::vector<double> delays;
    delays.reserve(static_cast<size_t>(chunks));
    for (int i = 0; i < chunks; ++i) {
        received = false;
        pty.Write(reply);
        const Clock::time_point sent = Clock::now();
        PumpUntil([&] { return received; });
        delays.push_back(std::chrono::duration<double, std::milli>(arrived - sent).count() - interval);
    }
    std::sort(delays.begin(), delays.end());
    std::printf("chunk delivery after the %u ms interval, %d chunks: median %.3f ms, worst %.3f ms (target < 5 ms)\n",
                interval, chunks, delays[delays.size() / 2], delays.back());
}

void Throughput(size_t totalBytes) {
    platform::testing::TPtyPair pty;
    serial::TComm comm;
    comm.SetCommName(pty.SlavePath());
    comm.SetReadIntervalTimeout(1);
    size_t received = 0;
    comm.OnReceiveData = [&](serial::TComm&, const uint8_t*, uint16_t length) { received += length; };
    comm.OpenPort();
    std::vector<uint8_t> block(64 * 1024, 0x55);
    const Clock::time_point start = Clock::now();
    std::thread far([&] {
        for (size_t sent = 0; sent < totalBytes; sent += block.size()) pty.Write(block);
    });
    PumpUntil([&] { return received >= totalBytes; });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    far.join();
    std::printf("throughput through a pty pair: %.1f MB/s (%zu bytes in %.3f s)\n", totalBytes / seconds / 1e6,
                totalBytes, seconds);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    IdleCost();
    ChunkLatency(10, 1000);
    Throughput(64u * 1024 * 1024);
    return 0;
}
