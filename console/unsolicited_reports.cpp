// Reports the instrument sends on its own: listed, then acknowledged.
#include <algorithm>

#include "base/format.h"
#include "console/crc16.h"
#include "console/form1.h"
#include "console/reply_values.h"

namespace console {

// The acknowledgement is no request: it has a buffer of its own, so that the request
// kept in TxFrame for resending stays whole.
void Tform1::SendAcknowledgement(const std::array<uint8_t, 6>& head) {
    uint8_t ack[8];
    std::copy(head.begin(), head.end(), ack);
    const uint16_t crc = Crc16Modbus(ack, 6);
    ack[6] = static_cast<uint8_t>(crc >> 8);
    ack[7] = static_cast<uint8_t>(crc & 0xFF);
    Comm1.SendData(ack, sizeof ack);
    State.ReplyOffset = 0;
    Pause(30);
}

void Tform1::ShowLiveReport(const TLiveReport& report) {
    const auto line = [](const char* format, base::TFormatArg value) {
        return QString::fromStdString(base::Format(format, {value}));
    };
    ListBox5->clear();
    ListBox5->addItems({line("温度:%0.1f", report.Temperature / 10.0), line("湿度:%0.1f", report.Humidity / 10.0),
                        line("露点:%0.1f", report.DewPoint / 10.0), line("DO1:%d", report.Do1),
                        line("DO2:%d", report.Do2), line("告警:%d", report.Alarm), line("电量:%d", report.Battery),
                        line("总记录条数:%d", report.Counters.Total), line("未读记录条数:%d", report.Counters.Unread)});
}

void Tform1::ShowRecordReport(const TRecordReport& report) {
    for (const THistoryRecord& record : report.Records) {
        ListBox6->addItem(ReportedLine(State.ReportedRecords, record));
        ++State.ReportedRecords;
        SetStatistics(QString::fromStdString(base::Format("记录条数:%d", {State.ReportedRecords})));
    }
}

void Tform1::UnsolicitedReport() {
    const TReplyData reply = Reply();
    if (const std::optional<TLiveReport> live = TLiveReport::Decode(reply)) {
        ShowLiveReport(*live);
        SendAcknowledgement(ReportHead(reply));
    } else if (const std::optional<TRecordReport> records = TRecordReport::Decode(reply)) {
        ShowRecordReport(*records);
        SendAcknowledgement(ReportHead(reply));
    }
    // A report is no answer to the request in flight: that request keeps its reply timer.
    if (!AwaitingReply_) Timer1.SetEnabled(false);
}

}  // namespace console
