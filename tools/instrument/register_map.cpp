#include "tools/instrument/register_map.h"

#include <functional>
#include <optional>

#include "tools/instrument/record_reads.h"

namespace instrument {
namespace {

using TReader = std::function<void(const TInstrumentState&, int64_t now, std::span<uint16_t> out)>;
using TWriter = std::function<TException(TInstrumentState&, int64_t now, std::span<const uint16_t> in)>;

constexpr uint64_t Bit(uint8_t function) { return uint64_t{1} << function; }

// A run of registers that one function reads or writes as one value.
struct TField {
    uint32_t Start;
    uint32_t Count;
    uint64_t Functions;
    TReader Read;
    TWriter Write;

    bool Serves(uint8_t function) const { return function < 64 && (Functions & Bit(function)); }
    bool Contains(uint32_t reg) const { return reg >= Start && reg < Start + Count; }
};

uint16_t Word(int high, int low) { return static_cast<uint16_t>(((high & 0xFF) << 8) | (low & 0xFF)); }
uint8_t High(uint16_t word) { return static_cast<uint8_t>(word >> 8); }
uint8_t Low(uint16_t word) { return static_cast<uint8_t>(word & 0xFF); }

void PutLong(std::span<uint16_t> out, uint32_t value) {
    out[0] = static_cast<uint16_t>(value >> 16);
    out[1] = static_cast<uint16_t>(value & 0xFFFF);
}

uint32_t GetLong(std::span<const uint16_t> in) { return (uint32_t{in[0]} << 16) | in[1]; }

// Date-times travel as six bytes: year - 2000, month, day, hour, minute, second.
void PutDateTime(std::span<uint16_t> out, const TDateTime& value) {
    out[0] = Word(value.Year - FirstYear, value.Month);
    out[1] = Word(value.Day, value.Hour);
    out[2] = Word(value.Minute, value.Second);
}

std::optional<TDateTime> GetDateTime(std::span<const uint16_t> in) {
    const TDateTime value{FirstYear + High(in[0]), Low(in[0]), High(in[1]), Low(in[1]), High(in[2]), Low(in[2])};
    if (!IsValidDateTime(value)) return std::nullopt;
    return value;
}

// Dates travel as year - 2000, month, day and a zero byte.
std::optional<TDate> GetDate(std::span<const uint16_t> in) {
    const TDate value{FirstYear + High(in[0]), Low(in[0]), High(in[1])};
    if (!IsValidDateTime({value.Year, value.Month, value.Day, 0, 0, 0})) return std::nullopt;
    return value;
}

int64_t DateOrder(const TDate& date) { return CivilSeconds({date.Year, date.Month, date.Day, 0, 0, 0}); }

TException SetClock(TInstrumentState& s, int64_t now, std::span<const uint16_t> in) {
    const auto value = GetDateTime(in);
    if (!value) return exIllegalValue;
    s.ClockOffset = CivilSeconds(*value) - now;
    return exNone;
}

void ReadClock(const TInstrumentState& s, int64_t now, std::span<uint16_t> out) {
    PutDateTime(out, InstrumentClock(s, now));
}

bool ValidParameter(size_t index, uint16_t value) {
    switch (index) {
        case pmAddress: return value >= 1 && value <= 247;
        case pmBaudRate: return value < BaudRates.size();
        case pmFrameFormat: return value <= 2;
        default: return true;
    }
}

void ClearRecords(TInstrumentState& s) {
    s.HistoryTotal = s.HistoryUnread = 0;
    s.DayFirstRecord = s.DayRecords = s.DayReadIndex = 0;
    s.RangeFirstRecord = s.RangeRecords = s.RangeReadIndex = 0;
}

// A command register takes only the confirmation value.
TField Command(uint32_t reg, std::function<void(TInstrumentState&)> action) {
    return {reg, 1, Bit(fnWriteRegister), nullptr,
            [action = std::move(action)](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
                if (in[0] != ConfirmationValue) return exIllegalValue;
                action(s);
                return exNone;
            }};
}

// A relay on the line's command only while its mode says so; following the alarms it refuses.
TField Coil(uint32_t coil, bool TInstrumentState::*output, TParameter mode) {
    return {coil, 1, Bit(fnWriteCoil), nullptr,
            [output, mode](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
                if (in[0] != 0xFF00 && in[0] != 0x0000) return exIllegalValue;
                if (s.Parameters[mode] == 0) return exDeviceFailure;
                s.*output = in[0] == 0xFF00;
                return exNone;
            }};
}

// Two 32-bit counters, read as four registers.
TField CounterPair(uint32_t reg, uint32_t TInstrumentState::*first, uint32_t TInstrumentState::*second) {
    return {reg, 4, Bit(fnReadRegisters),
            [first, second](const TInstrumentState& s, int64_t, std::span<uint16_t> out) {
                PutLong(out, s.*first);
                PutLong(out.subspan(2), s.*second);
            },
            nullptr};
}

std::vector<TField> BuildMap() {
    std::vector<TField> map;
    map.push_back({0, 7, Bit(fnReadRegisters),
                   [](const TInstrumentState& s, int64_t, std::span<uint16_t> out) {
                       out[0] = static_cast<uint16_t>(s.Temperature);
                       out[1] = s.Humidity;
                       out[2] = static_cast<uint16_t>(s.DewPoint());
                       out[3] = s.Do1;
                       out[4] = s.Do2;
                       out[5] = s.AlarmState();
                       out[6] = s.Battery;
                   },
                   nullptr});
    map.push_back(CounterPair(7, &TInstrumentState::HistoryTotal, &TInstrumentState::HistoryUnread));
    map.push_back(
        {122, 1, Bit(fnWriteRegisters), nullptr, [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
             if (in[0] > 1) return exIllegalValue;
             s.Parameters[pmRecording] = in[0];
             return exNone;
         }});
    map.push_back({124, 3, Bit(fnWriteRegisters), nullptr, SetClock});
    for (size_t i = 0; i < ParameterCount; ++i) {
        map.push_back({ParameterBase + static_cast<uint32_t>(i), 1, Bit(fnReadRegisters) | Bit(fnWriteRegisters),
                       [i](const TInstrumentState& s, int64_t, std::span<uint16_t> out) { out[0] = s.Parameters[i]; },
                       [i](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
                           if (!ValidParameter(i, in[0])) return exIllegalValue;
                           s.Parameters[i] = in[0];
                           return exNone;
                       }});
    }
    map.push_back(Command(200, ClearRecords));
    map.push_back({224, 3, Bit(fnReadRegisters) | Bit(fnWriteRegisters), ReadClock, SetClock});
    map.push_back({227, 3, Bit(fnReadRegisters) | Bit(fnWriteRegisters),
                   [](const TInstrumentState& s, int64_t, std::span<uint16_t> out) { PutDateTime(out, s.RecordStart); },
                   [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
                       const auto value = GetDateTime(in);
                       if (!value) return exIllegalValue;
                       s.RecordStart = *value;
                       return exNone;
                   }});
    map.push_back({230, 1, Bit(fnReadRegisters) | Bit(fnWriteRegister),
                   [](const TInstrumentState& s, int64_t, std::span<uint16_t> out) { out[0] = s.EnergyLevel; },
                   [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
                       if (in[0] > 4) return exIllegalValue;
                       s.EnergyLevel = in[0];
                       return exNone;
                   }});
    map.push_back(
        {233, 1, Bit(fnWriteRegisters), nullptr, [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
             if (in[0] != 0 && in[0] != 3) return exIllegalValue;
             s.AlarmOutputSwitch = in[0];
             return exNone;
         }});
    // Serial number in the second to fourth registers, firmware version in the last.
    map.push_back({235, 11, Bit(fnReadRegisters),
                   [](const TInstrumentState& s, int64_t, std::span<uint16_t> out) {
                       out[0] = Word(s.Model, s.Options);
                       for (size_t i = 0; i < 3; ++i)
                           out[1 + i] = Word(s.SerialNumber[2 * i], s.SerialNumber[2 * i + 1]);
                       out[10] = s.Version;
                   },
                   nullptr});
    map.push_back(Command(300, ClearRecords));
    map.push_back(Command(301, [](TInstrumentState& s) {
        s.HistoryUnread = s.HistoryTotal;
        s.AlarmUnread = s.AlarmTotal;
    }));
    // The line settings survive a restore, or the operator would lose the instrument.
    map.push_back(Command(302, [](TInstrumentState& s) {
        auto restored = TInstrumentState::DefaultParameters();
        for (const size_t kept : {pmAddress, pmBaudRate, pmFrameFormat}) restored[kept] = s.Parameters[kept];
        s.Parameters = restored;
    }));
    map.push_back({1000, 2, Bit(fnReadRegisters),
                   [](const TInstrumentState& s, int64_t, std::span<uint16_t> out) {
                       out[0] = s.AlarmTotal;
                       out[1] = s.AlarmUnread;
                   },
                   nullptr});
    map.push_back(
        {1001, 1, Bit(fnWriteRegister), nullptr, [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
             if (in[0] > s.AlarmTotal) return exIllegalValue;
             s.AlarmUnread = in[0];
             return exNone;
         }});
    map.push_back(
        {2002, 2, Bit(fnWriteRegisters), nullptr, [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
             if (GetLong(in) > s.HistoryTotal) return exIllegalValue;
             s.HistoryUnread = GetLong(in);
             return exNone;
         }});
    // Minute models count a day's records in 16 bits, second models in 32.
    map.push_back({3000, 4, Bit(fnReadRegisters),
                   [](const TInstrumentState& s, int64_t, std::span<uint16_t> out) {
                       if (s.SecondsModel()) {
                           PutLong(out, s.DayRecords);
                           PutLong(out.subspan(2), s.DayReadIndex);
                       } else {
                           out[0] = static_cast<uint16_t>(s.DayRecords);
                           out[1] = static_cast<uint16_t>(s.DayReadIndex);
                       }
                   },
                   nullptr});
    map.push_back(
        {3000, 2, Bit(fnWriteRegisters), nullptr, [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
             const auto date = GetDate(in);
             if (!date) return exIllegalValue;
             s.DayQuery = *date;
             FindDayRecords(s);
             return exNone;
         }});
    map.push_back(CounterPair(4000, &TInstrumentState::RangeRecords, &TInstrumentState::RangeReadIndex));
    map.push_back(
        {5000, 4, Bit(fnWriteRegisters), nullptr, [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
             const auto first = GetDate(in);
             const auto last = GetDate(in.subspan(2));
             if (!first || !last || DateOrder(*first) > DateOrder(*last)) return exIllegalValue;
             s.RangeStart = *first;
             s.RangeEnd = *last;
             FindRangeRecords(s);
             return exNone;
         }});
    map.push_back({0xEADB, 4, Bit(fnReadSettings) | Bit(fnWriteSettings),
                   [](const TInstrumentState& s, int64_t, std::span<uint16_t> out) {
                       std::copy(s.Advanced.begin(), s.Advanced.end(), out.begin());
                   },
                   [](TInstrumentState& s, int64_t, std::span<const uint16_t> in) {
                       constexpr uint16_t ItemCounts[] = {2, 8, 4, 3};
                       for (size_t i = 0; i < 4; ++i)
                           if (in[i] >= ItemCounts[i]) return exIllegalValue;
                       std::copy(in.begin(), in.end(), s.Advanced.begin());
                       return exNone;
                   }});
    map.push_back({0xEADF, 2, Bit(fnReadSettings),
                   [](const TInstrumentState& s, int64_t, std::span<uint16_t> out) {
                       out[0] = Word(s.Model, s.Options);
                       out[1] = s.Version;
                   },
                   nullptr});
    map.push_back(Coil(3, &TInstrumentState::Do1, pmDo1Mode));
    map.push_back(Coil(4, &TInstrumentState::Do2, pmDo2Mode));
    return map;
}

const std::vector<TField>& Map() {
    static const std::vector<TField> map = BuildMap();
    return map;
}

const TField* FindField(uint8_t function, uint32_t reg, bool reading) {
    for (const TField& field : Map())
        if (field.Serves(function) && field.Contains(reg) && (reading ? bool(field.Read) : bool(field.Write)))
            return &field;
    return nullptr;
}

}  // namespace

TDateTime InstrumentClock(const TInstrumentState& state, int64_t now) {
    return FromCivilSeconds(now + state.ClockOffset);
}

TReadResult ReadRegisters(const TInstrumentState& state, int64_t now, uint8_t function, uint16_t start,
                          uint16_t count) {
    TReadResult result;
    std::vector<uint16_t> fieldValues;
    const TField* current = nullptr;
    for (uint32_t reg = start; reg < uint32_t{start} + count; ++reg) {
        if (!current || !current->Contains(reg)) {
            current = FindField(function, reg, true);
            if (!current) return {exIllegalAddress, {}};
            fieldValues.assign(current->Count, 0);
            current->Read(state, now, fieldValues);
        }
        result.Values.push_back(fieldValues[reg - current->Start]);
    }
    return result;
}

TException WriteRegisters(TInstrumentState& state, int64_t now, uint8_t function, uint16_t start,
                          std::span<const uint16_t> values) {
    // Every field first, so that an address outside the map refuses the whole write.
    std::vector<const TField*> fields;
    for (size_t done = 0; done < values.size();) {
        const uint32_t reg = start + done;
        const TField* field = FindField(function, reg, false);
        if (!field || field->Start != reg || field->Count > values.size() - done) return exIllegalAddress;
        fields.push_back(field);
        done += field->Count;
    }
    TInstrumentState changed = state;
    size_t done = 0;
    for (const TField* field : fields) {
        const TException refusal = field->Write(changed, now, values.subspan(done, field->Count));
        if (refusal != exNone) return refusal;
        done += field->Count;
    }
    state = changed;
    return exNone;
}

}  // namespace instrument
