#include <algorithm>

#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/biff_validations.h"
#include "workbook/biff/xls_read.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_format.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr size_t WriteAccessSize = 112;
constexpr uint16_t FeatureProtection = 2;
constexpr uint8_t PaneFrozen = 1;
constexpr uint8_t PaneSplitPoints = 2;
constexpr size_t NameTextAt = 14;

bool IsOne(const base::TByteReader& r) { return r.U16LEAt(0) == 1; }

// The library's kind of a built-in name code; bnNone for codes it has no kind for.
uint8_t BuiltInKind(uint8_t code) {
    switch (code) {
        case 0x00: return 0;
        case 0x03: return 1;
        case 0x04: return 2;
        case 0x05: return 3;
        case 0x06: return 4;
        case 0x07: return 5;
        case 0x0C: return 6;
        case 0x0D: return 7;
        default: return bnNone;
    }
}

TXc12SheetView& FirstView(TXc12DataWorksheet& sheet) {
    return sheet.sheetViews.Count() > 0 ? *sheet.sheetViews.GetItems(0) : *sheet.AddSheetView();
}

}  // namespace

void TXLSReadBIFF::ReadSetting() {
    const uint16_t id = Header_.RecID;
    const bool globals = CurrentSubstream_ < 0;
    const base::TByteReader r = Reader();
    TXc12DataWorkbook& book = Manager_.Workbook();
    TXc12CalcPr& calc = book.calcPr;
    // D: the substream's default record takes the file's data (BIFF5 and later).
    auto defaultRecord = [&] {
        Keep_ = false;
        if (Biff5Plus()) Storage_->UpdateDefault(id, Data());
    };
    auto insertPoint = [&](uint16_t point) {
        Keep_ = false;
        if (Biff5Plus()) Storage_->SetInsertPoint(point);
    };
    switch (id) {
        case BIFFRECID_DIMENSIONS_BIFF2:
            if (Version_ == xvExcel50)
                Keep_ = false;
            else
                ReadDimensions();
            return;
        case BIFFRECID_CALCCOUNT:
            calc.iterateCount = r.U16LEAt(0);
            defaultRecord();
            return;
        case BIFFRECID_CALCMODE: {
            const int16_t mode = static_cast<int16_t>(r.U16LEAt(0));
            if (mode == -1)
                calc.calcMode = 2;
            else if (mode == 0 || mode == 1)
                calc.calcMode = static_cast<uint8_t>(mode);
            defaultRecord();
            return;
        }
        case BIFFRECID_PRECISION:
            calc.fullPrecision = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_REFMODE:
            calc.refMode = r.U16LEAt(0) == 0;
            defaultRecord();
            return;
        case BIFFRECID_DELTA:
            calc.iterateDelta = base::LoadLEDouble(r.BytesAt(0, 8).data());
            defaultRecord();
            return;
        case BIFFRECID_ITERATION:
            calc.iterate = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_SAVERECALC:
            calc.calcOnSave = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_PROTECT:
            Keep_ = false;
            Storage_->UpdateDefault(id, Data());
            return;
        case BIFFRECID_PASSWORD:
            if (globals) {
                book.workbookProtection.workbookPassword = r.U16LEAt(0);
                Keep_ = false;
                Storage_->UpdateDefault(id, Data());
            } else {
                Worksheet().sheetProtection.password = r.U16LEAt(0);
            }
            return;
        case BIFFRECID_SCENPROTECT:
        case BIFFRECID_OBJPROTECT:
            // The sheet password's record writes both again.
            if (!globals && Biff8()) {
                (id == BIFFRECID_OBJPROTECT ? Worksheet().sheetProtection.objects
                                            : Worksheet().sheetProtection.scenarios) = IsOne(r);
                Keep_ = false;
            }
            return;
        case BIFFRECID_HEADER:
        case BIFFRECID_FOOTER:
            insertPoint(INSERT_HEADERFOOTER);
            if (Biff8() && r.Size() > 0) ReadHeaderFooter(id == BIFFRECID_HEADER);
            return;
        case BIFFRECID_EXTERNSHEET:
            if (!Biff8()) return;
            Document_.FormulaHandler().ExternalNames().ReadExternSheet(Data(), ChartTabs_);
            insertPoint(INSERT_NAMES);
            return;
        case BIFFRECID_SUPBOOK:
            if (!Biff8()) return;
            Document_.FormulaHandler().ExternalNames().AddSupBook(Data());
            insertPoint(INSERT_NAMES);
            return;
        case BIFFRECID_EXTERNNAME:
        case BIFFRECID_EXTERNNAME_BIFF3:
            if (!Biff8()) return;
            Document_.FormulaHandler().ExternalNames().AddExternName(Data());
            insertPoint(INSERT_NAMES);
            return;
        case BIFFRECID_NAME:
        case BIFFRECID_NAME_BIFF3:
            // BIFF5 names are kept as their records, which a BIFF5 workbook is written back with,
            // beside the EXTERNSHEET records their tokens point into.
            Keep_ = Version_ == xvExcel50 && id == BIFFRECID_NAME;
            if (Biff8()) ReadName();
            return;
        case BIFFRECID_XCT:
            Keep_ = false;
            ReadXCT();
            return;
        case BIFFRECID_WINDOWPROTECT:
            book.workbookProtection.lockWindows = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_VERTICALPAGEBREAKS:
        case BIFFRECID_HORIZONTALPAGEBREAKS:
            Keep_ = false;
            Storage_->SetInsertPoint(INSERT_PAGEBREAKS);
            ReadPageBreaks(id == BIFFRECID_HORIZONTALPAGEBREAKS);
            return;
        case BIFFRECID_SELECTION:
            Keep_ = false;
            if (Biff5Plus()) ReadSelection();
            return;
        case BIFFRECID_DATEMODE:
            book.workbookPr.date1904 = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_LEFTMARGIN:
        case BIFFRECID_RIGHTMARGIN:
        case BIFFRECID_TOPMARGIN:
        case BIFFRECID_BOTTOMMARGIN: {
            insertPoint(INSERT_MARGINS);
            if (!Biff5Plus()) return;
            TXc12PageMargins& m = Worksheet().pageMargins;
            const double value = base::LoadLEDouble(r.BytesAt(0, 8).data());
            (id == BIFFRECID_LEFTMARGIN    ? m.left
             : id == BIFFRECID_RIGHTMARGIN ? m.right
             : id == BIFFRECID_TOPMARGIN   ? m.top
                                           : m.bottom) = value;
            return;
        }
        case BIFFRECID_PRINTHEADERS:
            if (!globals) Worksheet().printOptions.headings = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_PRINTGRIDLINES:
            if (!globals) Worksheet().printOptions.gridLines = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_GRIDSET:
            if (!globals) Worksheet().printOptions.gridLinesSet = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_HCENTER:
            if (!globals) Worksheet().printOptions.horizontalCentered = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_VCENTER:
            if (!globals) Worksheet().printOptions.verticalCentered = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_WINDOW1:
            Keep_ = false;
            if (globals && Biff8()) {
                ReadWindow1();
                Storage_->UpdateDefault(id, Data());
            }
            return;
        case BIFFRECID_BACKUP:
            book.workbookPr.backupFile = IsOne(r);
            defaultRecord();
            return;
        case BIFFRECID_PANE:
            Keep_ = false;
            ReadPane();
            return;
        case BIFFRECID_CODEPAGE:
        case BIFFRECID_GUTS:
        case BIFFRECID_HIDEOBJ: defaultRecord(); return;
        case BIFFRECID_COUNTRY:
            Keep_ = false;
            if (Biff8()) Storage_->UpdateDefault(id, Data());
            return;
        case BIFFRECID_FNGROUPCOUNT:
        case BIFFRECID_DSF:
        case BIFFRECID_PROT4REV:
        case BIFFRECID_RECALCID:
            Keep_ = false;
            Storage_->UpdateDefault(id, Data());
            return;
        case BIFFRECID_DEFCOLWIDTH:
            Keep_ = false;
            if (Biff5Plus()) Worksheet().sheetFormatPr.baseColWidth = r.U16LEAt(0);
            return;
        case BIFFRECID_WRITEACCESS:
            Keep_ = false;
            ReadWriteAccess();
            return;
        case BIFFRECID_COLINFO:
            Keep_ = false;
            ReadColInfo();
            return;
        case BIFFRECID_COLWIDTH_BIFF2:
            if (Version_ != xvExcel21) return;
            Keep_ = false;
            ReadColWidth();
            return;
        case BIFFRECID_COLUMNDEFAULT_BIFF2:
            if (Version_ != xvExcel21) return;
            Keep_ = false;
            ReadColumnDefault();
            return;
        case BIFFRECID_WSBOOL: {
            if (globals || !Biff5Plus()) return;
            const uint16_t flags = r.U16LEAt(0);
            TXc12SheetPr& pr = Worksheet().sheetPr;
            pr.pageSetUpPr.autoPageBreaks = flags & 0x0001;
            pr.pageSetUpPr.fitToPage = (flags & 0x0100) != 0;
            pr.outlinePr.applyStyles = (flags & 0x0020) != 0;
            pr.outlinePr.summaryBelow = (flags & 0x0040) != 0;
            pr.outlinePr.summaryRight = (flags & 0x0080) != 0;
            defaultRecord();
            return;
        }
        case BIFFRECID_SETUP:
            ReadSetup();
            defaultRecord();
            return;
        case BIFFRECID_BOOKBOOL: {
            const uint16_t flags = r.U16LEAt(0);
            book.workbookPr.saveExternalLinkValues = flags & 0x01;
            book.workbookPr.updateLinks = (flags >> 5) & 0x03;
            Keep_ = false;
            Storage_->UpdateDefault(id, Data());
            Storage_->SetInsertPoint(INSERT_FORMATTING);
            return;
        }
        case BIFFRECID_DVAL:
            Keep_ = false;
            if (Biff8() && InWorksheet_) ReadValidations();
            return;
        // A DV belongs to the DVAL before it, which reads it; one met alone is dropped.
        case BIFFRECID_DV: Keep_ = false; return;
        case BIFFRECID_MERGEDCELLS:
            Keep_ = false;
            Storage_->SetInsertPoint(INSERT_TRAILING);
            ReadMergedCells();
            return;
        case BIFFRECID_MSODRAWINGGROUP:
            // Kept raw after the (empty) generated group until the drawing layer reads it.
            Storage_->SetInsertPoint(INSERT_DRAWINGGROUP);
            return;
        case BIFFRECID_REFRESHALL:
            book.workbookPr.refreshAllConnections = IsOne(r);
            Keep_ = false;
            Storage_->UpdateDefault(id, Data());
            return;
        case BIFFRECID_DIMENSIONS:
            ReadDimensions();
            defaultRecord();
            return;
        case BIFFRECID_DEFAULTROWHEIGHT:
            Keep_ = false;
            if (Biff5Plus()) {
                // Rows without a ROW record take this height, whether or not it follows the font.
                Worksheet().sheetFormatPr.defaultRowHeight = r.U16LEAt(2);
                Worksheet().sheetFormatPr.customHeight = r.U16LEAt(0) & 0x0001;
            }
            return;
        case BIFFRECID_WINDOW2:
            if (!Biff5Plus()) return;
            ReadWindow2();
            defaultRecord();
            return;
        case BIFFRECID_SHEETPROTECTION:
            if (!globals && r.Size() >= 21 && r.U16LEAt(12) == FeatureProtection) {
                Keep_ = false;
                TXc12SheetProtection& p = Worksheet().sheetProtection;
                uint8_t* flags[] = {&p.objects,       &p.scenarios,     &p.formatCells,        &p.formatColumns,
                                    &p.formatRows,    &p.insertColumns, &p.insertRows,         &p.insertHyperlinks,
                                    &p.deleteColumns, &p.deleteRows,    &p.selectLockedCells,  &p.sort,
                                    &p.autoFilter,    &p.pivotTables,   &p.selectUnlockedCells};
                const uint16_t bits = static_cast<uint16_t>(r.U8At(19) | (r.U8At(20) & 0x7F) << 8);
                for (size_t i = 0; i < std::size(flags); ++i) *flags[i] = (bits >> i) & 1;
                Document_.Sheets().GetItems(CurrentSheet_).SheetProtection = bits;
            }
            return;
        case 0x0863:
        case 0x087C:
        case 0x087D:
        case 0x088C:
        case 0x088E:
        case 0x0892:
        case 0x0896:
        case 0x089A:
        case 0x089B:
        case 0x08A3: Keep_ = false; return;
        default: return;
    }
}

