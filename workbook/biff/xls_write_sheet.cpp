#include <algorithm>
#include <cmath>

#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/biff_validations.h"
#include "workbook/biff/xls_write.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int MaxMergedPerRecord = 1027;
// Within the 2080 bytes of a record before BIFF8.
constexpr int MaxMergedPerRecord5 = 259;
constexpr int MaxSelectionRefs = (MAXRECSZ_97 - 9) / 6;
constexpr int LastColumn97 = 255;
constexpr int LastRow97 = 0xFFFF;

uint16_t Round16(double value) { return static_cast<uint16_t>(std::lround(value)); }

}  // namespace

void TXLSWriteBIFF::WriteSheet(int index) {
    Sheet_ = &Document_.Sheets().GetItems(index);
    if (!Sheet_->StorageFilled) {
        Sheet_->Records().FillFromDefaults();
        Sheet_->StorageFilled = true;
    }
    CurrentSheet_ = index;
    Worksheet_ = Manager_.Worksheets().GetItems(index);
    // The used area as it is now, not as it was last computed.
    Worksheet_->sheetData->CalcDimension();
    FindEntry(false, index).PatchPosition(Stream_);
    const TRecordStorageSheet& records = Sheet_->Records();
    for (int n = 0; n < records.Count(); ++n)
        if (const TRecordBlock* record = records.GetItems(n)) WriteSheetRecord(*record);
}

void TXLSWriteBIFF::WriteSheetRecord(const std::vector<uint8_t>& record) {
    if (Biff5_ && WriteSheetRecord5(record)) return;
    const uint16_t id = RecordId(record);
    const auto& calc = Manager_.Workbook().calcPr;
    const auto& print = Worksheet_->printOptions;
    switch (id) {
        case BIFFRECID_CALCCOUNT: WriteWordRecord(id, static_cast<uint16_t>(calc.iterateCount)); break;
        case BIFFRECID_CALCMODE: WriteWordRecord(id, calc.calcMode == 0 ? 0 : calc.calcMode == 1 ? 1 : 0xFFFF); break;
        case BIFFRECID_REFMODE: WriteBoolRecord(id, calc.refMode == 0); break;
        case BIFFRECID_DELTA: WriteRecordData(id, TRecordBytes().Double(calc.iterateDelta)); break;
        case BIFFRECID_ITERATION: WriteBoolRecord(id, calc.iterate != 0); break;
        case BIFFRECID_PROTECT: break;
        case BIFFRECID_PASSWORD: WriteSheetPassword(); break;
        case BIFFRECID_PRINTHEADERS: WriteBoolRecord(id, print.headings != 0); break;
        case BIFFRECID_PRINTGRIDLINES: WriteBoolRecord(id, print.gridLines != 0); break;
        case BIFFRECID_DEFCOLWIDTH: WriteDefColWidth(); break;
        case BIFFRECID_SAVERECALC: WriteBoolRecord(id, calc.calcOnSave != 0); break;
        case BIFFRECID_GUTS: WriteGuts(); break;
        case BIFFRECID_WSBOOL: WriteWsBool(); break;
        case BIFFRECID_GRIDSET: WriteBoolRecord(id, print.gridLinesSet != 0); break;
        case BIFFRECID_HCENTER: WriteBoolRecord(id, print.horizontalCentered != 0); break;
        case BIFFRECID_VCENTER: WriteBoolRecord(id, print.verticalCentered != 0); break;
        case BIFFRECID_SETUP: WriteSetup(); break;
        case BIFFRECID_DIMENSIONS: WriteDimensions(); break;
        case BIFFRECID_INDEX: break;
        case BIFFRECID_DEFAULTROWHEIGHT: WriteDefaultRowHeight(); break;
        case BIFFRECID_WINDOW2: WriteWindow2(); break;
        case INSERT_PAGEBREAKS: WritePageBreaks(); break;
        case INSERT_HEADERFOOTER: WriteHeaderFooter(); break;
        case INSERT_MARGINS: WriteMargins(); break;
        case INSERT_COLINFO: WriteColInfo(); break;
        case INSERT_CELLS:
            WriteRows();
            WriteCells();
            Sheet_->AfterCellRecords().WriteAll(Stream_);
            break;
        case INSERT_TRAILING: WriteTrailing(); break;
        default: Stream_.WriteRaw(record.data(), static_cast<int64_t>(record.size()));
    }
}

