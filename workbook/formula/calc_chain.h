#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "workbook/formula/formula_document.h"
#include "workbook/formula/topo_sort.h"
#include "workbook/model/cell_area.h"

namespace xls {

class TXLSErrorManager;

// The formula cells in the order the handler evaluates them, from the first to the last.
class TXLSCalcChain {
public:
    int Count() const { return static_cast<int>(Cells.size()); }
    const TXLSCalcCell& Items(int index) const { return Cells[static_cast<size_t>(index)]; }
    void Add(const TXLSCalcCell& cell) { Cells.push_back(cell); }
    void Clear() { Cells.clear(); }
    void Reserve(size_t count) { Cells.reserve(count); }
    // Gives back the room a larger chain of an earlier build took.
    void Shrink() { Cells.shrink_to_fit(); }
    auto begin() const { return Cells.begin(); }
    auto end() const { return Cells.end(); }

private:
    std::vector<TXLSCalcCell> Cells;
};

// The order in which the formula cells of a workbook are evaluated: every formula after the
// formula cells its references (and the names it uses) cover, and after the formula cells of a
// lookup's table where that closes no loop. Formulas on a circular reference are left out and
// each cycle is reported; every other formula is in the chain once, those that read a circular
// reference included.
class TXLSCalcChainBuilder {
public:
    explicit TXLSCalcChainBuilder(IXLSFormulaDocument& document) : Document(document) {}

    // Fills chain; false when a circular reference was found (each cycle then went to errors as
    // warning 3002, when errors is given). Raises when a formula's tokens cannot be taken.
    bool Build(TXLSCalcChain& chain, TXLSErrorManager* errors = nullptr);

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
    // Adds what the tokens read to Refs; lookupTable: they stand for a lookup's table.
    void AddDependencies(size_t item, const uint8_t* ptgs, int len, int depth, bool lookupTable);
    // Appends Refs, in order and each item once, to the graph's references of item.
    void AddGraphRefs(uint32_t item);
    void AddArea(int sheet1, int sheet2, int col1, int row1, int col2, int row2, bool lookupTable);
    void AddName(size_t item, int index, int depth, bool lookupTable);
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
    // The formula cells (item i is Graph.Cells[i]) and the references between them, filled item
    // by item: no record per formula, the numbers are known as the references are found. The
    // tokens walked are the stores' own bytes: no store is written while a chain is built.
    TCellGraph Graph;
    // The item whose tokens are walked; searches for the cells it reads start there.
    uint32_t Walking = 0;
    std::vector<TRangeAnchor> RangeAnchors;
    // The items the formula being walked reads (with the lookup-table mark), in the order found.
    std::vector<std::pair<uint32_t, bool>> Refs;
    std::vector<std::u16string> Cycles_;
};

}  // namespace xls
