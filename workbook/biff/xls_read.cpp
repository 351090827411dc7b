#include "workbook/biff/xls_read.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "base/format.h"
#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "platform/compound_file.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr uint16_t BuildNumberWritten = 6319;
constexpr size_t MaxGlobalsBOF = 256;
constexpr uint16_t RC4Standard = 1;
// The least a sheet takes of the stream: its BOUNDSHEET record and its substream's BOF and EOF.
constexpr int64_t MinSheetBytes = 12 + 12 + 4;

bool IsBOF(uint16_t id) { return (id & 0xFF) == 0x09 && id <= BIFFRECID_BOF; }

}  // namespace

TXLSReadBIFF::TXLSReadBIFF(TBIFF5& document) : Document_(document), Manager_(document.Manager()) {
    Stream_.SetExtraObjects(&Document_.ExtraObjects());
    Stream_.SetVBA(Document_.GetVBA());
}

base::TByteReader TXLSReadBIFF::Reader() const {
    return base::TByteReader(Data(), [] { throw EBIFFError("Record too short"); });
}

TXc12DataWorksheet& TXLSReadBIFF::FindWorksheet() {
    if (CurrentSheet_ < 0 || CurrentSheet_ >= Manager_.Worksheets().Count())
        throw EBIFFError("Cell record outside a worksheet");
    // Worksheets are only added while a file is read: the one found stays.
    Worksheet_ = Manager_.Worksheets().GetItems(CurrentSheet_);
    WorksheetOf_ = CurrentSheet_;
    return *Worksheet_;
}

int TXLSReadBIFF::ModelXF(uint16_t fileXF) const {
    return fileXF + 1 < Manager_.StyleSheet().XFs().Count() ? fileXF + 1 : 0;
}

TXLSCellMMU& TXLSReadBIFF::Cells(int row) {
    TXLSCellMMU& cells = *Worksheet().sheetData;
    // ROW records come in row order before their cells (in blocks, or all of them first).
    GiveRows(cells, row);
    return cells;
}

void TXLSReadBIFF::GiveRows(TXLSCellMMU& cells, int lastRow) {
    while (RowsApplied_ < PendingRows_.size() && PendingRows_[RowsApplied_].Row <= lastRow) {
        const TPendingRow& pending = PendingRows_[RowsApplied_++];
        TXLSMMURowHeader* header = cells.AddRowHeader(pending.Row, pending.XF);
        header->SetHeight(pending.Height);
        header->SetOutlineLevel(pending.OutlineLevel);
        header->SetOptions(pending.Options);
    }
}

void TXLSReadBIFF::ApplyRows() {
    // ROW records out of order wait behind a later row: all go now, still in file order.
    if (RowsApplied_ < PendingRows_.size()) GiveRows(*Worksheet().sheetData, INT_MAX);
    PendingRows_.clear();
    RowsApplied_ = 0;
}

void TXLSReadBIFF::Read(base::TStream* source) {
    CurrentSheet_ = -1;
    WorksheetOf_ = -1;
    CurrentSubstream_ = -1;
    GroupRead_ = false;
    DrawingSheet_ = -1;
    SheetList_.Clear();
    ChartTabs_.clear();
    Unlisted_ = false;
    Document_.DefaultStyles = false;
    Biff2ExtendedXF_ = 0;
    PendingRows_.clear();
    RowsApplied_ = 0;
    OldFormatCount_ = 0;
    OldFormatsRegistered_ = false;
    FormatBase_ = Manager_.StyleSheet().NumFmts().Count();
    // A named file is read from memory, a compound file by the record stream itself: records are
    // then read without a system call each.
    base::TMemoryStream whole;
    if (!source && !Document_.GetFilename().empty() &&
        !platform::TCompoundFile::IsCompoundFile(Document_.GetFilename())) {
        whole.LoadFromFile(Document_.GetFilename());
        source = &whole;
    }
    Stream_.SetSourceStream(source);
    try {
        Version_ = Stream_.Open(Document_.GetFilename());
        Document_.SetVersion(Version_ == xvNone ? xvExcel97 : Version_);
        Document_.VersionRead = Version_;
        Buffer_.assign(static_cast<size_t>(Document_.MaxRecordSize()), 0);
        RecordData_ = Buffer_.data();
        Storage_ = &Document_.GlobalRecords();
        if (Document_.OnProgress) Document_.OnProgress(0);
        Stream_.Seek(0, 0);
        Stream_.BeginInPlaceRead();
        ReadRecords();
        // A workbook without sheets could not be written as a file any reader opens.
        if (Version_ > xvExcel40 && Document_.Sheets().Count() == 0 &&
            (!Document_.ChartSheets || Document_.ChartSheets->Count() == 0))
            throw EBIFFError("The workbook has no sheets");
        // A worksheet whose EOF is missing keeps the columns read.
        if (InWorksheet_) FlushBiff2Columns();
        FinishDrawings();
        if (Document_.OnProgress) Document_.OnProgress(100);
    } catch (const std::exception& e) {
        int64_t position = 0;
        try {
            position = Stream_.Position();
        } catch (const std::exception&) {
            position = 0;
        }
        Stream_.Close();
        throw EBIFFError(base::Format("Error on reading record # %d, %.4X Offs: %.8X\r",
                                      {RecordCount_, static_cast<int>(Header_.RecID), static_cast<int>(position)}) +
                         e.what());
    }
    Stream_.Close();
}