void TXLSReadBIFF::ReadWindow1() {
    const base::TByteReader r = Reader();
    TXc12BookViews& views = Manager_.Workbook().bookViews;
    TXc12BookView& view = views.Count() > 0 ? *views.GetItems(0) : *views.Add();
    view.xWindow = r.U16LEAt(0);
    view.yWindow = r.U16LEAt(2);
    view.windowWidth = r.U16LEAt(4);
    view.windowHeight = r.U16LEAt(6);
    const uint8_t flags = r.U8At(8);
    view.activeTab = r.U16LEAt(10);
    view.firstSheet = r.U16LEAt(12);
    view.tabRatio = r.U16LEAt(16);
    view.visibility = flags & 0x01;
    view.minimized = (flags >> 1) & 1;
    view.showHorizontalScroll = (flags >> 3) & 1;
    view.showVerticalScroll = (flags >> 4) & 1;
    view.showSheetTabs = (flags >> 5) & 1;
    view.autoFilterDateGrouping = (flags & 0x40) == 0;
}

void TXLSReadBIFF::ReadWindow2() {
    std::vector<uint8_t> data(Data().begin(), Data().end());
    // BIFF5 stops after the grid colour.
    if (data.size() < 18) data.resize(18, 0);
    const base::TByteReader r(data);
    TXc12SheetView& view = FirstView(Worksheet());
    const uint16_t flags = r.U16LEAt(0);
    view.showFormulas = flags & 1;
    view.showGridLines = (flags >> 1) & 1;
    view.showRowColHeaders = (flags >> 2) & 1;
    view.showZeros = (flags >> 4) & 1;
    view.defaultGridColor = (flags >> 5) & 1;
    view.rightToLeft = (flags >> 6) & 1;
    view.showOutlineSymbols = (flags >> 7) & 1;
    view.tabSelected = (flags >> 9) & 1;
    view.topLeftCell = MakeCellArea(r.U16LEAt(4), r.U16LEAt(2), r.U16LEAt(4), r.U16LEAt(2));
    view.colorId = static_cast<int32_t>(r.U32LEAt(6));
    view.zoomScaleSheetLayoutView = r.U16LEAt(10);
    view.zoomScale = r.U16LEAt(12);
    if (flags & 0x0008) view.pane.state = PaneFrozen;
    if (flags & 0x0800) Worksheet().customSheetViews.Add()->showPageBreaks = 1;
}

