#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/instrument/instrument_state.h"

namespace instrument {

// Function codes the instrument answers, and the exception codes of its refusals.
enum TFunction : uint8_t {
    fnReadRegisters = 3,
    fnWriteCoil = 5,
    fnWriteRegister = 6,
    fnWriteRegisters = 16,
    fnReadSettings = 46,
    fnWriteSettings = 47,
};

enum TException : uint8_t {
    exNone = 0,
    exIllegalFunction = 1,
    exIllegalAddress = 2,
    exIllegalValue = 3,
    exDeviceFailure = 4,
};

struct TReadResult {
    TException Exception = exNone;
    std::vector<uint16_t> Values;
};

// The register map. Each function has its own view of it: register 200 is the address to
// function 3 and 16 but the clear command to function 6, register 3000 the day query to
// function 16 and the day's counters to function 3. A read may take any run of mapped
// registers; a write must cover whole fields (a clock is set all at once) and is applied
// only when every value is accepted. `now` is the host's local time in civil seconds.
TReadResult ReadRegisters(const TInstrumentState& state, int64_t now, uint8_t function, uint16_t start, uint16_t count);
TException WriteRegisters(TInstrumentState& state, int64_t now, uint8_t function, uint16_t start,
                          std::span<const uint16_t> values);

// The instrument's clock for a host time.
TDateTime InstrumentClock(const TInstrumentState& state, int64_t now);

}  // namespace instrument