void TXLSWriteBIFF::WriteSheetPassword() {
    const TXc12SheetProtection& protection = Worksheet_->sheetProtection;
    if (protection.password != 0) {
        WriteWordRecord(BIFFRECID_PROTECT, 1);
        WriteBoolRecord(BIFFRECID_SCENPROTECT, protection.scenarios != 0);
        WriteBoolRecord(BIFFRECID_OBJPROTECT, protection.objects != 0);
        WriteWordRecord(BIFFRECID_PASSWORD, protection.password);
    } else {
        WriteWordRecord(BIFFRECID_PROTECT, 0);
        WriteWordRecord(BIFFRECID_PASSWORD, 0);
    }
}

void TXLSWriteBIFF::WriteDefColWidth() {
    if (Worksheet_->sheetFormatPr.baseColWidth > 0)
        WriteWordRecord(BIFFRECID_DEFCOLWIDTH, static_cast<uint16_t>(Worksheet_->sheetFormatPr.baseColWidth));
}

void TXLSWriteBIFF::WriteGuts() {
    int rowLevel = 0;
    TXLSCellMMU& cells = *Worksheet_->sheetData;
    cells.BeginIterateRows(-1);
    while (cells.IterateNextRow())
        if (const TXLSMMURowHeader* header = cells.IterRowHeader())
            rowLevel = std::max<int>(rowLevel, header->OutlineLevel());
    int colLevel = 0;
    for (int i = 0; i < Worksheet_->cols.Count(); ++i)
        colLevel = std::max(colLevel, Worksheet_->cols.GetItems(i)->outlineLevel);
    auto depth = [](int level) { return level > 0 ? std::min(level, 7) + 1 : 0; };
    WriteRecordData(BIFFRECID_GUTS, TRecordBytes()
                                        .Word(0)
                                        .Word(0)
                                        .Word(static_cast<uint16_t>(depth(rowLevel)))
                                        .Word(static_cast<uint16_t>(depth(colLevel))));
}

void TXLSWriteBIFF::WriteWsBool() {
    const TXc12SheetPr& pr = Worksheet_->sheetPr;
    uint16_t flags = 0;
    if (pr.pageSetUpPr.autoPageBreaks) flags |= 0x0001;
    if (pr.outlinePr.applyStyles) flags |= 0x0020;
    if (pr.outlinePr.summaryBelow) flags |= 0x0040;
    if (pr.outlinePr.summaryRight) flags |= 0x0080;
    if (pr.pageSetUpPr.fitToPage) flags |= 0x0100;
    WriteWordRecord(BIFFRECID_WSBOOL, flags);
}

void TXLSWriteBIFF::WriteSetup() {
    const TXc12PageSetup& setup = Worksheet_->pageSetup;
    uint16_t options = 0;
    if (setup.pageOrder == 1) options |= 0x0001;
    if (setup.orientation == 1) options |= 0x0002;
    if (setup.blackAndWhite) options |= 0x0008;
    if (setup.draft) options |= 0x0010;
    if (setup.cellComments == 1) options |= 0x0020;
    if (setup.cellComments == 2) options |= 0x0220;
    options = static_cast<uint16_t>(options | (setup.errors & 3) << 10);
    WriteRecordData(BIFFRECID_SETUP, TRecordBytes()
                                         .Word(static_cast<uint16_t>(setup.paperSize))
                                         .Word(static_cast<uint16_t>(setup.scale))
                                         .Word(static_cast<uint16_t>(setup.firstPageNumber))
                                         .Word(static_cast<uint16_t>(setup.fitToWidth))
                                         .Word(static_cast<uint16_t>(setup.fitToHeight))
                                         .Word(options)
                                         .Word(static_cast<uint16_t>(setup.horizontalDpi))
                                         .Word(static_cast<uint16_t>(setup.verticalDpi))
                                         .Double(Worksheet_->pageMargins.header)
                                         .Double(Worksheet_->pageMargins.footer)
                                         .Word(static_cast<uint16_t>(setup.copies)));
}

