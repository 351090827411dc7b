#include "workbook/api/model_formula_document.h"

#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/utils.h"
#include "workbook/model/worksheet_part.h"

namespace xls {

int TXLSModelFormulaDocument::SheetCount() const { return Manager_.Worksheets().Count(); }

TXLSCellMMU* TXLSModelFormulaDocument::SheetCells(int sheet) {
    if (sheet < 0 || sheet >= SheetCount()) return nullptr;
    return Manager_.Worksheets().GetItems(sheet)->sheetData.get();
}

std::u16string TXLSModelFormulaDocument::SheetName(int sheet) const {
    if (sheet < 0 || sheet >= SheetCount()) return {};
    return Manager_.Worksheets().GetItems(sheet)->Name;
}

bool TXLSModelFormulaDocument::GetName(int index, TXLSNameDef& name) const {
    const TXc12DefinedNames* names = Manager_.Names;
    if (names == nullptr || index < 0 || index >= names->Count()) return false;
    const TXc12DefinedName* item = names->GetItems(index);
    if (item == nullptr) return false;
    // The evaluator resolves the name's own tokens; a name never compiled is an error.
    name = TXLSNameDef{};
    name.VbaProcedure = item->vbProcedure != 0;
    if (item->GetPtgsLen() == 0) return true;
    name.Kind = nkFormula;
    name.Ptgs = item->GetPtgs().data();
    name.PtgsLen = item->GetPtgsLen();
    return true;
}

bool TXLSModelFormulaDocument::HasDefinedName(std::u16string_view name) const {
    const TXc12DefinedNames* names = Manager_.Names;
    if (names == nullptr) return false;
    const std::u16string wanted = WideUpperCaseStr(name);
    for (int i = 0; i < names->Count(); ++i)
        if (const TXc12DefinedName* item = names->GetItems(i); item && WideUpperCaseStr(item->name) == wanted)
            return true;
    return false;
}

std::u16string TXLSModelFormulaDocument::FileName() const { return Manager_.GetBracketedFilename(); }

}  // namespace xls