void TXLSReadBIFF::ReadPane() {
    const base::TByteReader r = Reader();
    TXc12Pane& pane = FirstView(Worksheet()).pane;
    pane.Present = 1;
    const double scale = pane.state == PaneSplitPoints ? 20 : 1;
    pane.xSplit = r.U16LEAt(0) / scale;
    pane.ySplit = r.U16LEAt(2) / scale;
    pane.topLeftCell = MakeCellArea(r.U16LEAt(6), r.U16LEAt(4), r.U16LEAt(6), r.U16LEAt(4));
    pane.activePane = r.U8At(8);
}

void TXLSReadBIFF::ReadSelection() {
    const base::TByteReader r = Reader();
    const uint16_t count = r.U16LEAt(7);
    if (9 + 6 * static_cast<size_t>(count) > r.Size()) throw EBIFFError("SELECTION record too short");
    TXc12Selection& selection = *FirstView(Worksheet()).selection.Add();
    selection.pane = r.U8At(0);
    selection.activeCell = MakeCellArea(r.U16LEAt(3), r.U16LEAt(1), r.U16LEAt(3), r.U16LEAt(1));
    selection.activeCellId = r.U16LEAt(5);
    selection.sqref.Clear();
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 9 + 6 * i;
        selection.sqref.AddArea(r.U8At(at + 4), r.U16LEAt(at), r.U8At(at + 5), r.U16LEAt(at + 2));
    }
}

