// Joining received chunks into replies and handing each reply to its handler.
#include <algorithm>

#include "console/conversions.h"
#include "console/form1.h"
#include "console/modbus_protocol.h"
#include "console/reply_joining.h"
#include "console/reply_values.h"

namespace console {

void Tform1::Comm1ReceiveData(const uint8_t* buffer, uint16_t length) {
    if (JoinReplyChunk(State, buffer, length)) Dispatch();
}

void Tform1::Dispatch() {
    const bool anyAddress = State.RequestState == rsIdentify || State.RequestState == rsDetect;
    const TReplyHead head = TReplyHead::Decode(Reply(), State.ExpectedAddress, anyAddress);
    // Only the answer to the request in flight acts. A second copy, or a late answer to a
    // request that a newer one replaced, must not act on the current request state.
    const bool inFlight = AwaitingReply_ && head.Function == AwaitedFunction_;
    switch (head.Kind) {
        case TReplyKind::Exception:
            if (inFlight) ExceptionReply(head.ExceptionCode);
            break;
        case TReplyKind::OperationDone:
            if (!inFlight) return;
            ReplyArrived();
            SetStatus("操作成功");
            break;
        case TReplyKind::WriteDone:
            if (inFlight) WriteAcknowledgement();
            break;
        case TReplyKind::Report: UnsolicitedReport(); break;
        case TReplyKind::Read:
            if (inFlight) ReadReply();
            break;
        case TReplyKind::Ignored: break;
    }
}

void Tform1::ReadReply() {
    // A block already listed comes again: the next block is still awaited.
    if (RepeatsListedBlock()) return;
    ReplyArrived();
    if (CheckBox1->isChecked()) ++State.ReadSuccessCount;
    const std::optional<uint32_t> left = RecordsLeftAfter();
    switch (State.RequestState) {
        case rsLiveValues: LiveValuesReply(); break;
        case rsParameters: ParametersReply(); break;
        case rsTime: TimeReply(); break;
        case rsAlarmCounters: AlarmCountersReply(); break;
        case rsHistoryCounters: HistoryCountersReply(); break;
        case rsDayCount: DayCountReply(); break;
        case rsRangeCount: RangeCountReply(); break;
        case rsAdvancedSettings: AdvancedSettingsReply(); break;
        case rsIdentify: IdentifyReply(); break;
        case rsDetect: DetectReply(); break;
        case rsClockCheck: ClockCheckReply(); break;
        case rsModelAfterIdentify: ModelReply(false); break;
        case rsModelAfterDetect: ModelReply(true); break;
        case rsSerialVersion: SerialVersionReply(); break;
        case rsHistoryUnread: HistoryBlockReply(false); break;
        case rsRangeRecords: HistoryBlockReply(true); break;
        case rsDayRecords: DayRecordsReply(); break;
        case rsAlarmRecords: AlarmRecordsReply(); break;
        default: break;
    }
    if (left) ListedLeft_ = left;
}

std::vector<QWidget*> Tform1::CommandGroup() const {
    return {BitBtn41, BitBtn42, BitBtn43, BitBtn44, BitBtn9,  BitBtn11, BitBtn22,
            BitBtn10, BitBtn33, BitBtn52, BitBtn53, BitBtn34, BitBtn37, BitBtn3};
}

void Tform1::ExceptionReply(uint8_t code) {
    FlushRecordLines();
    State.ReplyOffset = 0;
    ReplyArrived();
    Timer2.SetEnabled(false);
    // A refused request must not have its follow-up applied by a later acknowledgement.
    const bool queryPending = State.PendingQuery != 0;
    DropFollowUps();
    const uint32_t state = State.RequestState;
    if (State.ContinuousRead) {
        State.ContinuousRead = false;
        if (state == rsHistoryUnread || state == rsDayRecords) {
            BitBtn19->setText("读取");
            BitBtn19->setEnabled(true);
            if (state == rsHistoryUnread && CheckBox2->isChecked() && State.RecordsRead > 0) FinishPdfRun(false);
            if (state == rsHistoryUnread && CheckBox6->isChecked() && State.RecordsRead > 0) FinishExcelRun("");
        } else if (state == rsAlarmRecords) {
            BitBtn15->setText("读取");
            BitBtn15->setEnabled(false);
        } else if (state == rsRangeRecords) {
            BitBtn19->setText("读取");
            BitBtn19->setEnabled(false);
        }
    }
    const std::vector<QWidget*> commandGroup = CommandGroup();
    switch (code) {
        case protocol::exIllegalFunction: SetStatus("功能码错误"); break;
        case protocol::exIllegalAddress:
            SetStatus("该版本不支持");
            BitBtn3->setEnabled(true);
            break;
        case protocol::exDeviceFailure: SetStatus("控制错误"); break;
        case protocol::exIllegalValue:
            if (state == rsAlarmRecords) {
                SetStatus("无未读记录");
                SetEnabled(commandGroup, true);
                SetEnabled({BitBtn13, BitBtn14}, true);
                LabeledEdit13->SetText("0");
                BitBtn15->setText("读取");
                BitBtn15->setEnabled(false);
                CheckBox5->setEnabled(false);
            } else if (state == rsHistoryUnread) {
                SetStatus("无未读记录");
                LabeledEdit16->SetText("0");
                BitBtn19->setEnabled(false);
                PageControl1->setEnabled(true);
                SetEnabled({CheckBox3, CheckBox6, CheckBox2}, false);
                SetEnabled(commandGroup, true);
                SetEnabled({BitBtn17, BitBtn18}, true);
                CheckBox3->setChecked(false);
                CheckBox6->setChecked(false);
            } else if (state == rsDayRecords) {
                SetStatus("无未读记录");
                SetEnabled(commandGroup, true);
                LabeledEdit16->SetText("0");
                BitBtn19->setEnabled(false);
                SetEnabled({CheckBox3, CheckBox6, CheckBox2}, false);
            } else if (state == rsRangeRecords) {
                SetStatus("无未读记录");
                SetEnabled(commandGroup, true);
                BitBtn29->setEnabled(true);
                LabeledEdit26->SetText("0");
                BitBtn19->setEnabled(false);
                SetEnabled({CheckBox6, CheckBox2, CheckBox3}, false);
            } else if (queryPending) {
                SetStatus("无记录数据");
                LabeledEdit17->SetText("0");
                LabeledEdit18->SetText("0");
                BitBtn19->setEnabled(false);
                SetEnabled({CheckBox3, CheckBox6, CheckBox2}, false);
            } else {
                SetStatus("数据错误");
            }
            SetEnabled({ToolButton1, PageControl1, BitBtn12, BitBtn23, BitBtn49}, true);
            break;
        default: break;
    }
}

void Tform1::WriteAcknowledgement() {
    if (State.PendingQuery == 1 || State.PendingQuery == 2) {
        const bool day = State.PendingQuery == 1;
        State.PendingQuery = 0;
        ReplyArrived();
        Timer1.SetEnabled(false);
        SetStatus("查询成功");
        State.RequestState = day ? rsDayCount : rsRangeCount;
        State.ExpectedAddress = AddressField();
        using namespace protocol;
        State.LastFrameLength =
            day ? FrameRead(State.ExpectedAddress, fnReadRegisters, regDayRecords, State.SecondsModel == 1 ? 4 : 2)
                : FrameRead(State.ExpectedAddress, fnReadRegisters, regRangeCount, 4);
        SendFrame(State.TxFrame.data(), State.LastFrameLength);
        Pause(30);
        ArmReplyTimer(1000);
        return;
    }
    SetStatus("设置成功");
    switch (State.PostWriteAction) {
        case 1:
            SetEnabled({CheckBox3, CheckBox10, CheckBox2, CheckBox6, BitBtn19}, true);
            State.RecordsRead = 0;
            LabeledEdit14->SetText(LabeledEdit7->Text());
            ComboBox7->setCurrentText(ComboBox1->currentText());
            Comm1.SetBaudRate(static_cast<uint32_t>(StrToInt(ComboBox7->currentText())));
            break;
        case 2:
            BitBtn15->setEnabled(true);
            CheckBox5->setChecked(true);
            CheckBox5->setEnabled(true);
            break;
        case 3:
            State.RecordsRead = 0;
            SetEnabled({CheckBox3, CheckBox10, CheckBox2, CheckBox6, BitBtn19}, true);
            break;
        default: break;
    }
    State.PostWriteAction = 0;
    ReplyArrived();
}

}  // namespace console
