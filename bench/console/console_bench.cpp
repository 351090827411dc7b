// Timed scenario: 1,000 live-value reads (the instrument's engine answers on a pty pair, so
// the time from the reply's last byte to the fields showing can be taken exactly), the cost
// of handling one received chunk, and unread-history reads against the stand-in in records
// per second and as a share of what the line and the console's pauses allow, with the Excel
// report ("保存excel") off and on.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/console/offscreen_host.h"
#include "console/form1.h"
#include "platform/testing/pty_pair.h"
#include "tools/instrument/history_store.h"
#include "tools/instrument/instrument.h"
#include "tools/instrument/instrument_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

template <typename Done>
void PumpUntil(Done done) {
    while (!done()) QApplication::processEvents(QEventLoop::AllEvents, 1);
}

std::vector<uint8_t> ReadRequest(platform::testing::TPtyPair& pty) {
    std::vector<uint8_t> request;
    PumpUntil([&] {
        const auto more = pty.Read(8 - request.size(), 10ms);
        request.insert(request.end(), more.begin(), more.end());
        return request.size() >= 8;
    });
    return request;
}

void Report(const char* what, std::vector<double> values, const char* unit) {
    std::sort(values.begin(), values.end());
    std::printf("%s: median %.3f %s, 99th %.3f %s, worst %.3f %s\n", what, values[values.size() / 2], unit,
                values[values.size() * 99 / 100], unit, values.back(), unit);
}

// An unread-history read with fast reading against the stand-in, whose replies are held
// back by the time the request and a full block take on a real line at that speed (a pty
// has no speed of its own). The ceiling is what the line and the console's own pauses
// allow: the console sends the next request once the block has ended (the chunk silence
// that ends a received chunk) and the 30 ms pause after its last send is over.
struct TReadCase {
    uint32_t Baud;
    uint32_t Records;
    int Listed;     // lines the record list holds before the read
    bool Workbook;  // the Excel report written alongside, finished before the read ends
};

void UnreadRecordsPerSecond(const TReadCase& c) {
    instrument::TInstrumentServer server({.Address = 1, .BaudRate = c.Baud});
    server.Instrument().Update([&c](instrument::TInstrumentState& s) {
        instrument::GenerateHistory(s, c.Records, {2024, 1, 1, 0, 0, 0}, 60);
    });
    constexpr double RequestBytes = 8, BlockBytes = 5 + 8 + 100 * 10, BitsPerByte = 10, SendPause = 0.030;
    const double lineSeconds = (RequestBytes + BlockBytes) * BitsPerByte / c.Baud;
    server.SetFaults({.ReplyDelay = std::chrono::milliseconds(static_cast<int64_t>(std::ceil(lineSeconds * 1000)))});

    console::Tform1 form;
    form.ComboBox6->setCurrentText(QString::fromStdString(server.SlavePath()));
    form.ComboBox7->setCurrentText(QString::number(c.Baud));
    form.BitBtn2->click();
    PumpUntil([&] { return form.StatusBar1->PanelText(7).contains(",V"); });  // the model, last of the link chain
    const double chunkSilence = form.Comm1.ReadIntervalTimeout() / 1000.0;
    const double blockSeconds = std::max(SendPause, lineSeconds + chunkSilence);
    const double ceiling = 100 / blockSeconds;
    QStringList listed;
    for (int i = 0; i < c.Listed; ++i) listed << QString("(%1):温度:20.0,湿度:50.0;2023-12-31 00:00:00").arg(i + 1);
    form.ListBox2->addItems(listed);
    form.BitBtn17->click();
    PumpUntil([&] { return form.BitBtn19->isEnabled(); });
    form.CheckBox3->setChecked(true);
    form.CheckBox10->setChecked(true);
    form.CheckBox6->setChecked(c.Workbook);
    const Clock::time_point start = Clock::now();
    form.BitBtn19->click();
    PumpUntil([&] { return !form.State.ContinuousRead; });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const int read = form.ListBox2->count() - c.Listed;
    const double rate = read / seconds;
    std::printf(
        "unread read, fast, %7u baud, %5u records, %5d lines listed before, Excel %-3s: %5d read in %6.2f s = "
        "%5.0f records/s; ceiling %5.0f records/s (%.1f ms a block) = %5.1f%%\n",
        c.Baud, c.Records, c.Listed, c.Workbook ? "on" : "off", read, seconds, rate, ceiling, blockSeconds * 1000,
        100 * rate / ceiling);
    form.BitBtn3->click();
}

}  // namespace

int main(int argc, char** argv) {
    // The Excel report is written to ./data/ and offers to open itself: a folder of its own, no question.
    const console::bench::TOffscreenHost host(argc, argv);
    platform::testing::TPtyPair pty;
    instrument::TInstrument engine({.Address = 1, .BaudRate = 115200});
    console::Tform1 form;
    form.ComboBox6->setCurrentText(QString::fromStdString(pty.SlavePath()));
    form.ComboBox7->setCurrentText("115200");
    form.BitBtn2->click();
    const auto identify = ReadRequest(pty);
    pty.Write(*engine.Answer(identify));
    pty.Write(*engine.Answer(ReadRequest(pty)));
    PumpUntil([&] { return form.StatusBar1->PanelText(7).contains(",V"); });  // the model, last of the link chain

    constexpr int Reads = 1000;
    std::vector<double> toFields;
    for (int i = 0; i < Reads; ++i) {
        engine.Update([i](instrument::TInstrumentState& state) { state.Temperature = static_cast<int16_t>(i); });
        const QString expected = QString::number(i / 10.0, 'f', 1);
        form.BitBtn1->click();
        pty.Write(*engine.Answer(ReadRequest(pty)));
        const Clock::time_point lastByte = Clock::now();
        PumpUntil([&] { return form.LabeledEdit1->Text() == expected; });
        toFields.push_back(std::chrono::duration<double, std::milli>(Clock::now() - lastByte).count());
    }
    std::printf("live-value reads at 115200 baud (chunk ends after 5 ms of silence): %d\n", Reads);
    Report("last byte of a reply to its fields showing", toFields, "ms");

    // Handling one chunk that holds the whole reply to the request in flight: joining,
    // dispatch, decoding and the fields' display (the request goes out as the button sends it).
    constexpr int Chunks = 500;
    const auto reply = *engine.Answer(std::vector<uint8_t>{0x01, 0x03, 0x00, 0x00, 0x00, 0x06, 0xC5, 0xC8});
    std::vector<double> perChunk;
    for (int i = 0; i < Chunks; ++i) {
        form.LabeledEdit1->SetText("");
        form.BitBtn1->click();
        ReadRequest(pty);
        const Clock::time_point start = Clock::now();
        form.Comm1ReceiveData(reply.data(), static_cast<uint16_t>(reply.size()));
        perChunk.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (form.LabeledEdit1->Text().isEmpty()) {
            std::printf("the reply was not taken\n");
            return 1;
        }
    }
    Report("handling one chunk holding the whole reply to the request in flight", perChunk, "us");
    form.BitBtn3->click();

    for (const TReadCase& c :
         {TReadCase{115200, 5000, 0, false}, TReadCase{1000000, 5000, 0, false}, TReadCase{115200, 32000, 0, false},
          TReadCase{1000000, 32000, 0, false}, TReadCase{1000000, 5000, 30000, false},
          TReadCase{115200, 32000, 0, true}, TReadCase{1000000, 32000, 0, true}})
        UnreadRecordsPerSecond(c);
    return 0;
}
