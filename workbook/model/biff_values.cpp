#include "workbook/model/biff_values.h"

#include <cstdlib>
#include <cstring>

#include "base/text_encoding.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/color.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

struct TBIFFError {
    uint8_t Code;
    TXc12CellError Value;
    std::u16string_view Text;
};

constexpr TBIFFError BIFFErrors[] = {
    {0x00, errNull, u"#NULL!"},   {0x07, errDiv0, u"#DIV/0!"},
    {0x0F, errValue, u"#VALUE!"}, {0x17, errRef, u"#REF!"},
    {0x1D, errName, u"#NAME?"},   {0x24, errNum, u"#NUM!"},
    {0x2A, errNA, u"#N/A"},       {0x2B, errGettingData, u"#GETTING_DATA"},
};

// The number of bytes that count characters take, checked against the body; raises when the
// body is too short.
size_t CheckedBytes(std::span<const uint8_t> src, size_t offset, long long count, int width) {
    const unsigned long long bytes = static_cast<unsigned long long>(count) * static_cast<unsigned>(width);
    if (offset > src.size() || bytes > src.size() - offset) throw EXLSError("BIFF string past the end of its data");
    return static_cast<size_t>(bytes);
}

std::u16string Widen8(std::span<const uint8_t> bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) out[i] = bytes[i];
    return out;
}

std::u16string Utf16LE(std::span<const uint8_t> bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(bytes[2 * i] | (static_cast<unsigned>(bytes[2 * i + 1]) << 8));
    return out;
}

}  // namespace

double RKUnscaled(uint32_t value) {
    if (value & 2) return static_cast<double>(static_cast<int32_t>(value) >> 2);
    const uint64_t bits = static_cast<uint64_t>(value & 0xFFFFFFFCu) << 32;
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

double DecodeRK(uint32_t value) {
    const double result = RKUnscaled(value);
    return value & 1 ? result / 100.0 : result;
}

TXc12CellError BIFFErrorToCellError(int code) {
    for (const TBIFFError& e : BIFFErrors)
        if (e.Code == code) return e.Value;
    return errUnknown;
}

uint8_t CellErrorToBIFFError(int value) {
    const int v = value & 0x7F;
    for (const TBIFFError& e : BIFFErrors)
        if (e.Value == v) return e.Code;
    return 0x2A;
}

std::u16string_view BIFFErrorToText(int code) {
    for (const TBIFFError& e : BIFFErrors)
        if (e.Code == code) return e.Text;
    return u"#???";
}

void WideStrToBIFFStr(std::u16string_view text, std::span<uint8_t> dest) {
    if (dest.size() < 1 || (dest.size() - 1) / 2 < text.size()) throw EXLSError("BIFF string buffer too small");
    dest[0] = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        dest[1 + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
        dest[2 + 2 * i] = static_cast<uint8_t>(text[i] >> 8);
    }
}

int BIFFStrSize(std::u16string_view text) {
    if (text.empty()) return 0;
    if (text.size() > 0x3FFFFFFF) throw EXLSError("Integer overflow");
    return static_cast<int>(text.size()) * 2 + 1;
}

std::u16string BIFFBufToWideStr(std::span<const uint8_t> src, int count) {
    if (count <= 0) return {};
    if (src.empty()) throw EXLSError("BIFF string past the end of its data");
    const int width = (src[0] & 1) ? 2 : 1;
    const size_t bytes = CheckedBytes(src, 1, count, width);
    return width == 2 ? Utf16LE(src.subspan(1, bytes)) : Widen8(src.subspan(1, bytes));
}

std::u16string ByteStrToWideStr(std::span<const uint8_t> src, int count) {
    if (count <= 0) return {};
    return Widen8(src.subspan(0, CheckedBytes(src, 0, count, 1)));
}

std::u16string ShortBIFFBufToWideStr(std::span<const uint8_t> src, int count) {
    if (count <= 0) return {};
    return BIFFBufToWideStr(src, count & 0xFF);
}

std::string BIFFBufToRawStr(std::span<const uint8_t> src, int count) {
    if (src.empty()) throw EXLSError("BIFF string past the end of its data");
    const uint8_t option = src[0] & 1;
    const size_t bytes = count > 0 ? CheckedBytes(src, 1, count, option ? 2 : 1) : 0;
    std::string raw(1, static_cast<char>(option));
    raw.append(reinterpret_cast<const char*>(src.data()) + 1, bytes);
    return raw;
}

std::u16string BIFFStrToWideStr(std::string_view raw) {
    if (raw.empty()) return {};
    const auto* bytes = reinterpret_cast<const uint8_t*>(raw.data());
    const std::span<const uint8_t> rest(bytes + 1, raw.size() - 1);
    switch (bytes[0]) {
        case 0: return Widen8(rest);
        case 1: return Utf16LE(rest);
        default: return base::Utf8ToUtf16(raw);
    }
}

std::u16string WideBufZToWideStr(std::span<const uint8_t> src, int byteCount) {
    if (byteCount <= 2) return {};
    const size_t bytes = CheckedBytes(src, 0, byteCount - 2, 1);
    std::u16string text = Utf16LE(src.subspan(0, bytes));
    const size_t zero = text.find(u'\0');
    if (zero != std::u16string::npos) text.resize(zero);
    return text;
}

int NearestIndexColor(uint32_t rgb) {
    const int r = static_cast<int>(rgb & 0xFF);
    const int g = static_cast<int>((rgb >> 8) & 0xFF);
    const int b = static_cast<int>((rgb >> 16) & 0xFF);
    int best = 8;
    int bestDistance = -1;
    for (int i = 8; i <= 63; ++i) {
        const uint32_t p = Xc12CurrentPalette[static_cast<size_t>(i)];
        const int distance = std::abs(r - static_cast<int>(p & 0xFF)) +
                             std::abs(g - static_cast<int>((p >> 8) & 0xFF)) +
                             std::abs(b - static_cast<int>((p >> 16) & 0xFF));
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

uint32_t PaletteColor(int index) { return Xc12PaletteEntry(index & 0x7F); }

int IntToIndexColor(int value) { return value >= 0 && value <= Xc12AutomaticIndex ? value : Xc12AutomaticIndex; }

uint32_t IndexColorToChartRGB(int index) { return PaletteColor(index) & 0x00FFFFFF; }

bool ClipArea97(int& col1, int& row1, int& col2, int& row2) {
    if (col1 > XLSMaxCol97 || row1 > XLSMaxRow97 || col2 < 0 || row2 < 0) return false;
    if (col1 < 0) col1 = 0;
    if (row1 < 0) row1 = 0;
    if (col2 > XLSMaxCol97) col2 = XLSMaxCol97;
    if (row2 > XLSMaxRow97) row2 = XLSMaxRow97;
    return true;
}

}  // namespace xls
