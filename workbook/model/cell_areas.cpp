#include "workbook/model/cell_areas.h"

#include <algorithm>

#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

const char* const MergedCellMessage = "Can not change part of a merged cell";

bool Meet(const TXLSCellArea& a, const TXLSCellArea& b) {
    return a.Col1 <= b.Col2 && b.Col1 <= a.Col2 && a.Row1 <= b.Row2 && b.Row1 <= a.Row2;
}

bool Contains(const TXLSCellArea& outer, const TXLSCellArea& inner) {
    return inner.Col1 >= outer.Col1 && inner.Col2 <= outer.Col2 && inner.Row1 >= outer.Row1 && inner.Row2 <= outer.Row2;
}

TXLSCellArea Moved(const TXLSCellArea& a, int dCol, int dRow) {
    return MakeCellArea(a.Col1 + dCol, a.Row1 + dRow, a.Col2 + dCol, a.Row2 + dRow);
}

TXLSCellArea Intersection(const TXLSCellArea& a, const TXLSCellArea& b) {
    return MakeCellArea(std::max(a.Col1, b.Col1), std::max(a.Row1, b.Row1), std::min(a.Col2, b.Col2),
                        std::min(a.Row2, b.Row2));
}

bool ParseRef(std::u16string_view text, TXLSCellArea& area) {
    const auto colon = text.find(u':');
    int col1, row1, col2, row2;
    if (colon == std::u16string_view::npos || colon < 1) {
        if (!RefStrToColRow(text, col1, row1)) return false;
        area = CellToCellArea(col1, row1);
        return true;
    }
    if (!AreaStrToColRow(text, col1, row1, col2, row2)) return false;
    area = MakeCellArea(col1, row1, col2, row2);
    return true;
}

}  // namespace

// --- TCellArea ---

void TCellArea::SetBounds(int col1, int row1, int col2, int row2) {
    SetCol1(col1);
    SetRow1(row1);
    SetCol2(col2);
    SetRow2(row2);
}

bool TCellArea::SameBounds(int col1, int row1, int col2, int row2) const {
    return GetCol1() == col1 && GetRow1() == row1 && GetCol2() == col2 && GetRow2() == row2;
}

bool TCellArea::InsideRect(int col1, int row1, int col2, int row2) const {
    return Contains(MakeCellArea(col1, row1, col2, row2), GetBounds());
}

bool TCellArea::HasInside(int col, int row) const {
    return col > GetCol1() && row > GetRow1() && col < GetCol2() && row < GetRow2();
}

int64_t TCellArea::CellCount() const {
    return (int64_t{GetCol2()} - GetCol1() + 1) * (int64_t{GetRow2()} - GetRow1() + 1);
}

bool TCellArea::Meets(int col1, int row1, int col2, int row2) const {
    return Meet(GetBounds(), MakeCellArea(col1, row1, col2, row2));
}

std::u16string TCellArea::GetAsText() const {
    if (GetCol1() == GetCol2() && GetRow1() == GetRow2()) return ColRowToRefStr(GetCol1(), GetRow1());
    return AreaToRefStr(GetCol1(), GetRow1(), GetCol2(), GetRow2());
}

// --- Pieces ---

int CutArea(const TXLSCellArea& a, const TXLSCellArea& r, std::vector<TXLSCellArea>& pieces) {
    pieces.clear();
    int bandStart = a.Row1, bandEnd = a.Row2;
    if (a.Row1 < r.Row1) {
        pieces.push_back(MakeCellArea(a.Col1, a.Row1, a.Col2, r.Row1 - 1));
        bandStart = r.Row1;
    }
    if (r.Row2 < a.Row2) {
        pieces.push_back(MakeCellArea(a.Col1, r.Row2 + 1, a.Col2, a.Row2));
        bandEnd = r.Row2;
    }
    if (a.Col1 < r.Col1) pieces.push_back(MakeCellArea(a.Col1, bandStart, r.Col1 - 1, bandEnd));
    if (r.Col2 < a.Col2) pieces.push_back(MakeCellArea(r.Col2 + 1, bandStart, a.Col2, bandEnd));
    return static_cast<int>(pieces.size());
}

