// Reports the instrument sends on its own: listed, then acknowledged.
#include <algorithm>

#include "base/format.h"
#include "console/conversions.h"
#include "console/crc16.h"
#include "console/form1.h"

namespace console {

// The acknowledgement is no request: it has a buffer of its own, so that the request
// kept in TxFrame for resending stays whole.
void Tform1::SendAcknowledgement(const uint8_t* frame) {
    uint8_t ack[8];
    std::copy_n(frame, 6, ack);
    const uint16_t crc = Crc16Modbus(ack, 6);
    ack[6] = static_cast<uint8_t>(crc >> 8);
    ack[7] = static_cast<uint8_t>(crc & 0xFF);
    Comm1.SendData(ack, sizeof ack);
    State.ReplyOffset = 0;
    Pause(30);
}

void Tform1::UnsolicitedReport() {
    const auto& f = State.RxFrame;
    const uint16_t reg = static_cast<uint16_t>(f[2] << 8 | f[3]);
    const auto word = [&](int at) { return static_cast<uint16_t>(f[static_cast<size_t>(at)] << 8 | f[static_cast<size_t>(at + 1)]); };
    const auto tenths = [&](int at) { return static_cast<int16_t>(word(at)) / 10.0; };
    const auto counter = [&](int at) {
        const uint32_t value = static_cast<uint32_t>(word(at)) << 16 | word(at + 2);
        if (value >= 0x80000000u) throw ERangeError();
        return value;
    };
    if (reg == 0) {
        const uint32_t total = counter(21);
        const uint32_t unread = counter(25);
        ListBox5->clear();
        const auto line = [](const char* format, base::TFormatArg value) {
            return QString::fromStdString(base::Format(format, {value}));
        };
        ListBox5->addItems({line("温度:%0.1f", tenths(7)), line("湿度:%0.1f", tenths(9)), line("露点:%0.1f", tenths(11)),
                            line("DO1:%d", word(13)), line("DO2:%d", word(15)), line("告警:%d", word(17)),
                            line("电量:%d", word(19)), line("总记录条数:%d", total), line("未读记录条数:%d", unread)});
        SendAcknowledgement(f.data());
    } else if (reg == 7) {
        // The byte count promises records; only those the frame really holds are read.
        const int promised = f[6] / 10;
        const int held = std::max(0, (State.RxLength - 2 - 15) / 10);
        const int records = std::min(promised, held);
        for (int i = 0; i < records; ++i) {
            ListBox6->addItem(ReportedLine(State.ReportedRecords, THistoryRecord::Decode(&f[static_cast<size_t>(15 + 10 * i)])));
            ++State.ReportedRecords;
            SetStatistics(QString::fromStdString(base::Format("记录条数:%d", {State.ReportedRecords})));
        }
        SendAcknowledgement(f.data());
    }
    // A report is no answer to the request in flight: that request keeps its reply timer.
    if (!AwaitingReply_) Timer1.SetEnabled(false);
}

}  // namespace console
