// Chained value-stack iterators: several values walked in lockstep.
#include <algorithm>
#include <vector>

#include "workbook/formula/value_stack.h"

namespace xls {

TValStackIterator& TValStackIterator::EnsureNext() {
    if (!Chained) Chained = std::make_unique<TValStackIterator>(Owner);
    return *Chained;
}

void TValStackIterator::StartPair(const TXLSFormulaValue& a, const TXLSFormulaValue& b, bool stopAtError) {
    Start(a, stopAtError);
    EnsureNext().Start(b, stopAtError);
    ClipChainTogether();
}

// Each area alone would be clipped to the cells of its own sheet, and two areas at different
// places would then stop meeting position by position. Together they walk the offsets where
// any of them holds cells (the others give empty values there); with an array or an area list
// in the chain every area is walked whole.
void TValStackIterator::ClipChainTogether() {
    std::vector<TValStackIterator*> areas;
    bool whole = false;
    for (TValStackIterator* it = this; it; it = it->Chained.get()) {
        if (it->Source.Kind == vkArea) areas.push_back(it);
        if (it->Source.Kind == vkArray || it->Source.Kind == vkAreaList) whole = true;
    }
    if (areas.size() < 2 && !whole) return;
    int c1 = INT32_MAX, r1 = INT32_MAX, c2 = -1, r2 = -1;
    for (TValStackIterator* it : areas) {
        const TXLSCellArea& w = it->Whole;
        if (whole) {
            c1 = r1 = 0;
            c2 = std::max(c2, w.Col2 - w.Col1);
            r2 = std::max(r2, w.Row2 - w.Row1);
        } else if (!it->Done) {
            c1 = std::min(c1, it->Source.Col1 - w.Col1);
            r1 = std::min(r1, it->Source.Row1 - w.Row1);
            c2 = std::max(c2, it->Source.Col2 - w.Col1);
            r2 = std::max(r2, it->Source.Row2 - w.Row1);
        }
    }
    for (TValStackIterator* it : areas) {
        const TXLSCellArea& w = it->Whole;
        it->Source.Col1 = w.Col1 + c1;
        it->Source.Row1 = w.Row1 + r1;
        it->Source.Col2 = std::min(w.Col2, w.Col1 + c2);
        it->Source.Row2 = std::min(w.Row2, w.Row1 + r2);
        it->Done = c2 < c1 || r2 < r1 || it->Source.Col1 > it->Source.Col2 || it->Source.Row1 > it->Source.Row2;
        it->PosCol = it->Source.Col1 - 1;
        it->PosRow = it->Source.Row1;
        it->LastCol = it->Source.Col2;
        it->LastRow = it->Source.Row2;
    }
}

bool TValStackIterator::NextAll() {
    if (!Next()) return false;
    return !Chained || Chained->NextAll();
}

bool TValStackIterator::AllNumbers() const {
    for (const TValStackIterator* it = this; it; it = it->Chained.get())
        if (it->Current.ValType != fvtNumber) return false;
    return true;
}

bool TValStackIterator::AllValues() const {
    for (const TValStackIterator* it = this; it; it = it->Chained.get()) {
        const TXLSFormulaValueType t = it->Current.ValType;
        if (t != fvtNumber && t != fvtBoolean && t != fvtString) return false;
    }
    return true;
}

bool TValStackIterator::AnyWithNumbers() const {
    return Current.ValType != fvtEmpty && (!Chained || Chained->AllNumbers());
}

bool TValStackIterator::NextNumbers() {
    while (NextAll())
        if (AllNumbers()) return true;
    return false;
}

bool TValStackIterator::NextValues() {
    while (NextAll())
        if (AllValues()) return true;
    return false;
}

bool TValStackIterator::NextAnyWithNumbers() {
    while (NextAll())
        if (AnyWithNumbers()) return true;
    return false;
}

bool TValStackIterator::FindError(uint8_t& code) const {
    for (const TValStackIterator* it = this; it; it = it->Chained.get())
        if (it->Current.ValType == fvtError) {
            code = it->Current.BoolErr;
            return true;
        }
    return false;
}

double TValStackIterator::CurrentAsNumber() const {
    if (Current.ValType == fvtNumber) return Current.Number;
    return Current.ValType == fvtBoolean ? Current.BoolErr : 0;
}

int TValueStack::SumPairs(const TXLSFormulaValue& a, const TXLSFormulaValue& b, double& sumA, double& sumB) {
    sumA = sumB = 0;
    int count = 0;
    Iterator.StartPair(a, b, false);
    while (Iterator.NextNumbers()) {
        sumA += Iterator.Current.Number;
        sumB += Iterator.NextInChain()->Current.Number;
        ++count;
    }
    return count;
}

}  // namespace xls
