#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/instrument/civil_time.h"

namespace instrument {

// The parameter block, registers 200 to 223, by offset from its first register.
enum TParameter : size_t {
    pmAddress,
    pmBaudRate,         // index into BaudRates
    pmFrameFormat,      // 0 N81, 1 E81, 2 O81
    pmTemperatureUnit,  // 0 Celsius, 1 Fahrenheit
    pmHighTemperature,  // signed tenths
    pmLowTemperature,   // signed tenths
    pmTemperatureHysteresis,
    pmHighHumidity,  // tenths
    pmLowHumidity,
    pmHumidityHysteresis,
    pmDo1Mode,  // 0 follows the alarms, 1 driven by the line (coil 3)
    pmDo2Mode,
    pmDo1AlarmLink,  // alarm bit set
    pmDo2AlarmLink,
    pmContactState,
    pmIntervalUnitCopy,
    pmUserPassword,
    pmRecordInterval,
    pmRadioPan,      // 0 or 1: the record-interval unit (minutes, seconds)
    pmRadioChannel,  // 0 or 1: the power supply
    pmTemperatureCalibration,
    pmHumidityCalibration,
    pmRecording,
    pmAlarmOutput,
    ParameterCount
};

constexpr uint16_t ParameterBase = 200;
constexpr std::array<uint32_t, 4> BaudRates = {9600, 19200, 115200, 1000000};
// Written to a command register to confirm clearing, resetting or restoring.
constexpr uint16_t ConfirmationValue = 2958;

// The date of a day or range query: no time of day.
struct TDate {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
    bool operator==(const TDate&) const = default;
};

// An alarm or event as the instrument logs it: class 1 outputs, 2 alarms, 3 changes made on
// the instrument, 4 changes made over the line.
struct TAlarmEvent {
    uint8_t Class = 2;
    uint8_t Code = 1;
    int16_t Value = 0;
    TDateTime Time;
    bool operator==(const TAlarmEvent&) const = default;
};

// Everything the instrument knows. Plain data, copied freely: a write is tried on a copy
// and committed whole, so a refused write changes nothing.
struct TInstrumentState {
    // Live values; dew point and alarm state are derived from them and the limits.
    int16_t Temperature = 235;  // tenths of a degree
    uint16_t Humidity = 456;    // tenths of a percent
    uint16_t Battery = 100;
    bool Do1 = false;
    bool Do2 = false;

    std::array<uint16_t, ParameterCount> Parameters = DefaultParameters();

    // The instrument's clock runs as the host's local clock plus this many seconds.
    int64_t ClockOffset = 0;
    TDateTime RecordStart{2024, 1, 1, 0, 0, 0};
    uint16_t EnergyLevel = 0;
    uint16_t AlarmOutputSwitch = 0;  // 3 on, 0 off

    // The history is generated rather than stored: record i (0 the oldest) was taken at
    // HistoryStart + i * HistoryInterval seconds, with values that move on by a tenth per
    // record from the first record's (see history_store.h). The unread records are the
    // newest HistoryUnread of them.
    uint32_t HistoryTotal = 0;
    uint32_t HistoryUnread = 0;
    TDateTime HistoryStart{2024, 1, 1, 0, 0, 0};
    uint32_t HistoryInterval = 60;     // seconds; 0 counts as 1
    int16_t HistoryTemperature = 200;  // tenths, of record 0
    uint16_t HistoryHumidity = 500;    // tenths, of record 0

    // Event i is Events[i] when the list holds it, otherwise one generated from i. The
    // unread events are the newest AlarmUnread of AlarmTotal.
    uint16_t AlarmTotal = 0;
    uint16_t AlarmUnread = 0;
    std::vector<TAlarmEvent> Events;

    // The records a day or range query found: DayRecords of them from DayFirstRecord on;
    // the read index counts down the records still to hand out.
    TDate DayQuery;
    uint32_t DayFirstRecord = 0;
    uint32_t DayRecords = 0;
    uint32_t DayReadIndex = 0;
    TDate RangeStart;
    TDate RangeEnd;
    uint32_t RangeFirstRecord = 0;
    uint32_t RangeRecords = 0;
    uint32_t RangeReadIndex = 0;

    // Probe, line, storage and input types, each an item index.
    std::array<uint16_t, 4> Advanced = {0, 0, 1, 0};

    uint8_t Model = 0x14;  // high nibble class, low nibble capacity
    uint8_t Options = 0x08;
    uint16_t Version = 101;
    std::array<uint8_t, 6> SerialNumber = {0x24, 0x03, 0x01, 0x00, 0x00, 0x01};

    static std::array<uint16_t, ParameterCount> DefaultParameters();

    uint8_t Address() const { return static_cast<uint8_t>(Parameters[pmAddress]); }
    uint32_t BaudRate() const { return BaudRates[Parameters[pmBaudRate] % BaudRates.size()]; }
    // Capacities 4 to 8 record at second intervals and give 32-bit day counters.
    bool SecondsModel() const { return (Model & 0x0F) >= 4 && (Model & 0x0F) <= 8; }
    int16_t DewPoint() const;
    uint8_t AlarmState() const;
};

}  // namespace instrument
