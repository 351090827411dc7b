#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/exception.h"
#include "workbook/formula/biff_encode_formula.h"
#include "workbook/formula/iterate_ptgs.h"

// Compiles the input, read as UTF-16 formula text, into a small buffer with every report
// collected; then walks the input as a stored token stream, patching each token's bytes in place.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(size / 2, u' ');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    try {
        xls::TEncodeFormula encoder;
        encoder.OnEncodeError = [](xls::TEncodeFormula&, int, const std::u16string&) {};
        encoder.OnNameIndex = [](const std::u16string& name, int& index) { index = name.size() % 2 ? 3 : -1; };
        encoder.OnExternRef = [](const std::u16string&, const std::u16string&, int& sheetIndex, int& ixti, bool,
                                 const std::u16string& name,
                                 const std::u16string&) { sheetIndex = ixti = name.size() % 3 ? 1 : -1; };
        std::vector<uint8_t> buf(256);
        encoder.Encode(text, 0, 1, static_cast<int>(buf.size()), buf.data());
    } catch (const base::Exception&) {
    }
    std::vector<uint8_t> ptgs(data, data + size);
    try {
        xls::TXLSIteratePtgs it(ptgs.data(), static_cast<int32_t>(ptgs.size()));
        while (it.Next()) {
            for (size_t i = 0; i < it.CurrentWidth(); ++i) it.Current()[i] ^= 0x5A;
        }
    } catch (const base::Exception&) {
    }
    return 0;
}
