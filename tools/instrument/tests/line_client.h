#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace instrument::testing {

// The master's end of the line, written with plain termios calls: what a serial program
// does with its port, and nothing of this project's serial code.
class TLineClient {
public:
    TLineClient(const std::string& path, uint32_t baudRate);
    ~TLineClient();
    TLineClient(const TLineClient&) = delete;
    TLineClient& operator=(const TLineClient&) = delete;

    void SetBaudRate(uint32_t baudRate);
    void Write(const std::vector<uint8_t>& bytes);
    // What arrives until `count` bytes are in, the time-out passes or the line hangs up.
    std::vector<uint8_t> Read(size_t count, std::chrono::milliseconds timeout);
    // The bytes of the next single arrival (one read), empty when none comes in time.
    std::vector<uint8_t> ReadArrival(std::chrono::milliseconds timeout);
    // True when the line hangs up within the time-out.
    bool WaitHangUp(std::chrono::milliseconds timeout);

private:
    int Fd_ = -1;
};

}  // namespace instrument::testing