bool ClampToGrid(TXLSCellArea& t) {
    if (t.Col1 > XLSMaxCol || t.Row1 > XLSMaxRow || t.Col2 < 0 || t.Row2 < 0) return false;
    t.Col1 = std::max(t.Col1, 0);
    t.Row1 = std::max(t.Row1, 0);
    t.Col2 = std::min(t.Col2, XLSMaxCol);
    t.Row2 = std::min(t.Row2, XLSMaxRow);
    return true;
}

// --- TBaseCellAreas ---

std::unique_ptr<TCellArea> TBaseCellAreas::CreateArea() const { return std::make_unique<TCellAreaImpl>(); }

TCellArea* TBaseCellAreas::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return Items_[static_cast<size_t>(index)].get();
}

TCellArea* TBaseCellAreas::Add() {
    Items_.push_back(CreateArea());
    return Items_.back().get();
}

TCellArea* TBaseCellAreas::AddArea(int col1, int row1, int col2, int row2) {
    TCellArea* area = Add();
    area->SetBounds(col1, row1, col2, row2);
    return area;
}

TCellArea* TBaseCellAreas::AddRef(std::u16string_view text) {
    TXLSCellArea area;
    if (!ParseRef(text, area)) throw EXLSError("Invalid cell reference");
    return AddAreaRec(area);
}

std::u16string TBaseCellAreas::GetAsText() const {
    std::u16string text;
    for (const auto& area : Items_) {
        text += area->GetAsText();
        text += Separator;
    }
    return std::u16string(TrimText(text));
}

void TBaseCellAreas::SetAsText(std::u16string_view text) {
    std::vector<TXLSCellArea> areas;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(Separator, start);
        if (end == std::u16string_view::npos) end = text.size();
        const std::u16string_view part = text.substr(start, end - start);
        if (!part.empty()) {
            TXLSCellArea area;
            if (!ParseRef(part, area)) throw EXLSError("Invalid cell reference");
            areas.push_back(area);
        }
        start = end + 1;
    }
    Clear();
    for (const TXLSCellArea& area : areas) AddAreaRec(area);
}

int TBaseCellAreas::IndexOfArea(int col1, int row1, int col2, int row2) const {
    for (int i = 0; i < Count(); ++i)
        if (Items_[static_cast<size_t>(i)]->SameBounds(col1, row1, col2, row2)) return i;
    return -1;
}

int TBaseCellAreas::IndexOfCell(int col, int row) const {
    for (int i = 0; i < Count(); ++i)
        if (Items_[static_cast<size_t>(i)]->Meets(col, row, col, row)) return i;
    return -1;
}

bool TBaseCellAreas::Intersects(int col1, int row1, int col2, int row2) const {
    return std::any_of(Items_.begin(), Items_.end(),
                       [&](const auto& area) { return area->Meets(col1, row1, col2, row2); });
}

int64_t TBaseCellAreas::CellCount() const {
    int64_t count = 0;
    for (const auto& area : Items_) count += area->CellCount();
    return count;
}

void TBaseCellAreas::Assign(const TBaseCellAreas& source) {
    if (&source == this) return;
    Clear();
    for (const auto& area : source.Items_) {
        TCellArea* copy = AddAreaRec(area->GetBounds());
        copy->Data = area->Data;
    }
}

void TBaseCellAreas::Delete(int index) {
    GetItems(index);
    Items_.erase(Items_.begin() + index);
}

int TBaseCellAreas::Cut(int index, const TXLSCellArea& rect, std::vector<TXLSCellArea>& pieces) const {
    return CutArea(GetItems(index)->GetBounds(), rect, pieces);
}

void TBaseCellAreas::Copy(int, int, int, int, int, int) {}

// --- TCellAreas ---

void TCellAreas::Delete(int col1, int row1, int col2, int row2) {
    const TXLSCellArea r = MakeCellArea(col1, row1, col2, row2);
    const size_t count = Items_.size();
    std::vector<TXLSCellArea> pieces;
    std::vector<TXLSCellArea> added;
    std::vector<std::unique_ptr<TCellArea>> kept;
    for (size_t i = 0; i < count; ++i) {
        const TXLSCellArea a = Items_[i]->GetBounds();
        if (!Meet(a, r)) {
            kept.push_back(std::move(Items_[i]));
            continue;
        }
        CutArea(a, r, pieces);
        added.insert(added.end(), pieces.begin(), pieces.end());
    }
    Items_ = std::move(kept);
    for (const TXLSCellArea& piece : added) AddAreaRec(piece);
}

