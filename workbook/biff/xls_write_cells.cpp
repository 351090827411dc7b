#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "base/byte_reader.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_write.h"
#include "workbook/formula/formula_decoder.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/document_root.h"
#include "workbook/model/formula_helper.h"

namespace xls {

namespace {

constexpr int LastColumn97 = 255;
constexpr int LastRow97 = 0xFFFF;
constexpr int MaxRun = 256;
constexpr uint8_t PtgExp = 0x01;

uint8_t ErrorCode(uint8_t value, int row, int col) {
    if (value == errUnknown || value > errGettingData)
        throw EBIFFError("Invalid error value in cell " + std::to_string(row) + ":" + std::to_string(col));
    return CellErrorToBIFFError(value);
}

// Only the tokens read from the file are BIFF5 tokens: the compiler makes those of BIFF8.
EBIFFError UncompiledFormula5(int row, int col) {
    return EBIFFError("The formula in cell " + std::to_string(row) + ":" + std::to_string(col) +
                      " was not read from the file: an Excel 5 workbook keeps only the formulas it was read with");
}

}  // namespace

void TXLSWriteBIFF::WriteRows() {
    TXLSCellMMU& cells = *Worksheet_->sheetData;
    const TXLSCellArea area = cells.Dimension();
    const uint16_t lastCol = static_cast<uint16_t>(std::clamp(area.Col2 + 1, 0, LastColumn97 + 1));
    // A row without a height of its own (one that a cell made) has the sheet's default height.
    const double sheetDefault = Worksheet_->sheetFormatPr.defaultRowHeight;
    const auto defaultHeight = static_cast<uint16_t>(
        sheetDefault > 0 && sheetDefault < XLSRowHeightNotGiven ? std::lround(sheetDefault) : XLSDefaultRowHeight);
    cells.BeginIterateRows(-1);
    while (cells.IterateNextRow()) {
        const int row = cells.IterRow();
        const TXLSMMURowHeader* header = cells.IterRowHeader();
        if (!header || row > LastRow97) continue;
        const uint16_t xf = XFIndex(header->XF());
        uint16_t flags = static_cast<uint16_t>((header->OutlineLevel() & 7) | 0x0100);
        if (header->Options() & 0x04) flags |= 0x0010;
        if (header->Options() & 0x01) flags |= 0x0020;
        if (header->Options() & 0x02) flags |= 0x0040;
        if (xf != 15) flags |= 0x0080;
        const uint16_t height = header->Height() == XLSRowHeightNotGiven ? defaultHeight : header->Height();
        BeginRecord(BIFFRECID_ROW)
            .Word(static_cast<uint16_t>(row))
            .Word(0)
            .Word(lastCol)
            .Word(height)
            .Long(0)
            .Word(flags)
            .Word(xf);
        EndRecord();
    }
}

bool TXLSWriteBIFF::AddToRun(bool blank, int col, uint16_t xf, uint32_t rk) {
    if (!Run_.empty() && (blank != RunBlank_ || col != RunFirstCol_ + static_cast<int>(Run_.size()))) return false;
    if (Run_.size() >= MaxRun) throw EBIFFError(blank ? "Mulblank Cache overflow" : "RK Cache overflow");
    if (Run_.empty()) {
        RunBlank_ = blank;
        RunFirstCol_ = col;
    }
    Run_.push_back({xf, rk});
    return true;
}

void TXLSWriteBIFF::FlushRun(int row) {
    if (Run_.empty()) return;
    const bool single = Run_.size() == 1;
    TRecordBytes& data = BeginRecord(single ? (RunBlank_ ? BIFFRECID_BLANK : BIFFRECID_RK)
                                            : (RunBlank_ ? BIFFRECID_MULBLANK : BIFFRECID_MULRK));
    data.Word(static_cast<uint16_t>(row)).Word(static_cast<uint16_t>(RunFirstCol_));
    for (const TRunCell& cell : Run_) {
        data.Word(cell.XF);
        if (!RunBlank_) data.Long(cell.RK);
    }
    if (!single) data.Word(static_cast<uint16_t>(RunFirstCol_ + static_cast<int>(Run_.size()) - 1));
    EndRecord();
    Run_.clear();
    RunFirstCol_ = -1;
}

void TXLSWriteBIFF::WriteCells() {
    TXLSCellMMU& cells = *Worksheet_->sheetData;
    Run_.clear();
    RunFirstCol_ = -1;
    int prevRow = -1;
    cells.BeginIterate(0);
    while (cells.IterateNext()) {
        const int row = cells.IterRow();
        const int col = cells.IterCol();
        if (col > LastColumn97 || row > LastRow97) continue;
        if (row != prevRow) {
            FlushRun(prevRow);
            prevRow = row;
        }
        const uint16_t xf = XFIndex(cells.IterXF());
        const TCellValueType type = cells.IterCellType();
        if (type == xctBlank) {
            if (!AddToRun(true, col, xf, 0)) {
                FlushRun(row);
                AddToRun(true, col, xf, 0);
            }
            continue;
        }
        if (type == xctFloat) {
            const double value = cells.IterFloat();
            if (const auto rk = EncodeRK(value)) {
                if (!AddToRun(false, col, xf, *rk)) {
                    FlushRun(row);
                    AddToRun(false, col, xf, *rk);
                }
                continue;
            }
            FlushRun(row);
            BeginRecord(BIFFRECID_NUMBER)
                .Word(static_cast<uint16_t>(row))
                .Word(static_cast<uint16_t>(col))
                .Word(xf)
                .Double(value);
            EndRecord();
            continue;
        }
        FlushRun(row);
        // The fields every plain value record starts with.
        const auto cellRecord = [&](uint16_t id) -> TRecordBytes& {
            return BeginRecord(id).Word(static_cast<uint16_t>(row)).Word(static_cast<uint16_t>(col)).Word(xf);
        };
        switch (type) {
            case xctBoolean:
                cellRecord(BIFFRECID_BOOLERR).Byte(cells.IterBoolean() ? 1 : 0).Byte(0);
                EndRecord();
                break;
            case xctError:
                cellRecord(BIFFRECID_BOOLERR).Byte(ErrorCode(cells.IterError(), row, col)).Byte(1);
                EndRecord();
                break;
            case xctString:
                if (Biff5_) {
                    // BIFF5 has no shared strings: the text stands in the cell's record.
                    AppendText(cellRecord(BIFFRECID_LABEL),
                               Manager_.SST().GetText(static_cast<int>(cells.IterSSTIndex())), true);
                } else {
                    cellRecord(BIFFRECID_LABELSST).Long(static_cast<uint32_t>(cells.IterSSTIndex()));
                }
                EndRecord();
                break;
            case xctFloatFormula:
            case xctStringFormula:
            case xctBooleanFormula:
            case xctErrorFormula: WriteFormula(row, col, xf, type); break;
            default: break;
        }
    }
    FlushRun(prevRow);
}

void TXLSWriteBIFF::WriteFormula(int row, int col, uint16_t xf, uint8_t cellType) {
    TXLSCellMMU& cells = *Worksheet_->sheetData;
    const TXLSMMUCell& cell = cells.IterCell();
    const uint8_t kind = cells.IterFormulaKind() & 0x1F;  // without the range and table flags
    if (kind == xfkTableAnchor || kind == xfkTableMember) return;

    TRecordBytes result;
    std::u16string text;
    switch (cellType) {
        case xctFloatFormula: result.Double(TXLSCellMMU::GetFormulaResultFloat(cell)); break;
        case xctStringFormula:
            text = TXLSCellMMU::GetFormulaResultString(cell);
            result.Byte(text.empty() ? 3 : 0).Zeros(5).Word(0xFFFF);
            break;
        case xctBooleanFormula:
            result.Byte(1).Byte(0).Byte(TXLSCellMMU::GetFormulaResultBoolean(cell) ? 1 : 0).Zeros(3).Word(0xFFFF);
            break;
        default:
            result.Byte(2)
                .Byte(0)
                .Byte(ErrorCode(TXLSCellMMU::GetFormulaResultError(cell), row, col))
                .Zeros(3)
                .Word(0xFFFF);
    }

    std::vector<uint8_t> tokens;
    int tokenLength = -1;
    std::vector<uint8_t> arrayTokens;
    const uint8_t* range = nullptr;
    if (kind == xfkArrayMember || kind == xfkAnchorMember || kind == xfkArrayAnchor) {
        int anchorRow = row, anchorCol = col;
        if (kind != xfkArrayAnchor) {
            const uint8_t* ptgs = nullptr;
            const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
            // A member's code holds its anchor: u16 column, int32 row after the internal token.
            if (length < 7) throw EBIFFError("Invalid stored formula");
            anchorCol = base::LoadLE16(ptgs + 1);
            anchorRow = static_cast<int32_t>(base::LoadLE32(ptgs + 3));
        } else {
            const uint8_t* ptgs = nullptr;
            const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
            if (length < 1 || ptgs[0] == 0xFE) throw EBIFFError("TODO Array consts 97");
            if (ptgs[0] != 0xFF) throw EBIFFError("Array formula is not held as BIFF8 tokens");
            arrayTokens.assign(ptgs + 1, ptgs + length);
            range = TXLSCellMMU::GetFormulaRange(cell);
            if (!range) throw EBIFFError("Array formula without its range");
        }
        tokens = TRecordBytes()
                     .Byte(PtgExp)
                     .Word(static_cast<uint16_t>(anchorRow))
                     .Word(static_cast<uint16_t>(anchorCol))
                     .Bytes;
    } else if (TXLSCellMMU::IsFormulaCompiled(cell)) {
        const uint8_t* ptgs = nullptr;
        const int length = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
        if (length >= 1 && ptgs[0] == 0xFF) {
            tokens.assign(ptgs + 1, ptgs + length);
        } else if (length >= 3 && ptgs[0] == 0xFE) {
            // Tokens followed by their extra data; the record counts the tokens only.
            const int extra = base::LoadLE16(ptgs + 1);
            if (extra > length - 3) throw EBIFFError("Invalid stored formula");
            tokens.assign(ptgs + 3, ptgs + length);
            tokenLength = length - 3 - extra;
        } else if (Biff5_) {
            throw UncompiledFormula5(row, col);
        } else {
            // The model's own token code: back to text, then compiled with this workbook's sheets
            // and names.
            const std::u16string text =
                DecodeFormulaToText(Manager_, CurrentSheet_, {ptgs, static_cast<size_t>(length)});
            tokens = Document_.CompileFormula(text);
            tokens.erase(tokens.begin());
        }
    } else if (Biff5_) {
        throw UncompiledFormula5(row, col);
    } else {
        // A formula kept as text is compiled now, with this workbook's sheets and names.
        std::u16string formula;
        TXLSCellMMU::GetFormulaText(cell, formula);
        tokens = Document_.CompileFormula(formula);
        tokens.erase(tokens.begin());
    }

    if (tokenLength < 0) tokenLength = static_cast<int>(tokens.size());
    if (tokens.size() > 0xFFFF) throw EBIFFError("Formula too long");
    TRecordBytes data;
    data.Word(static_cast<uint16_t>(row)).Word(static_cast<uint16_t>(col)).Word(xf);
    data.Append(result.Bytes.data(), result.Bytes.size());
    data.Word(Manager_.Workbook().calcPr.fullCalcOnLoad ? 0x0002 : 0).Long(0);
    data.Word(static_cast<uint16_t>(tokenLength)).Append(tokens.data(), tokens.size());
    WriteRecordData(BIFFRECID_FORMULA, data);
    if (range) {
        TRecordBytes array;
        array.Word(static_cast<uint16_t>(base::LoadLE32(range + 2)))
            .Word(static_cast<uint16_t>(base::LoadLE32(range + 8)))
            .Byte(static_cast<uint8_t>(base::LoadLE16(range)))
            .Byte(static_cast<uint8_t>(base::LoadLE16(range + 6)))
            .Word(0)
            .Long(0)
            .Word(static_cast<uint16_t>(arrayTokens.size()))
            .Append(arrayTokens.data(), arrayTokens.size());
        WriteRecordData(BIFFRECID_ARRAY, array);
    }
    if (cellType == xctStringFormula) WriteStringRecord(text);
}

void TXLSWriteBIFF::WriteStringRecord(const std::u16string& text) {
    if (text.empty()) return;
    TRecordBytes data;
    AppendText(data, text, true);
    Stream_.WriteRecord(BIFFRECID_STRING, data.Bytes.data(), static_cast<int64_t>(data.Bytes.size()));
}

}  // namespace xls
