#include "base/format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/exception.h"

namespace base {
namespace {

[[noreturn]] void Invalid(std::string_view format) {
    throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

// Digits of value (no sign), padded with zeros to at least precision digits.
std::string Digits(uint64_t value, int precision, int radix) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, radix);
    std::string digits(buffer, result.ptr);
    if (radix == 16)
        for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (precision > static_cast<int>(digits.size()))
        digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
    return digits;
}

// A negative integer reads as the two's complement of its 32-bit form when it fits there,
// as the class library's Integer arguments did.
uint64_t AsUnsigned(int64_t value) {
    if (value < 0 && value >= INT32_MIN) return static_cast<uint32_t>(value);
    return static_cast<uint64_t>(value);
}

}  // namespace

std::string Format(std::string_view format, std::initializer_list<TFormatArg> args) {
    const std::vector<TFormatArg> arguments(args);
    size_t next = 0;
    std::string out;
    out.reserve(format.size() + 16);

    auto takeArg = [&]() -> const TFormatArg& {
        if (next >= arguments.size()) Invalid(format);
        return arguments[next++];
    };
    // Reads a number or "*" at format[i]; -1 when none is there.
    auto readNumber = [&](size_t& i) -> int {
        if (i < format.size() && format[i] == '*') {
            ++i;
            const TFormatArg& arg = takeArg();
            if (arg.Kind() != TFormatArg::TKind::Integer) Invalid(format);
            return static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(arg.Integer(), 1 << 20)));
        }
        if (i >= format.size() || format[i] < '0' || format[i] > '9') return -1;
        int value = 0;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            value = value * 10 + (format[i] - '0');
            if (value > (1 << 20)) Invalid(format);
            ++i;
        }
        return value;
    };

    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        if (++i >= format.size()) Invalid(format);
        if (format[i] == '%') {
            out += '%';
            continue;
        }
        int number = readNumber(i);
        if (number >= 0 && i < format.size() && format[i] == ':') {
            next = static_cast<size_t>(number);
            ++i;
            number = -1;
        }
        bool leftAlign = false;
        if (number < 0 && i < format.size() && format[i] == '-') {
            leftAlign = true;
            ++i;
        }
        const int width = number >= 0 ? number : readNumber(i);
        int precision = -1;
        if (i < format.size() && format[i] == '.') {
            ++i;
            precision = readNumber(i);
            if (precision < 0) Invalid(format);
        }
        if (i >= format.size()) Invalid(format);

        const TFormatArg& arg = takeArg();
        std::string field;
        switch (std::tolower(static_cast<unsigned char>(format[i]))) {
            case 'd':
                if (arg.Kind() == TFormatArg::TKind::Integer) {
                    const int64_t v = arg.Integer();
                    const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
                    if (v < 0) field = "-";
                    field += Digits(magnitude, precision, 10);
                } else if (arg.Kind() == TFormatArg::TKind::Unsigned) {
                    field = Digits(arg.Unsigned(), precision, 10);
                } else {
                    Invalid(format);
                }
                break;
            case 'u':
            case 'x': {
                const int radix = std::tolower(static_cast<unsigned char>(format[i])) == 'x' ? 16 : 10;
                if (arg.Kind() == TFormatArg::TKind::Integer)
                    field = Digits(AsUnsigned(arg.Integer()), precision, radix);
                else if (arg.Kind() == TFormatArg::TKind::Unsigned)
                    field = Digits(arg.Unsigned(), precision, radix);
                else
                    Invalid(format);
                break;
            }
            case 'f': {
                if (arg.Kind() != TFormatArg::TKind::Float) Invalid(format);
                char buffer[400];
                const auto result = std::to_chars(buffer, buffer + sizeof buffer, arg.Float(), std::chars_format::fixed,
                                                  precision < 0 ? 2 : std::min(precision, 18));
                if (result.ec != std::errc()) Invalid(format);
                field.assign(buffer, result.ptr);
                break;
            }
            case 's':
                if (arg.Kind() != TFormatArg::TKind::Text) Invalid(format);
                field = arg.Text();
                if (precision >= 0 && static_cast<size_t>(precision) < field.size())
                    field.resize(static_cast<size_t>(precision));
                break;
            default: Invalid(format);
        }
        if (width > static_cast<int>(field.size())) {
            const std::string pad(static_cast<size_t>(width) - field.size(), ' ');
            field = leftAlign ? field + pad : pad + field;
        }
        out += field;
    }
    return out;
}

}  // namespace base
