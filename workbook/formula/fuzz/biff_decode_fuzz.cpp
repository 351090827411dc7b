#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/exception.h"
#include "workbook/formula/biff_decode_formula.h"

// The input as BIFF8 formula tokens: decoded with and without a callback, then fixed up as a
// shared formula in both layouts and decoded again. Every defect must end in text or EXLSError.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const xls::TBiffDecodeCallback callback = [](xls::TBiffDecodeKind kind, int index, int a, int b, int name) {
        return std::u16string(1, char16_t(u'A' + (kind + index + a + b + name) % 26)) + u"!";
    };
    std::vector<uint8_t> ptgs(data, data + size);
    try {
        xls::DecodeBiffFormula(ptgs, 0, u',', {}, 65535, 255);
        xls::DecodeBiffFormula(ptgs, 1, u';', callback, 3, 4);
    } catch (const base::Exception&) {
    }
    for (bool biff8 : {true, false}) {
        std::vector<uint8_t> shared(data, data + size);
        try {
            xls::FixupSharedFormula(biff8, shared, 70000, -5);
            xls::DecodeBiffFormula(shared, 0, u',', callback, 0, 0);
        } catch (const base::Exception&) {
        }
    }
    return 0;
}
