#pragma once

#include <cstdint>

// The numbers of the instrument's Modbus RTU protocol, in one table.
namespace console::protocol {

// Function codes.
constexpr uint8_t fnReadRegisters = 3;
constexpr uint8_t fnWriteCoil = 5;
constexpr uint8_t fnWriteRegister = 6;
constexpr uint8_t fnWriteCoils = 15;
constexpr uint8_t fnWriteRegisters = 16;
constexpr uint8_t fnReadPrivate = 46;    // the instrument's own read (model, advanced settings)
constexpr uint8_t fnWritePrivate = 47;   // and its own write
constexpr uint8_t ExceptionFlag = 0x80;  // set in the function code of an exception reply

// Exception codes.
constexpr uint8_t exIllegalFunction = 1;
constexpr uint8_t exIllegalAddress = 2;
constexpr uint8_t exIllegalValue = 3;  // a record read: nothing (more) to read
constexpr uint8_t exDeviceFailure = 4;

constexpr uint8_t BroadcastAddress = 255;

// Registers.
constexpr uint16_t regLiveValues = 0;
constexpr uint16_t regUnreadBlock = 7;   // history counters and unread records
constexpr uint16_t regParameters = 200;  // the parameter block; 200 alone is the address
constexpr uint16_t regStartTime = 124;   // the start-of-recording time kept by the PC side
constexpr uint16_t regRecordingSwitch = 122;
constexpr uint16_t regClock = 224;
constexpr uint16_t regTimeFields = 227;  // the start-of-recording time
constexpr uint16_t regPowerSaving = 230;
constexpr uint16_t regRecording = 222;
constexpr uint16_t regAlarmOutput = 233;
constexpr uint16_t regSerialVersion = 235;
constexpr uint16_t regClearRecords = 300;
constexpr uint16_t regResetUnread = 301;
constexpr uint16_t regRestoreParameters = 302;
constexpr uint16_t regAlarmRecords = 1000;  // alarm counters and events
constexpr uint16_t regAlarmUnread = 1001;
constexpr uint16_t regUnreadCount = 2002;
constexpr uint16_t regDayRecords = 3000;  // the day query is written here, its records read
constexpr uint16_t regRangeCount = 4000;
constexpr uint16_t regRangeRecords = 5000;  // the range query is written here, its records read
constexpr uint16_t regAdvanced = 0xEADB;
constexpr uint16_t regModel = 0xEADF;

// Coils.
constexpr uint16_t coilDo1 = 3;
constexpr uint16_t coilDo2 = 4;
constexpr uint16_t CoilOn = 0xFF00;
constexpr uint16_t CoilOff = 0x0000;

// Register counts of the reads.
constexpr uint16_t LiveValueRegisters = 6;
constexpr uint16_t ParameterRegisters = 24;
constexpr uint16_t ClockRegisters = 3;
constexpr uint16_t AlarmCounterRegisters = 2;
constexpr uint16_t AlarmEventRegisters = 7;
constexpr uint16_t HistoryCounterRegisters = 4;
constexpr uint16_t SingleRecordRegisters = 9;  // counters and one record
constexpr uint16_t SerialVersionRegisters = 11;
constexpr uint16_t AdvancedRegisters = 4;
constexpr uint16_t ModelRegisters = 2;
// A fast block of n records: the counters and five registers a record.
constexpr uint16_t BlockRegisters(uint32_t records) { return static_cast<uint16_t>(5 * records + 4); }

// Frame sizes.
constexpr uint32_t CrcBytes = 2;
constexpr uint32_t ReadReplyOverhead = 5;  // address, function, byte count, CRC
constexpr uint32_t WriteAcknowledgementBytes = 8;
constexpr uint32_t HistoryRecordBytes = 10;
constexpr uint32_t BlockHeaderBytes = 8;  // total and unread counts before a block's records
constexpr uint32_t MaxBlockRecords = 100;

// The length of the reply a request frame asks for: a read's header, data and CRC, or a
// write's echo; 0 for a frame too short to say.
constexpr int32_t ExpectedReplyLength(const uint8_t* request, uint32_t length) {
    if (length < 6) return 0;
    const uint8_t function = request[1];
    if (function == fnReadRegisters || function == fnReadPrivate)
        return static_cast<int32_t>(ReadReplyOverhead + 2u * (uint32_t{request[4]} << 8 | request[5]));
    return static_cast<int32_t>(WriteAcknowledgementBytes);
}

}  // namespace console::protocol
