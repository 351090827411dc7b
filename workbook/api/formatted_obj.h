#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "workbook/model/cell_store.h"
#include "workbook/model/style_sheet.h"
#include "workbook/model/worksheet_items.h"

namespace xls {

// Column width (1/256 character) of a column without record.
constexpr int XLSDefaultColWidth = 2340;

// Something that carries a cell format: every setter edits the current XF through the style
// sheet's XF editor and stores the shared result back into the target (ApplyXF).
class TXLSFormattedObj {
public:
    explicit TXLSFormattedObj(TXc12DataStyleSheet& styleSheet) : StyleSheet_(styleSheet) {}
    virtual ~TXLSFormattedObj() = default;
    TXLSFormattedObj(const TXLSFormattedObj&) = delete;
    TXLSFormattedObj& operator=(const TXLSFormattedObj&) = delete;

    void SetBorderBottomColor(uint32_t rgb);
    void SetBorderBottomStyle(TXc12CellBorderStyle style);
    void SetBorderLeftColor(uint32_t rgb);
    void SetBorderLeftStyle(TXc12CellBorderStyle style);
    void SetBorderRightColor(uint32_t rgb);
    void SetBorderRightStyle(TXc12CellBorderStyle style);
    void SetBorderTopColor(uint32_t rgb);
    void SetBorderTopStyle(TXc12CellBorderStyle style);
    void SetFillColor(uint32_t rgb);
    void SetFontName(std::u16string_view name);
    void SetFontSize(double size);
    void SetFontStyle(TXc12FontStyles style);
    void SetHorizAlignment(uint8_t value);
    void SetVertAlignment(uint8_t value);

    // One edit of the current XF: BeginEdit, the change, EndEdit, ApplyXF.
    void Edit(const std::function<void(TXc12XFEditor&)>& change);
    TXc12XF* GetXF() const { return XF_; }
    // Makes xf the current format and stores it into the target.
    void AssignXF(TXc12XF* xf);

protected:
    // Stores the current XF into the target.
    virtual void ApplyXF() = 0;
    TXc12DataStyleSheet& StyleSheet_;
    TXc12XF* XF_ = nullptr;
};

// The cursor over a cell of the cell store.
class TXLSCell : public TXLSFormattedObj {
public:
    TXLSCell(TXc12DataStyleSheet& styleSheet, TXLSCellMMU& cells) : TXLSFormattedObj(styleSheet), Cells_(cells) {}

    // The cursor moved to the cell, or nullptr (current XF nullptr) when no cell is stored there.
    TXLSCell* Locate(int col, int row);
    int Col() const { return Col_; }
    int Row() const { return Row_; }
    // The located cell as stored now (its bytes move when the store is written).
    TXLSMMUCell Cell() const;

protected:
    void ApplyXF() override;

private:
    TXLSCellMMU& Cells_;
    int Col_ = 0;
    int Row_ = 0;
    bool Located_ = false;
};

// A formatting cursor over a cell position, stored cell or not: without a cell its format is
// the one a new cell there gets (defaultXF), and the first format set on it stores a blank
// cell with the result.
class TXLSFormattedCell : public TXLSFormattedObj {
public:
    TXLSFormattedCell(TXc12DataStyleSheet& styleSheet, TXLSCellMMU& cells, std::function<int(int, int)> defaultXF)
        : TXLSFormattedObj(styleSheet), Cells_(cells), DefaultXF_(std::move(defaultXF)) {}

    TXLSFormattedCell& Locate(int col, int row);
    int Col() const { return Col_; }
    int Row() const { return Row_; }

protected:
    void ApplyXF() override;

private:
    TXLSCellMMU& Cells_;
    std::function<int(int, int)> DefaultXF_;
    int Col_ = 0;
    int Row_ = 0;
};

// The cursor over a row header of the cell store.
class TXLSRow : public TXLSFormattedObj {
public:
    TXLSRow(TXc12DataStyleSheet& styleSheet, TXLSCellMMU& cells) : TXLSFormattedObj(styleSheet), Cells_(cells) {}

    void Locate(int row);
    int Row() const { return Row_; }
    // The row's height in twips (the default without header).
    int GetHeight() const;
    void SetHeight(int height);
    TXLSMMURowHeader* Header() const { return Header_; }

protected:
    // Only the header's format changes: height, options and outline level stay.
    void ApplyXF() override;

private:
    TXLSCellMMU& Cells_;
    int Row_ = 0;
    TXLSMMURowHeader* Header_ = nullptr;
};

class TXLSRows {
public:
    TXLSRows(TXc12DataStyleSheet& styleSheet, TXLSCellMMU& cells) : Row_(styleSheet, cells) {}
    TXLSRow& GetItems(int row) {
        Row_.Locate(row);
        return Row_;
    }
    void Clear() {}

private:
    TXLSRow Row_;
};

class TXLSColumns;

// The cursor over the column record that holds a column.
class TXLSColumn : public TXLSFormattedObj {
public:
    TXLSColumn(TXLSColumns& owner, TXc12DataStyleSheet& styleSheet);

    void Locate(int col);
    int Col() const { return Col_; }
    TXc12Column* Record() const { return Record_; }
    // Width in 1/256 of a character.
    void SetWidth(int width);
    int GetWidth() const;

protected:
    void ApplyXF() override;

private:
    // Gives this column a record of its own, copied from the one that holds it with it.
    void SplitOff();
    void Changed();

    TXLSColumns& Owner_;
    int Col_ = 0;
    TXc12Column* Record_ = nullptr;
};

// The column records of a sheet, sorted by first column and never overlapping. Every record
// holds one use of its XF.
class TXLSColumns {
public:
    TXLSColumns(TXc12Columns& records, TXc12DataStyleSheet& styleSheet);

    TXLSColumn& GetItems(int col) {
        Column_.Locate(col);
        return Column_;
    }
    // Index of the record that holds col; -1 when none.
    int FindIndex(int col) const;
    void Sort();
    // Joins neighbours with equal attributes.
    void Merge();
    // Deletes every record, giving back its XF use.
    void Clear();
    TXc12Columns& Records() { return Records_; }
    TXc12DataStyleSheet& StyleSheet() { return StyleSheet_; }
    // Called with the first and last column of a changed record.
    std::function<void(int col1, int col2)> OnChange;

private:
    TXc12Columns& Records_;
    TXc12DataStyleSheet& StyleSheet_;
    TXLSColumn Column_;
};

}  // namespace xls
