#pragma once

#include <QString>
#include <cstdint>

#include "base/exception.h"

namespace console {

// A number outside the range a field's value must fit (a byte, an address).
class ERangeError : public base::Exception {
public:
    ERangeError() : base::Exception("Range check error") {}
};

// The class library's StrToInt: optional blanks, an optional sign and decimal digits (or
// "$" and hex digits); anything else raises base::EConvertError "'x' is not a valid integer value".
int32_t StrToInt(const QString& text);
// StrToInt checked against 0..255.
uint8_t StrToByte(const QString& text);
// A decimal text times ten, truncated toward zero, computed exactly from the digits as
// typed (so "23.4" gives 234 and "-5.55" gives -55); bad text raises EConvertError.
int32_t TenthsOf(const QString& text);
// The low 16 bits of a value in two's complement, as sent in a register.
inline uint16_t Low16(int32_t value) { return static_cast<uint16_t>(value & 0xFFFF); }

}  // namespace console
