#include "workbook/model/image_size.h"

#include <cmath>
#include <limits>

#include "base/byte_reader.h"

namespace xls {

namespace {

constexpr uint32_t EmfHeaderType = 1;
constexpr uint32_t EmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t WmfPlaceableKey = 0x9AC6CDD7;
constexpr uint16_t BmpSignature = 0x4D42;  // "BM"
constexpr size_t BmpFileHeaderSize = 14;
constexpr uint32_t BmpCoreHeaderSize = 12;
constexpr int ReferenceDpi = 96;
constexpr int HundredthMmPerInch = 2540;

// value * numerator / denominator rounded half away from zero, as the platform's MulDiv.
int64_t MulDiv(int64_t value, int64_t numerator, int64_t denominator) {
    return std::llround(static_cast<double>(value) * static_cast<double>(numerator) / static_cast<double>(denominator));
}

bool StoreSize(int64_t w, int64_t h, int& width, int& height) {
    if (w < 0 || h < 0 || w > std::numeric_limits<int>::max() || h > std::numeric_limits<int>::max()) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

}  // namespace

bool MeasureJpeg(std::span<const uint8_t> data, int& width, int& height) {
    const size_t size = data.size();
    if (size < 9 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return false;
    const base::TByteReader reader(data);
    size_t p = 2;  // the current byte
    while (p < size - 8 && data[p] == 0xFF) {
        const uint8_t code = data[p + 1];
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD9)) {
            p += 2;
        } else if (code == 0xFF) {
            p += 1;
        } else if (code >= 0xC0 && code <= 0xC3) {
            height = reader.U16BEAt(p + 5);
            width = reader.U16BEAt(p + 7);
            return true;
        } else {
            const uint16_t length = reader.U16BEAt(p + 2);
            // A length below 2 would not move the scan forward.
            if (length < 2) return false;
            p += 2 + length;
        }
    }
    return false;
}

bool MeasurePng(std::span<const uint8_t> data, int& width, int& height) {
    static constexpr uint8_t Signature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    if (data.size() < 24) return false;
    for (size_t i = 0; i < 8; ++i)
        if (data[i] != Signature[i]) return false;
    const base::TByteReader reader(data);
    return StoreSize(reader.U32BEAt(16), reader.U32BEAt(20), width, height);
}

bool MeasureEmf(std::span<const uint8_t> data, int& width, int& height) {
    const base::TByteReader reader(data);
    if (!reader.HasAt(0, 44) || reader.U32LEAt(0) != EmfHeaderType || reader.U32LEAt(40) != EmfSignature) return false;
    const auto at = [&](size_t offset) { return static_cast<int64_t>(static_cast<int32_t>(reader.U32LEAt(offset))); };
    const int64_t frameWidth = at(32) - at(24);
    const int64_t frameHeight = at(36) - at(28);
    return StoreSize(MulDiv(frameWidth, ReferenceDpi, HundredthMmPerInch),
                     MulDiv(frameHeight, ReferenceDpi, HundredthMmPerInch), width, height);
}

bool MeasureWmf(std::span<const uint8_t> data, int& width, int& height) {
    const base::TByteReader reader(data);
    if (!reader.HasAt(0, 22) || reader.U32LEAt(0) != WmfPlaceableKey) return false;
    const auto at = [&](size_t offset) { return static_cast<int64_t>(static_cast<int16_t>(reader.U16LEAt(offset))); };
    const int64_t inch = reader.U16LEAt(14);
    if (inch == 0) return false;
    const int64_t mmWidth = MulDiv(at(10) - at(6), HundredthMmPerInch, inch);
    const int64_t mmHeight = MulDiv(at(12) - at(8), HundredthMmPerInch, inch);
    return StoreSize(MulDiv(mmWidth, ReferenceDpi, HundredthMmPerInch),
                     MulDiv(mmHeight, ReferenceDpi, HundredthMmPerInch), width, height);
}

bool MeasureBmp(std::span<const uint8_t> data, int& width, int& height) {
    const base::TByteReader reader(data);
    if (!reader.HasAt(0, BmpFileHeaderSize + 4) || reader.U16LEAt(0) != BmpSignature) return false;
    const uint32_t headerSize = reader.U32LEAt(BmpFileHeaderSize);
    if (headerSize == BmpCoreHeaderSize) {
        if (!reader.HasAt(BmpFileHeaderSize, BmpCoreHeaderSize)) return false;
        return StoreSize(reader.U16LEAt(18), reader.U16LEAt(20), width, height);
    }
    if (headerSize < 16 || !reader.HasAt(BmpFileHeaderSize, headerSize)) return false;
    const int64_t w = static_cast<int32_t>(reader.U32LEAt(18));
    const int64_t h = static_cast<int32_t>(reader.U32LEAt(22));
    return StoreSize(w, h < 0 ? -h : h, width, height);
}

}  // namespace xls
