// Timed scenario: 1,000 live-value reads. The instrument's engine answers on a pty pair, so
// the time from the reply's last byte to the fields showing can be taken exactly; the cost
// of handling one received chunk is measured on its own.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "console/form1.h"
#include "platform/testing/pty_pair.h"
#include "tools/instrument/instrument.h"

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
    return 0;
}
