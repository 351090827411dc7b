#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace xls {

// A formula cell: sheet index, column, row; ordered by sheet, then row, then column (the order
// in which the cell stores are walked).
struct TXLSCalcCell {
    uint16_t Sheet = 0;
    uint16_t Col = 0;
    int32_t Row = 0;

    bool operator==(const TXLSCalcCell&) const = default;
    std::strong_ordering operator<=>(const TXLSCalcCell& other) const {
        if (Sheet != other.Sheet) return Sheet <=> other.Sheet;
        if (Row != other.Row) return Row <=> other.Row;
        return Col <=> other.Col;
    }
};

// Cell 0 is a formula, the others are the formula cells it refers to. As a cycle record: the
// cells of one cycle, each referring to the next and the last to the first.
class TDepRefsItem {
public:
    void Add(const TXLSCalcCell& cell) { Cells.push_back({cell, false}); }
    // A cell of a lookup's table: the formula reads only a part of the table, so the table is
    // calculated first where it can be, but a loop through it is no circular reference.
    void AddLookupTable(const TXLSCalcCell& cell) { Cells.push_back({cell, true}); }
    void Shrink() { Cells.shrink_to_fit(); }
    int Count() const { return static_cast<int>(Cells.size()); }
    const TXLSCalcCell& Items(int index) const { return Cells[static_cast<size_t>(index)].Cell; }
    bool IsLookupTable(int index) const { return Cells[static_cast<size_t>(index)].LookupTable; }
    // The cells from first to last as "sheet!A1", joined by "->".
    std::u16string GetText() const;

private:
    struct TEntry {
        TXLSCalcCell Cell;
        bool LookupTable = false;
    };
    std::vector<TEntry> Cells;
};

class TDepRefsItems {
public:
    TDepRefsItem& Add(TDepRefsItem item = {}) { return List.emplace_back(std::move(item)); }
    int Count() const { return static_cast<int>(List.size()); }
    const TDepRefsItem& Items(int index) const { return List[static_cast<size_t>(index)]; }
    void Clear() { List.clear(); }

private:
    std::vector<TDepRefsItem> List;
};

// The references between numbered cells: cell v refers to To[Start[v] .. Start[v + 1]), in
// ascending order, each cell once and never v itself; LookupTable[k] marks To[k] as read through a
// lookup's table only.
struct TCellGraph {
    std::vector<TXLSCalcCell> Cells;  // ascending; a cell's number is its position
    std::vector<uint32_t> Start;      // Cells.size() + 1 entries
    std::vector<uint32_t> To;
    std::vector<bool> LookupTable;
};

// Orders the formula cells of dependency records so that every cell comes after the cells it
// refers to, and finds the circular references that prevent such an order.
//
// The strongly connected components of the references are the loops. A loop closed by lookup
// tables alone is no circular reference: inside it only the other references order the cells.
// Inside each loop of the other references a depth-first walk records one cycle per reference
// that leads back to a cell still on the walk's path; taking those references away leaves no
// loop, so two cycles through one cell are two records.
class TTopoSort {
public:
    // Sorts the cells of items: for every item the references from cell 0 to each other cell.
    // False when a circular reference was found.
    bool SortItems(const TDepRefsItems& items);
    // The same on references already numbered (the calculation chain finds them so); every cell
    // of the graph takes part, walked in number order.
    bool SortGraph(TCellGraph graph);

    // Every cell that took part, a formula before the cells it refers to: the evaluation reads
    // it from the last entry to the first. Cells of circular references are in it too.
    std::vector<TXLSCalcCell> Sorted() const;
    // Whether Sorted()[index] lies on a circular reference.
    bool IsCircular(size_t index) const { return Circular_[Order_.size() - 1 - index]; }
    // The cells of the graph sorted last, by number.
    const std::vector<TXLSCalcCell>& Cells() const { return Graph.Cells; }
    // The numbers of Sorted() the other way round: the order of evaluation.
    const std::vector<uint32_t>& Order() const { return Order_; }
    // Whether Order()[k] lies on a circular reference.
    bool OrderCircular(size_t k) const { return Circular_[k]; }
    // One record per cycle found, up to MaxCycles records and MaxCycleCells cells in all: formulas
    // that read each other in bulk would otherwise give a record for nearly every reference.
    const TDepRefsItems& Cycles() const { return Cycles_; }

    static constexpr int MaxCycles = 1024;
    static constexpr size_t MaxCycleCells = 65536;

private:
    class TComponents;

    // The order when no reference leads back to a cell on its own walk; false when one does.
    bool WalkAcyclic();

    TCellGraph Graph;
    std::vector<uint32_t> Order_;
    std::vector<bool> Circular_;  // of Order_
    TDepRefsItems Cycles_;
};

}  // namespace xls
