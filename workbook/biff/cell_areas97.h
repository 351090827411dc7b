#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>

#include "workbook/model/biff_values.h"
#include "workbook/model/cell_areas.h"

namespace xls {

// The .xls side's rectangles: the same lists as the model's, on the smaller grid of the format
// (columns 0 to 255, rows 0 to 65535), each area numbered by the list that made it.

class TCellArea97 : public TCellAreaImpl {
public:
    explicit TCellArea97(int32_t id) : Id_(id) {}
    int32_t Id() const { return Id_; }
    // The bounds only; the area keeps its own number.
    void Assign(const TCellArea& other) { SetArea(other.GetBounds()); }
    TXLSCellArea GetArea() const { return GetBounds(); }
    void SetArea(const TXLSCellArea& area) { SetBounds(area.Col1, area.Row1, area.Col2, area.Row2); }
    // First column and row not above the last ones.
    void Normalize();

private:
    int32_t Id_;
};

template <class Base>
class TBaseCellAreas97 : public Base {
public:
    TCellArea97* GetItems97(int index) const { return static_cast<TCellArea97*>(this->GetItems(index)); }
    // Eight bytes of a file's cell range: first row, last row, first column, last column.
    TCellArea97* AddFromRecord(std::span<const uint8_t, 8> ref) {
        auto word = [&](size_t at) { return static_cast<int>(ref[at] | (ref[at + 1] << 8)); };
        return static_cast<TCellArea97*>(this->AddArea(word(4), word(0), word(6), word(2)));
    }
    void NormalizeAll() {
        for (int i = 0; i < this->Count(); ++i) GetItems97(i)->Normalize();
    }
    // The smallest rectangle holding every area; an empty list gives the widest inverted one.
    TXLSCellArea GetBounds() const {
        TXLSCellArea b = MakeCellArea(std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(), 0, 0);
        for (int i = 0; i < this->Count(); ++i) UnionBounds(b, this->GetItems(i)->GetBounds());
        return b;
    }

protected:
    std::unique_ptr<TCellArea> CreateArea() const override { return std::make_unique<TCellArea97>(NextId_++); }

private:
    static void UnionBounds(TXLSCellArea& b, const TXLSCellArea& a) {
        b.Col1 = std::min(b.Col1, a.Col1);
        b.Row1 = std::min(b.Row1, a.Row1);
        b.Col2 = std::max(b.Col2, a.Col2);
        b.Row2 = std::max(b.Row2, a.Row2);
    }
    mutable int32_t NextId_ = 0;
};

// Areas that may be cut and split freely (conditional formats, validations, selections).
class TCellAreas97 : public TBaseCellAreas97<TCellAreas> {
protected:
    bool ClipToGrid(TXLSCellArea& area) const override {
        return ClipArea97(area.Col1, area.Row1, area.Col2, area.Row2);
    }
};

// Areas that may not be cut (merged cells); copying and intersecting are left to the owner.
class TSolidCellAreas97 : public TBaseCellAreas97<TSolidCellAreas> {
public:
    void Copy(int, int, int, int, int, int) override {}
    TCellArea* Intersect(int, int, int, int) override { return nullptr; }
};

// The merged areas of a sheet: copying a block copies every merged area that touches it, whole.
class TMergedCells : public TSolidCellAreas97 {
public:
    void Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) override;
};

}  // namespace xls