void TXLSReadBIFF::ReadRecords() {
    Done_ = false;
    while (!Done_) {
        if (Stream_.ReadHeader(Header_) < 4) break;
        if (Header_.RecID & 0x8000) throw EBIFFError("Bad record in file");
        if (Header_.Length > Buffer_.size()) Buffer_.resize(Header_.Length);
        RecordData_ = Buffer_.data();
        DataLength_ = Header_.Length;
        const uint16_t id = Header_.RecID;
        if (TakesDrawing(id)) {
            ReadDrawing();
            ++RecordCount_;
            continue;
        }
        if (!IsBOF(id) && id != BIFFRECID_SST) ReadData();
        ReportProgress();
        if (SkippingView_) {
            if (id == BIFFRECID_USERSVIEWEND) SkippingView_ = false;
            continue;
        }
        Keep_ = true;
        Dispatch();
        if (Keep_) Storage_->AddRecord(id, Data());
        ++RecordCount_;
        Stream_.ReleaseReadBytes();
    }
    ApplyRows();
}

void TXLSReadBIFF::ReadData() {
    DataLength_ = Header_.Length;
    // Records whose data goes on in CONTINUE records as plain bytes are joined in the buffer.
    const bool joined = Header_.RecID == BIFFRECID_NAME || Header_.RecID == BIFFRECID_EXTERNSHEET;
    if (!joined) {
        if (const uint8_t* bytes = Stream_.ReadInPlace(Header_.Length)) {
            RecordData_ = bytes;
            return;
        }
    }
    if (Stream_.Read(Buffer_.data(), Header_.Length) != Header_.Length) throw EBIFFError("Unexpected end of file");
    while (joined && Stream_.PeekRecordId() == BIFFRECID_CONTINUE) {
        uint16_t id = 0;
        if (!ReadNextRecord(id, Extra_)) break;
        if (Buffer_.size() < DataLength_ + Extra_.size()) Buffer_.resize(DataLength_ + Extra_.size());
        std::copy(Extra_.begin(), Extra_.end(), Buffer_.begin() + static_cast<std::ptrdiff_t>(DataLength_));
        DataLength_ += Extra_.size();
    }
    RecordData_ = Buffer_.data();
}

bool TXLSReadBIFF::ReadNextRecord(uint16_t& id, std::vector<uint8_t>& buffer) {
    TBIFFHeader header;
    if (Stream_.ReadHeader(header) < 4) return false;
    id = header.RecID;
    buffer.resize(header.Length);
    if (Stream_.Read(buffer.data(), header.Length) != header.Length) throw EBIFFError("Unexpected end of file");
    return true;
}

void TXLSReadBIFF::ReportProgress() {
    if (!Document_.OnProgress || Stream_.StreamSize() <= 0) return;
    const int percent = static_cast<int>(
        std::nearbyint(static_cast<double>(Stream_.Position()) * 100.0 / static_cast<double>(Stream_.StreamSize())));
    if (percent <= LastPercent_) return;
    LastPercent_ = percent;
    Document_.OnProgress(percent);
}

