#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/byte_reader.h"
#include "base/stream.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/wide_string_list.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

class TBIFF5;
class TRecordStorage;
class TXc12Manager;
class TXc12DataWorksheet;
class TXc12Font;
class TXc12NumberFormat;
class TXc12XF;
class TXLSCellMMU;
class TXLSFormulaHelper;

// The width in 1/256 of a character of a column the sheet's default width of characters
// gives, with the padding every column has, at the default font's digit width in pixels.
uint16_t DefaultColumnWidth(int characters, int digitPixels);

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
    // A ROW record kept until the cells of its row come: the store then takes each row whole
    // at the end of its memory, instead of growing rows made beforehand one cell at a time.
    struct TPendingRow {
        uint16_t Row;
        uint16_t XF;  // model XF, which the store keeps in 16 bits too
        uint16_t Height;
        uint8_t OutlineLevel;
        uint8_t Options;
    };

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
    // Adds an entry to the sheet list; a worksheet's entry gets its sheet and worksheet.
    void ListSheet(const std::u16string& name, uint8_t visibility, bool chart);
    void ReadFilepass();
    void BeginSubstream();
    // The next record (header and data) into buffer; false when the stream ends first.
    bool ReadNextRecord(uint16_t& id, std::vector<uint8_t>& buffer);
    void ReportProgress();

    std::span<const uint8_t> Data() const { return {RecordData_, DataLength_}; }
    base::TByteReader Reader() const;
    bool Biff8() const { return Version_ == xvExcel97; }
    bool Biff5Plus() const { return Version_ >= xvExcel50; }
    // A BIFF2 to BIFF4 worksheet file (a plain file whose first BOF is of BIFF5 or later is read
    // with no version, and is not one).
    bool OldBiff() const { return Version_ >= xvExcel21 && Version_ <= xvExcel40; }
    // The worksheet whose substream is being read; raises outside one.
    TXc12DataWorksheet& Worksheet() {
        return CurrentSheet_ == WorksheetOf_ && CurrentSheet_ >= 0 ? *Worksheet_ : FindWorksheet();
    }
    TXc12DataWorksheet& FindWorksheet();
    // The worksheet's cell store, with the ROW records of rows up to row given to it first.
    TXLSCellMMU& Cells(int row);
    // Gives the ROW records read so far to the cell store.
    void ApplyRows();
    // Gives the ROW records, in file order, until one of a row after lastRow.
    void GiveRows(TXLSCellMMU& cells, int lastRow);
    // Model cell format of a file XF index; an index the file has no XF for gives the default.
    int ModelXF(uint16_t fileXF) const;
    // Model cell format of a BIFF2 cell's attribute bytes (at offset 4 of its record).
    int Biff2XF(const base::TByteReader& r);

    // --- records and layouts of BIFF2 to BIFF4 (xls_read_old.cpp) ---
    struct TArrayTokens {
        size_t At;
        uint16_t Length;
    };
    struct TBiff2Column {
        uint16_t Width = 0;  // 1/256 of a character; 0 when no COLWIDTH names the column
        int XF = -1;         // model cell format; -1 when no COLUMNDEFAULT names the column
    };
    // Model cell format of a BIFF2 cell's three attribute bytes: the XF they name, or in a file
    // without XF records, a cell format made from them (one for each different set).
    int Biff2AttrXF(std::span<const uint8_t> attributes);
    // A cell format of BIFF2: font index, number format position, the byte of alignment, borders
    // and shade, protection (bit 0 locked, bit 1 hidden).
    std::unique_ptr<TXc12XF> Biff2Format(int font, int format, uint8_t look, uint8_t protection);
    // The number format of BIFF2-4, which formats select by position.
    TXc12NumberFormat* OldNumberFormat(int position);
    // The cell that a formula's first token names when it is an anchor reference (tExp).
    bool ExpAnchor(std::span<const uint8_t> tokens, uint16_t& row, uint16_t& col) const;
    // The id of the ARRAY record in the file's version, and where its tokens stand.
    uint16_t ArrayRecordId() const;
    TArrayTokens ArrayTokens(const base::TByteReader& array) const;
    // BIFF2 gives column widths (COLWIDTH) and column formats (COLUMNDEFAULT) in records of
    // their own; the sheet's columns are made from both when its substream ends.
    void ReadColWidth();
    void ReadColumnDefault();
    void FlushBiff2Columns();

    // --- drawings (xls_read_drawing.cpp) ---
    // True for the drawing group, a sheet's drawing and its notes when the document has a
    // drawing layer to read them into; their handlers then read the record data themselves.
    bool TakesDrawing(uint16_t id) const {
        return (id == BIFFRECID_MSODRAWINGGROUP || id == BIFFRECID_MSODRAWING || id == BIFFRECID_NOTE) &&
               DrawingLayerTakes(id);
    }
    bool DrawingLayerTakes(uint16_t id) const;
    void ReadDrawing();
    // Every sheet drawing read refers to its pictures by their place in the group as kept.
    void FinishDrawings();
    // True at a chart sheet's BOF that the document's chart sheets read: a BIFF8 substream
    // that its BOUNDSHEET entry names.
    bool TakesChartSheet() const;
    void ReadChartSheet();

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
    // The 8-bit characters of a text of BIFF2 to BIFF5, count as the record gives it: a count
    // longer than the characters there are gives those there are, with a warning naming the
    // cell, as other readers cut such texts short.
    std::u16string OldText(std::span<const uint8_t> chars, size_t count, int col, int row);
    void StoreNumber(int col, int row, int xf, double value);
    void StoreText(int col, int row, int xf, const std::u16string& text);
    void StoreBoolErr(int col, int row, int xf, uint8_t value, bool error);
    void ReadRow();
    void ReadBiff2Row();
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
    void ReadBiff8XF();
    void ReadBiff5XF();
    // XF records of BIFF2, BIFF3 and BIFF4.
    void ReadOldXF();
    // Registers the number formats of BIFF2-4, which XFs select by position, once.
    void RegisterOldFormats();
    void AddXF(std::unique_ptr<TXc12XF> xf, bool builtIn);
    // The model font an XF's file font index selects; the default font when there is none.
    TXc12Font* XFFont(int fileIndex) const;
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
    void AddColumns(int first, int last, uint16_t width, TXc12XF* style, uint16_t options);
    void ReadDimensions();
    void ReadMergedCells();
    // DVAL and the DV records after it, into the sheet's validations.
    void ReadValidations();
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
    // The record's data, with its CONTINUE records where they are joined: in Buffer_, or where it
    // stands in the stream's bytes, which stay until the stream is closed at the end of Read.
    const uint8_t* RecordData_ = nullptr;
    size_t DataLength_ = 0;
    TRecordStorage* Storage_ = nullptr;
    TXLSWideStringList SheetList_;
    std::vector<int> ChartTabs_;  // places of the chart sheets in SheetList_
    // The globals ended without a sheet list: the substreams that follow are listed as found.
    bool Unlisted_ = false;
    int CurrentSheet_ = -1;
    // The worksheet found last, and the sheet index it was found for (-1: none).
    TXc12DataWorksheet* Worksheet_ = nullptr;
    int WorksheetOf_ = -1;
    int CurrentSubstream_ = -1;
    bool InWorksheet_ = false;
    bool Keep_ = true;
    bool Done_ = false;
    bool SkippingView_ = false;
    bool FontsPadded_ = false;
    bool GroupRead_ = false;
    int DrawingSheet_ = -1;  // the last sheet whose drawing was read
    int32_t RecordCount_ = 0;
    int LastPercent_ = -1;

    std::vector<TPendingRow> PendingRows_;
    size_t RowsApplied_ = 0;  // PendingRows_ given to the store, in file order

    std::vector<TSharedFormula> SharedFormulas_;
    // Shared formulas by their top-left cell (row << 8 | column), which is where a shared
    // formula's anchor token points.
    std::unordered_map<uint32_t, size_t> SharedByAnchor_;
    std::vector<uint8_t> PendingArray_;
    std::vector<uint8_t> Extra_;   // a record read ahead (SHRFMLA, ARRAY, STRING, SST and CONTINUE)
    std::vector<uint8_t> Narrow_;  // one-byte characters of a shared string going to the table

    // BIFF2-4 number formats by position, and the model format id of position 0.
    std::vector<std::u16string> OldFormats_;
    size_t OldFormatCount_ = 0;
    int FormatBase_ = 0;
    bool OldFormatsRegistered_ = false;
    uint16_t Biff2ExtendedXF_ = 0;  // the last IXFE record's XF index
    std::array<TBiff2Column, 256> Biff2Columns_{};
    bool Biff2ColumnsRead_ = false;
    bool Biff2XFsRead_ = false;
    // The cell formats made from BIFF2 cell attributes, by their bytes.
    std::unordered_map<uint32_t, int> Biff2AttributeXFs_;
};

}  // namespace xls
