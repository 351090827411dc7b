#include "workbook/biff/biff_document_link.h"

#include <string>

#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"

namespace xls {

void TBIFFDocumentLink::AddSheet(uint8_t kind) { Document_.Sheets().Add(kind); }

void TBIFFDocumentLink::DeleteSheet(int index, bool keepOne) { Document_.Sheets().Delete(index, keepOne); }

void TBIFFDocumentLink::SheetInserted(int index) { Document_.FormulaHandler().SheetInserted(index); }

int TBIFFDocumentLink::EncodeFormula(std::u16string_view formula, int ptgClass, int bufSize, uint8_t* buf) {
    // The tokens made here are those of BIFF8; a BIFF5 workbook is written with the tokens of
    // its own version only, so it takes no new formula rather than one it would write wrong.
    if (Document_.GetVersion() == xvExcel50) throw EBIFFError("Formulas can not be added to an Excel 5 workbook");
    return Document_.FormulaHandler().EncodeFormula(std::u16string(formula), static_cast<uint8_t>(ptgClass), bufSize,
                                                    buf);
}

}  // namespace xls
