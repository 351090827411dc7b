// Replies of the history reads (unread, range, day) and of the alarm and event read.
#include <algorithm>

#include "console/alarm_event.h"
#include "console/alarm_workbook.h"
#include "console/conversions.h"
#include "console/form1.h"
#include "console/modbus_protocol.h"
#include "console/reply_values.h"

namespace console {
namespace {

// How long the next block is awaited, by the line's speed.
constexpr int NextBlockIntervals[] = {2000, 1500, 1000, 1500, 1000, 800, 600};

}  // namespace

// How long the next block is awaited; 0 (the interval stays) for a speed not in the table.
int Tform1::NextBlockInterval() const {
    return State.BaudIndex < std::size(NextBlockIntervals) ? NextBlockIntervals[State.BaudIndex] : 0;
}

std::optional<uint32_t> Tform1::RecordsLeftAfter() const {
    const TReplyData reply = Reply();
    switch (State.RequestState) {
        case rsHistoryUnread:
        case rsRangeRecords:
            if (reply.Length() > 20) return uint32_t{reply.Word(2)} << 16 | reply.Word(3);
            break;
        case rsDayRecords:
            if (reply.Length() > 16)
                return State.SecondsModel == 1 ? (uint32_t{reply.Word(2)} << 16 | reply.Word(3)) : reply.Word(1);
            break;
        case rsAlarmRecords:
            if (reply.Length() >= 17) return reply.Word(1);
            break;
        default: break;
    }
    return std::nullopt;
}

// Only while a run awaits its next block: a reply outside a run, and one that lists no
// records, is always taken.
bool Tform1::RepeatsListedBlock() const {
    if (!State.ContinuousRead || !ListedLeft_) return false;
    const std::optional<uint32_t> left = RecordsLeftAfter();
    return left && *left >= *ListedLeft_;
}

// Every history record of a read passes here: it is counted and listed.
void Tform1::AddHistoryRecord(const THistoryRecord& record, bool dayLine) {
    ++State.RecordsRead;
    PendingLines_ << (dayLine ? DayLine(State.RecordsRead, record) : HistoryLine(State.RecordsRead, record));
    if (!LineFlush_.isActive()) LineFlush_.start();
    if (CheckBox2->isChecked() && PdfReport.Generating()) PdfReport.AddPdfRow(State.RecordsRead, record);
    // A day is read into the report only when it is read through.
    if (CheckBox6->isChecked() && ExcelReport.Active() && (!dayLine || CheckBox3->isChecked()))
        ExcelReport.AddReportRow(State.RecordsRead, record);
}

// The list lays out all its lines again whenever lines are added, so during a run it takes
// them a batch at a time, a few times a second, and all at once when the read stops.
void Tform1::FlushRecordLines() {
    LineFlush_.stop();
    if (PendingLines_.isEmpty()) return;
    ListBox2->addItems(PendingLines_);
    PendingLines_.clear();
    ListBox2->scrollToBottom();
}

void Tform1::AskNextBlock(bool range) {
    SetStatus("读取中...");
    State.ExpectedAddress = AddressField();
    State.FastRead = CheckBox10->isChecked();
    State.BlockRecords = State.FastRead ? std::min<uint32_t>(State.UnreadLeft, 100) : 0;
    const uint16_t quantity =
        State.FastRead ? protocol::BlockRegisters(State.BlockRecords) : protocol::SingleRecordRegisters;
    State.LastFrameLength = FrameRead(State.ExpectedAddress, protocol::fnReadRegisters,
                                      range ? protocol::regRangeRecords : protocol::regUnreadBlock, quantity);
    RepeatRequest(NextBlockInterval());
}

void Tform1::HistoryBlockReply(bool range) {
    TLabeledEdit* remainingField = range ? LabeledEdit26 : LabeledEdit16;
    // A fast block holds at most what was asked for; a single read, one record.
    const std::optional<THistoryBlock> block = THistoryBlock::Decode(Reply(), State.FastRead ? State.BlockRecords : 1);
    if (block) {
        SetStatus("正常");
        LabeledEdit15->SetText(QString::number(block->Counters.Total));
        remainingField->SetText(QString::number(block->Counters.Unread));
        State.UnreadLeft = block->Counters.Unread;
        if (block->CarriesRecords) {
            for (const THistoryRecord& record : block->Records) {
                AddHistoryRecord(record, false);
                ++State.ReadSuccessCount;
            }
            ShowReadStatistics();
            if (State.UnreadLeft < 1 && State.ContinuousRead) EndBlockRead(range);
        }
        if (State.ContinuousRead) AskNextBlock(range);
    }
    if (CheckBox3->isChecked()) ShowReadStatistics();
    if (StrToInt(remainingField->Text().isEmpty() ? "0" : remainingField->Text()) > 0) {
        SetStatus("正常");
    } else if (CheckBox3->isChecked()) {
        // Nothing (more) to read: the run closes without a report.
        SetEnabled(CommandGroup(), true);
        if (range)
            SetEnabled({BitBtn29, BitBtn20}, true);
        else
            SetEnabled({BitBtn17, BitBtn18}, true);
        SetEnabled({CheckBox6, CheckBox2, CheckBox3, CheckBox10, BitBtn19}, false);
        BitBtn19->setText("读取");
        State.ContinuousRead = false;
        Timer2.SetEnabled(false);
    }
    if (!State.ContinuousRead) FlushRecordLines();
}

void Tform1::EndBlockRead(bool range) {
    FlushRecordLines();
    SetEnabled(CommandGroup(), true);
    if (range)
        SetEnabled({BitBtn29, BitBtn19, BitBtn20}, true);
    else
        SetEnabled({BitBtn17, BitBtn18}, true);
    SetEnabled({PageControl1, ToolButton1, BitBtn12, BitBtn23, BitBtn49}, true);
    SetEnabled({CheckBox6, CheckBox2, CheckBox3, CheckBox10}, false);
    if (!range) BitBtn19->setEnabled(false);
    if (CheckBox2->isChecked()) FinishPdfRun(false);
    if (CheckBox6->isChecked()) FinishExcelRun(range ? "" : "读取中...");
    BitBtn19->setText("读取");
    State.ContinuousRead = false;
    Timer2.SetEnabled(false);
    CheckBox6->setChecked(false);
    CheckBox2->setChecked(false);
    SetEnabled({CheckBox6, CheckBox2}, false);
}

void Tform1::DayRecordsReply() {
    const std::optional<TDayRecord> day = TDayRecord::Decode(Reply(), State.SecondsModel == 1);
    if (!Taken(day.has_value())) return;
    const uint32_t count = day->Counters.Total;
    const uint32_t index = day->Counters.Unread;
    LabeledEdit17->SetText(QString::number(count));
    LabeledEdit18->SetText(QString::number(index));
    if (day->Record) {
        AddHistoryRecord(*day->Record, true);
        if (CheckBox3->isChecked()) {
            ++State.ReadSuccessCount;
            if (State.ContinuousRead) {
                ShowReadStatistics();
                SetStatus("读取中...");
                // The same request again: the instrument moves on to the day's next record.
                RepeatRequest(NextBlockInterval());
            }
        }
    }
    if (index == 0 || count == 0) EndDayRead();
    if (!State.ContinuousRead) FlushRecordLines();
}

void Tform1::EndDayRead() {
    FlushRecordLines();
    SetEnabled({ToolButton1, PageControl1}, true);
    SetEnabled(CommandGroup(), true);
    SetEnabled({BitBtn12, BitBtn23, BitBtn49, BitBtn21}, true);
    if (CheckBox2->isChecked()) FinishPdfRun(false);
    if (CheckBox6->isChecked()) FinishExcelRun("");
    SetEnabled({CheckBox6, CheckBox2, CheckBox3}, false);
    CheckBox2->setChecked(false);
    BitBtn19->setEnabled(false);
    BitBtn19->setText("读取");
    State.ContinuousRead = false;
    Timer2.SetEnabled(false);
}

void Tform1::AlarmRecordsReply() {
    const TAlarmReply reply = TAlarmReply::Decode(Reply());
    if (Taken(reply.Counters.has_value())) {
        LabeledEdit12->SetText(QString::number(reply.Counters->Total));
        LabeledEdit13->SetText(QString::number(reply.Counters->Unread));
    }
    if (reply.Event) {
        if (State.ContinuousRead) {
            ++State.ReadSuccessCount;
            ShowReadStatistics();
            SetStatus("读取中...");
            // The same request again: the instrument moves on to the next event.
            RepeatRequest(300);
            ListBox1->scrollToBottom();
        }
        ListBox1->addItem(reply.Event->Line());
        if (CheckBox11->isChecked()) AddAlarmRow(XLS, State.AlarmRow, *reply.Event);
    }
    if (StrToInt(LabeledEdit13->Text().isEmpty() ? "0" : LabeledEdit13->Text()) < 1) {
        BitBtn15->setEnabled(false);
        if (State.ContinuousRead) {
            SetEnabled(CommandGroup(), true);
            SetEnabled({ToolButton1, BitBtn13, BitBtn14}, true);
            BitBtn15->setText("读取");
            State.ContinuousRead = false;
            Timer2.SetEnabled(false);
            if (CheckBox11->isChecked()) {
                CheckBox11->setEnabled(false);
                SaveAlarmRun(true);
            }
            for (QCheckBox* box : {CheckBox5, CheckBox11}) {
                box->setChecked(false);
                box->setEnabled(false);
            }
        }
    }
}

}  // namespace console