void TXLSWriteBIFF::WriteDimensions() {
    // The cells' own area, computed for this write (not one a reader once set).
    TXLSCellArea area = Worksheet_->sheetData->Dimension();
    // A sheet without cells has an empty used area.
    if (!CellAreaAssigned(area)) area = MakeCellArea(0, 0, -1, -1);
    const uint32_t lastRow = area.Row2 > LastRow97 ? 0x10000 : static_cast<uint32_t>(area.Row2 + 1);
    const uint16_t lastCol = area.Col2 > LastColumn97 ? 0x100 : static_cast<uint16_t>(area.Col2 + 1);
    if (Biff5_) {
        // 16-bit rows: the bound after the last row is cut to the last there is.
        WriteRecordData(BIFFRECID_DIMENSIONS, TRecordBytes()
                                                  .Word(static_cast<uint16_t>(area.Row1))
                                                  .Word(static_cast<uint16_t>(std::min<uint32_t>(lastRow, 0xFFFF)))
                                                  .Word(static_cast<uint16_t>(area.Col1))
                                                  .Word(lastCol)
                                                  .Word(0));
        return;
    }
    WriteRecordData(BIFFRECID_DIMENSIONS, TRecordBytes()
                                              .Long(static_cast<uint32_t>(area.Row1))
                                              .Long(lastRow)
                                              .Word(static_cast<uint16_t>(area.Col1))
                                              .Word(lastCol)
                                              .Word(0));
}

void TXLSWriteBIFF::WriteDefaultRowHeight() {
    const TXc12SheetFormatPr& format = Worksheet_->sheetFormatPr;
    if (format.defaultRowHeight > 0)
        WriteRecordData(BIFFRECID_DEFAULTROWHEIGHT,
                        TRecordBytes().Word(format.customHeight & 1).Word(Round16(format.defaultRowHeight)));
    else
        WriteRecordData(BIFFRECID_DEFAULTROWHEIGHT, TRecordBytes().Word(0).Word(255));
}

void TXLSWriteBIFF::WriteWindow2() {
    uint16_t flags = 0x04A0;
    uint32_t colorId = 64;
    uint16_t previewScale = 0, normalScale = 0;
    if (Worksheet_->sheetViews.Count() > 0) {
        const TXc12SheetView& view = *Worksheet_->sheetViews.GetItems(0);
        flags = 0x04A0;
        if (view.showFormulas) flags |= 0x0001;
        if (view.showGridLines) flags |= 0x0002;
        if (view.showRowColHeaders) flags |= 0x0004;
        if (view.showZeros) flags |= 0x0010;
        if (view.defaultGridColor) flags |= 0x0020;
        if (view.rightToLeft) flags |= 0x0040;
        if (view.showOutlineSymbols) flags |= 0x0080;
        if (view.tabSelected) flags |= 0x0200;
        if (view.pane.Present && view.pane.state != 0) flags |= 0x0108;
        colorId = static_cast<uint32_t>(view.colorId);
        previewScale = static_cast<uint16_t>(view.zoomScaleSheetLayoutView);
        normalScale = static_cast<uint16_t>(view.zoomScale);
    }
    if (Worksheet_->customSheetViews.Count() > 0 && Worksheet_->customSheetViews.GetItems(0)->showPageBreaks)
        flags |= 0x0800;
    if (Biff5_) {
        // BIFF5 gives the grid colour as RGB (0: automatic) and has no scales.
        WriteRecordData(BIFFRECID_WINDOW2, TRecordBytes().Word(flags).Word(0).Word(0).Long(0));
        return;
    }
    WriteRecordData(
        BIFFRECID_WINDOW2,
        TRecordBytes().Word(flags).Word(0).Word(0).Long(colorId).Word(previewScale).Word(normalScale).Long(0));
}

