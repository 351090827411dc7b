#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace base {

// One argument of Format: an integer, a floating-point number or a UTF-8 text.
class TFormatArg {
public:
    enum class TKind { Integer, Unsigned, Float, Text };

    template <std::signed_integral T>
    TFormatArg(T value) : Kind_(TKind::Integer), Integer_(value) {}
    template <std::unsigned_integral T>
    TFormatArg(T value) : Kind_(TKind::Unsigned), Unsigned_(value) {}
    TFormatArg(double value) : Kind_(TKind::Float), Float_(value) {}
    TFormatArg(const char* text) : Kind_(TKind::Text), Text_(text) {}
    TFormatArg(std::string_view text) : Kind_(TKind::Text), Text_(text) {}
    TFormatArg(const std::string& text) : Kind_(TKind::Text), Text_(text) {}

    TKind Kind() const { return Kind_; }
    int64_t Integer() const { return Integer_; }
    uint64_t Unsigned() const { return Unsigned_; }
    double Float() const { return Float_; }
    std::string_view Text() const { return Text_; }

private:
    TKind Kind_;
    union {
        int64_t Integer_;
        uint64_t Unsigned_;
        double Float_;
    };
    std::string_view Text_;
};

// The class library's Format: "%" [index ":"] ["-"] [width] ["." precision] type, with the
// types d (signed decimal; precision = minimum digits, zero padded), u (unsigned), x (hex,
// upper case), f (fixed, precision 2 by default), s (text; precision = maximum length) and
// "%%". Width and precision may be "*", taken from the arguments. Numbers are formatted
// without any locale. A bad format or an argument of the wrong kind raises EConvertError.
std::string Format(std::string_view format, std::initializer_list<TFormatArg> args);

}  // namespace base
