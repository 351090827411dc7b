#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_encoding.h"
#include "workbook/formula/biff_encode_formula.h"
#include "workbook/formula/formula_document.h"
#include "workbook/formula/value_stack.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls::test {

// A value as the test tables write it: a number with 15 significant digits, TRUE/FALSE, an
// error text, or a text in double quotes.
inline std::string Show(const TXLSFormulaValue& v) {
    switch (v.ValType) {
        case fvtNumber: return base::Utf16ToUtf8(FormulaNumberToText(v.Number));
        case fvtBoolean: return v.BoolErr ? "TRUE" : "FALSE";
        case fvtError: return base::Utf16ToUtf8(CellErrorToText(v.BoolErr));
        case fvtString: return "\"" + base::Utf16ToUtf8(v.Str) + "\"";
        default: return "empty";
    }
}

struct TCase {
    const char16_t* Formula;
    const char* Expected;
};

// A workbook for the formula engine's tests and benchmarks: real cell stores, names given as
// formula text or areas, and an external-sheet list where entry i is sheet i (and the entry
// after the last sheet spans all of them).
class TTestFormulaDocument : public IXLSFormulaDocument, public IXLSExternSheets {
public:
    explicit TTestFormulaDocument(int sheets) {
        for (int i = 0; i < sheets; ++i) Sheets.push_back(std::make_unique<TXLSCellMMU>(i, StyleSheet, SST));
        Encoder.OnNameIndex = [this](const std::u16string& name, int& index) {
            for (size_t i = 0; i < Names.size(); ++i)
                if (WideUpperCaseStr(Names[i].Text) == WideUpperCaseStr(name)) index = static_cast<int>(i);
        };
        Encoder.OnExternRef = [this](const std::u16string&, const std::u16string&, int& sheetIndex, int& ixti, bool,
                                     const std::u16string&, const std::u16string& sheet) {
            for (int i = 0; i < SheetCount(); ++i)
                if (WideUpperCaseStr(SheetName(i)) == WideUpperCaseStr(sheet)) sheetIndex = ixti = i;
            if (WideUpperCaseStr(sheet) == u"ALL") sheetIndex = 0, ixti = SheetCount();
        };
    }

    int SheetCount() const override { return static_cast<int>(Sheets.size()); }
    TXLSCellMMU* SheetCells(int sheet) override {
        return sheet >= 0 && sheet < SheetCount() ? Sheets[static_cast<size_t>(sheet)].get() : nullptr;
    }
    std::u16string SheetName(int sheet) const override { return {u'S', char16_t(u'0' + sheet)}; }
    bool GetName(int index, TXLSNameDef& name) const override {
        if (index < 0 || index >= static_cast<int>(Names.size())) return false;
        name = Names[static_cast<size_t>(index)].Def;
        name.Ptgs = Names[static_cast<size_t>(index)].Ptgs.data();
        name.PtgsLen = static_cast<int>(Names[static_cast<size_t>(index)].Ptgs.size());
        return true;
    }
    bool HasDefinedName(std::u16string_view name) const override {
        for (const TName& n : Names)
            if (WideUpperCaseStr(n.Text) == WideUpperCaseStr(name)) return true;
        return false;
    }
    const IXLSExternSheets* ExternSheets() const override { return this; }
    bool HasExternalName(std::u16string_view name) const override {
        for (const std::u16string& n : ExternalNames)
            if (WideUpperCaseStr(n) == WideUpperCaseStr(name)) return true;
        return false;
    }
    bool GetSheetRange(int index, int& first, int& last) const override {
        if (index < 0 || index > SheetCount()) return false;
        first = index == SheetCount() ? 0 : index;
        last = index == SheetCount() ? SheetCount() - 1 : index;
        return true;
    }

    // Raw BIFF8 tokens (with their 0xFF prefix) of a formula text.
    std::vector<uint8_t> Compile(std::u16string_view text) {
        std::vector<uint8_t> buf(4096);
        buf[0] = 0xFF;
        const int n = Encoder.Encode(text, 0, 1, static_cast<int>(buf.size()) - 1, buf.data() + 1);
        buf.resize(static_cast<size_t>(n) + 1);
        return buf;
    }
    // Stores a formula cell with cached value 0.
    void SetFormula(int sheet, int col, int row, std::u16string_view text) {
        const std::vector<uint8_t> ptgs = Compile(text);
        SheetCells(sheet)->StoreFormulaTokens(col, row, 0, static_cast<int>(ptgs.size()), ptgs.data(), 0);
    }
    // Names are declared before the formulas that use them; a formula name's text is compiled
    // when it is added (so it may refer to names added before it, or to itself).
    void AddFormulaName(const std::u16string& name, std::u16string_view text) {
        Names.push_back({name, {}, {}});
        Names.back().Def.Kind = nkFormula;
        Names.back().Ptgs = Compile(text);
    }
    void AddAreaName(const std::u16string& name, int sheet, int col1, int row1, int col2, int row2) {
        TXLSNameDef def;
        def.Kind = col1 == col2 && row1 == row2 ? nkCell : nkArea;
        def.Sheet = sheet;
        def.Col1 = col1, def.Row1 = row1, def.Col2 = col2, def.Row2 = row2;
        Names.push_back({name, def, {}});
    }

    struct TName {
        std::u16string Text;
        TXLSNameDef Def;
        std::vector<uint8_t> Ptgs;
    };

    TXc12DataStyleSheet StyleSheet;
    TXc12DataSST SST{StyleSheet};
    std::vector<std::unique_ptr<TXLSCellMMU>> Sheets;
    std::vector<TName> Names;
    // Names of the external-sheet list's books (add-in functions among them).
    std::vector<std::u16string> ExternalNames;
    TEncodeFormula Encoder;
};

}  // namespace xls::test
