#pragma once

#include <cstdint>
#include <string_view>

#include "workbook/api/biff_document.h"

namespace xls {

class TBIFF5;

// The .xls document as the workbook interface reaches it: sheets the interface adds or deletes
// are added to or deleted from the document's sheet collection with its external-sheet table,
// and formulas compile through the document's formula handler into BIFF8 tokens that refer to
// that table.
class TBIFFDocumentLink : public IXLSBiffDocument {
public:
    explicit TBIFFDocumentLink(TBIFF5& document) : Document_(document) {}

    void AddSheet(uint8_t kind) override;
    void DeleteSheet(int index, bool keepOne) override;
    void SheetInserted(int index) override;
    int EncodeFormula(std::u16string_view formula, int ptgClass, int bufSize, uint8_t* buf) override;

private:
    TBIFF5& Document_;
};

}  // namespace xls