void TXLSReadBIFF::ReadSetup() {
    if (CurrentSubstream_ < 0) return;
    const base::TByteReader r = Reader();
    TXc12DataWorksheet& sheet = Worksheet();
    TXc12PageSetup& setup = sheet.pageSetup;
    setup.paperSize = r.U16LEAt(0);
    setup.scale = r.U16LEAt(2);
    setup.firstPageNumber = r.U16LEAt(4);
    setup.fitToWidth = r.U16LEAt(6);
    setup.fitToHeight = r.U16LEAt(8);
    const uint16_t options = r.U16LEAt(10);
    if (r.Size() >= 34) {
        setup.horizontalDpi = r.U16LEAt(12);
        setup.verticalDpi = r.U16LEAt(14);
        sheet.pageMargins.header = base::LoadLEDouble(r.BytesAt(16, 8).data());
        sheet.pageMargins.footer = base::LoadLEDouble(r.BytesAt(24, 8).data());
        setup.copies = r.U16LEAt(32);
    }
    setup.pageOrder = options & 1;
    setup.orientation = (options & 0x0002) ? 1 : 2;
    setup.blackAndWhite = (options >> 3) & 1;
    setup.draft = (options >> 4) & 1;
    setup.cellComments = !(options & 0x0020) ? 0 : (options & 0x0200) ? 2 : 1;
    setup.errors = (options >> 10) & 3;
    if (options & 0x0004) {
        setup.paperSize = 9;
        setup.scale = 100;
        setup.horizontalDpi = 600;
        setup.verticalDpi = 600;
        setup.copies = 1;
        setup.orientation = 1;
    }
}