void TXLSWriteBIFF::WritePageBreaks() {
    auto write = [this](uint16_t id, const TXc12PageBreaks& breaks) {
        if (breaks.Count() == 0) return;
        TRecordBytes data;
        data.Word(static_cast<uint16_t>(breaks.Count()));
        for (int i = 0; i < breaks.Count(); ++i) {
            const TXc12Break& b = *breaks.GetItems(i);
            data.Word(static_cast<uint16_t>(b.id));
            // BIFF5 breaks run across the whole sheet.
            if (!Biff5_) data.Word(static_cast<uint16_t>(b.min)).Word(static_cast<uint16_t>(b.max));
        }
        WriteRecordData(id, data);
    };
    write(BIFFRECID_HORIZONTALPAGEBREAKS, Worksheet_->rowBreaks);
    write(BIFFRECID_VERTICALPAGEBREAKS, Worksheet_->colBreaks);
}

void TXLSWriteBIFF::WriteHeaderFooter() {
    auto write = [this](uint16_t id, const std::u16string& text) {
        if (text.size() > 255) throw EBIFFError("Header or footer text too long");
        TRecordBytes data;
        // BIFF5 counts its 8-bit characters in a byte.
        if (!text.empty()) AppendText(data, text, !Biff5_);
        WriteRecordData(id, data);
    };
    write(BIFFRECID_HEADER, Worksheet_->headerFooter.oddHeader);
    write(BIFFRECID_FOOTER, Worksheet_->headerFooter.oddFooter);
}

void TXLSWriteBIFF::WriteMargins() {
    const TXc12PageMargins& m = Worksheet_->pageMargins;
    const std::pair<uint16_t, double> margins[] = {{BIFFRECID_LEFTMARGIN, m.left},
                                                   {BIFFRECID_TOPMARGIN, m.top},
                                                   {BIFFRECID_RIGHTMARGIN, m.right},
                                                   {BIFFRECID_BOTTOMMARGIN, m.bottom}};
    for (const auto& [id, value] : margins)
        if (value > 0) WriteRecordData(id, TRecordBytes().Double(value));
}

void TXLSWriteBIFF::WriteColInfo() {
    for (int i = 0; i < Worksheet_->cols.Count(); ++i) {
        const TXc12Column& col = *Worksheet_->cols.GetItems(i);
        if (col.min > LastColumn97) continue;
        uint16_t options = static_cast<uint16_t>((col.outlineLevel & 7) << 8);
        if (col.Flags & 0x01) options |= 0x0001;
        if (col.Flags & 0x04) options |= 0x0002;
        if (col.Flags & 0x10) options |= 0x1000;
        const int xf = col.style ? col.style->Index() : 0;
        // The model holds characters; the record wants 1/256 of a character.
        const double width = std::clamp(col.width * 256.0, 0.0, 65535.0);
        WriteRecordData(BIFFRECID_COLINFO, TRecordBytes()
                                               .Word(static_cast<uint16_t>(std::clamp(col.min, 0, LastColumn97)))
                                               .Word(static_cast<uint16_t>(std::clamp(col.max, 0, LastColumn97)))
                                               .Word(Round16(width))
                                               .Word(XFIndex(xf))
                                               .Word(options)
                                               .Word(0));
    }
}

void TXLSWriteBIFF::WriteTrailing() {
    if (Sheet_->EscherDrawing && Sheet_->EscherDrawing->ShapeCount() > 0) Sheet_->EscherDrawing->SaveToStream(Stream_);
    WritePane();
    WriteSelections();
    WriteMergedCells();
    WriteHyperlinks();
    WriteValidations();
    WriteSheetProtection();
}

void TXLSWriteBIFF::WriteValidations() {
    if (Biff5_) return;
    TDataValidations validations(Document_.FormulaHandler());
    validations.FromModel(*Worksheet_->dataValidations);
    validations.SaveToStream(Stream_);
}

void TXLSWriteBIFF::WritePane() {
    if (Worksheet_->sheetViews.Count() == 0) return;
    const TXc12Pane& pane = Worksheet_->sheetViews.GetItems(0)->pane;
    if (!pane.Present) return;
    const double scale = pane.state == 2 ? 20 : 1;
    WriteRecordData(BIFFRECID_PANE, TRecordBytes()
                                        .Word(Round16(pane.xSplit * scale))
                                        .Word(Round16(pane.ySplit * scale))
                                        .Word(static_cast<uint16_t>(std::max(pane.topLeftCell.Row1, 0)))
                                        .Word(static_cast<uint16_t>(std::max(pane.topLeftCell.Col1, 0)))
                                        .Word(pane.activePane));
}

