#pragma once

#include <QString>
#include <cstdint>

namespace console {

// What the model information says: the text shown in the status bar, the unit of the
// record interval and whether records are kept at second intervals.
struct TModelInfo {
    QString Text;
    QString IntervalUnit;
    bool SecondsModel = false;
};

// Model byte (high nibble class, low nibble capacity), option bits and firmware version.
TModelInfo DescribeModel(uint8_t model, uint8_t options, uint16_t version);

}  // namespace console