void TXLSReadBIFF::ReadColInfo() {
    const base::TByteReader r = Reader();
    TXc12DataStyleSheet& styles = Manager_.StyleSheet();
    const int xf = ModelXF(r.U16LEAt(6));
    TXc12XF* style = xf < styles.XFs().Count() ? styles.XFs().GetItems(xf) : nullptr;
    if (!style) throw EBIFFError("Invalid XF index in COLINFO");
    styles.XFEditor().UseXF(*style);
    AddColumns(r.U16LEAt(0), r.U16LEAt(2), r.U16LEAt(4), style, r.U16LEAt(8));
}

void TXLSReadBIFF::AddColumns(int first, int last, uint16_t width, TXc12XF* style, uint16_t options) {
    TXc12Column* col = Worksheet().cols.Add(style);
    col->min = first;
    col->max = std::max(first, last);
    // The record counts 1/256 of a character, the model characters: divided by 256 (not 255) so
    // that a read and a write give back the stored width exactly.
    col->width = width / 256.0;
    col->outlineLevel = (options >> 8) & 0x07;
    col->Flags = static_cast<uint8_t>(((options & 0x0001) ? 0x01 : 0) | ((options & 0x0002) ? 0x04 : 0) |
                                      ((options & 0x1000) ? 0x10 : 0));
}

void TXLSReadBIFF::ReadDimensions() {
    Keep_ = false;
    if (!Biff5Plus()) return;
    const base::TByteReader r = Reader();
    TXLSCellArea area;
    if (Biff8())
        area = MakeCellArea(r.U16LEAt(8), static_cast<int>(r.U32LEAt(0) & 0xFFFFF), r.U16LEAt(10) - 1,
                            static_cast<int>(r.U32LEAt(4) & 0xFFFFF) - 1);
    else
        area = MakeCellArea(r.U16LEAt(4), r.U16LEAt(0), r.U16LEAt(6) - 1, r.U16LEAt(2) - 1);
    Worksheet().SetDimension(area);
}

void TXLSReadBIFF::ReadMergedCells() {
    const base::TByteReader r = Reader();
    const uint16_t count = r.U16LEAt(0);
    if (2 + 8 * static_cast<size_t>(count) > r.Size()) throw EBIFFError("MERGEDCELLS record too short");
    TXc12MergedCells& merged = *Worksheet().mergeCells;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = 2 + 8 * i;
        const int row1 = r.U16LEAt(at), row2 = r.U16LEAt(at + 2), col1 = r.U16LEAt(at + 4), col2 = r.U16LEAt(at + 6);
        if (merged.IndexOfArea(col1, row1, col2, row2) < 0) merged.AddArea(MakeCellArea(col1, row1, col2, row2));
    }
}

void TXLSReadBIFF::ReadValidations() {
    TDataValidations validations(Document_.FormulaHandler());
    validations.LoadFromStream(Stream_, Data());
    validations.ToModel(*Worksheet().dataValidations);
}

void TXLSReadBIFF::ReadPageBreaks(bool rows) {
    if (!Biff5Plus()) return;
    const base::TByteReader r = Reader();
    const uint16_t count = r.U16LEAt(0);
    const size_t width = Biff8() ? 6 : 2;
    if (2 + width * count > r.Size()) throw EBIFFError("Page break record too short");
    TXc12PageBreaks& breaks = rows ? Worksheet().rowBreaks : Worksheet().colBreaks;
    for (size_t i = 0; i < count; ++i) {
        TXc12Break* b = breaks.Add();
        b->id = r.U16LEAt(2 + width * i);
        b->min = Biff8() ? r.U16LEAt(4 + width * i) : 0;
        b->max = Biff8() ? r.U16LEAt(6 + width * i) : 0xFFFF;
    }
}

void TXLSReadBIFF::ReadHeaderFooter(bool header) {
    const base::TByteReader r = Reader();
    const std::u16string text = BIFFBufToWideStr(r.BytesAt(2, r.Size() - 2), r.U16LEAt(0));
    (header ? Worksheet().headerFooter.oddHeader : Worksheet().headerFooter.oddFooter) = text;
}

