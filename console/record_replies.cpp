// Replies of the history reads (unread, range, day) and of the alarm and event read.
#include <algorithm>

#include "console/alarm_event.h"
#include "console/conversions.h"
#include "console/form1.h"

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
    const auto word = [this](int index) { return uint32_t{DataWord(index)}; };
    switch (State.RequestState) {
        case rsHistoryUnread:
        case rsRangeRecords:
            if (State.RxLength > 20) return word(2) << 16 | word(3);
            break;
        case rsDayRecords:
            if (State.RxLength > 16) return State.SecondsModel == 1 ? (word(2) << 16 | word(3)) : word(1);
            break;
        case rsAlarmRecords:
            if (State.RxLength >= 17) return word(1);
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
    ListBox2->addItem(dayLine ? DayLine(State.RecordsRead, record) : HistoryLine(State.RecordsRead, record));
}

void Tform1::AskNextBlock(bool range) {
    SetStatus("读取中...");
    State.ExpectedAddress = AddressField();
    State.FastRead = CheckBox10->isChecked();
    State.BlockRecords = State.FastRead ? std::min<uint32_t>(State.UnreadLeft, 100) : 0;
    const auto quantity = static_cast<uint16_t>(State.FastRead ? 5 * State.BlockRecords + 4 : 9);
    State.LastFrameLength = FrameRead(State.ExpectedAddress, 3, range ? 5000 : 7, quantity);
    RepeatRequest(NextBlockInterval());
}

void Tform1::HistoryBlockReply(bool range) {
    TLabeledEdit* remainingField = range ? LabeledEdit26 : LabeledEdit16;
    if (State.RxLength > 11) {
        SetStatus("正常");
        LabeledEdit15->SetText(QString::number(DataLong(0)));
        remainingField->SetText(QString::number(DataLong(2)));
        State.UnreadLeft = static_cast<uint32_t>(StrToInt(remainingField->Text()));
        if (State.RxLength > 20) {
            // A fast block holds at most what was asked for, and never more than the frame
            // carries. Its one-byte byte count cannot say 1008, so the frame's length counts.
            const int32_t carried = (State.RxLength - 5 - 8) / 10;
            const uint32_t records =
                State.FastRead ? std::min<uint32_t>(State.BlockRecords, static_cast<uint32_t>(std::max(carried, 0))) : 1;
            for (uint32_t i = 0; i < records; ++i) {
                AddHistoryRecord(THistoryRecord::Decode(&State.RxFrame[3 + 8 + 10 * i]), false);
                ++State.ReadSuccessCount;
            }
            ListBox2->scrollToBottom();
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
}

void Tform1::EndBlockRead(bool range) {
    SetEnabled(CommandGroup(), true);
    if (range)
        SetEnabled({BitBtn29, BitBtn19, BitBtn20}, true);
    else
        SetEnabled({BitBtn17, BitBtn18}, true);
    SetEnabled({PageControl1, ToolButton1, BitBtn12, BitBtn23, BitBtn49}, true);
    SetEnabled({CheckBox6, CheckBox2, CheckBox3, CheckBox10}, false);
    if (!range) BitBtn19->setEnabled(false);
    BitBtn19->setText("读取");
    State.ContinuousRead = false;
    Timer2.SetEnabled(false);
    CheckBox6->setChecked(false);
    CheckBox2->setChecked(false);
    SetEnabled({CheckBox6, CheckBox2}, false);
}

void Tform1::DayRecordsReply() {
    const bool seconds = State.SecondsModel == 1;
    if (State.RxLength < (seconds ? 9 : 7)) {
        SetStatus("错误");
        return;
    }
    SetStatus("正常");
    const uint32_t count = seconds ? DataLong(0) : DataWord(0);
    const uint32_t index = seconds ? DataLong(2) : DataWord(1);
    LabeledEdit17->SetText(QString::number(count));
    LabeledEdit18->SetText(QString::number(index));
    if (State.RxLength > 16) {
        AddHistoryRecord(THistoryRecord::Decode(&State.RxFrame[3 + (seconds ? 8 : 4)]), true);
        if (CheckBox3->isChecked()) {
            ++State.ReadSuccessCount;
            if (State.ContinuousRead) {
                ShowReadStatistics();
                SetStatus("读取中...");
                // The same request again: the instrument moves on to the day's next record.
                RepeatRequest(NextBlockInterval());
                ListBox2->scrollToBottom();
            }
        }
    }
    if (index == 0 || count == 0) EndDayRead();
}

void Tform1::EndDayRead() {
    SetEnabled({ToolButton1, PageControl1}, true);
    SetEnabled(CommandGroup(), true);
    SetEnabled({BitBtn12, BitBtn23, BitBtn49, BitBtn21}, true);
    SetEnabled({CheckBox6, CheckBox2, CheckBox3}, false);
    CheckBox2->setChecked(false);
    BitBtn19->setEnabled(false);
    BitBtn19->setText("读取");
    State.ContinuousRead = false;
    Timer2.SetEnabled(false);
}

void Tform1::AlarmRecordsReply() {
    if (State.RxLength < 6) {
        SetStatus("错误");
    } else {
        SetStatus("正常");
        LabeledEdit12->SetText(QString::number(DataWord(0)));
        LabeledEdit13->SetText(QString::number(DataWord(1)));
    }
    if (State.RxLength >= 17) {
        const TAlarmEvent event = TAlarmEvent::Decode(&State.RxFrame[3]);
        if (State.ContinuousRead) {
            ++State.ReadSuccessCount;
            ShowReadStatistics();
            SetStatus("读取中...");
            // The same request again: the instrument moves on to the next event.
            RepeatRequest(300);
            ListBox1->scrollToBottom();
        }
        ListBox1->addItem(event.Line());
    }
    if (StrToInt(LabeledEdit13->Text().isEmpty() ? "0" : LabeledEdit13->Text()) < 1) {
        BitBtn15->setEnabled(false);
        if (State.ContinuousRead) {
            SetEnabled(CommandGroup(), true);
            SetEnabled({ToolButton1, BitBtn13, BitBtn14}, true);
            BitBtn15->setText("读取");
            State.ContinuousRead = false;
            Timer2.SetEnabled(false);
            for (QCheckBox* box : {CheckBox5, CheckBox11}) {
                box->setChecked(false);
                box->setEnabled(false);
            }
        }
    }
}

}  // namespace console
