#include "workbook/biff/biff_formula_handler.h"

namespace xls {

TFormulaHandler::TFormulaHandler() {
    Encoder_.OnExternRef = [this](const std::u16string& workbook, const std::u16string& path, int& index, int& entry,
                                  bool isSheet, const std::u16string& name, const std::u16string& sheet) {
        LookupExternal(workbook, path, index, entry, isSheet, name, sheet);
    };
    Encoder_.OnNameIndex = [this](const std::u16string& name, int& index) { LookupName(name, index); };
}

void TFormulaHandler::Clear() {
    ExternalNames_.Clear();
    InternalNames_.Clear();
}

int TFormulaHandler::EncodeFormula(const std::u16string& formula, uint8_t ptgClass, int bufSize, uint8_t* buf) {
    return Encoder_.Encode(formula, ptgClass, 1, bufSize, buf);
}

void TFormulaHandler::LookupExternal(const std::u16string& workbook, const std::u16string& path, int& index, int& entry,
                                     bool isSheet, const std::u16string& name, const std::u16string& sheet) {
    if (workbook.empty() && path.empty()) {
        int sheetIndex = -1, count = 0;
        if (OnSheetIndex) OnSheetIndex(sheet, sheetIndex, count);
        if (sheetIndex >= 0) {
            entry = ExternalNames_.GetInternalSheetRef(sheetIndex, count);
            index = sheetIndex;
        }
    } else if (isSheet) {
        ExternalNames_.FindExternalSheet(workbook, path, index, entry, sheet);
        if (index < 0) ExternalNames_.FindOrAddExternalSheet(workbook, path, index, entry, sheet);
    } else {
        ExternalNames_.FindExternalName(workbook, path, index, entry, name);
    }
}

std::u16string TFormulaHandler::InternalNameText(int nameNumber) const {
    if (nameNumber < 1 || nameNumber > InternalNames_.Count()) return u"#NAME?";
    return InternalNames_.GetItems(nameNumber - 1).GetName();
}

void TFormulaHandler::GetNameText(int kind, int index, std::u16string& text, int, int, int nameNumber) const {
    if (kind == 2) {
        const int first = ExternalNames_.GetInternalSheetIndex(index);
        if (first == ExtSheetDeleted) {
            text = u"#REF!!";
        } else if (first == ExtSheetWorkbook) {
            text = InternalNameText(nameNumber);
        } else if (first < 0) {
            text = ExternalNames_.GetExternalRefText(index, nameNumber);
        } else {
            std::u16string sheet;
            if (OnSheetName) OnSheetName(0, first, sheet);
            text = sheet + u"!";
        }
    } else if (kind == 4) {
        if (OnSheetName) OnSheetName(0, index, text);
    } else {
        text = InternalNameText(nameNumber);
    }
}

}  // namespace xls
