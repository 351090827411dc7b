#pragma once

#include <cstdint>
#include <string_view>

namespace xls {

// What the workbook interface asks of the binary (.xls) document that an Excel 97 workbook
// keeps beside its model: its sheet collection kept in step with the model's sheets, and its
// formula handler, which compiles formula text into BIFF8 tokens. The binary document implements
// it; a workbook without one (Open XML) has none.
class IXLSBiffDocument {
public:
    virtual ~IXLSBiffDocument() = default;

    // Appends a sheet of the kind (0 worksheet), named "Sheet" and its number.
    virtual void AddSheet(uint8_t kind) = 0;
    // Deletes the sheet at index and fixes the external-sheet table; with keepOne an emptied
    // collection gets one new sheet.
    virtual void DeleteSheet(int index, bool keepOne) = 0;
    // The formula handler's external-sheet entries follow a sheet inserted at index.
    virtual void SheetInserted(int index) = 0;
    // Compiles formula into at most bufSize bytes of BIFF8 tokens of the operand class ptgClass
    // (0 for value) and returns their count; raises when the text does not compile.
    virtual int EncodeFormula(std::u16string_view formula, int ptgClass, int bufSize, uint8_t* buf) = 0;
};

}  // namespace xls
