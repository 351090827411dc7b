#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbook/formula/formula_document.h"

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

    // Names that refer to names deeper than this add nothing more.
    static constexpr int MaxNameDepth = 32;

private:
    struct TItem {
        TXLSCalcCell Cell;
        std::vector<uint8_t> Ptgs;
    };

    void AddDependencies(size_t item, const uint8_t* ptgs, int len, int depth);
    void AddArea(size_t item, int sheet1, int sheet2, int col1, int row1, int col2, int row2);
    void AddName(size_t item, int index, int depth);

    IXLSFormulaDocument& Document;
    std::vector<TItem> Items;
    std::vector<std::vector<uint32_t>> Depends;
    std::vector<std::u16string> Cycles_;
};

}  // namespace xls
