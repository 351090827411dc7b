#pragma once

#include <cstdint>

#include "workbook/model/cell_areas.h"
#include "workbook/model/sheet_views.h"

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

// The page breaks of one direction; a break added here is a manual one.
class TXLSPagebreaks {
public:
    explicit TXLSPagebreaks(TXc12PageBreaks& breaks) : Breaks_(breaks) {}
    int Count() const { return Breaks_.Count(); }
    TXc12Break* GetItems(int index) const { return Breaks_.GetItems(index); }
    TXc12Break* Add(int id) {
        TXc12Break* added = Breaks_.Add();
        added->id = id;
        added->man = 1;
        return added;
    }

private:
    TXc12PageBreaks& Breaks_;
};

// The page setup of a sheet with its row and column breaks.
class TXLSPrintSettings {
public:
    TXLSPrintSettings(TXc12PageSetup& setup, TXc12PageBreaks& rowBreaks, TXc12PageBreaks& colBreaks)
        : HorizPagebreaks(rowBreaks), VertPagebreaks(colBreaks), Setup_(setup) {}
    uint8_t GetPaperSize() const { return static_cast<uint8_t>(Setup_.paperSize & 0xFF); }
    void SetPaperSize(uint8_t value) { Setup_.paperSize = value & 0x7F; }

    TXLSPagebreaks HorizPagebreaks;
    TXLSPagebreaks VertPagebreaks;

private:
    TXc12PageSetup& Setup_;
};

}  // namespace xls
