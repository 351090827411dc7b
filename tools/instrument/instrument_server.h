#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/event_fd.h"
#include "tools/instrument/fault_switches.h"
#include "tools/instrument/frame_assembler.h"
#include "tools/instrument/instrument.h"

namespace instrument {

// A request as it reached the instrument, with the baud rate the line was set to.
struct TLoggedRequest {
    std::vector<uint8_t> Frame;  // CRC included
    uint32_t LineBaudRate = 0;   // what the port's user had set; 0 when unknown
    bool Answered = false;       // a reply went out
};

// A frame the instrument sent on its own, and the console's answer to it.
struct TReport {
    std::vector<uint8_t> Frame;            // as the instrument built it, CRC included
    std::vector<uint8_t> Acknowledgement;  // what came back; empty while nothing has
    uint32_t Records = 0;                  // history records it carried
    // The acknowledgement is the frame's first six bytes with their CRC.
    bool Acknowledged() const;
};

// The instrument on the far end of a pseudo-terminal. The program under test opens
// SlavePath() (or the published link) as its serial port; a thread of the server's own
// answers on the master side. Requests made at a baud rate other than the instrument's
// are logged but not heard, as a real instrument would hear only noise.
class TInstrumentServer {
public:
    // Opens the pseudo-terminal and starts serving; raises base::Exception on failure.
    explicit TInstrumentServer(const TInstrumentSettings& settings = {},
                               THostClock hostClock = std::chrono::system_clock::now);
    ~TInstrumentServer();
    TInstrumentServer(const TInstrumentServer&) = delete;
    TInstrumentServer& operator=(const TInstrumentServer&) = delete;

    TInstrument& Instrument() { return Instrument_; }
    const std::string& SlavePath() const { return SlavePath_; }

    // Publishes the port as a link named `name` in the virtual-port folder, replacing a stale
    // link of that name, and returns the link's path. The link goes when the port does.
    std::string Publish(const std::string& name);

    void SetFaults(const TFaults& faults);
    TFaults Faults() const;

    std::vector<TLoggedRequest> Requests() const;
    void ClearRequests();
    // Waits until the log holds `count` requests; false when the time-out passes first.
    bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;

    // The instrument reports on its own (see TInstrument::LiveReport and RecordReport) and
    // listens for the console's 8-byte acknowledgement, which is neither logged as a request
    // nor answered. The faults shape a report as they shape a reply, silence aside. Records
    // reported count as read once the console has acknowledged them rightly. Returns the
    // report as built; RecordReport raises base::Exception for more than MaxReportRecords.
    std::vector<uint8_t> SendLiveReport();
    std::vector<uint8_t> SendRecordReport(uint32_t records);
    // Waits for an answer to the last report: true when it came and was right, false when
    // it was wrong or the time-out passed.
    bool WaitForReportAcknowledged(std::chrono::milliseconds timeout) const;
    std::vector<TReport> Reports() const;

    // Hangs up the line like a pulled USB adapter: serving ends, the pseudo-terminal closes
    // (its device disappears) and the published link is removed.
    void PullPort();
    bool Pulled() const { return Pulled_; }

private:
    void Serve();
    void HandleFrame(const std::vector<uint8_t>& frame);
    void SendReport(std::vector<uint8_t> frame, uint32_t records);
    void TakeAcknowledgement(const std::vector<uint8_t>& frame);
    void Send(const std::vector<std::vector<uint8_t>>& chunks, const TFaults& faults);
    bool WriteAll(const std::vector<uint8_t>& bytes);
    // Waits for the time or until told to stop; true when told to stop.
    bool Pause(std::chrono::milliseconds time);
    uint32_t LineBaudRate() const;

    TInstrument Instrument_;
    TFrameAssembler Assembler_;
    platform::TEventFd Stop_;
    int Master_ = -1;
    int Slave_ = -1;  // held open so that the master never sees a hang-up between the user's opens
    std::string SlavePath_;
    std::string LinkPath_;
    std::atomic<bool> Pulled_{false};

    mutable std::mutex FaultMutex_;
    TFaults Faults_;
    mutable std::mutex LogMutex_;
    mutable std::condition_variable LogChanged_;
    std::vector<TLoggedRequest> Log_;
    // Replies and reports may be written from two threads; a frame goes out whole.
    std::mutex WriteMutex_;
    mutable std::mutex ReportMutex_;
    mutable std::condition_variable ReportChanged_;
    std::vector<TReport> Reports_;
    std::atomic<bool> AwaitingAcknowledgement_ = false;

    std::thread Thread_;
};

}  // namespace instrument
