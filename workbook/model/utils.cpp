#include "workbook/model/utils.h"

#include <locale.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cwctype>
#include <limits>

#include "workbook/model/exceptions.h"

namespace xls {
namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<uint32_t, 256> CrcTable = MakeCrcTable();

inline uint32_t CrcByte(uint32_t crc, uint8_t b) { return CrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8); }

int ToPosition(size_t index) { return index == std::u16string_view::npos ? -1 : static_cast<int>(index) + 1; }

// Texts longer than an int can index have no int position; the library never holds them.
void CheckLength(std::u16string_view text) {
    if (text.size() >= static_cast<size_t>(std::numeric_limits<int>::max())) throw EXLSError("Text too long");
}

}  // namespace

bool WideCharInSet(char16_t c, const TCharSet256& set) { return c < 256 && set.test(c); }

int WideCharPos(char16_t c, std::u16string_view text) {
    CheckLength(text);
    return ToPosition(text.find(c));
}

int CharPos(char c, std::u16string_view text) {
    return WideCharPos(static_cast<char16_t>(static_cast<uint8_t>(c)), text);
}

int LastWideCharPos(char16_t c, std::u16string_view text) {
    CheckLength(text);
    return ToPosition(text.rfind(c));
}

int LastCharPos(char c, std::u16string_view text) {
    return LastWideCharPos(static_cast<char16_t>(static_cast<uint8_t>(c)), text);
}

int32_t StrCRC32(const void* data, int64_t count) {
    if (count < 1) return -1;
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t crc = 0xFFFFFFFFu;
    for (int64_t i = 0; i < count; ++i) crc = CrcByte(crc, bytes[i]);
    return static_cast<int32_t>(crc);
}

int32_t StrCRC32(std::u16string_view text) {
    if (text.empty()) return -1;
    uint32_t crc = 0xFFFFFFFFu;
    for (char16_t c : text) {
        crc = CrcByte(crc, static_cast<uint8_t>(c & 0xFF));
        crc = CrcByte(crc, static_cast<uint8_t>(c >> 8));
    }
    return static_cast<int32_t>(crc);
}

double EmuToCm(int64_t value) { return static_cast<double>(value) / static_cast<double>(EmusPerCm); }

int64_t CmToEmu(double value) {
    const double emu = std::nearbyint(value * static_cast<double>(EmusPerCm));  // ties to even
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(emu) || emu >= 9223372036854775808.0 || emu < -9223372036854775808.0)
        throw EXLSError("Invalid floating point operation");
    return static_cast<int64_t>(emu);
}

double RoundToDigits(double value, int digits) {
    const double p = std::pow(10.0, digits);
    const double y = value * p;
    const double whole = std::trunc(y);
    const double frac = y - whole;
    return (std::trunc(frac * 2) + whole) / p;
}

bool TryCurrencyStrToFloat(std::u16string_view text, double& value, const TFormatSettings& settings) {
    const std::u16string_view t = TrimText(text);
    const std::u16string_view currency = settings.CurrencyString;
    std::u16string_view number;
    if (settings.CurrencyFormat == 1 || settings.CurrencyFormat == 3) {
        if (t.size() < currency.size() || t.substr(t.size() - currency.size()) != currency) return false;
        number = t.substr(0, t.size() - currency.size());
    } else {
        if (t.size() < currency.size() || t.substr(0, currency.size()) != currency) return false;
        number = t.substr(currency.size());
    }
    return TryStrToFloat(number, value, settings.GetDecimalSeparator());
}

void SortDoubleArray(std::span<double> values) {
    if (values.size() < 2) return;
    // std::sort: no recursion without bound on sorted input (introsort), and the same order
    // for the same keys. NaNs go last to keep the comparison a strict weak ordering.
    std::sort(values.begin(), values.end(), [](double a, double b) {
        if (std::isnan(a)) return false;
        if (std::isnan(b)) return true;
        return a < b;
    });
}

bool AllCharsBelow256(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 256; });
}

int ClampInt(int value, int min, int max) {
    if (value < min) return min;
    if (value > max) return max;
    return value;
}

std::u16string IndentText(int level) {
    if (level < 1) return {};
    if (level > (1 << 20)) throw EXLSError("Integer overflow");
    return std::u16string(static_cast<size_t>(level) * 2, u' ');
}

bool IsZipStream(base::TStream& stream) {
    uint8_t head[4] = {};
    const int64_t read = stream.Read(head, 4);
    if (read > 0) stream.Seek(-read, base::TSeekOrigin::soCurrent);
    return read == 4 && head[0] == 'P' && head[1] == 'K' && head[2] == 3 && head[3] == 4;
}

std::u16string WideUpperCaseStr(std::u16string_view text) {
    // C.UTF-8 is built into glibc: the full simple case mapping, whatever the process locale.
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c < 0x80) {
            if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        } else if (utf8 && (c < 0xD800 || c > 0xDFFF)) {
            const wint_t upper = towupper_l(static_cast<wint_t>(c), utf8);
            if (upper <= 0xFFFF) c = static_cast<char16_t>(upper);
        }
    }
    return out;
}

}  // namespace xls