void TXLSReadBIFF::Dispatch() {
    const uint16_t id = Header_.RecID;
    if (IsBOF(id)) {
        ReadBOF();
        return;
    }
    bool handled = true;
    switch (id) {
        case BIFFRECID_EOF: ReadEOF(); return;
        case BIFFRECID_BOUNDSHEET: ReadBoundsheet(); return;
        case BIFFRECID_FILEPASS: ReadFilepass(); return;
        case BIFFRECID_USERSVIEWBEGIN:
            SkippingView_ = true;
            Keep_ = false;
            return;
        case BIFFRECID_INDEX:
            Keep_ = false;
            if (Version_ <= xvExcel40 && CurrentSheet_ >= 0)
                Storage_ = &Document_.Sheets().GetItems(CurrentSheet_).Records();
            return;
        // Cells and rows.
        case BIFFRECID_BLANK: ReadBlank(); break;
        case BIFFRECID_MULBLANK: ReadMulBlank(); break;
        case BIFFRECID_NUMBER: ReadNumber(); break;
        case BIFFRECID_RK:
        case BIFFRECID_RK_BIFF2: ReadRK(); break;
        case BIFFRECID_MULRK: ReadMulRK(); break;
        case BIFFRECID_LABEL: ReadLabel(); break;
        case BIFFRECID_LABELSST: ReadLabelSST(); break;
        case BIFFRECID_BOOLERR: ReadBoolErr(); break;
        case BIFFRECID_INTEGER_BIFF2:
        case BIFFRECID_NUMBER_BIFF2:
        case BIFFRECID_LABEL_BIFF2: ReadBiff2Cell(); break;
        case BIFFRECID_BLANK_BIFF2:
        case BIFFRECID_BOOLERR_BIFF2:
            if (Version_ != xvExcel21) {
                handled = false;
                break;
            }
            ReadBiff2Cell();
            break;
        case BIFFRECID_IXFE_BIFF2:
            if (Version_ == xvExcel21) Biff2ExtendedXF_ = Reader().U16LEAt(0);
            break;
        case BIFFRECID_ROW: ReadRow(); break;
        case BIFFRECID_ROW_BIFF2:
            if (Version_ != xvExcel21) {
                handled = false;
                break;
            }
            ReadBiff2Row();
            break;
        case BIFFRECID_FORMULA:
        case BIFFRECID_FORMULA_BIFF3:
        case BIFFRECID_FORMULA_BIFF4: ReadFormula(); break;
        // Records a formula reads after itself; met alone they belong to no formula.
        case BIFFRECID_SHRFMLA:
        case BIFFRECID_SHRFMLA_BIFF5:
        case BIFFRECID_ARRAY:
        case BIFFRECID_STRING:
        case BIFFRECID_TABLE:
        case BIFFRECID_DBCELL:
        case BIFFRECID_EXTSST:
        case BIFFRECID_MSODRAWINGSELECTION:
        case BIFFRECID_USERBVIEW: break;
        // Strings and styles.
        case BIFFRECID_SST: ReadSST(); break;
        case BIFFRECID_FONT:
        case BIFFRECID_FONT_BIFF3: ReadFont(); break;
        case BIFFRECID_FORMAT:
        case BIFFRECID_FORMAT_BIFF2: ReadFormat(); break;
        case BIFFRECID_XF:
        case BIFFRECID_XF_BIFF2:
        case BIFFRECID_XF_BIFF3:
        case BIFFRECID_XF_BIFF4: ReadXF(); break;
        case BIFFRECID_PALETTE: ReadPalette(); break;
        case BIFFRECID_STYLE: ReadStyle(); break;
        default: handled = false;
    }
    if (handled) {
        Keep_ = false;
        return;
    }
    ReadSetting();
}