bool TCellAreas::Absorb(const TXLSCellArea& t) {
    for (auto& item : Items_)
        if (Contains(item->GetBounds(), t)) return true;
    for (auto& item : Items_) {
        const TXLSCellArea a = item->GetBounds();
        if (a.Col1 == t.Col1 && a.Col2 == t.Col2) {
            if (t.Row2 >= a.Row1 - 1 && t.Row2 <= a.Row2) {
                item->SetRow1(std::min(a.Row1, t.Row1));
                return true;
            }
            if (t.Row1 >= a.Row1 && t.Row1 <= a.Row2 + 1) {
                item->SetRow2(std::max(a.Row2, t.Row2));
                return true;
            }
        }
        if (a.Row1 == t.Row1 && a.Row2 == t.Row2) {
            if (t.Col2 >= a.Col1 - 1 && t.Col2 <= a.Col2) {
                item->SetCol1(std::min(a.Col1, t.Col1));
                return true;
            }
            if (t.Col1 >= a.Col1 && t.Col1 <= a.Col2 + 1) {
                item->SetCol2(std::max(a.Col2, t.Col2));
                return true;
            }
        }
    }
    return false;
}

void TCellAreas::Place(const TXLSCellArea& moved) {
    TXLSCellArea t = moved;
    if (!ClipToGrid(t) || Absorb(t)) return;
    Delete(t.Col1, t.Row1, t.Col2, t.Row2);
    AddAreaRec(t);
}

void TCellAreas::Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) {
    const TXLSCellArea r = MakeCellArea(col1, row1, col2, row2);
    // The copies are taken from the areas as they were before the copy began.
    std::vector<TXLSCellArea> sources;
    for (const auto& item : Items_)
        if (Meet(item->GetBounds(), r)) sources.push_back(Intersection(item->GetBounds(), r));
    for (const TXLSCellArea& x : sources) Place(Moved(x, dCol, dRow));
}

void TCellAreas::MoveArea(int col1, int row1, int col2, int row2, int dCol, int dRow) {
    const TXLSCellArea r = MakeCellArea(col1, row1, col2, row2);
    std::vector<TXLSCellArea> inside;
    for (const auto& item : Items_)
        if (Meet(item->GetBounds(), r)) inside.push_back(Intersection(item->GetBounds(), r));
    Delete(col1, row1, col2, row2);
    for (const TXLSCellArea& x : inside) Place(Moved(x, dCol, dRow));
}

void TCellAreas::Move(int dCol, int dRow) {
    std::vector<std::unique_ptr<TCellArea>> kept;
    for (auto& item : Items_) {
        TXLSCellArea t = Moved(item->GetBounds(), dCol, dRow);
        if (!ClipToGrid(t)) continue;
        item->SetBounds(t.Col1, t.Row1, t.Col2, t.Row2);
        kept.push_back(std::move(item));
    }
    Items_ = std::move(kept);
}

TCellArea* TCellAreas::Intersect(int col1, int row1, int col2, int row2) {
    const TXLSCellArea r = MakeCellArea(col1, row1, col2, row2);
    std::erase_if(Items_, [&](const auto& item) { return !Meet(item->GetBounds(), r); });
    for (auto& item : Items_) {
        const TXLSCellArea x = Intersection(item->GetBounds(), r);
        item->SetBounds(x.Col1, x.Row1, x.Col2, x.Row2);
    }
    return Last();
}

// --- TSolidCellAreas ---

void TSolidCellAreas::Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) {
    if (dCol == 0 && dRow == 0) return;
    CopyRefused_ = false;
    const TXLSCellArea r = MakeCellArea(col1, row1, col2, row2);
    std::vector<TXLSCellArea> copies;
    for (const auto& item : Items_) {
        const TXLSCellArea a = item->GetBounds();
        const TXLSCellArea t = Moved(a, dCol, dRow);
        if (Contains(r, a) && IsValidArea(t.Col1, t.Row1, t.Col2, t.Row2)) copies.push_back(t);
    }
    for (const TXLSCellArea& t : copies)
        if (Intersects(t.Col1, t.Row1, t.Col2, t.Row2)) {
            CopyRefused_ = true;
            return;
        }
    for (const TXLSCellArea& t : copies) AddAreaRec(t);
}

