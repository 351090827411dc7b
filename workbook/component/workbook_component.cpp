#include "workbook/component/workbook_component.h"

#include <algorithm>

#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_document_link.h"
#include "workbook/biff/chart/document_charts.h"
#include "workbook/component/empty_workbook.h"
#include "workbook/model/exceptions.h"
#include "workbook/ooxml/zip/zip_archive.h"

namespace xls {

namespace {

constexpr int WarnWorkbookNotEmpty = 6003;
constexpr int MaxSheetsOnClear = 255;

// The extension of a file name, lower-cased (ASCII letters), with its dot; empty without one.
std::string LowerExtension(std::u16string_view fileName) {
    const std::string name = base::Utf16ToUtf8(fileName);
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = name.substr(dot);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

// Whether the stream begins with a ZIP local header; the position is left where it was.
bool IsZipStream(base::TStream& stream) {
    uint8_t head[4] = {};
    const int64_t got = stream.Read(head, 4);
    stream.Seek(-got, base::TSeekOrigin::soCurrent);
    return got == 4 && head[0] == 'P' && head[1] == 'K' && head[2] == 3 && head[3] == 4;
}

}  // namespace

TVUZAzurEruraWorkbook::TVUZAzurEruraWorkbook() {
    Manager_ = std::make_unique<TXc12Manager>(Factory_, Errors_);
    Factory_.SetManager(Manager_.get());
    Manager_->CreateParts();
    Factory_.SetGraphicManager(&Manager_->GraphicManager());
    Manager_->SetVersion(xvExcel2007);
    Formulas_ = std::make_unique<TXLSFormulaServices>(*Manager_);
    Workbook_ = std::make_unique<TXLSWorkbook>(*Manager_, *Formulas_);
    Workbook_->PictureToBiff = [this](const TXLSPictureSource& picture, int sheet, double row2Offset,
                                      double col2Offset) {
        return AddPictureToBiff(picture, sheet, row2Offset, col2Offset);
    };
    Clear(1);
}

TVUZAzurEruraWorkbook::~TVUZAzurEruraWorkbook() {
    // The binary document and its link refer to the document root: they go first.
    FreeBiff();
    Workbook_.reset();
    Formulas_.reset();
    Manager_.reset();
}

void TVUZAzurEruraWorkbook::FreeBiff() {
    Workbook_->SetBiff(nullptr);
    Formulas_->Document().SetExternSheets(nullptr);
    BiffLink_.reset();
    Biff_.reset();
}

TBIFF5& TVUZAzurEruraWorkbook::NewBiff() {
    FreeBiff();
    Biff_ = std::make_unique<TBIFF5>(*Manager_);
    AttachDrawingLayer(*Biff_);
    BiffLink_ = std::make_unique<TBIFFDocumentLink>(*Biff_);
    Workbook_->SetBiff(BiffLink_.get());
    Formulas_->Document().SetExternSheets(&Biff_->FormulaHandler());
    Manager_->OnPassword = OnPassword;
    Biff_->SetKeepVBA(KeepVBA_);
    return *Biff_;
}

void TVUZAzurEruraWorkbook::SetPassword(std::u16string_view password) {
    Manager_->Password = password;
    if (Biff_) Biff_->SetPassword(Manager_->Password);
}

void TVUZAzurEruraWorkbook::SetKeepVBA(bool keep) {
    KeepVBA_ = keep;
    if (Biff_) Biff_->SetKeepVBA(keep);
}

void TVUZAzurEruraWorkbook::Clear(int sheetCount) {
    Manager_->Clear();
    Workbook_->ClearSheets();
    FreeBiff();
    // Clearing the document root forgets the names in use; they stay the interface's.
    Manager_->Names = Workbook_->Names();
    const int count = std::clamp(sheetCount, 0, MaxSheetsOnClear);
    for (int i = 0; i < count; ++i) Workbook_->AddSheet();
}

TExcelVersion TVUZAzurEruraWorkbook::GetVersion() const { return Biff_ ? xvExcel97 : xvExcel2007; }

void TVUZAzurEruraWorkbook::SetVersion(TExcelVersion value) {
    if (value == GetVersion()) return;
    if (value != xvExcel97) {
        FreeBiff();
        Manager_->SetVersion(xvExcel2007);
        return;
    }
    if (SheetCount() > 1 || (SheetCount() == 1 && !GetSheets(0)->IsEmpty())) Errors_.Warning(u"", WarnWorkbookNotEmpty);
    LoadEmptyWorkbook();
}

void TVUZAzurEruraWorkbook::LoadEmptyWorkbook() {
    Clear(1);
    Manager_->SetVersion(xvExcel97);
    const std::span<const uint8_t> archiveBytes = EmptyWorkbookArchive();
    base::TMemoryStream source =
        base::TMemoryStream::View(archiveBytes.data(), static_cast<int64_t>(archiveBytes.size()));
    TXLSZipArchive archive;
    archive.OpenFromStream(source);
    base::TMemoryStream workbook;
    archive.GetFiles(0).ExtractToStream(workbook);
    archive.Close();
    workbook.SetPosition(0);
    ReadBIFF(&workbook);
    // The template's styles are never compacted away.
    Manager_->StyleSheet().XFEditor().SetAllBuiltIn();
}

void TVUZAzurEruraWorkbook::Read() { LoadFromFile(GetFilename()); }

void TVUZAzurEruraWorkbook::LoadFromFile(std::u16string_view fileName) {
    SetFilename(fileName);
    const std::string ext = LowerExtension(fileName);
    if (ext == ".xls" || ext == ".xlm") {
        try {
            ReadBIFF(nullptr);
        } catch (...) {
            RecoverFromFailedRead();
            throw;
        }
        return;
    }
    // A file that can not be opened leaves the workbook as it was.
    base::TFileStream stream(base::Utf16ToUtf8(fileName), base::fmOpenRead | base::fmShareDenyNone);
    LoadFromStream(stream, true);
}

void TVUZAzurEruraWorkbook::LoadFromStream(base::TStream& stream, bool checkZip) {
    if (checkZip && !IsZipStream(stream)) {
        LoadBIFFFromStream(stream);
        return;
    }
    ReadPackage(stream);
}

void TVUZAzurEruraWorkbook::LoadBIFFFromStream(base::TStream& stream) {
    try {
        ReadBIFF(&stream);
    } catch (...) {
        RecoverFromFailedRead();
        throw;
    }
}

void TVUZAzurEruraWorkbook::ReadBIFF(base::TStream* stream) {
    Manager_->SetVersion(xvExcel97);
    Clear(0);
    BeforeRead();
    TBIFF5& biff = NewBiff();
    biff.SetFilename(base::Utf16ToUtf8(GetFilename()));
    biff.LoadFromStream(stream);
    AfterRead();
}

void TVUZAzurEruraWorkbook::ReadPackage(base::TStream& stream) {
    (void)stream;
    // Refused before anything is cleared: the workbook stays as it was.
    throw EXLSError(u"Open XML (.xlsx) workbooks are not supported yet");
}

void TVUZAzurEruraWorkbook::RecoverFromFailedRead() {
    // Whatever the read left, the workbook becomes the empty Excel 97 workbook, so that every
    // later report finds its first sheet and is still written as .xls.
    LoadEmptyWorkbook();
}

void TVUZAzurEruraWorkbook::BeforeRead() { Manager_->BeginLoad(); }

void TVUZAzurEruraWorkbook::AfterRead() {
    Workbook_->BuildSheets();
    Manager_->AfterLoad();
    if (!Biff_) return;
    ImportBIFFPictures();
    ImportBIFFNotes();
}

void TVUZAzurEruraWorkbook::Write() { SaveToFile(GetFilename()); }

void TVUZAzurEruraWorkbook::SaveToFile(std::u16string_view fileName) {
    SetFilename(fileName);
    if (Biff_) {
        BeforeWrite();
        Biff_->SetFilename(base::Utf16ToUtf8(fileName));
        Biff_->Write();
        return;
    }
    base::TMemoryStream package;
    SaveToStream(package);
    package.SaveToFile(base::Utf16ToUtf8(fileName));
}

void TVUZAzurEruraWorkbook::SaveToStream(base::TStream& stream) {
    BeforeWrite();
    if (Biff_) {
        Biff_->SaveToStream(&stream);
        return;
    }
    WritePackage(stream);
}

void TVUZAzurEruraWorkbook::WritePackage(base::TStream& stream) {
    (void)stream;
    throw EXLSError(u"Open XML (.xlsx) workbooks are not supported yet");
}

void TVUZAzurEruraWorkbook::BeforeWrite() { Workbook_->PrepareWrite(); }

void TVUZAzurEruraWorkbook::Calculate() { Formulas_->Handler().Calculate(); }

}  // namespace xls
