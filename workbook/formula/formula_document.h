#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "workbook/formula/formula_value.h"
#include "workbook/formula/ptg_tokens.h"

namespace xls {

class TXLSCellMMU;

// A defined name as the evaluator sees it: a formula of its own, or a resolved cell, area or
// error.
enum TXLSNameKind : uint8_t { nkFormula = 0, nkCell = 1, nkArea = 2, nkError = 3 };

struct TXLSNameDef {
    TXLSNameKind Kind = nkError;
    int32_t Sheet = 0;
    int32_t Col1 = 0;
    int32_t Row1 = 0;
    int32_t Col2 = 0;
    int32_t Row2 = 0;
    // The name's token code (kind formula); stays the document's.
    const uint8_t* Ptgs = nullptr;
    int32_t PtgsLen = 0;
    bool VbaProcedure = false;
};

// What the formula engine needs of the workbook: its sheets, defined names and the BIFF
// external-sheet list. The document root implements it; the engine sits below it.
class IXLSFormulaDocument {
public:
    virtual ~IXLSFormulaDocument() = default;
    virtual int SheetCount() const = 0;
    // The cell store of a sheet; nullptr for an index that is no sheet.
    virtual TXLSCellMMU* SheetCells(int sheet) = 0;
    virtual std::u16string SheetName(int sheet) const = 0;
    // The defined name at a 0-based index; false when there is none.
    virtual bool GetName(int index, TXLSNameDef& name) const = 0;
    // Whether a defined name of any scope (a macro's or function's name included) is called
    // name, case ignored: a call of such a name is a user function of the workbook.
    virtual bool HasDefinedName(std::u16string_view name) const {
        (void)name;
        return false;
    }
    // The BIFF external-sheet list; nullptr when the document has none.
    virtual const IXLSExternSheets* ExternSheets() const = 0;
    // External links: the value an external book's cell held when the link was last updated
    // (false when the link keeps none), the book's file name and its sheet names. A document
    // without links keeps the defaults.
    virtual bool ExternalCachedValue(int book, int sheet, int col, int row, TXLSFormulaValue& value) const {
        (void)book, (void)sheet, (void)col, (void)row, (void)value;
        return false;
    }
    virtual std::u16string ExternalBookName(int book) const {
        (void)book;
        return {};
    }
    // The document's file name as CELL("filename") begins it ("path[file]"); empty while the
    // document has none.
    virtual std::u16string FileName() const { return {}; }
    virtual std::u16string ExternalSheetName(int book, int sheet) const {
        (void)book, (void)sheet;
        return {};
    }
};

}  // namespace xls