void TSolidCellAreas::Delete(int col1, int row1, int col2, int row2) {
    const TXLSCellArea r = MakeCellArea(col1, row1, col2, row2);
    std::vector<TXLSCellArea> pieces;
    // Every cut is checked before the first change.
    for (const auto& item : Items_) {
        const TXLSCellArea a = item->GetBounds();
        if (Meet(a, r) && !Contains(r, a) && CutArea(a, r, pieces) > 1) throw EXLSError(MergedCellMessage);
    }
    std::vector<std::unique_ptr<TCellArea>> kept;
    for (auto& item : Items_) {
        const TXLSCellArea a = item->GetBounds();
        if (!Meet(a, r)) {
            kept.push_back(std::move(item));
        } else if (!Contains(r, a)) {
            CutArea(a, r, pieces);
            item->SetBounds(pieces[0].Col1, pieces[0].Row1, pieces[0].Col2, pieces[0].Row2);
            kept.push_back(std::move(item));
        }
    }
    Items_ = std::move(kept);
}

TCellArea* TSolidCellAreas::Intersect(int col1, int row1, int col2, int row2) {
    TXLSCellArea u = MakeCellArea(col1, row1, col2, row2);
    std::erase_if(Items_, [&](const auto& item) {
        const TXLSCellArea a = item->GetBounds();
        if (!Meet(a, u)) return false;
        UnionCellArea(u, a, u);
        return true;
    });
    // A later area may meet the grown union only now.
    bool grew = true;
    while (grew) {
        grew = false;
        std::erase_if(Items_, [&](const auto& item) {
            const TXLSCellArea a = item->GetBounds();
            if (!Meet(a, u)) return false;
            UnionCellArea(u, a, u);
            grew = true;
            return true;
        });
    }
    return AddAreaRec(u);
}

void TSolidCellAreas::Move(int, int) { throw EXLSError("TSolidCellAreas.Move not implemented"); }

void TSolidCellAreas::MoveArea(int col1, int row1, int col2, int row2, int dCol, int dRow) {
    for (const auto& item : Items_)
        if (item->HasInside(col1, row1) || item->HasInside(col2, row1) || item->HasInside(col1, row2) ||
            item->HasInside(col2, row2))
            throw EXLSError(MergedCellMessage);
    auto moves = [](int value, int low, int high, int delta) {
        return value >= low && value <= high ? value + delta : value;
    };
    std::vector<std::unique_ptr<TCellArea>> kept;
    for (auto& item : Items_) {
        const TXLSCellArea a = item->GetBounds();
        const int newCol1 = moves(a.Col1, col1, col2, dCol);
        const int newRow1 = moves(a.Row1, row1, row2, dRow);
        int newCol2 = moves(a.Col2, col1, col2, dCol);
        int newRow2 = moves(a.Row2, row1, row2, dRow);
        if (newCol2 == a.Col2 && a.Col2 == col1 + dCol && a.Col2 <= col2) newCol2 = a.Col2 + dCol;
        if (newRow2 == a.Row2 && a.Row2 == row1 + dRow && a.Row2 <= row2) newRow2 = a.Row2 + dRow;
        if (newCol2 < newCol1 || newRow2 < newRow1) continue;
        item->SetBounds(newCol1, newRow1, newCol2, newRow2);
        kept.push_back(std::move(item));
    }
    Items_ = std::move(kept);
}

// --- Cell references ---

std::u16string TCellRef::GetAsText() const { return ColRowToRefStr(static_cast<int>(Col), static_cast<int>(Row)); }

bool TCellRef::SetAsText(std::u16string_view text) {
    int col, row;
    if (!RefStrToColRow(text, col, row)) return false;
    Col = static_cast<uint32_t>(col);
    Row = static_cast<uint32_t>(row);
    return true;
}

TCellRef& TCellRefs::GetItems(int index) {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return Items_[static_cast<size_t>(index)];
}

TCellRef& TCellRefs::Add(std::u16string_view text) {
    TCellRef ref;
    if (!ref.SetAsText(text)) throw EXLSError("Invalid cell reference");
    Items_.push_back(ref);
    return Items_.back();
}

// --- Move/copy list ---

TXLSMoveCopyItem* TXLSMoveCopyList::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return Items_[static_cast<size_t>(index)].get();
}

void TXLSMoveCopyList::DeleteArea(int col1, int row1, int col2, int row2) {
    for (auto& item : Items_) item->Delete(col1, row1, col2, row2);
}

}  // namespace xls