void TXLSReadBIFF::ReadBOF() {
    ResetFormulaState();
    DataLength_ = Header_.Length;
    if (Stream_.ReadPlain(Buffer_.data(), Header_.Length) != Header_.Length) throw EBIFFError("Unexpected end of file");
    Keep_ = false;
    const base::TByteReader r = Reader();
    const uint16_t type = r.U16LEAt(2);
    switch (type) {
        case BOFTypeGlobals: {
            if (Header_.Length > MaxGlobalsBOF) throw EBIFFError("Invalid BOF size");
            if (Header_.Length >= 6) base::StoreLE16(Buffer_.data() + 4, BuildNumberWritten);
            Storage_ = &Document_.GlobalRecords();
            Storage_->UpdateDefault(Header_.RecID, Data());
            break;
        }
        case BOFTypeWorksheet: BeginSubstream(); break;
        case BOFTypeVBModule:
        case BOFTypeMacroSheet: throw EBIFFError("Invalid sheet type in file");
        case BOFTypeChart: {
            // A chart sheet goes to the chart sheets when the document has them. Otherwise an
            // embedded chart inside a worksheet is kept raw in the sheet it belongs to, and a
            // chart sheet, which has no sheet of its own to keep it, is passed over.
            const bool embedded = InWorksheet_;
            if (!embedded) ++CurrentSubstream_;
            if (TakesChartSheet()) {
                ReadChartSheet();
                break;
            }
            // Without a sheet list a chart sheet is passed over, its place still counted.
            if (!embedded && Unlisted_)
                ListSheet(u"Chart" + base::Utf8ToUtf16(std::to_string(ChartTabs_.size() + 1)), 0, true);
            std::vector<uint8_t> record(Data().begin(), Data().end());
            uint16_t id = Header_.RecID;
            int depth = 0;
            do {
                if (embedded) Storage_->AddRecord(id, record);
                if (IsBOF(id)) ++depth;
                if (id == BIFFRECID_EOF) --depth;
                if (depth == 0) break;
                if (!ReadNextRecord(id, record)) throw EBIFFError("Unexpected end of file");
                if (id & 0x8000) throw EBIFFError("Bad record in file");
            } while (true);
            if (!embedded && !Unlisted_ &&
                (SheetList_.GetCount() == 0 || CurrentSubstream_ >= SheetList_.GetCount() - 1))
                Done_ = true;
            break;
        }
        case BOFTypeWorkspace: throw EBIFFError("BIFF4 Workbook unhandled");
        default: break;
    }
}

void TXLSReadBIFF::BeginSubstream() {
    ApplyRows();
    ++CurrentSubstream_;
    ++CurrentSheet_;
    InWorksheet_ = true;
    TSheets& sheets = Document_.Sheets();
    // A stream that lost its sheet list keeps its worksheets, named as new sheets are named.
    if (Unlisted_) ListSheet(u"Sheet" + base::Utf8ToUtf16(std::to_string(sheets.Count() + 1)), 0, false);
    // A worksheet file of BIFF2 to BIFF4 has no sheet list: its one sheet is made here.
    if (Version_ <= xvExcel40 && SheetList_.GetCount() == 0 && CurrentSheet_ == 0) {
        Manager_.Worksheets().Add(-1)->Name = u"Sheet1";
        sheets.Add(0).SetNameDirect(u"Sheet1");
    }
    if (CurrentSheet_ >= sheets.Count() || CurrentSheet_ >= Manager_.Worksheets().Count())
        throw EBIFFError("Worksheet substream without its BOUNDSHEET record");
    TSheet& sheet = sheets.GetItems(CurrentSheet_);
    TXc12DataWorksheet& worksheet = *Manager_.Worksheets().GetItems(CurrentSheet_);
    sheet.StorageFilled = true;
    if (Version_ > xvExcel40) {
        if (CurrentSubstream_ >= SheetList_.GetCount())
            throw EBIFFError("Worksheet substream without its BOUNDSHEET record");
        const std::u16string name = SheetList_.GetString(CurrentSubstream_);
        sheet.SheetNumber = CurrentSubstream_;
        sheet.SetNameDirect(name);
        sheet.Hidden = static_cast<THiddenState>(SheetList_.GetValue(CurrentSubstream_) & 0x03);
        Storage_ = &sheet.Records();
        Storage_->UpdateDefault(Header_.RecID, Data());
        worksheet.Name = name;
    } else {
        sheet.SetNameDirect(u"Sheet1");
        worksheet.Name = u"Sheet1";
    }
}

