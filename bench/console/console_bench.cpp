// Timed scenario: 1,000 live-value reads. The instrument's engine answers on a pty pair, so
// the time from the reply's last byte to the fields showing can be taken exactly; the cost
// of handling one received chunk is measured on its own.
#include <QApplication>
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <vector>

#include "console/form1.h"
#include "platform/serial_ports.h"
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
// back by the time the bytes of a full block take on a real line at that speed (a pty has
// no speed of its own).
void UnreadRecordsPerSecond(uint32_t baud, uint32_t records) {
    instrument::TInstrumentServer server({.Address = 1, .BaudRate = baud});
    server.Instrument().Update(
        [records](instrument::TInstrumentState& s) { instrument::GenerateHistory(s, records, {2024, 1, 1, 0, 0, 0}, 60); });
    constexpr double RequestBytes = 8, BlockBytes = 5 + 8 + 100 * 10, BitsPerByte = 10;
    const double lineSeconds = (RequestBytes + BlockBytes) * BitsPerByte / baud;
    server.SetFaults({.ReplyDelay = std::chrono::milliseconds(static_cast<int64_t>(std::ceil(lineSeconds * 1000)))});

    console::Tform1 form;
    form.ComboBox6->setCurrentText(QString::fromStdString(server.SlavePath()));
    form.ComboBox7->setCurrentText(QString::number(baud));
    form.BitBtn2->click();
    PumpUntil([&] { return !form.StatusBar1->PanelText(7).isEmpty(); });
    form.BitBtn17->click();
    PumpUntil([&] { return form.BitBtn19->isEnabled(); });
    form.CheckBox3->setChecked(true);
    form.CheckBox10->setChecked(true);
    const Clock::time_point start = Clock::now();
    form.BitBtn19->click();
    PumpUntil([&] { return !form.State.ContinuousRead; });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double rate = form.ListBox2->count() / seconds;
    const double lineRate = 100 / lineSeconds;
    std::printf("unread read, fast, %u baud: %d records in %.2f s = %.0f records/s; the line carries %.0f records/s "
                "(%.0f%%); per block of 100: %.1f ms on the line, %.1f ms in all\n",
                baud, form.ListBox2->count(), seconds, rate, lineRate, 100 * rate / lineRate, lineSeconds * 1000,
                seconds * 1000 / (records / 100.0));
    form.BitBtn3->click();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::testing::TPtyPair pty;
    instrument::TInstrument engine({.Address = 1, .BaudRate = 115200});
    console::Tform1 form;
    form.ComboBox6->setCurrentText(QString::fromStdString(pty.SlavePath()));
    form.ComboBox7->setCurrentText("115200");
    form.BitBtn2->click();
    const auto identify = ReadRequest(pty);
    pty.Write(*engine.Answer(identify));
    pty.Write(*engine.Answer(ReadRequest(pty)));
    PumpUntil([&] { return !form.StatusBar1->PanelText(7).isEmpty(); });

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

    // The handler alone, on a whole reply in one chunk and on one cut in three.
    const auto reply = *engine.Answer(std::vector<uint8_t>{0x01, 0x03, 0x00, 0x00, 0x00, 0x06, 0xC5, 0xC8});
    std::vector<double> perChunk;
    for (int i = 0; i < 100000; ++i) {
        form.State.RequestState = console::rsIdle;
        const Clock::time_point start = Clock::now();
        form.Comm1ReceiveData(reply.data(), static_cast<uint16_t>(reply.size()));
        perChunk.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    Report("handling one chunk holding a whole reply", perChunk, "us");
    form.BitBtn3->click();

    for (uint32_t baud : {115200u, 1000000u}) UnreadRecordsPerSecond(baud, 5000);
    return 0;
}
