#include "pdf/pdf_document.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "base/byte_reader.h"
#include "base/date_time.h"
#include "base/file_stream.h"
#include "base/md5.h"
#include "base/text_encoding.h"
#include "pdf/pdf_date_time.h"
#include "pdf/pdf_encoding.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_number_format.h"
#include "platform/open_with_desktop.h"

namespace pdf {
namespace {

const char* const InProgress = "Generation PDF file in progress";
const char* const NotActivated = "Generation PDF file not activated";

std::string Reference(std::string_view key, int number) {
    std::string line(key);
    AppendPDFInt(line, number);
    line += " 0 R";
    return line;
}

// ASCII stays as it is; other UTF-8 texts become UTF-16BE text strings with a byte-order
// mark, the form readers decode whatever their code page.
std::string InfoText(const std::string& value) {
    if (std::all_of(value.begin(), value.end(), [](char c) { return uint8_t(c) < 0x80; })) return value;
    std::string text = "\xFE\xFF";
    for (char16_t unit : base::Utf8ToUtf16(value)) {
        text.push_back(char(unit >> 8));
        text.push_back(char(unit & 0xFF));
    }
    return text;
}

}  // namespace

TPDFDocument::TPDFDocument()
    : Pages_(std::make_unique<TPDFPages>(*this)),
      Fonts_(std::make_unique<TPDFFonts>(*this)),
      Images_(std::make_unique<TPDFImages>(*this)) {}

TPDFDocument::~TPDFDocument() {
    if (!Generating_) return;
    try {
        Abort();
    } catch (...) {
        // Nothing can be reported from a destructor; the file is gone or never existed.
    }
}

void TPDFDocument::CheckIdle() const {
    if (Generating_) throw TPDFException(InProgress);
}

void TPDFDocument::CheckGenerating() const {
    if (!Generating_) throw TPDFException(NotActivated);
}

TPDFObjectWriter& TPDFDocument::Writer() {
    CheckGenerating();
    return *Writer_;
}

void TPDFDocument::SetFileName(const std::string& value) {
    CheckIdle();
    FileName_ = value;
}

void TPDFDocument::SetProtectionEnabled(bool value) {
    CheckIdle();
    ProtectionEnabled_ = value;
}

void TPDFDocument::SetProtectionOptions(const TPDFCtiptoOptions& value) {
    CheckIdle();
    ProtectionOptions_ = value;
}

void TPDFDocument::SetOwnerPassword(const std::string& value) {
    CheckIdle();
    OwnerPassword_ = value;
}

void TPDFDocument::SetUserPassword(const std::string& value) {
    CheckIdle();
    UserPassword_ = value;
}

void TPDFDocument::SetOnePass(bool value) {
    CheckIdle();
    OnePass_ = value;
}

void TPDFDocument::SetVersion(TPDFVersion value) {
    Version_ = value;
    if (value == TPDFVersion::v13) ProtectionKeyLength_ = TPDFKeyLength::kl40;
}

void TPDFDocument::SetProtectionKeyLength(TPDFKeyLength value) {
    if (value == ProtectionKeyLength_) return;
    if (Generating_) throw TPDFException("Cannot change this value");
    ProtectionKeyLength_ = value;
    // 128-bit keys need PDF 1.4.
    if (value == TPDFKeyLength::kl128 && Version_ == TPDFVersion::v13) Version_ = TPDFVersion::v14;
}

void TPDFDocument::SetEmulateStandardFont(bool value) {
    if (value == EmulateStandardFont_) return;
    if (Generating_) throw TPDFException("Cannot change this value");
    EmulateStandardFont_ = value;
}

void TPDFDocument::ResetModel() {
    PagesObjNumber_ = 0;
    CatalogObjNumber_ = 0;
    EncryptObjNumber_ = 0;
    Security_.reset();
    DocumentInfo_.SetObjNumber(0);
    CurrentPage_ = nullptr;
    Pages_->Clear();
    Fonts_->Clear();
    Images_->Clear();
    Actions_.clear();
    Writer_.reset();
}

void TPDFDocument::BeginDoc() {
    CheckIdle();
    ResetModel();
    // The time repeats for files written within one millisecond: random bytes keep every file's
    // identifier, and so its encryption key, its own.
    std::string identified = FileName_ + FormatFileIdTime(base::NowDateTime());
    std::random_device random;
    for (int i = 0; i < 4; ++i) base::AppendLE32(identified, random());
    FileID_ = base::MD5String(identified);
    Writer_ = std::make_unique<TPDFObjectWriter>(std::make_unique<base::TFileStream>(FileName_, base::fmCreate));
    const bool strong = ProtectionKeyLength_ == TPDFKeyLength::kl128;
    auto has = [this](TPDFCriptoOption option) { return ProtectionOptions_.count(option) > 0; };
    Permissions_ = PermissionValue({has(TPDFCriptoOption::coPrint), has(TPDFCriptoOption::coModifyStructure),
                                    has(TPDFCriptoOption::coCopyInformation), has(TPDFCriptoOption::coModifyAnnotation),
                                    has(TPDFCriptoOption::coFillAnnotation), has(TPDFCriptoOption::coExtractInfo),
                                    has(TPDFCriptoOption::coAssemble), has(TPDFCriptoOption::coPrintHi)},
                                   strong);
    if (ProtectionEnabled_) {
        Security_ = std::make_unique<TPDFSecurity>(
            ComputeSecurity(OwnerPassword_, UserPassword_, Permissions_, strong, FileID_));
        Writer_->SetSecurity(Security_.get());
    }
    static constexpr const char* Headers[] = {"%PDF-1.3", "%PDF-1.4", "%PDF-1.5", "%PDF-1.6"};
    Writer_->WriteLine(Headers[int(Version_)]);
    // Bytes above 127 mark the file as binary for transfer programs.
    Writer_->WriteLine("%\xD2\xE5\xD1\xF2");
    Generating_ = true;
    Aborted_ = false;
    PagesObjNumber_ = Writer_->NextObjectNumber();
    CurrentPage_ = &Pages_->Add();
    CurrentPage_->CreateCanvas();
}

int TPDFDocument::AddImage(const TPDFBitmap& graphic, TPDFImageCompression compression, int transparentColor,
                           bool isMask, int maskIndex) {
    CheckGenerating();
    Images_->Add(graphic, compression, transparentColor, isMask, maskIndex);
    return Images_->Count() - 1;
}

int TPDFDocument::AddImage(const TPDFJpeg& graphic, TPDFImageCompression compression, int transparentColor, bool isMask,
                           int maskIndex) {
    CheckGenerating();
    Images_->Add(graphic, compression, transparentColor, isMask, maskIndex);
    return Images_->Count() - 1;
}

TPDFURLAction& TPDFDocument::AddURLAction(const std::string& url) {
    CheckGenerating();
    Actions_.push_back(std::make_unique<TPDFURLAction>(TPDFURLAction{Writer_->NextObjectNumber(), url}));
    return *Actions_.back();
}

void TPDFDocument::SavePage(TPDFPage& page) {
    page.Save();
    for (TPDFImage* image : page.Images()) image->Save(*Writer_);
}

void TPDFDocument::NewPage() {
    CheckGenerating();
    CurrentPage_->CloseCanvas();
    if (OnePass_) SavePage(*CurrentPage_);
    CurrentPage_ = &Pages_->Add();
    CurrentPage_->CreateCanvas();
}

void TPDFDocument::EndDoc() {
    try {
        WriteDocument();
    } catch (...) {
        if (Generating_) Abort();
        throw;
    }
    ResetModel();
    Generating_ = false;
    Aborted_ = false;
    if (AutoLaunch_) platform::OpenWithDesktop(FileName_);
}

void TPDFDocument::Abort() {
    CheckGenerating();
    ResetModel();
    std::remove(FileName_.c_str());
    Aborted_ = true;
    Generating_ = false;
}

void TPDFDocument::WriteDocument() {
    CheckGenerating();
    CurrentPage_->CloseCanvas();
    if (OnePass_) SavePage(*CurrentPage_);
    WriteInfo();
    WritePageTree();
    if (!OnePass_)
        for (int i = 0; i < Pages_->Count(); ++i) SavePage(Pages_->GetPage(i));
    for (int i = 0; i < Images_->Count(); ++i) Images_->GetImage(i).Save(*Writer_);
    for (const auto& action : Actions_) action->Save(*Writer_);
    for (int i = 0; i < Fonts_->Count(); ++i) Fonts_->GetFont(i).Save(*Writer_);
    WriteCatalog();
    if (Security_) WriteEncryption();
    const uint32_t xrefOffset = Writer_->WriteXref();
    WriteTrailer(xrefOffset);
    Writer_->Flush();
}

void TPDFDocument::WriteInfo() {
    int number = DocumentInfo_.ObjNumber();
    Writer_->BeginObject(number);
    DocumentInfo_.SetObjNumber(number);
    auto entry = [this](std::string_view key, const std::string& value) {
        std::string line(key);
        line += EscapeString(Writer_->Crypt(InfoText(value), DocumentInfo_.ObjNumber()));
        line += ')';
        Writer_->WriteLine(line);
    };
    entry("/Creator (", DocumentInfo_.Creator());
    entry("/CreationDate (", "D:" + FormatPDFDate(DocumentInfo_.CreationDate()));
    entry("/Producer (", DocumentInfo_.Producer());
    entry("/Author (", DocumentInfo_.Author());
    entry("/Title (", DocumentInfo_.Title());
    entry("/Subject (", DocumentInfo_.Subject());
    entry("/Keywords (", DocumentInfo_.Keywords());
    Writer_->EndDictionary();
    Writer_->EndObject();
}

void TPDFDocument::WritePageTree() {
    Writer_->BeginObject(PagesObjNumber_);
    Writer_->WriteLine("/Type /Pages");
    Writer_->WriteLine("/Kids [");
    for (int i = 0; i < Pages_->Count(); ++i) Writer_->WriteLine(Reference("", Pages_->GetPage(i).PageObjNumber()));
    Writer_->WriteLine("]");
    Writer_->WriteLine("/Count " + FormatPDFInt(Pages_->Count()));
    Writer_->EndDictionary();
    Writer_->EndObject();
}

void TPDFDocument::WriteCatalog() {
    static constexpr const char* Layouts[] = {"/PageLayout /SinglePage", "/PageLayout /OneColumn",
                                              "/PageLayout /TwoColumnLeft", "/PageLayout /TwoColumnRight"};
    static constexpr const char* Modes[] = {"/PageMode /UseNone", "/PageMode /UseOutlines", "/PageMode /UseThumbs",
                                            "/PageMode /FullScreen"};
    static constexpr const char* Preferences[] = {"/HideToolbar true", "/HideMenubar true", "/HideWindowUI true",
                                                  "/FitWindow true", "/CenterWindow true"};
    Writer_->BeginObject(CatalogObjNumber_);
    Writer_->WriteLine("/Type /Catalog");
    Writer_->WriteLine(Reference(" /Pages ", PagesObjNumber_));
    Writer_->WriteLine(Layouts[int(PageLayout_)]);
    if (!ViewerPreferences_.empty()) {
        Writer_->WriteLine("/ViewerPreferences <<");
        for (TViewerPreference preference : ViewerPreferences_) Writer_->WriteLine(Preferences[int(preference)]);
        Writer_->WriteLine(">>");
    }
    Writer_->WriteLine(Modes[int(PageMode_)]);
    Writer_->EndDictionary();
    Writer_->EndObject();
}

void TPDFDocument::WriteEncryption() {
    Writer_->BeginObject(EncryptObjNumber_);
    Writer_->WriteLine("/Filter /Standard");
    if (Security_->Strong) {
        Writer_->WriteLine("/V 2");
        Writer_->WriteLine("/R 3");
        Writer_->WriteLine("/Length 128");
    } else {
        Writer_->WriteLine("/V 1");
        Writer_->WriteLine("/R 2");
    }
    Writer_->WriteLine("/P " + FormatPDFInt(Security_->P));
    Writer_->WriteLine("/O (" + EscapeString(Security_->O) + ")");
    Writer_->WriteLine("/U (" + EscapeString(Security_->UserEntry()) + ")");
    Writer_->EndDictionary();
    Writer_->EndObject();
}

void TPDFDocument::WriteTrailer(uint32_t xrefOffset) {
    Writer_->WriteLine("trailer");
    Writer_->WriteLine("<<");
    Writer_->WriteLine("/Size " + FormatPDFInt(Writer_->ObjectCount() + 1));
    Writer_->WriteLine(Reference("/Root ", CatalogObjNumber_));
    Writer_->WriteLine(Reference("/Info ", DocumentInfo_.ObjNumber()));
    if (Security_) Writer_->WriteLine(Reference("/Encrypt ", EncryptObjNumber_));
    Writer_->WriteLine("/ID [<" + FileID_ + "><" + FileID_ + ">]");
    Writer_->WriteLine(">>");
    Writer_->WriteLine("startxref");
    Writer_->WriteLine(FormatPDFInt(xrefOffset));
    Writer_->WriteLine("%%EOF");
}

}  // namespace pdf
