#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/exception.h"
#include "workbook/formula/formula_text.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/tables.h"
#include "workbook/model/worksheet_part.h"

namespace {

struct TDocument {
    TDocument() : Root(Factory, Errors), Names(Factory) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
        for (const char16_t* name : {u"Sheet1", u"My Sheet", u"It's"}) Root.Worksheets().Add(-1)->Name = name;
        Root.Names = &Names;
        Names.Add(u"Rate", -1);
        // Structured references: Table1 on Sheet1 at B2:D7 with a totals row.
        xls::TXc12Table* table = Root.Worksheets().GetItems(0)->tableParts.Add();
        table->name = u"Table1";
        table->ref = xls::MakeCellArea(1, 1, 3, 6);
        table->totalsRowCount = 1;
        for (const char16_t* column : {u"Name", u"Sales", u"[Q#1]"}) table->tableColumns.Add()->name = column;
        Errors.SetOnError([](xls::TXLSErrorManager&, xls::TXLSErrorLevel, const std::u16string&) {});
    }
    xls::TXc12ClassFactory Factory;
    xls::TXLSErrorManager Errors;
    xls::TXc12Manager Root;
    xls::TXc12DefinedNames Names;
};

}  // namespace

// The input is decoded as stored code. Then, read as formula text (UTF-16), it is compiled for
// the cell C4, inside Table1, decoded and compiled again: whatever compiles must decode, and its
// text must compile to the same code.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TDocument doc;
    std::u16string text(size / 2, u' ');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    // The raw input as stored code: any defect ends in an exception, never a read out of bounds.
    try {
        xls::DecodeFormulaText(doc.Root, std::span(data, size), 0);
    } catch (const base::Exception&) {
    }
    std::vector<uint8_t> code;
    try {
        code = xls::EncodeCellFormulaText(doc.Root, text, 0, 2, 3);
    } catch (const base::Exception&) {
        return 0;
    }
    if (code.empty()) return 0;
    const std::u16string decoded = xls::DecodeFormulaText(doc.Root, code, 0);
    if (xls::EncodeCellFormulaText(doc.Root, decoded, 0, 2, 3) != code) std::abort();
    return 0;
}
