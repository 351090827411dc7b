#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/byte_reader.h"
#include "base/stream.h"
#include "workbook/biff/wide_string_list.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

class TBIFF5;
class TRecordStorage;
class TXc12Manager;
class TXc12DataWorksheet;
class TXLSCellMMU;
class TXLSFormulaHelper;

// Reads one .xls workbook (BIFF2 to BIFF8) into the workbook model and the document object:
// the globals, then one substream per BOUNDSHEET entry. Records it does not model are stored
// raw in their substream's record list, in file order, for writing back.
class TXLSReadBIFF {
public:
    explicit TXLSReadBIFF(TBIFF5& document);
    TXLSReadBIFF(const TXLSReadBIFF&) = delete;
    TXLSReadBIFF& operator=(const TXLSReadBIFF&) = delete;

    // Reads source, or the document's named file when source is nil. Any failure is raised as
    // "Error on reading record # n, id Offs: position" followed by its own message.
    void Read(base::TStream* source);

private:
    struct TSharedFormula {
        uint16_t Row1, Row2;
        uint8_t Col1, Col2;
        std::vector<uint8_t> Tokens;
    };

    // --- the record loop (xls_read.cpp) ---
    void ReadRecords();
    void ReadData();
    void Dispatch();
    void ReadBOF();
    void ReadEOF();
    void ReadBoundsheet();
    void ReadFilepass();
    void BeginSubstream();
    // The next record (header and data) into buffer; false when the stream ends first.
    bool ReadNextRecord(uint16_t& id, std::vector<uint8_t>& buffer);
    void ReportProgress();

    std::span<const uint8_t> Data() const { return {Buffer_.data(), DataLength_}; }
    base::TByteReader Reader() const;
    bool Biff8() const { return Version_ == xvExcel97; }
    bool Biff5Plus() const { return Version_ >= xvExcel50; }
    // The worksheet whose substream is being read; raises outside one.
    TXc12DataWorksheet& Worksheet();
    TXLSCellMMU& Cells();
    // Model cell format of a file XF index; an index the file has no XF for gives the default.
    int ModelXF(uint16_t fileXF) const;

    // --- cells and formulas (xls_read_cells.cpp) ---
    // With DirectRead on, set gives the value to the read-cell event instead of the cell store.
    template <class TSet>
    bool Direct(int col, int row, TSet set);
    void ReadBlank();
    void ReadMulBlank();
    void ReadNumber();
    void ReadRK();
    void ReadMulRK();
    void ReadLabel();
    void ReadLabelSST();
    void ReadBoolErr();
    void ReadBiff2Cell();
    void ReadRow();
    void ReadFormula();
    // The cached result of a FORMULA record; reads the STRING record that follows a text result.
    void ReadFormulaResult(TXLSFormulaHelper& helper, std::span<const uint8_t> result);
    const TSharedFormula* ReadSharedFormula(int row, int col, uint16_t anchorRow, uint16_t anchorCol);
    bool ReadArray(int row, int col, int xf, std::span<const uint8_t> result, TXLSFormulaHelper& helper);
    void ResetFormulaState();

    // --- shared strings and styles (xls_read_format.cpp) ---
    void ReadSST();
    void ReadFont();
    void ReadFormat();
    void ReadXF();
    void ReadPalette();
    void ReadStyle();
    // Ends the FONT records: the placeholder font stands at model index 5 whatever their count.
    void PadFonts();

    // --- settings, names and links (xls_read_settings.cpp) ---
    void ReadSetting();
    void ReadWindow1();
    void ReadWindow2();
    void ReadPane();
    void ReadSelection();
    void ReadSetup();
    void ReadColInfo();
    void ReadDimensions();
    void ReadMergedCells();
    void ReadPageBreaks(bool rows);
    void ReadHeaderFooter(bool header);
    void ReadName();
    void ReadWriteAccess();
    void ReadXCT();

    TBIFF5& Document_;
    TXc12Manager& Manager_;
    TXLSStream Stream_;
    TExcelVersion Version_ = xvNone;
    std::vector<uint8_t> Buffer_;
    TBIFFHeader Header_;
    size_t DataLength_ = 0;  // the record's data, with its CONTINUE records where they are joined
    TRecordStorage* Storage_ = nullptr;
    TXLSWideStringList SheetList_;
    int CurrentSheet_ = -1;
    int CurrentSubstream_ = -1;
    bool InWorksheet_ = false;
    bool Keep_ = true;
    bool Done_ = false;
    bool SkippingView_ = false;
    bool FontsPadded_ = false;
    int32_t RecordCount_ = 0;
    int LastPercent_ = -1;

    std::vector<TSharedFormula> SharedFormulas_;
    // Shared formulas by their top-left cell (row << 8 | column), which is where a shared
    // formula's anchor token points.
    std::unordered_map<uint32_t, size_t> SharedByAnchor_;
    std::vector<uint8_t> PendingArray_;
    std::vector<uint8_t> Extra_;  // a record read ahead (SHRFMLA, ARRAY, STRING)
};

}  // namespace xls
