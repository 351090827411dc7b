#include "workbook/biff/biff_document.h"

#include "workbook/biff/biff_error.h"
#include "workbook/biff/xls_read.h"
#include "workbook/biff/xls_write.h"
#include "workbook/model/color.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

constexpr int CompileBufferSize = 1024;

}  // namespace

int TStyles::Add(std::span<const uint8_t> body) {
    if (body.size() < 4) throw EBIFFError("STYLE record too short");
    size_t size = 4;
    // A user style (high byte of the XF index 15 or less) carries its name.
    if (body[1] <= 15) {
        const size_t count = base::LoadLE16(body.data() + 2);
        if (count > 0) {
            if (body.size() < 5) throw EBIFFError("STYLE record too short");
            const uint8_t flag = body[4];
            size += flag == 0 ? count + 1 : flag == 1 ? count * 2 + 1 : count;
        }
    }
    if (body.size() < size) throw EBIFFError("STYLE record too short");
    Items_.emplace_back(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(size));
    return Count() - 1;
}

const std::vector<uint8_t>& TStyles::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EBIFFError("List index out of bounds (" + std::to_string(index) + ")");
    return Items_[static_cast<size_t>(index)];
}

void TDrawingGroupPart::LoadFromStream(TXLSStream&, uint16_t) { throw EBIFFError("The drawing group reads no files"); }

TBIFF5::TBIFF5(TXc12Manager& manager) : Manager_(manager) {
    Xc12ResetCurrentPalette();
    Handler_.OnSheetIndex = [this](const std::u16string& name, int& index, int& count) {
        GetSheetIndex(name, index, count);
    };
    Handler_.OnSheetName = [this](int kind, int index, std::u16string& name) { GetSheetName(kind, index, name); };
    Handler_.OnNameIndex = [this](const std::u16string& name) { return GetNameIndex(name); };
    Handler_.OnNameText = [this](int index) { return GetNameText(index); };
    Sheets_ = std::make_unique<TSheets>(*this, Handler_);
    Sheets_->Add(0);
    SetVersion(xvExcel97);
}

void TBIFF5::Clear() {
    Handler_.Clear();
    GlobalRecords_.SetDefaults();
    DefaultStyles = true;
    ResetSheets();
    Styles_.Clear();
    if (ChartSheets) ChartSheets->Clear();
    if (PictureGroup) PictureGroup->Clear();
    ExtraObjects_.Clear();
    if (VBA_) VBA_->Clear();
    VersionRead = xvNone;
}

void TBIFF5::SetKeepVBA(bool keep) {
    if (!keep)
        VBA_.reset();
    else if (!VBA_)
        VBA_ = std::make_unique<TXLSVBA>();
}

void TBIFF5::ResetSheets() { Sheets_->ClearToOne(); }

void TBIFF5::SetVersion(TExcelVersion version) {
    Version_ = version;
    MaxRecordSize_ = version < xvExcel97 ? MAXRECSZ_40 : MAXRECSZ_97;
}

void TBIFF5::LoadFromStream(base::TStream* stream) {
    Manager_.Clear();
    Clear();
    Sheets_->Clear();
    // Whatever happens, the workbook keeps one sheet in the model and in the document.
    auto keepOne = [this] {
        if (Sheets_->Count() > 0) return;
        Sheets_->Add(0).SetNameDirect(u"Sheet1");
        if (Manager_.Worksheets().Count() == 0) Manager_.Worksheets().Add(-1)->Name = u"Sheet1";
    };
    try {
        TXLSReadBIFF reader(*this);
        reader.Read(stream);
    } catch (...) {
        keepOne();
        throw;
    }
    keepOne();
}

void TBIFF5::SaveToStream(base::TStream* stream) {
    if (Version_ == xvExcel21 || Version_ == xvExcel30) throw EBIFFError("Can not write Excel 2.1/3.0 files");
    if (OnProgress) OnProgress(0);
    // The file's sheet list holds the chart sheets too.
    Handler_.ExternalNames().SetInternalSheetCount(Manager_.Worksheets().Count() +
                                                   (ChartSheets ? ChartSheets->Count() : 0));
    TXLSWriteBIFF writer(*this);
    writer.Write(stream);
    if (OnProgress) OnProgress(100);
}

TSheet& TBIFF5::AddSheet() {
    TSheet& sheet = Sheets_->Add(0);
    Handler_.SheetInserted(Sheets_->Count() - 1);
    return sheet;
}

void TBIFF5::DeleteSheet(int index) { Sheets_->Delete(index, true); }

std::vector<uint8_t> TBIFF5::CompileFormula(const std::u16string& text) {
    std::vector<uint8_t> buffer(CompileBufferSize + 1);
    buffer[0] = 0xFF;
    const int length = Handler_.EncodeFormula(text, 0, CompileBufferSize, buffer.data() + 1);
    buffer.resize(static_cast<size_t>(length) + 1);
    return buffer;
}

void TBIFF5::GetSheetIndex(const std::u16string& name, int& index, int& count) const {
    index = Manager_.Worksheets().IndexOfName(name);
    count = index < 0 ? 0 : Manager_.Worksheets().Count();
}

int TBIFF5::GetNameIndex(const std::u16string& name) const {
    const TXc12DefinedNames* names = Manager_.Workbook().definedNames.get();
    return names ? names->IndexOfName(name, -1) : -1;
}

std::u16string TBIFF5::GetNameText(int index) const {
    const TXc12DefinedNames* names = Manager_.Workbook().definedNames.get();
    const TXc12DefinedName* name = names && index >= 0 && index < names->Count() ? names->GetItems(index) : nullptr;
    return name ? name->name : std::u16string();
}

void TBIFF5::GetSheetName(int kind, int index, std::u16string& name) const {
    if (kind == 0) {
        const TXc12DataWorksheets& sheets = Manager_.Worksheets();
        name = index >= 0 && index < sheets.Count() ? sheets.GetItems(index)->Name : u"";
    } else if (kind == 1) {
        name.clear();
    }
}

}  // namespace xls
