#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/cell_area.h"

namespace xls {

// Sets of rectangles that follow cell edits: hyperlinks, selections, formula ranges,
// conditional formats, validations and merged cells.

// A rectangle; other classes (merged cells, hyperlinks, ranges) answer the same bounds.
class TCellArea {
public:
    virtual ~TCellArea() = default;
    virtual int GetCol1() const = 0;
    virtual int GetRow1() const = 0;
    virtual int GetCol2() const = 0;
    virtual int GetRow2() const = 0;
    virtual void SetCol1(int value) = 0;
    virtual void SetRow1(int value) = 0;
    virtual void SetCol2(int value) = 0;
    virtual void SetRow2(int value) = 0;

    void SetCell(int col, int row) { SetBounds(col, row, col, row); }
    void SetBounds(int col1, int row1, int col2, int row2);
    TXLSCellArea GetBounds() const { return MakeCellArea(GetCol1(), GetRow1(), GetCol2(), GetRow2()); }
    bool SameBounds(int col1, int row1, int col2, int row2) const;
    // The area lies wholly inside the rectangle.
    bool InsideRect(int col1, int row1, int col2, int row2) const;
    // The point lies strictly inside the area.
    bool HasInside(int col, int row) const;
    int64_t CellCount() const;
    bool Meets(int col1, int row1, int col2, int row2) const;
    std::u16string GetAsText() const;

    // What the owner keeps with the area (the formula engine keeps a sheet's cell store).
    void* Data = nullptr;
};

class TCellAreaImpl : public TCellArea {
public:
    int GetCol1() const override { return Col1_; }
    int GetRow1() const override { return Row1_; }
    int GetCol2() const override { return Col2_; }
    int GetRow2() const override { return Row2_; }
    void SetCol1(int value) override { Col1_ = value; }
    void SetRow1(int value) override { Row1_ = value; }
    void SetCol2(int value) override { Col2_ = value; }
    void SetRow2(int value) override { Row2_ = value; }

private:
    int32_t Col1_ = 0, Row1_ = 0, Col2_ = 0, Row2_ = 0;
};

class TBaseCellAreas {
public:
    TBaseCellAreas() = default;
    virtual ~TBaseCellAreas() = default;
    TBaseCellAreas(const TBaseCellAreas&) = delete;
    TBaseCellAreas& operator=(const TBaseCellAreas&) = delete;

    int Count() const { return static_cast<int>(Items_.size()); }
    TCellArea* GetItems(int index) const;
    TCellArea* Add();
    TCellArea* AddArea(int col1, int row1, int col2, int row2);
    TCellArea* AddCell(int col, int row) { return AddArea(col, row, col, row); }
    TCellArea* AddAreaRec(const TXLSCellArea& area) { return AddArea(area.Col1, area.Row1, area.Col2, area.Row2); }
    // A cell or area text; raises (adding nothing) when it is no reference.
    TCellArea* AddRef(std::u16string_view text);
    std::u16string GetAsText() const;
    // Replaces the list with the areas of the text; raises and keeps the list when any part
    // is no reference.
    void SetAsText(std::u16string_view text);
    int IndexOfArea(int col1, int row1, int col2, int row2) const;
    int IndexOfCell(int col, int row) const;
    bool Intersects(int col1, int row1, int col2, int row2) const;
    int64_t CellCount() const;
    void Assign(const TBaseCellAreas& source);
    void Delete(int index);
    void Clear() { Items_.clear(); }
    // The pieces of area index outside rect.
    int Cut(int index, const TXLSCellArea& rect, std::vector<TXLSCellArea>& pieces) const;

    virtual void Copy(int col1, int row1, int col2, int row2, int dCol, int dRow);
    virtual void Delete(int col1, int row1, int col2, int row2) = 0;
    virtual TCellArea* Intersect(int col1, int row1, int col2, int row2) = 0;
    virtual void Move(int dCol, int dRow) = 0;
    virtual void MoveArea(int col1, int row1, int col2, int row2, int dCol, int dRow) = 0;

    char16_t Separator = u' ';

protected:
    virtual std::unique_ptr<TCellArea> CreateArea() const;
    std::vector<std::unique_ptr<TCellArea>> Items_;
};

// The pieces of a outside r: top and bottom full width, then left and right of the band.
int CutArea(const TXLSCellArea& a, const TXLSCellArea& r, std::vector<TXLSCellArea>& pieces);
// An area moved off the grid: false when it lies wholly outside, else clamped into it.
bool ClampToGrid(TXLSCellArea& area);

// Areas that may be cut and split freely.
class TCellAreas : public TBaseCellAreas {
public:
    TCellArea* Last() const { return Items_.empty() ? nullptr : Items_.back().get(); }
    void Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) override;
    void Delete(int col1, int row1, int col2, int row2) override;
    TCellArea* Intersect(int col1, int row1, int col2, int row2) override;
    void Move(int dCol, int dRow) override;
    void MoveArea(int col1, int row1, int col2, int row2, int dCol, int dRow) override;

protected:
    // The grid the moved areas are kept in; a format with a smaller grid clips to its own.
    virtual bool ClipToGrid(TXLSCellArea& area) const { return ClampToGrid(area); }

private:
    // Grows an area that contains or continues t; false when none does.
    bool Absorb(const TXLSCellArea& t);
    void Place(const TXLSCellArea& t);
};

// Areas (merged cells) that may only be moved, removed or merged whole.
class TSolidCellAreas : public TBaseCellAreas {
public:
    void Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) override;
    // Raises "Can not change part of a merged cell", changing nothing, when a cut would split
    // an area in two or more.
    void Delete(int col1, int row1, int col2, int row2) override;
    TCellArea* Intersect(int col1, int row1, int col2, int row2) override;
    void Move(int dCol, int dRow) override;
    void MoveArea(int col1, int row1, int col2, int row2, int dCol, int dRow) override;
    bool CopyRefused() const { return CopyRefused_; }

private:
    bool CopyRefused_ = false;
};

struct TCellRef {
    uint32_t Col = 0;
    uint32_t Row = 0;
    void Clear() { Col = Row = 0; }
    std::u16string GetAsText() const;
    bool SetAsText(std::u16string_view text);
};

class TCellRefs {
public:
    int Count() const { return static_cast<int>(Items_.size()); }
    TCellRef& GetItems(int index);
    // Raises when the text is no cell reference.
    TCellRef& Add(std::u16string_view text);

private:
    std::vector<TCellRef> Items_;
};

// An object that follows cell edits (conditional formats, validations).
class TXLSMoveCopyItem {
public:
    virtual ~TXLSMoveCopyItem() = default;
    virtual bool Intersects(int col1, int row1, int col2, int row2) const = 0;
    virtual void Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) = 0;
    virtual void Delete(int col1, int row1, int col2, int row2) = 0;
    virtual void Intersect(int col1, int row1, int col2, int row2) = 0;
    virtual void Move(int dCol, int dRow) = 0;
    virtual void MoveArea(int col1, int row1, int col2, int row2, int dCol, int dRow) = 0;
    virtual void Assign(const TXLSMoveCopyItem& source) = 0;
};

class TXLSMoveCopyList {
public:
    virtual ~TXLSMoveCopyList() = default;
    int Count() const { return static_cast<int>(Items_.size()); }
    TXLSMoveCopyItem* GetItems(int index) const;
    virtual TXLSMoveCopyItem* AddNew() = 0;
    void DeleteArea(int col1, int row1, int col2, int row2);

protected:
    std::vector<std::unique_ptr<TXLSMoveCopyItem>> Items_;
};

}  // namespace xls
