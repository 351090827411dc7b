#include "workbook/biff/xls_write.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>

#include "base/byte_reader.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int WriteAccessSize = 112;
constexpr size_t WriteAccessMaxChars = 54;

}  // namespace

void TBoundsheetData::PatchPosition(TXLSStream& stream) const {
    if (Position < 0) throw EBIFFError("The sheet list of the workbook globals is missing");
    const int64_t here = stream.Position();
    stream.Seek(Position, 0);
    stream.WriteLongWord(static_cast<uint32_t>(here));
    stream.Seek(0, 2);
}

std::optional<uint32_t> EncodeRK(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    for (const bool hundred : {false, true}) {
        const double x = hundred ? value * 100 : value;
        const uint64_t xBits = std::bit_cast<uint64_t>(x);
        std::optional<uint32_t> rk;
        if ((xBits & 0x3FFFFFFFFull) == 0)
            rk = static_cast<uint32_t>(xBits >> 32) | (hundred ? 1u : 0u);
        else if (std::isfinite(x) && x == std::floor(x) && x >= -536870912.0 && x <= 536870911.0)
            rk = static_cast<uint32_t>(static_cast<int32_t>(x) * 4 + 2) | (hundred ? 1u : 0u);
        // Only a form that reads back as the very same double is acceptable.
        if (rk && std::bit_cast<uint64_t>(DecodeRK(*rk)) == bits) return rk;
    }
    return std::nullopt;
}

int ColorToPaletteIndex(const TXc12Color& color) {
    if (color.Kind == xc12ckIndexed && color.Tint == 0) return color.Index;
    return NearestIndexColor(Xc12ColorToRGB(color));
}

TXLSWriteBIFF::TXLSWriteBIFF(TBIFF5& document) : Document_(document), Manager_(document.Manager()) {}

void TXLSWriteBIFF::WriteRecordData(uint16_t id, const std::vector<uint8_t>& data) {
    BeginRecord(id).Append(data.data(), data.size());
    EndRecord();
}

TRecordBytes& TXLSWriteBIFF::BeginRecord(uint16_t id) {
    Record_.Bytes.clear();
    return Record_.Word(id).Word(0);
}

void TXLSWriteBIFF::EndRecord() {
    const size_t length = Record_.Bytes.size() - 4;
    const uint16_t id = base::LoadLE16(Record_.Bytes.data());
    if (length > static_cast<size_t>(Document_.MaxRecordSize()))
        throw EBIFFError("Record " + std::to_string(id) + " is longer than a record can be");
    base::StoreLE16(Record_.Bytes.data() + 2, static_cast<uint16_t>(length));
    Stream_.WriteRaw(Record_.Bytes.data(), static_cast<int64_t>(Record_.Bytes.size()));
}

void TXLSWriteBIFF::BuildSheetEntries() {
    SheetEntries_.clear();
    const int charts = Document_.ChartSheets ? Document_.ChartSheets->Count() : 0;
    ChartsListed_.assign(static_cast<size_t>(charts), false);
    ChartsWritten_.assign(static_cast<size_t>(charts), false);
    TSheets& sheets = Document_.Sheets();
    TXc12DataWorksheets& worksheets = Manager_.Worksheets();
    if (sheets.Count() != worksheets.Count()) throw EBIFFError("The BIFF sheets are not in step with the worksheets");
    for (int i = 0; i < sheets.Count(); ++i) {
        ListChartSheets(sheets.GetItems(i).SheetNumber);
        TBoundsheetData entry;
        const uint8_t kind = sheets.GetItems(i).Kind();
        entry.Type = kind == 0 ? 0 : kind == 1 ? 2 : 3;
        entry.Index = i;
        entry.Name = worksheets.GetItems(i)->Name;
        entry.Hidden = sheets.GetItems(i).Hidden;
        SheetEntries_.push_back(entry);
    }
    ListChartSheets(INT_MAX);
}