void TXLSReadBIFF::ReadEOF() {
    ApplyRows();
    Storage_->UpdateDefault(BIFFRECID_EOF, Data());
    Keep_ = false;
    ResetFormulaState();
    if (InWorksheet_) FlushBiff2Columns();
    // The globals of a workbook that list no sheet: read on, the substreams are its sheets.
    if (Version_ > xvExcel40 && CurrentSubstream_ < 0 && SheetList_.GetCount() == 0) Unlisted_ = true;
    InWorksheet_ = false;
    // Without a list the sheets end where no BOF follows an EOF (padding or the stream's end).
    if (Unlisted_)
        Done_ = !IsBOF(Stream_.PeekRecordId());
    else if (SheetList_.GetCount() == 0 || CurrentSubstream_ >= SheetList_.GetCount() - 1)
        Done_ = true;
}

void TXLSReadBIFF::ResetFormulaState() {
    SharedFormulas_.clear();
    SharedByAnchor_.clear();
    // An array formula belongs to its own worksheet: a later sheet's formulas never join it.
    PendingArray_.clear();
}

void TXLSReadBIFF::ReadBoundsheet() {
    Storage_->SetInsertPoint(INSERT_SHEETLIST);
    Keep_ = false;
    const base::TByteReader r = Reader();
    const uint8_t visibility = r.U8At(4) & 0x03;
    const uint8_t type = r.U8At(5);
    const uint8_t length = r.U8At(6);
    std::u16string name;
    if (Biff8()) {
        const uint8_t flags = r.U8At(7);
        name = BIFFBufToWideStr(r.BytesAt(7, 1 + static_cast<size_t>(length) * ((flags & 1) ? 2 : 1)), length);
    } else {
        name = ByteStrToWideStr(r.BytesAt(7, length), length);
    }
    // Every entry costs a sheet with its worksheet: the file must hold the substreams it lists.
    if (r.U32LEAt(0) >= Stream_.StreamSize() || (SheetList_.GetCount() + 1) * MinSheetBytes > Stream_.StreamSize())
        throw EBIFFError("More sheets listed than the file holds");
    ListSheet(name, visibility, (type & 0x02) != 0);
}

void TXLSReadBIFF::ListSheet(const std::u16string& name, uint8_t visibility, bool chart) {
    SheetList_.AddValue(name, visibility);
    if (chart) {
        ChartTabs_.push_back(SheetList_.GetCount() - 1);
        return;
    }
    Document_.Sheets().Add(0).SetNameDirect(name);
    TXc12DataWorksheet* worksheet = Manager_.Worksheets().Add(-1);
    worksheet->Name = name;
    worksheet->State = visibility;
}

void TXLSReadBIFF::ReadFilepass() {
    Keep_ = false;
    const base::TByteReader r = Reader();
    // Only RC4 version 1.1 is decrypted; RC4 CryptoAPI (versions 2 to 4), the XOR obfuscation of
    // older files and anything else end in a clear error, also when the error event keeps the
    // report from raising.
    if (!Biff8() || r.U16LEAt(0) != EncryptionRC4 || r.U16LEAt(2) != RC4Standard || r.U16LEAt(4) != RC4Standard) {
        Manager_.Errors().Error(u"", TXLSErrorManager::ErrUnknownEncryption);
        throw EBIFFError("Unknown type of encryption");
    }
    const std::span<const uint8_t> filePass = Data();
    if (Manager_.OnPassword || !Manager_.Password.empty()) {
        std::u16string password = Manager_.Password;
        if (Manager_.OnPassword) Manager_.OnPassword(&Manager_, password);
        if (password.empty()) {
            Manager_.Errors().Error(u"", TXLSErrorManager::ErrPasswordMissing);
            throw EBIFFError("File is encrypted, password missing.");
        }
        if (!Stream_.CheckPassword(filePass, password)) {
            Manager_.Errors().Error(u"", TXLSErrorManager::ErrPasswordWrong);
            throw EBIFFError("File is encrypted, password is wrong.");
        }
        // Written back encrypted with the same password, unless the caller removes it.
        Document_.SetPassword(password);
        return;
    }
    if (!Stream_.CheckPassword(filePass, DefaultPassword)) {
        Manager_.Errors().Error(u"", TXLSErrorManager::ErrPasswordMissing);
        throw EBIFFError("File is encrypted, password missing.");
    }
    Document_.SetPassword(std::u16string(DefaultPassword));
}

}  // namespace xls
