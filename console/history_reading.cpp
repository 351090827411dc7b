// The read buttons of the history and alarm pages: one request, or a continuous run.
#include <algorithm>

#include "console/alarm_workbook.h"
#include "console/form1.h"
#include "console/modbus_protocol.h"

namespace console {

// Locks or unlocks what a continuous history read must not be disturbed by; the tabs
// differ in their own query buttons.
void Tform1::LockHistoryRun(int tab, bool locked) {
    SetEnabled({PageControl1, ToolButton1, BitBtn3, BitBtn9, BitBtn10, BitBtn11, BitBtn22, BitBtn12, BitBtn23, BitBtn49,
                BitBtn33, BitBtn34, BitBtn37, BitBtn41, BitBtn42, BitBtn43, BitBtn44, CheckBox3},
               !locked);
    switch (tab) {
        case 0: SetEnabled({BitBtn52, BitBtn53, BitBtn17, BitBtn18, CheckBox10}, !locked); break;
        case 1:
            SetEnabled({BitBtn29, CheckBox10}, !locked);
            if (!locked) SetEnabled({BitBtn52, BitBtn53}, true);
            break;
        default: SetEnabled({BitBtn52, BitBtn53, BitBtn21}, !locked); break;
    }
}

void Tform1::BitBtn19Click() {
    SetStatistics("");
    const int tab = PageControl1->currentIndex();
    if (!State.ContinuousRead) {
        SetStatus("读取中...");
        State.FastRead = CheckBox10->isChecked() && tab != 2;
        State.BlockRecords = State.FastRead ? std::min<uint32_t>(State.UnreadLeft, 100) : 0;
        uint16_t reg = protocol::regUnreadBlock;
        uint16_t quantity =
            State.FastRead ? protocol::BlockRegisters(State.BlockRecords) : protocol::SingleRecordRegisters;
        State.RequestState = rsHistoryUnread;
        if (tab == 1) {
            State.RequestState = rsRangeRecords;
            reg = protocol::regRangeRecords;
        } else if (tab == 2) {
            State.RequestState = rsDayRecords;
            reg = protocol::regDayRecords;
            quantity = State.SecondsModel == 1 ? 9 : 7;
        }
        State.ExpectedAddress = AddressField();
        State.LastFrameLength = FrameRead(State.ExpectedAddress, protocol::fnReadRegisters, reg, quantity);
        SetStatistics("");
        ListedLeft_.reset();
        if (CheckBox3->isChecked()) {
            LockHistoryRun(tab, true);
            BitBtn19->setText("停止");
            State.ContinuousRead = true;
            State.ReadSuccessCount = State.ReadFailureCount = State.RecordsRead = 0;
            SetEnabled({CheckBox6, CheckBox2}, false);
            if (CheckBox2->isChecked()) StartPdfRun(tab);
            if (CheckBox6->isChecked()) StartExcelRun();
            Timer2.SetInterval(500);
            Timer2.SetEnabled(true);
        }
        SendFrame(State.TxFrame.data(), State.LastFrameLength);
        Pause(30);
        Timer1.SetEnabled(true);
        Timer1.SetInterval(2000);
    } else {
        FlushRecordLines();
        State.RequestState = rsIdle;
        LockHistoryRun(tab, false);
        BitBtn19->setText("读取");
        State.ContinuousRead = false;
        Timer2.SetEnabled(false);
        if (tab != 2) {
            Timer1.SetEnabled(false);
            AwaitingReply_ = false;
        }
        if (CheckBox2->isChecked()) FinishPdfRun(tab == 1);
        if (CheckBox6->isChecked()) FinishExcelRun(tab == 1 ? "正在保存..." : "");
        for (QCheckBox* box : {CheckBox6, CheckBox2}) {
            box->setChecked(false);
            box->setEnabled(true);
        }
    }
    ShowReadStatistics();
}

void Tform1::BitBtn15Click() {
    if (State.ContinuousRead) {
        State.RequestState = rsIdle;
        SetEnabled({ToolButton1, BitBtn3, BitBtn9, BitBtn10, BitBtn11, BitBtn13, BitBtn14, BitBtn22, BitBtn33, BitBtn34,
                    BitBtn37, BitBtn41, BitBtn42, BitBtn43, BitBtn44, BitBtn52, BitBtn53, CheckBox5, CheckBox11},
                   true);
        BitBtn15->setText("读取");
        State.ContinuousRead = false;
        Timer2.SetEnabled(false);
        Timer1.SetEnabled(false);
        AwaitingReply_ = false;
        if (CheckBox11->isChecked()) {
            CheckBox11->setEnabled(false);
            SaveAlarmRun(false);
        }
        return;
    }
    ListedLeft_.reset();
    if (CheckBox5->isChecked()) {
        SetEnabled({ToolButton1, BitBtn3,  BitBtn9,  BitBtn10, BitBtn11,  BitBtn12,  BitBtn13, BitBtn14,
                    BitBtn22,    BitBtn23, BitBtn33, BitBtn34, BitBtn37,  BitBtn41,  BitBtn42, BitBtn43,
                    BitBtn44,    BitBtn49, BitBtn52, BitBtn53, CheckBox5, CheckBox11},
                   false);
        Timer2.SetInterval(500);
        Timer2.SetEnabled(true);
        BitBtn15->setText("停止");
        State.ContinuousRead = true;
        State.ReadSuccessCount = State.ReadFailureCount = State.RecordsRead = 0;
        if (CheckBox11->isChecked()) State.AlarmRow = PrepareAlarmWorkbook(XLS);
    }
    SendRequest({.Status = "读取中...",
                 .State = rsAlarmRecords,
                 .Register = protocol::regAlarmRecords,
                 .Quantity = protocol::AlarmEventRegisters,
                 .TimeoutMs = 500});
    SetStatistics("");
}

}  // namespace console
