#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdint>
#include <vector>

#include "serial/comm.h"

namespace serial::testing {

// Records every event a component raises, in order.
struct TEventLog {
    std::vector<std::vector<uint8_t>> Chunks;
    std::vector<bool> ChunkEndsWithNul;
    int Hangups = 0;
    int SendEmpty = 0;

    void Attach(TComm& comm) {
        comm.OnReceiveData = [this](TComm&, const uint8_t* buffer, uint16_t length) {
            Chunks.emplace_back(buffer, buffer + length);
            ChunkEndsWithNul.push_back(buffer[length] == 0);
        };
        comm.OnRequestHangup = [this](TComm&) { ++Hangups; };
        comm.OnSendDataEmpty = [this](TComm&) { ++SendEmpty; };
    }
    std::vector<uint8_t> AllBytes() const {
        std::vector<uint8_t> all;
        for (const auto& chunk : Chunks) all.insert(all.end(), chunk.begin(), chunk.end());
        return all;
    }
};

// Runs the GUI thread's event loop until done() holds or the time-out passes.
template <typename Done>
bool PumpUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(3)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// Runs the event loop for a while, to see that nothing (more) arrives.
inline void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}

}  // namespace serial::testing