void TXLSWriteBIFF::WriteSelections() {
    const TXc12Selections* selections =
        Worksheet_->sheetViews.Count() > 0 ? &Worksheet_->sheetViews.GetItems(0)->selection : nullptr;
    if (!selections || selections->Count() == 0) {
        WriteRecordData(BIFFRECID_SELECTION, TRecordBytes().Byte(3).Word(0).Word(0).Word(0).Word(1).Zeros(4).Word(0));
        return;
    }
    for (int i = 0; i < selections->Count(); ++i) {
        const TXc12Selection& sel = *selections->GetItems(i);
        const int count = sel.sqref.Count();
        // SELECTION has no continuation.
        if (count > MaxSelectionRefs) throw EBIFFError("Too many selected areas (" + std::to_string(count) + ")");
        TRecordBytes data;
        data.Byte(sel.pane)
            .Word(static_cast<uint16_t>(std::max(sel.activeCell.Row1, 0)))
            .Word(static_cast<uint16_t>(std::max(sel.activeCell.Col1, 0)))
            .Word(static_cast<uint16_t>(sel.activeCellId))
            .Word(static_cast<uint16_t>(count));
        for (int r = 0; r < count; ++r) {
            const TCellArea& a = *sel.sqref.GetItems(r);
            data.Word(static_cast<uint16_t>(a.GetRow1()))
                .Word(static_cast<uint16_t>(a.GetRow2()))
                .Byte(static_cast<uint8_t>(a.GetCol1()))
                .Byte(static_cast<uint8_t>(a.GetCol2()));
        }
        WriteRecordData(BIFFRECID_SELECTION, data);
    }
}

void TXLSWriteBIFF::WriteMergedCells() {
    const TXc12MergedCells& merged = *Worksheet_->mergeCells;
    std::vector<const TCellArea*> areas;
    for (int i = 0; i < merged.Count(); ++i) {
        const TCellArea& a = *merged.GetItems(i);
        if (a.GetCol2() <= LastColumn97 && a.GetRow2() <= LastRow97) areas.push_back(&a);
    }
    const size_t most = Biff5_ ? MaxMergedPerRecord5 : MaxMergedPerRecord;
    for (size_t start = 0; start < areas.size(); start += most) {
        const size_t n = std::min(most, areas.size() - start);
        TRecordBytes data;
        data.Word(static_cast<uint16_t>(n));
        for (size_t i = start; i < start + n; ++i)
            data.Word(static_cast<uint16_t>(areas[i]->GetRow1()))
                .Word(static_cast<uint16_t>(areas[i]->GetRow2()))
                .Word(static_cast<uint16_t>(areas[i]->GetCol1()))
                .Word(static_cast<uint16_t>(areas[i]->GetCol2()));
        WriteRecordData(BIFFRECID_MERGEDCELLS, data);
    }
}

void TXLSWriteBIFF::WriteSheetProtection() {
    if (Sheet_->SheetProtection == 0x7FFF) return;
    const TXc12SheetProtection& p = Worksheet_->sheetProtection;
    const uint8_t flags[] = {p.objects,       p.scenarios,     p.formatCells,        p.formatColumns,
                             p.formatRows,    p.insertColumns, p.insertRows,         p.insertHyperlinks,
                             p.deleteColumns, p.deleteRows,    p.selectLockedCells,  p.sort,
                             p.autoFilter,    p.pivotTables,   p.selectUnlockedCells};
    uint32_t bits = 0;
    for (size_t i = 0; i < std::size(flags); ++i)
        if (flags[i]) bits |= 1u << i;
    WriteRecordData(
        BIFFRECID_SHEETPROTECTION,
        TRecordBytes().Word(BIFFRECID_SHEETPROTECTION).Zeros(10).Word(2).Byte(1).Long(0xFFFFFFFF).Long(bits));
}

}  // namespace xls
