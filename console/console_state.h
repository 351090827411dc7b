#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "console/excel_report_state.h"

namespace console {

// What the request in flight asked for; the reply handler dispatches read replies by it.
enum TRequestState : uint32_t {
    rsIdle = 0,
    rsLiveValues = 1,
    rsParameters = 2,
    rsTime = 3,
    rsAlarmCounters = 4,
    rsAlarmRecords = 5,
    rsHistoryCounters = 6,
    rsHistoryUnread = 7,
    rsDayCount = 8,
    rsDayRecords = 9,
    rsRangeCount = 10,
    rsRangeRecords = 11,
    rsIdentify = 13,
    rsAdvancedSettings = 14,
    rsDetect = 16,
    rsClockCheck = 17,
    rsModelAfterIdentify = 18,
    rsModelAfterDetect = 19,
    rsSerialVersion = 22,
};

// The console's state, shared by the window's handlers (all on the GUI thread).
struct TConsoleState {
    // Request cycle.
    std::array<uint8_t, 1024> TxFrame{};
    uint32_t LastFrameLength = 0;
    uint8_t ExpectedAddress = 0;
    uint32_t RequestState = rsIdle;
    uint8_t RetryCount = 0;
    bool ContinuousRead = false;
    uint32_t ReadSuccessCount = 0;
    uint32_t ReadFailureCount = 0;
    uint8_t PostWriteAction = 0;
    uint8_t PendingQuery = 0;

    // Reply joining.
    std::array<uint8_t, 1024> RxFrame{};
    int32_t RxLength = 0;
    std::array<uint8_t, 1025> ReplyBuffer{};
    int32_t ReplyOffset = 0;

    // Connection and detection.
    bool LinkUp = false;
    uint8_t BaudIndex = 0;
    int32_t DetectPortIndex = 0;
    uint8_t DetectBaudIndex = 0;
    QStringList KnownPorts;
    QStringList LatestPorts;

    // Instrument model and record reading.
    uint8_t SecondsModel = 0;
    uint32_t RecordsRead = 0;
    uint32_t UnreadLeft = 0;
    uint32_t BlockRecords = 0;
    bool FastRead = false;  // the block in flight was asked for as a fast block
    uint32_t ReportedRecords = 0;
    // The Excel report of the history reading (the card export keeps its own).
    TExcelReportState Excel;
    // The alarm and event workbook: its next row.
    int32_t AlarmRow = 0;
};

}  // namespace console
