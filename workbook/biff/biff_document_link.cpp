#include "workbook/biff/biff_document_link.h"

#include <string>

#include "workbook/biff/biff_document.h"

namespace xls {

void TBIFFDocumentLink::AddSheet(uint8_t kind) { Document_.Sheets().Add(kind); }

void TBIFFDocumentLink::DeleteSheet(int index, bool keepOne) { Document_.Sheets().Delete(index, keepOne); }

void TBIFFDocumentLink::SheetInserted(int index) { Document_.FormulaHandler().SheetInserted(index); }

int TBIFFDocumentLink::EncodeFormula(std::u16string_view formula, int ptgClass, int bufSize, uint8_t* buf) {
    return Document_.FormulaHandler().EncodeFormula(std::u16string(formula), static_cast<uint8_t>(ptgClass), bufSize,
                                                    buf);
}

}  // namespace xls
