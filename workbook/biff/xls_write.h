#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/stream.h"
#include "workbook/biff/record_defaults.h"
#include "workbook/biff/xls_stream.h"
#include "workbook/model/color.h"

namespace xls {

class TBIFF5;
class TSheet;
class TXc12DataWorksheet;
class TXc12Manager;
class TXc12Font;
class TXc12XF;
class TXc12DefinedName;

// One BOUNDSHEET entry: where the sheet's substream starts is patched in when it is written.
struct TBoundsheetData {
    uint8_t Type = 0;  // 0 worksheet, 1 chart sheet, 2 and 3 the other sheet kinds
    int32_t Index = 0;
    int64_t Position = -1;  // stream position of the entry's lbPlyPos field
    std::u16string Name;
    uint8_t Hidden = 0;

    void PatchPosition(TXLSStream& stream) const;
    bool IsChartSheet() const { return Type == 1; }
};

// The RK form of a double that decodes to exactly the same bits; none when there is none.
std::optional<uint32_t> EncodeRK(double value);
// Palette index of a colour record: an indexed colour with tint 0 is its own index, any other
// colour the nearest entry 8..63 of the current palette.
int ColorToPaletteIndex(const TXc12Color& color);

// Writes the workbook model and the document object as a BIFF8 workbook stream in a compound
// file: the globals and every sheet substream, driven by their stored record lists. A document
// read from a BIFF5 file is written as a BIFF5 "Book" stream: its 8-bit texts in the workbook's
// code page, its string cells as LABEL records, its formulas and names with the tokens read.
class TXLSWriteBIFF {
public:
    explicit TXLSWriteBIFF(TBIFF5& document);

    // Into the target stream, or the document's file when target is nil.
    void Write(base::TStream* target);

    // Model XF index to file XF index: index - 1, and 15 for 0.
    static uint16_t XFIndex(int modelXF) { return modelXF == 0 ? 15 : static_cast<uint16_t>(modelXF - 1); }
    // File font index of a model font (computed when the fonts are written).
    uint16_t FontIndex(const TXc12Font* font) const;

private:
    // --- records ---
    void WriteWordRecord(uint16_t id, uint16_t value) { Stream_.WriteWordRecord(id, value); }
    void WriteBoolRecord(uint16_t id, bool flag) { WriteWordRecord(id, flag ? 1 : 0); }
    void WriteEmptyRecord(uint16_t id) { Stream_.WriteHeader(id, 0); }
    // A record that must fit in one record (the format has no continuation for it).
    void WriteRecordData(uint16_t id, const std::vector<uint8_t>& data);
    void WriteRecordData(uint16_t id, const TRecordBytes& data) { WriteRecordData(id, data.Bytes); }
    // The record of the cell loops, built in one reused buffer after a header whose length
    // EndRecord fills in, and written in one piece: no allocation and one write a record.
    TRecordBytes& BeginRecord(uint16_t id);
    void EndRecord();

    // --- globals ---
    void BuildSheetEntries();
    void WriteGlobalRecord(const std::vector<uint8_t>& record);
    void WriteBOF(const std::vector<uint8_t>& record);
    // The workbook goes out encrypted with the document's password (BIFF8 only).
    bool Encrypting() const;
    // The records the BIFF5 road writes its own way; false for the others.
    bool WriteGlobalRecord5(const std::vector<uint8_t>& record);
    bool WriteSheetRecord5(const std::vector<uint8_t>& record);
    void WriteWindow1();
    void WriteWriteAccess();
    void WriteTabId();
    void WriteBoundsheets();

    // --- formatting ---
    void WriteFormatting();
    void PrepareFonts();
    void WriteFonts();
    void WriteFormats();
    void WriteXFs();
    void WriteStyles();
    void WritePalette();

