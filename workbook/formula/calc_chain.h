#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbook/formula/formula_document.h"
#include "workbook/model/cell_area.h"

namespace xls {

class TXLSErrorManager;

// One formula cell of the calculation chain.
struct TXLSCalcCell {
    uint16_t Sheet = 0;
    uint16_t Col = 0;
    int32_t Row = 0;
    auto operator<=>(const TXLSCalcCell&) const = default;
};

// The order in which the formula cells of a workbook are evaluated: every formula after the
// formula cells its references (and the names it uses) cover. Formulas in a cycle are left out
// and reported; every other formula is in the chain once, those that depend on a cycle included.
class TXLSCalcChainBuilder {
public:
    explicit TXLSCalcChainBuilder(IXLSFormulaDocument& document) : Document(document) {}

    // Fills chain; false when a circular reference was found (each cycle then went to errors as
    // warning 3002, when errors is given). Raises for token code it cannot walk.
    bool Build(std::vector<TXLSCalcCell>& chain, TXLSErrorManager* errors = nullptr);

    // The cycles of the last build, each as "sheet!A1->sheet!B1".
    const std::vector<std::u16string>& Cycles() const { return Cycles_; }

    // Whether a chain built last would come out the same now: no sheet store saw a formula
    // added, replaced or removed since, and every name and external-sheet entry the build looked
    // up reads as it did.
    bool IsCurrent() const;
    // Whether a formula of the last build (or a name it used) calls a function whose value may
    // change while the workbook does not.
    bool Volatile() const { return Volatile_; }

    // Names that refer to names deeper than this add nothing more.
    static constexpr int MaxNameDepth = 32;

private:
    // The tokens are the store's own bytes: no store is written while a chain is built.
    struct TItem {
        TXLSCalcCell Cell;
        const uint8_t* Ptgs = nullptr;
        int32_t Len = 0;
    };

    void AddDependencies(size_t item, const uint8_t* ptgs, int len, int depth);
    void AddArea(int sheet1, int sheet2, int col1, int row1, int col2, int row2);
    void AddName(size_t item, int index, int depth);
    bool LookUpName(int index, TXLSNameDef& name);
    bool LookUpSheetRange(const IXLSExternSheets* ext, int index, int& first, int& last);

    // What the last build read of the document besides the formulas themselves.
    struct TNameLookup {
        int Index = 0;
        bool Found = false;
        TXLSNameDef Def;
        std::vector<uint8_t> Ptgs;
    };
    struct TSheetRangeLookup {
        int Index = 0;
        bool Found = false;
        int First = 0;
        int Last = 0;
    };
    bool Built = false;
    bool Volatile_ = false;
    std::vector<std::pair<TXLSCellMMU*, uint64_t>> SheetStamps;
    const IXLSExternSheets* BuiltExternSheets = nullptr;
    std::vector<TNameLookup> NameLookups;
    std::vector<TSheetRangeLookup> SheetRangeLookups;

    // An array formula's or data table's result range: reading any cell of it depends on the
    // anchor, whose evaluation writes the whole range.
    struct TRangeAnchor {
        uint32_t Item = 0;
        int Sheet = 0;
        TXLSCellArea Range;
    };

    IXLSFormulaDocument& Document;
    std::vector<TItem> Items;
    std::vector<uint64_t> Keys;  // of Items, ascending
    std::vector<TRangeAnchor> RangeAnchors;
    // The formula items each item depends on: those of item i are Edges[EdgeStart[i] ..
    // EdgeStart[i + 1]), filled in item order.
    std::vector<uint32_t> Edges;
    std::vector<uint32_t> EdgeStart;
    std::vector<std::u16string> Cycles_;
};

}  // namespace xls
