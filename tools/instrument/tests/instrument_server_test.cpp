#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "base/exception.h"
#include "platform/serial_ports.h"
#include "tools/instrument/history_store.h"
#include "tools/instrument/instrument_server.h"
#include "tools/instrument/modbus_crc.h"
#include "tools/instrument/tests/frame_test_support.h"
#include "tools/instrument/tests/line_client.h"

namespace instrument {
namespace {

using namespace std::chrono_literals;
using testing::TLineClient;
using testing::WithCrc;
using TBytes = std::vector<uint8_t>;

const TBytes Identify = {0xFF, 0x03, 0x00, 0xC8, 0x00, 0x01, 0x10, 0x2A};
const TBytes LiveRead = {0x01, 0x03, 0x00, 0x00, 0x00, 0x06, 0xC5, 0xC8};
constexpr auto Patience = 5s;  // generous: only a broken stand-in takes this long

TEST(InstrumentServer, AnswersOverThePseudoTerminalAndLogsRequests) {
    TInstrumentServer server({.Address = 7, .BaudRate = 19200});
    TLineClient client(server.SlavePath(), 19200);
    client.Write(Identify);
    EXPECT_EQ(client.Read(7, Patience), WithCrc({0x07, 0x03, 0x02, 0x00, 0x07}));

    const TBytes range =
        WithCrc({0x07, 0x10, 0x13, 0x88, 0x00, 0x04, 0x08, 0x18, 0x03, 0x01, 0x00, 0x18, 0x03, 0x1F, 0x00});
    client.Write(range);
    EXPECT_EQ(client.Read(8, Patience), WithCrc({0x07, 0x10, 0x13, 0x88, 0x00, 0x04}));

    ASSERT_TRUE(server.WaitForRequests(2, Patience));
    const auto log = server.Requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Frame, Identify);
    EXPECT_EQ(log[1].Frame, range);
    EXPECT_EQ(TBytes(log[1].Frame.begin() + 7, log[1].Frame.end() - 2),
              (TBytes{0x18, 0x03, 0x01, 0x00, 0x18, 0x03, 0x1F, 0x00}));
    EXPECT_EQ(log[1].LineBaudRate, 19200u);
    EXPECT_TRUE(log[1].Answered);
    server.ClearRequests();
    EXPECT_TRUE(server.Requests().empty());
}

TEST(InstrumentServer, HearsOnlyItsOwnBaudRate) {
    TInstrumentServer server({.BaudRate = 19200});
    TLineClient client(server.SlavePath(), 9600);
    client.Write(Identify);
    ASSERT_TRUE(server.WaitForRequests(1, Patience));
    EXPECT_FALSE(server.Requests()[0].Answered);
    EXPECT_EQ(server.Requests()[0].LineBaudRate, 9600u);

    client.SetBaudRate(19200);
    client.Write(Identify);
    EXPECT_EQ(client.Read(7, Patience), WithCrc({0x01, 0x03, 0x02, 0x00, 0x01}));

    // A new baud rate saved into the parameters takes over after its acknowledgement.
    client.Write(WithCrc({0x01, 0x10, 0x00, 0xC9, 0x00, 0x01, 0x02, 0x00, 0x02}));
    EXPECT_EQ(client.Read(8, Patience), WithCrc({0x01, 0x10, 0x00, 0xC9, 0x00, 0x01}));
    client.SetBaudRate(115200);
    client.Write(LiveRead);
    EXPECT_EQ(client.Read(17, Patience).size(), 17u);
}

TEST(InstrumentServer, SilentForSomeRequestsOrAlways) {
    TInstrumentServer server;
    TLineClient client(server.SlavePath(), 9600);
    server.SetFaults({.SilentRequests = 2});
    // A request for another instrument does not use up the silence.
    client.Write(WithCrc({0x02, 0x03, 0x00, 0x00, 0x00, 0x06}));
    client.Write(LiveRead);
    client.Write(LiveRead);
    ASSERT_TRUE(server.WaitForRequests(3, Patience));
    for (const auto& request : server.Requests()) EXPECT_FALSE(request.Answered);
    client.Write(LiveRead);
    EXPECT_EQ(client.Read(17, Patience).size(), 17u);
    EXPECT_EQ(server.Faults().SilentRequests, 0u);

    // Deaf means deaf: a silent instrument does not act on writes either.
    server.SetFaults({.Silent = true});
    client.Write(WithCrc({0x01, 0x06, 0x00, 0xE6, 0x00, 0x04}));
    ASSERT_TRUE(server.WaitForRequests(5, Patience));
    EXPECT_FALSE(server.Requests()[4].Answered);
    EXPECT_EQ(server.Instrument().State().EnergyLevel, 0);
}

TEST(InstrumentServer, ReplyFromAnotherAddressOrWithBadCrc) {
    TInstrumentServer server;
    TLineClient client(server.SlavePath(), 9600);
    server.SetFaults({.ReplyAddress = 0x22});
    client.Write(Identify);
    EXPECT_EQ(client.Read(7, Patience), WithCrc({0x22, 0x03, 0x02, 0x00, 0x01}));

    server.SetFaults({.CorruptCrc = true});
    client.Write(Identify);
    const TBytes reply = client.Read(7, Patience);
    ASSERT_EQ(reply.size(), 7u);
    EXPECT_EQ(TBytes(reply.begin(), reply.begin() + 5), (TBytes{0x01, 0x03, 0x02, 0x00, 0x01}));
    EXPECT_FALSE(HasValidModbusCrc(reply));
}

TEST(InstrumentServer, RepliesInChunksWithPauses) {
    TInstrumentServer server;
    TLineClient client(server.SlavePath(), 9600);
    const TBytes whole = server.Instrument().Answer(LiveRead).value();

    server.SetFaults({.ChunkSize = 4, .ChunkPause = 20ms});
    client.Write(LiveRead);
    EXPECT_EQ(client.Read(whole.size(), Patience), whole);

    // With a pause far longer than any test, only the first piece is on the line.
    server.SetFaults({.ChunkSize = 4, .ChunkPause = 600s});
    client.Write(LiveRead);
    EXPECT_EQ(client.ReadArrival(Patience), TBytes(whole.begin(), whole.begin() + 4));
    EXPECT_TRUE(client.ReadArrival(200ms).empty());
    server.PullPort();  // ends the pause as well
}

TEST(InstrumentServer, RepliesLate) {
    TInstrumentServer server;
    TLineClient client(server.SlavePath(), 9600);
    server.SetFaults({.ReplyDelay = 600s});
    client.Write(Identify);
    ASSERT_TRUE(server.WaitForRequests(1, Patience));
    EXPECT_TRUE(client.ReadArrival(200ms).empty());
    server.PullPort();

    TInstrumentServer quicker;
    TLineClient other(quicker.SlavePath(), 9600);
    quicker.SetFaults({.ReplyDelay = 300ms});
    other.Write(Identify);
    EXPECT_EQ(other.Read(7, Patience), WithCrc({0x01, 0x03, 0x02, 0x00, 0x01}));
}

TEST(InstrumentServer, PublishesItsPortAndPullingItHangsUp) {
    TInstrumentServer server;
    const std::string name = "instrument-test-" + std::to_string(::getpid());
    const std::string link = server.Publish(name);
    EXPECT_EQ(link, platform::VirtualPortFolder() + "/" + name);
    EXPECT_EQ(std::filesystem::read_symlink(link), server.SlavePath());
    const auto ports = platform::ReadSerialPorts();
    EXPECT_NE(std::find(ports.begin(), ports.end(), platform::TSerialPort{name, link}), ports.end());

    TLineClient client(link, 9600);
    client.Write(Identify);
    EXPECT_EQ(client.Read(7, Patience).size(), 7u);

    server.PullPort();
    EXPECT_TRUE(client.WaitHangUp(Patience));
    EXPECT_FALSE(std::filesystem::is_symlink(link));
    EXPECT_THROW(TLineClient(server.SlavePath(), 9600), std::runtime_error);
}

TEST(InstrumentServer, LineSurvivesTheUserClosingAndReopening) {
    TInstrumentServer server;
    for (int round = 0; round < 3; ++round) {
        TLineClient client(server.SlavePath(), 9600);
        client.Write(Identify);
        EXPECT_EQ(client.Read(7, Patience).size(), 7u) << "round " << round;
    }
}

// The first six bytes of a report with their CRC: the console's answer.
TBytes AcknowledgementOf(const TBytes& report) { return WithCrc(TBytes(report.begin(), report.begin() + 6)); }

TEST(InstrumentServer, ReportsLiveValuesAndWaitsForTheAcknowledgement) {
    TInstrumentServer server;
    TLineClient client(server.SlavePath(), 9600);
    server.Instrument().Update([](TInstrumentState& s) {
        s.Temperature = -100;
        s.Battery = 3;
        GenerateHistory(s, 0x12345, {2024, 1, 1, 0, 0, 0}, 1);
        s.HistoryUnread = 0x10;
    });
    const TBytes report = server.SendLiveReport();
    TBytes expected = {0x01, 0x10, 0x00, 0x00, 0x00, 0x0B, 0x16};
    for (uint16_t reg = 0; reg < 7; ++reg) {
        const uint16_t value = server.Instrument().Register(reg).value();
        expected.insert(expected.end(), {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
    }
    expected.insert(expected.end(), {0x00, 0x01, 0x23, 0x45, 0x00, 0x00, 0x00, 0x10});
    EXPECT_EQ(report, WithCrc(expected));
    EXPECT_EQ(TBytes(report.begin() + 7, report.begin() + 9), (TBytes{0xFF, 0x9C}));
    EXPECT_EQ(client.Read(report.size(), Patience), report);

    client.Write(AcknowledgementOf(report));
    EXPECT_TRUE(server.WaitForReportAcknowledged(Patience));
    // The acknowledgement is no request, and requests are heard as before.
    client.Write(LiveRead);
    EXPECT_EQ(client.Read(17, Patience).size(), 17u);
    ASSERT_TRUE(server.WaitForRequests(1, Patience));
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Frame, LiveRead);
}

TEST(InstrumentServer, ReportedRecordsCountAsReadOnceAcknowledged) {
    TInstrumentServer server;
    TLineClient client(server.SlavePath(), 9600);
    server.Instrument().Update([](TInstrumentState& s) { GenerateHistory(s, 5, {2024, 5, 31, 23, 59, 0}, 30); });
    const TInstrumentState state = server.Instrument().State();

    // Two records: counters and 20 record bytes, 14 registers, split by the chunk fault.
    server.SetFaults({.ChunkSize = 5});
    const TBytes report = server.SendRecordReport(2);
    TBytes expected = {0x01, 0x10, 0x00, 0x07, 0x00, 0x0E, 0x1C, 0, 0, 0, 5, 0, 0, 0, 3};
    for (uint32_t i = 0; i < 2; ++i) {
        TBytes record(HistoryRecordSize);
        PutHistoryRecord(HistoryRecordAt(state, i), std::span(record).first<HistoryRecordSize>());
        expected.insert(expected.end(), record.begin(), record.end());
    }
    EXPECT_EQ(report, WithCrc(expected));
    EXPECT_EQ(client.Read(report.size(), Patience), report);
    EXPECT_EQ(server.Instrument().State().HistoryUnread, 5u);
    client.Write(AcknowledgementOf(report));
    EXPECT_TRUE(server.WaitForReportAcknowledged(Patience));
    EXPECT_EQ(server.Instrument().State().HistoryUnread, 3u);
    server.SetFaults({});

    // A wrong answer, or none, leaves the records unread.
    const TBytes next = server.SendRecordReport(24);
    EXPECT_EQ(next.size(), 7u + 8 + 30 + 2);
    EXPECT_EQ(client.Read(next.size(), Patience), next);
    client.Write(WithCrc({0x01, 0x10, 0x00, 0x07, 0x00, 0x18}));
    EXPECT_FALSE(server.WaitForReportAcknowledged(Patience));
    EXPECT_EQ(server.Instrument().State().HistoryUnread, 3u);
    const TBytes unanswered = server.SendRecordReport(0);
    EXPECT_EQ(client.Read(unanswered.size(), Patience), unanswered);
    EXPECT_FALSE(server.WaitForReportAcknowledged(200ms));

    const auto reports = server.Reports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].Records, 2u);
    EXPECT_TRUE(reports[0].Acknowledged());
    EXPECT_EQ(reports[1].Records, 3u);
    EXPECT_FALSE(reports[1].Acknowledged());
    EXPECT_TRUE(reports[2].Acknowledgement.empty());
    EXPECT_THROW(server.SendRecordReport(MaxReportRecords + 1), base::Exception);
}

TEST(ShapeReply, FaultsOnTheReplyBytes) {
    const TBytes reply = WithCrc({0x01, 0x03, 0x02, 0x00, 0x01});
    EXPECT_EQ(ShapeReply(reply, {}), std::vector<TBytes>{reply});
    EXPECT_EQ(ShapeReply(reply, {.ChunkSize = 3}), (std::vector<TBytes>{{reply.begin(), reply.begin() + 3},
                                                                        {reply.begin() + 3, reply.begin() + 6},
                                                                        {reply.begin() + 6, reply.end()}}));
    // From another address, then with its CRC broken: both faults at once.
    const auto both = ShapeReply(reply, {.CorruptCrc = true, .ReplyAddress = 5});
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0][0], 5);
    EXPECT_FALSE(HasValidModbusCrc(both[0]));
    TBytes repaired = both[0];
    repaired.back() ^= 0xFF;
    EXPECT_EQ(repaired, WithCrc({0x05, 0x03, 0x02, 0x00, 0x01}));
}

}  // namespace
}  // namespace instrument
