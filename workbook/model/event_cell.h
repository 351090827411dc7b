#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xls {

class TXc12XF;

// The one cell of direct reading and writing: the readers fill it and fire the read event per
// cell; on writing, the write event fills it for each position the root steps to.
class TXLSEventCell {
public:
    TXLSEventCell(int firstCol = 0, int firstRow = 0, int lastCol = 255, int lastRow = 65535);

    // Column before the first, first row, previous position -1, value cleared.
    void Reset();
    void ClearValue();
    bool HasCell() const { return Valid != 0 && Stop == 0; }

    // The formula types (6 to 9) when a formula was set first, else 2 to 5.
    void SetAsBoolean(bool value);
    void SetAsError(uint8_t value);
    void SetAsFloat(double value);
    void SetAsString(std::u16string_view value);
    void SetFormula(std::u16string_view text);
    void SetCol(int32_t value) { Col = value; }
    void SetRow(int32_t value) { Row = value; }
    // An "A1" text; false (position unchanged) when it is no cell reference.
    bool SetRef(std::u16string_view text);

    uint8_t GetCellType() const { return CellType; }
    bool GetAsBoolean() const { return AsBoolean != 0; }
    uint8_t GetAsError() const { return AsError; }
    double GetAsFloat() const { return AsFloat; }
    const std::u16string& GetAsString() const { return AsString; }
    const std::u16string& GetFormula() const { return Formula; }

    // The sheet the direct road applies to; the readers set them.
    int32_t SheetIndex = 0;
    std::u16string SheetName;
    int32_t PrevCol = -1;
    int32_t PrevRow = -1;
    uint8_t Valid = 0;
    uint8_t Stop = 0;
    int32_t Col = -1;
    int32_t Row = 0;
    int32_t FirstRow;
    int32_t LastRow;
    int32_t FirstCol;
    int32_t LastCol;
    uint8_t CellType = 0;
    uint8_t HasFormula = 0;
    uint8_t AsBoolean = 0;
    uint8_t AsError = 0;
    double AsFloat = 0;
    std::u16string AsString;
    std::u16string Formula;
    const TXc12XF* Format = nullptr;

private:
    void SetType(uint8_t plain, uint8_t withFormula) { CellType = HasFormula ? withFormula : plain; }
};

}  // namespace xls