void TXLSWriteBIFF::Write(base::TStream* target) {
    const TExcelVersion version = Document_.GetVersion();
    if (version != xvExcel97 && version != xvExcel50)
        throw EBIFFError("Only Excel 5 and Excel 97 workbooks can be written");
    Biff5_ = version == xvExcel50;
    if (Biff5_) ChooseCodePage();
    BuildSheetEntries();
    Stream_.SetExtraObjects(&Document_.ExtraObjects());
    Stream_.SetTargetStream(target);
    Stream_.SetVBA(Document_.GetVBA());
    Stream_.SetSaveVBA(Document_.SaveVBA);
    Stream_.CreateFile(Document_.GetFilename(), Document_.GetVersion());
    TRecordStorageGlobals& globals = Document_.GlobalRecords();
    if (globals.Count() == 0) globals.FillFromDefaults();
    for (int n = 0; n < globals.Count(); ++n) {
        const TRecordBlock* record = globals.GetItems(n);
        if (!record) continue;
        try {
            WriteGlobalRecord(*record);
        } catch (const std::exception& e) {
            throw EBIFFError("Error on writing record # " + std::to_string(n) + "\r" + e.what());
        }
    }
    for (int i = 0; i < Document_.Sheets().Count(); ++i) {
        WriteChartSheets(Document_.Sheets().GetItems(i).SheetNumber);
        WriteSheet(i);
    }
    WriteChartSheets(INT_MAX);
    if (Encrypting()) Stream_.EncryptStream();
    Stream_.WriteVBA();
    // Only a finished container becomes the file; a failed write leaves none (the stream
    // abandons what it built when the writer goes).
    Stream_.Close();
    SheetEntries_.clear();
}

void TXLSWriteBIFF::WriteGlobalRecord(const std::vector<uint8_t>& record) {
    if (Biff5_ && WriteGlobalRecord5(record)) return;
    const uint16_t id = RecordId(record);
    const auto& model = Manager_.Workbook();
    switch (id) {
        case BIFFRECID_BOF: WriteBOF(record); break;
        case BIFFRECID_PRECISION: WriteBoolRecord(id, model.calcPr.fullPrecision != 0); break;
        case BIFFRECID_PASSWORD:
            WriteWordRecord(BIFFRECID_PROTECT, 0);
            WriteWordRecord(BIFFRECID_PASSWORD, model.workbookProtection.workbookPassword);
            break;
        case BIFFRECID_DATEMODE: WriteBoolRecord(id, model.workbookPr.date1904 != 0); break;
        case BIFFRECID_WINDOW1: WriteWindow1(); break;
        case BIFFRECID_BACKUP: WriteBoolRecord(id, model.workbookPr.backupFile != 0); break;
        case BIFFRECID_WRITEACCESS: WriteWriteAccess(); break;
        case BIFFRECID_OBPROJ:
            if (Document_.SaveVBA) WriteEmptyRecord(id);
            break;
        case BIFFRECID_BOOKBOOL:
            WriteWordRecord(id, static_cast<uint16_t>((model.workbookPr.saveExternalLinkValues ? 1 : 0) |
                                                      (model.workbookPr.updateLinks & 3) << 5));
            break;
        case BIFFRECID_TABID:
            if (RecordLength(record) == 0) WriteTabId();
            break;
        case BIFFRECID_REFRESHALL: WriteBoolRecord(id, model.workbookPr.refreshAllConnections != 0); break;
        case BIFFRECID_RECALCID: break;
        case INSERT_FORMATTING: WriteFormatting(); break;
        case INSERT_SHEETLIST: WriteBoundsheets(); break;
        case INSERT_NAMES:
            if (!ExternalWritten_) {
                ExternalWritten_ = true;
                WriteNames();
            }
            break;
        case INSERT_DRAWINGGROUP:
            if (Document_.PictureGroup && Document_.PictureGroup->HasProperties()) {
                Stream_.BeginContinuedRecord(MAXRECSZ_97);
                Document_.PictureGroup->SaveToStream(Stream_);
                Stream_.EndContinuedRecord();
            }
            break;
        case INSERT_SST: WriteSST(); break;
        default: Stream_.WriteRaw(record.data(), static_cast<int64_t>(record.size()));
    }
}

