#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "workbook/model/cell_areas.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/sheet_views.h"
#include "workbook/model/worksheet_items.h"

namespace xls {

// The selected areas of a sheet with the current cell; A1 alone at creation.
class TXLSSelectedAreas : public TCellAreas {
public:
    TXLSSelectedAreas() { SetSingle(0, 0); }
    // Adds the one-cell area at (col, row) and makes it the current cell.
    void SetSingle(int col, int row) {
        AddCell(col, row);
        Col = col;
        Row = row;
    }
    int Col = 0;
    int Row = 0;
};

// One page break, a view of the model's break: the row (horizontal) or column (vertical) a new
// page starts at, and the span of columns or rows it runs over.
class TXLSPagebreak {
public:
    explicit TXLSPagebreak(TXc12Break& model) : Model_(model) {}
    int GetPosition() const { return Model_.id; }
    int GetMin() const { return Model_.min; }
    int GetMax() const { return Model_.max; }
    void SetMin(int value) { Model_.min = value; }
    void SetMax(int value) { Model_.max = value; }
    bool GetManual() const { return Model_.man != 0; }
    TXc12Break& Model() const { return Model_; }

private:
    TXc12Break& Model_;
};

class TXLSHorizPagebreak : public TXLSPagebreak {
public:
    using TXLSPagebreak::TXLSPagebreak;
};

class TXLSVertPagebreak : public TXLSPagebreak {
public:
    using TXLSPagebreak::TXLSPagebreak;
};

// The page breaks of one direction, one item per model break. The list stays in ascending
// order of position with each position once: the .xls page-break records must be so, and a
// repeated break would only print an empty page.
template <class TItem>
class TXLSPagebreakList {
public:
    // A new break runs over 0..spanMax.
    TXLSPagebreakList(TXc12PageBreaks& breaks, int spanMax) : Breaks_(breaks), SpanMax_(spanMax) {}

    int Count() const { return Breaks_.Count(); }
    TItem GetItems(int index) const { return TItem(*Breaks_.GetItems(index)); }
    // The index of the break at position, -1 when there is none.
    int IndexOf(int position) const {
        const int index = LowerBound(position);
        return index < Count() && Breaks_.GetItems(index)->id == position ? index : -1;
    }
    // The manual break at position: a new one over the whole span, or the one already there.
    TItem Add(int position) {
        const int index = LowerBound(position);
        TXc12Break* item = index < Count() && Breaks_.GetItems(index)->id == position ? Breaks_.GetItems(index)
                                                                                      : Insert(index, position);
        item->man = 1;
        return TItem(*item);
    }
    void Delete(int index) { Breaks_.Delete(index); }
    void Clear() { Breaks_.Clear(); }

private:
    // The first index whose break is not before position (breaks read from a file are taken
    // in their order).
    int LowerBound(int position) const {
        int index = 0;
        while (index < Count() && Breaks_.GetItems(index)->id < position) ++index;
        return index;
    }
    TXc12Break* Insert(int index, int position) {
        auto created = std::make_unique<TXc12Break>();
        created->id = position;
        created->max = SpanMax_;
        return Breaks_.Insert(index, std::move(created));
    }

    TXc12PageBreaks& Breaks_;
    int SpanMax_;
};

// Row breaks; a new one runs over the columns of an Excel 97 sheet.
class TXLSHorizPagebreaks : public TXLSPagebreakList<TXLSHorizPagebreak> {
public:
    explicit TXLSHorizPagebreaks(TXc12PageBreaks& breaks) : TXLSPagebreakList(breaks, XLSMaxCol97) {}
};

// Column breaks; a new one runs over the rows of an Excel 97 sheet.
class TXLSVertPagebreaks : public TXLSPagebreakList<TXLSVertPagebreak> {
public:
    explicit TXLSVertPagebreaks(TXc12PageBreaks& breaks) : TXLSPagebreakList(breaks, XLSMaxRow97) {}
};

// The header and footer of a sheet's printed pages, the model's texts. The odd-page pair is the
// one every page shows unless even or first pages are given their own.
class TXLSHeaderFooter {
public:
    explicit TXLSHeaderFooter(TXc12HeaderFooter& model) : Model_(model) {}
    const std::u16string& GetHeader() const { return Model_.oddHeader; }
    const std::u16string& GetFooter() const { return Model_.oddFooter; }
    void SetHeader(std::u16string_view text) { Model_.oddHeader = text; }
    void SetFooter(std::u16string_view text) { Model_.oddFooter = text; }
    TXc12HeaderFooter& Model() const { return Model_; }

private:
    TXc12HeaderFooter& Model_;
};

// The page setup of a sheet with its header and footer and its row and column breaks.
class TXLSPrintSettings {
public:
    TXLSPrintSettings(TXc12PageSetup& setup, TXc12HeaderFooter& headerFooter, TXc12PageBreaks& rowBreaks,
                      TXc12PageBreaks& colBreaks)
        : HeaderFooter(headerFooter), HorizPagebreaks(rowBreaks), VertPagebreaks(colBreaks), Setup_(setup) {}
    uint8_t GetPaperSize() const { return static_cast<uint8_t>(Setup_.paperSize & 0xFF); }
    void SetPaperSize(uint8_t value) { Setup_.paperSize = value & 0x7F; }

    TXLSHeaderFooter HeaderFooter;
    TXLSHorizPagebreaks HorizPagebreaks;
    TXLSVertPagebreaks VertPagebreaks;

private:
    TXc12PageSetup& Setup_;
};

// The pane of the sheet's view: rows and columns split off or frozen. Whatever is set here
// marks the pane present, which is what makes the .xls writer store it.
class TXLSPane {
public:
    explicit TXLSPane(TXc12Pane& model) : Model_(model) {}
    double GetXSplit() const { return Model_.xSplit; }
    double GetYSplit() const { return Model_.ySplit; }
    // The first cell shown in the bottom-right part.
    int GetLeftCol() const { return Model_.topLeftCell.Col1; }
    int GetTopRow() const { return Model_.topLeftCell.Row1; }
    uint8_t GetActivePane() const { return Model_.activePane; }
    // 0 split, 1 frozen, 2 frozen after a split.
    uint8_t GetState() const { return Model_.state; }
    bool GetPresent() const { return Model_.Present != 0; }
    void SetSplit(double x, double y) {
        Model_.xSplit = x;
        Model_.ySplit = y;
        Model_.Present = 1;
    }
    void SetTopLeft(int col, int row) {
        Model_.topLeftCell = MakeCellArea(col, row, col, row);
        Model_.Present = 1;
    }
    void SetActivePane(uint8_t value) {
        Model_.activePane = value;
        Model_.Present = 1;
    }
    void SetState(uint8_t value) {
        Model_.state = value;
        Model_.Present = 1;
    }
    TXc12Pane& Model() const { return Model_; }

private:
    TXc12Pane& Model_;
};

// The protection of a sheet, the model's: whether it is on, its password hash and what stays
// allowed while it is (the model's flags).
class TXLSSheetProtection {
public:
    explicit TXLSSheetProtection(TXc12SheetProtection& model) : Model_(model) {}
    bool GetProtected() const { return Model_.sheet != 0; }
    void SetProtected(bool value) { Model_.sheet = value ? 1 : 0; }
    uint16_t GetPassword() const { return Model_.password; }
    void SetPassword(uint16_t hash) { Model_.password = hash; }
    TXc12SheetProtection& Model() const { return Model_; }

private:
    TXc12SheetProtection& Model_;
};

}  // namespace xls
