#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::testing {

// A pseudo-terminal pair for tests: the code under test opens SlavePath() as its serial
// port, and the test plays the far end of the line through the master side.
class TPtyPair {
public:
    TPtyPair();
    ~TPtyPair();
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    const std::string& SlavePath() const { return SlavePath_; }
    int MasterFd() const { return Master_; }
    int SlaveFd() const { return Slave_; }

    void Write(const std::vector<uint8_t>& bytes);
    // Reads what arrives until count bytes are in or the time-out passes.
    std::vector<uint8_t> Read(size_t count, std::chrono::milliseconds timeout);
    // Closes the master side: the far end hangs up.
    void HangUp();

private:
    int Master_ = -1;
    int Slave_ = -1;
    std::string SlavePath_;
};

}  // namespace platform::testing