void TXLSReadBIFF::ReadWriteAccess() {
    std::vector<uint8_t> data(Data().begin(), Data().end());
    if (!Biff8() && !data.empty()) {
        // Earlier versions: a length byte and 8-bit characters; brought into the BIFF8 layout.
        data.insert(data.begin() + 1, 2, 0);
    }
    if (data.size() < WriteAccessSize) data.resize(WriteAccessSize, 0x20);
    const base::TByteReader r(data);
    Manager_.Workbook().WriteAccessUser = BIFFBufToWideStr(r.BytesAt(2, r.Size() - 2), std::min<int>(r.U16LEAt(0), 52));
    Document_.GlobalRecords().UpdateDefault(BIFFRECID_WRITEACCESS, data);
}

void TXLSReadBIFF::ReadXCT() {
    const base::TByteReader r = Reader();
    const int count = static_cast<int16_t>(r.U16LEAt(0));
    const int sheet = Biff8() && r.Size() >= 4 ? r.U16LEAt(2) : 0;
    // The CRN records follow; the file's count is trusted only as far as CRN records come.
    for (int i = 0; i < std::abs(count) && Stream_.PeekRecordId() == BIFFRECID_CRN; ++i) {
        uint16_t id = 0;
        if (!ReadNextRecord(id, Extra_)) break;
        Document_.FormulaHandler().ExternalNames().AddCRN(sheet, Extra_);
    }
}

void TXLSReadBIFF::ReadName() {
    const base::TByteReader r = Reader();
    const uint16_t options = r.U16LEAt(0);
    const uint8_t nameLength = r.U8At(3);
    const uint16_t formulaLength = r.U16LEAt(4);
    const uint16_t sheet = r.U16LEAt(8);
    const uint8_t textLengths[] = {r.U8At(10), r.U8At(11), r.U8At(12), r.U8At(13)};
    const uint8_t flags = r.U8At(NameTextAt);
    const size_t nameBytes = 1 + static_cast<size_t>(nameLength) * ((flags & 1) ? 2 : 1);
    const std::span<const uint8_t> nameData = r.BytesAt(NameTextAt, nameBytes);
    const std::span<const uint8_t> tokens = r.BytesAt(NameTextAt + nameBytes, formulaLength);
    const bool builtIn = (options & 0x0020) != 0;
    // The file counts chart sheets in its sheet numbers; the model has no scope of a chart sheet,
    // so a name local to one is read as a workbook name.
    const int tab = sheet - 1;
    const int first = FirstSheetFromTab(tab, ChartTabs_);
    const int localSheet = tab >= 0 && first == LastSheetFromTab(tab, ChartTabs_) ? first : -1;

    TInternalName& internal = Document_.GetInternalNames().Add();
    internal.Sheet = static_cast<uint16_t>(localSheet + 1);
    internal.Options = builtIn ? 1 : 0;
    internal.Name.assign(nameData.begin(), nameData.end());
    internal.Definition.assign(tokens.begin(), tokens.end());

    TXc12DefinedNames& names = *Manager_.Workbook().definedNames;
    TXc12DefinedName* name = nullptr;
    if (builtIn) {
        const uint8_t code = nameLength > 0 ? nameData[1] : 0;
        const uint8_t kind = BuiltInKind(code);
        name = kind != bnNone ? names.AddBuiltIn(kind, localSheet) : names.Add(u"", localSheet);
        if (kind == bnNone) name->BuiltInCode = code;
    } else {
        name = names.Add(BIFFBufToWideStr(nameData, nameLength), localSheet);
    }
    name->hidden = options & 0x0001;
    name->function = (options >> 1) & 1;
    name->vbProcedure = (options >> 2) & 1;
    name->functionGroupId = (options >> 5) & 0x7E;
    std::vector<uint8_t> ptgs(1, PtgsBIFF8);
    ptgs.insert(ptgs.end(), tokens.begin(), tokens.end());
    name->SetPtgs(ptgs.data(), static_cast<int>(ptgs.size()));
    // The texts after the definition: menu, description, help and status bar.
    size_t at = NameTextAt + nameBytes + formulaLength;
    std::u16string* texts[] = {&name->customMenu, &name->description, &name->help, &name->statusBar};
    for (size_t i = 0; i < 4; ++i) {
        if (textLengths[i] == 0) continue;
        const uint8_t width = (r.U8At(at) & 1) ? 2 : 1;
        *texts[i] = BIFFBufToWideStr(r.BytesAt(at, r.Size() - at), textLengths[i]);
        at += 1 + static_cast<size_t>(textLengths[i]) * width;
    }
}

}  // namespace xls
