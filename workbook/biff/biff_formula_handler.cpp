#include "workbook/biff/biff_formula_handler.h"

#include <utility>

#include "workbook/formula/biff_decode_formula.h"
#include "workbook/model/worksheet_part.h"

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

std::u16string TFormulaHandler::DecodeFormula(std::span<const uint8_t> tokens) const {
    return DecodeBiffFormula(
        tokens, 0, u',',
        [this](TBiffDecodeKind kind, int index, int a, int b, int nameIndex) {
            std::u16string text;
            GetNameText(static_cast<int>(kind), index, text, a, b, nameIndex);
            return text;
        },
        0, 0);
}

void TFormulaHandler::LookupExternal(const std::u16string& workbook, const std::u16string& path, int& index, int& entry,
                                     bool isSheet, const std::u16string& name, const std::u16string& sheet) {
    if (workbook.empty() && path.empty()) {
        // A range of sheets (Data:Sheet3) names its first and last sheet; a sheet name holds no colon.
        const size_t colon = sheet.find(u':');
        int first = -1, last = -1, count = 0;
        if (OnSheetIndex) {
            OnSheetIndex(sheet.substr(0, colon), first, count);
            last = first;
            if (colon != std::u16string::npos) OnSheetIndex(sheet.substr(colon + 1), last, count);
        }
        if (first >= 0 && last >= 0) {
            if (first > last) std::swap(first, last);
            entry = ExternalNames_.GetInternalSheetRangeRef(first, last, count);
            index = first;
        }
    } else if (isSheet) {
        ExternalNames_.FindExternalSheet(workbook, path, index, entry, sheet);
        if (index < 0) ExternalNames_.FindOrAddExternalSheet(workbook, path, index, entry, sheet);
    } else {
        ExternalNames_.FindExternalName(workbook, path, index, entry, name);
    }
}

void TFormulaHandler::LookupName(const std::u16string& name, int& index) const {
    index = OnNameIndex ? OnNameIndex(name) : -1;
    if (index < 0) index = InternalNames_.IndexOfName(name);
}

std::u16string TFormulaHandler::NameText(int nameNumber) const {
    if (OnNameText) {
        std::u16string text = OnNameText(nameNumber - 1);
        if (!text.empty()) return text;
    }
    if (nameNumber < 1 || nameNumber > InternalNames_.Count()) return u"#NAME?";
    return InternalNames_.GetItems(nameNumber - 1).GetName();
}

std::u16string TFormulaHandler::SheetPrefix(int index, int first) const {
    int firstSheet = first, last = first;
    ExternalNames_.GetSheetRange(index, firstSheet, last);
    if (last == ExtSheetDeleted) return u"#REF!!";
    std::u16string a, b;
    if (OnSheetName) OnSheetName(0, first, a);
    if (last == first) return QuotedSheetName(a) + u"!";
    if (OnSheetName) OnSheetName(0, last, b);
    return QuotedSheetRange(a, b) + u"!";
}

void TFormulaHandler::GetNameText(int kind, int index, std::u16string& text, int, int, int nameNumber) const {
    if (kind == 2) {
        const int first = ExternalNames_.GetInternalSheetIndex(index);
        if (first == ExtSheetDeleted) {
            text = u"#REF!!";
        } else if (first == ExtSheetWorkbook) {
            text = NameText(nameNumber);
        } else if (first < 0) {
            text = ExternalNames_.GetExternalRefText(index, nameNumber);
        } else {
            text = SheetPrefix(index, first);
        }
    } else if (kind == 4) {
        if (OnSheetName) OnSheetName(0, index, text);
    } else {
        text = NameText(nameNumber);
    }
}

}  // namespace xls
