#include "tools/instrument/instrument_state.h"

#include <algorithm>
#include <cmath>

namespace instrument {

std::array<uint16_t, ParameterCount> TInstrumentState::DefaultParameters() {
    std::array<uint16_t, ParameterCount> p{};
    p[pmAddress] = 1;
    p[pmHighTemperature] = 350;
    p[pmLowTemperature] = static_cast<uint16_t>(-50);
    p[pmTemperatureHysteresis] = 10;
    p[pmHighHumidity] = 800;
    p[pmLowHumidity] = 200;
    p[pmHumidityHysteresis] = 30;
    p[pmDo1Mode] = 1;
    p[pmDo2Mode] = 1;
    p[pmDo1AlarmLink] = 1;
    p[pmDo2AlarmLink] = 4;
    p[pmRecordInterval] = 1;
    p[pmRecording] = 1;
    return p;
}

int16_t TInstrumentState::DewPoint() const {
    // Magnus formula over water; a dry reading is taken as 0.1 % to keep the logarithm finite.
    constexpr double B = 17.62;
    constexpr double C = 243.12;
    const double t = Temperature / 10.0;
    const double rh = std::max(1, int{Humidity}) / 1000.0;
    const double gamma = std::log(rh) + B * t / (C + t);
    const double dew = C * gamma / (B - gamma) * 10;
    // Far outside the formula's range (a missing probe's reading) the result means nothing.
    if (!std::isfinite(dew)) return 0;
    return static_cast<int16_t>(std::lround(std::clamp(dew, -32768.0, 32767.0)));
}

uint8_t TInstrumentState::AlarmState() const {
    uint8_t state = 0;
    if (Temperature > static_cast<int16_t>(Parameters[pmHighTemperature])) state |= 1;
    if (Temperature < static_cast<int16_t>(Parameters[pmLowTemperature])) state |= 2;
    if (Humidity > Parameters[pmHighHumidity]) state |= 4;
    if (Humidity < Parameters[pmLowHumidity]) state |= 8;
    return state;
}

}  // namespace instrument