    // --- the BIFF5 road (xls_write_biff5.cpp) ---
    bool Biff5() const { return Biff5_; }
    // The 8-bit code page of the BIFF5 texts: the workbook's CODEPAGE when it is one, else 1252.
    void ChooseCodePage();
    // Text in the code page; a character the code page lacks raises (one below 256 that it lacks
    // is written as that byte: a file read gives such characters for the bytes it held).
    std::string Narrow(std::u16string_view text) const;
    // The text with its count as the version writes short strings: BIFF8 flag byte and UTF-16,
    // BIFF5 code-page bytes; the count is 8-bit unless wide.
    void AppendText(TRecordBytes& data, std::u16string_view text, bool wide = false) const;
    void WriteBOF5(uint16_t type);
    void WriteWriteAccess5();
    void WriteNames5();
    // A name's tokens as BIFF5 holds them: those read from the file as they stand, constants
    // as they are; anything else raises.
    std::vector<uint8_t> NameTokens5(const TXc12DefinedName& name);

    // --- shared strings and names ---
    void WriteSST();
    void WriteNames();
    // The BIFF8 tokens of a name; a constant or a formula is compiled with this workbook's
    // sheets and names.
    std::vector<uint8_t> NameTokens(const TXc12DefinedName& name);
    void WriteInternalSupBook();
    void WriteInternalExternSheet();
    // The place of each model sheet in the file's sheet list, chart sheets included.
    std::vector<int> TabOfSheet() const;

    // --- chart sheets (xls_write_chart_sheets.cpp) ---
    // Lists / writes the chart sheets not listed / written yet whose tab position is at most
    // lastTab, in their collection's order.
    void ListChartSheets(int lastTab);
    void WriteChartSheets(int lastTab);
    // The entry of a sheet (chart false: its index in the sheets) or of a chart sheet.
    const TBoundsheetData& FindEntry(bool chart, int index) const;

    // --- sheets ---
    void WriteSheet(int index);
    void WriteSheetRecord(const std::vector<uint8_t>& record);
    void WriteSheetPassword();
    void WriteDefColWidth();
    void WriteGuts();
    void WriteWsBool();
    void WriteSetup();
    void WriteDimensions();
    void WriteDefaultRowHeight();
    void WriteWindow2();
    void WritePageBreaks();
    void WriteHeaderFooter();
    void WriteMargins();
    void WriteColInfo();
    void WriteTrailing();
    void WritePane();
    void WriteSelections();
    void WriteMergedCells();
    void WriteHyperlinks();
    void WriteValidations();
    void WriteSheetProtection();

    // --- cells ---
    void WriteCells();
    void WriteRows();
    void WriteFormula(int row, int col, uint16_t xf, uint8_t cellType);
    void WriteStringRecord(const std::u16string& text);
    // Runs of adjacent blanks and RK numbers of the current row, kept as one run in column order.
    bool AddToRun(bool blank, int col, uint16_t xf, uint32_t rk);
    void FlushRun(int row);

    TBIFF5& Document_;
    TXc12Manager& Manager_;
    TXLSStream Stream_;
    std::vector<TBoundsheetData> SheetEntries_;
    std::vector<bool> ChartsListed_;
    std::vector<bool> ChartsWritten_;
    TSheet* Sheet_ = nullptr;
    TXc12DataWorksheet* Worksheet_ = nullptr;
    int CurrentSheet_ = -1;
    bool Biff5_ = false;
    int CodePage_ = 1252;
    bool NamesWritten_ = false;
    bool ExternalWritten_ = false;
    // Font file indexes by model font index; the model fonts written, in file order.
    std::vector<uint16_t> FontFileIndex_;
    std::vector<const TXc12Font*> FontsWritten_;

    struct TRunCell {
        uint16_t XF;
        uint32_t RK;
    };
    bool RunBlank_ = false;
    int RunFirstCol_ = -1;
    std::vector<TRunCell> Run_;
    TRecordBytes Record_;
};

}  // namespace xls