bool TXLSWriteBIFF::Encrypting() const { return !Biff5_ && !Document_.GetPassword().empty(); }

void TXLSWriteBIFF::WriteBOF(const std::vector<uint8_t>& record) {
    Stream_.WriteRaw(record.data(), static_cast<int64_t>(record.size()));
    if (RecordLength(record) < 4 || base::LoadLE16(RecordData(record) + 2) != BOFTypeGlobals) return;
    if (Encrypting()) Stream_.WriteFilePass(Document_.GetPassword());
    if (Document_.GlobalRecords().IndexOfId(BIFFRECID_INTERFACEHDR) < 0) {
        WriteWordRecord(BIFFRECID_INTERFACEHDR, 1200);
        WriteWordRecord(BIFFRECID_MMS, 0);
        WriteEmptyRecord(BIFFRECID_INTERFACEEND);
    }
}

void TXLSWriteBIFF::WriteWindow1() {
    TRecordBytes data;
    const auto& views = Manager_.Workbook().bookViews;
    if (views.Count() == 0) {
        data.Word(100).Word(100).Word(10000).Word(7000).Word(0x0038).Word(0).Word(0).Word(1).Word(600);
    } else {
        const TXc12BookView& view = *views.GetItems(0);
        uint16_t flags = 0;
        if (view.visibility == 1 || view.visibility == 2) flags |= 0x01;
        if (view.minimized) flags |= 0x02;
        if (view.showHorizontalScroll) flags |= 0x08;
        if (view.showVerticalScroll) flags |= 0x10;
        if (view.showSheetTabs) flags |= 0x20;
        if (!view.autoFilterDateGrouping) flags |= 0x40;
        data.Word(static_cast<uint16_t>(view.xWindow))
            .Word(static_cast<uint16_t>(view.yWindow))
            .Word(static_cast<uint16_t>(view.windowWidth))
            .Word(static_cast<uint16_t>(view.windowHeight))
            .Word(flags)
            .Word(static_cast<uint16_t>(view.activeTab))
            .Word(static_cast<uint16_t>(view.firstSheet))
            .Word(1)
            .Word(static_cast<uint16_t>(view.tabRatio));
    }
    WriteRecordData(BIFFRECID_WINDOW1, data);
}

void TXLSWriteBIFF::WriteWriteAccess() {
    std::vector<uint8_t> data(WriteAccessSize, 0x20);
    const std::u16string& user = Manager_.Workbook().WriteAccessUser;
    const size_t n = std::min(user.size(), WriteAccessMaxChars);
    base::StoreLE16(data.data(), static_cast<uint16_t>(n));
    data[2] = 1;
    for (size_t i = 0; i < n; ++i) base::StoreLE16(data.data() + 3 + 2 * i, user[i]);
    WriteRecordData(BIFFRECID_WRITEACCESS, data);
}

void TXLSWriteBIFF::WriteTabId() {
    TRecordBytes data;
    for (size_t i = 0; i < SheetEntries_.size(); ++i) data.Word(static_cast<uint16_t>(i + 1));
    WriteRecordData(BIFFRECID_TABID, data);
}

void TXLSWriteBIFF::WriteBoundsheets() {
    for (TBoundsheetData& entry : SheetEntries_) {
        if (entry.Name.size() > 255) throw EBIFFError("Sheet name too long");
        static constexpr uint8_t SheetTypes[] = {0x00, 0x02, 0x06, 0x01};
        TRecordBytes data;
        data.Long(0).Byte(entry.Hidden).Byte(SheetTypes[entry.Type & 3]);
        AppendText(data, entry.Name);
        Stream_.WriteHeader(BIFFRECID_BOUNDSHEET, static_cast<uint16_t>(data.Bytes.size()));
        entry.Position = Stream_.Position();
        Stream_.WriteRaw(data.Bytes.data(), static_cast<int64_t>(data.Bytes.size()));
    }
}

}  // namespace xls
