#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "pdf/pdf_doc_info.h"
#include "pdf/pdf_fonts.h"
#include "pdf/pdf_image.h"
#include "pdf/pdf_object_writer.h"
#include "pdf/pdf_pages.h"

namespace pdf {

enum class TCompressionType { ctNone, ctFlate };
enum class TPageLayout { plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight };
enum class TPageMode { pmUseNone, pmUseOutlines, pmUseThumbs, pmFullScreen };
enum class TPDFVersion { v13, v14, v15, v16 };
enum class TPDFKeyLength { kl40, kl128 };
enum class TPDFCriptoOption {
    coPrint,
    coModifyStructure,
    coCopyInformation,
    coModifyAnnotation,
    coPrintHi,
    coFillAnnotation,
    coExtractInfo,
    coAssemble
};
using TPDFCtiptoOptions = std::set<TPDFCriptoOption>;
enum class TViewerPreference { vpHideToolBar, vpHideMenuBar, vpHideWindowUI, vpFitWindow, vpCenterWindow };
using TViewerPreferences = std::set<TViewerPreference>;

// Turns drawing into one PDF file: BeginDoc, draw on CurrentPage, NewPage between pages,
// EndDoc. Objects are numbered and written as soon as they are finished; the same
// component can run any number of documents one after another.
class TPDFDocument {
public:
    TPDFDocument();
    // An open document is aborted: its partial file is deleted rather than left truncated.
    ~TPDFDocument();
    TPDFDocument(const TPDFDocument&) = delete;
    TPDFDocument& operator=(const TPDFDocument&) = delete;

    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();

    bool Generating() const { return Generating_; }
    bool Aborted() const { return Aborted_; }
    // The page being drawn; null while no document is open.
    TPDFPage* CurrentPage() const { return CurrentPage_; }
    // The metafile canvas of the current page; null while no page is open.
    platform::TMetafileCanvas* GetCanvas() const { return CurrentPage_ ? CurrentPage_->Canvas() : nullptr; }
    const TPDFPages& Pages() const { return *Pages_; }
    TPDFFonts& Fonts() { return *Fonts_; }
    TPDFImages& Images() { return *Images_; }
    // A numbered URI action, written at the end of the document.
    TPDFURLAction& AddURLAction(const std::string& url);
    // The actions in the order they were added (links add theirs), to chain them.
    size_t ActionCount() const { return Actions_.size(); }
    TPDFURLAction& GetAction(size_t index) const { return *Actions_.at(index); }
    // Registers an image while a document is open and returns its index for ShowImage.
    int AddImage(const TPDFBitmap& graphic, TPDFImageCompression compression, int transparentColor = -1,
                 bool isMask = false, int maskIndex = -1);
    int AddImage(const TPDFJpeg& graphic, TPDFImageCompression compression, int transparentColor = -1,
                 bool isMask = false, int maskIndex = -1);
    const std::string& FileID() const { return FileID_; }
    // The permission value P of the open or last document.
    int32_t Permissions() const { return Permissions_; }

    // The object writer of the open document (raises when none is open).
    TPDFObjectWriter& Writer();
    int PagesObjNumber() const { return PagesObjNumber_; }

    bool AutoLaunch() const { return AutoLaunch_; }
    void SetAutoLaunch(bool value) { AutoLaunch_ = value; }
    const std::string& FileName() const { return FileName_; }
    void SetFileName(const std::string& value);
    TCompressionType Compression() const { return Compression_; }
    void SetCompression(TCompressionType value) { Compression_ = value; }
    const TPDFDocInfo& DocumentInfo() const { return DocumentInfo_; }
    void SetDocumentInfo(const TPDFDocInfo& value) { DocumentInfo_.Assign(value); }
    TPageLayout PageLayout() const { return PageLayout_; }
    void SetPageLayout(TPageLayout value) { PageLayout_ = value; }
    TPageMode PageMode() const { return PageMode_; }
    void SetPageMode(TPageMode value) { PageMode_ = value; }
    bool ProtectionEnabled() const { return ProtectionEnabled_; }
    void SetProtectionEnabled(bool value);
    const TPDFCtiptoOptions& ProtectionOptions() const { return ProtectionOptions_; }
    void SetProtectionOptions(const TPDFCtiptoOptions& value);
    const std::string& OwnerPassword() const { return OwnerPassword_; }
    void SetOwnerPassword(const std::string& value);
    const std::string& UserPassword() const { return UserPassword_; }
    void SetUserPassword(const std::string& value);
    const std::vector<std::string>& NonEmbeddedFont() const { return NonEmbeddedFont_; }
    void SetNonEmbeddedFont(const std::vector<std::string>& value) { NonEmbeddedFont_ = value; }
    int JPEGQuality() const { return JPEGQuality_; }
    void SetJPEGQuality(int value) { JPEGQuality_ = value; }
    int Resolution() const { return Resolution_; }
    void SetResolution(int value) { Resolution_ = value; }
    const TViewerPreferences& ViewerPreferences() const { return ViewerPreferences_; }
    void SetViewerPreferences(const TViewerPreferences& value) { ViewerPreferences_ = value; }
    bool AutoCreateURL() const { return AutoCreateURL_; }
    void SetAutoCreateURL(bool value) { AutoCreateURL_ = value; }
    bool OnePass() const { return OnePass_; }
    void SetOnePass(bool value);
    TPDFVersion Version() const { return Version_; }
    void SetVersion(TPDFVersion value);
    bool EMFImageAsJpeg() const { return EMFImageAsJpeg_; }
    void SetEMFImageAsJpeg(bool value) { EMFImageAsJpeg_ = value; }
    TPDFKeyLength ProtectionKeyLength() const { return ProtectionKeyLength_; }
    void SetProtectionKeyLength(TPDFKeyLength value);
    bool EmulateStandardFont() const { return EmulateStandardFont_; }
    void SetEmulateStandardFont(bool value);
    bool ReDrawEMFFile() const { return ReDrawEMFFile_; }
    void SetReDrawEMFFile(bool value) { ReDrawEMFFile_ = value; }

private:
    void ResetModel();
    void CheckIdle() const;
    void CheckGenerating() const;
    void WriteDocument();
    // Writes a page and then the images it drew that are not written yet.
    void SavePage(TPDFPage& page);
    void WriteInfo();
    void WritePageTree();
    void WriteCatalog();
    void WriteEncryption();
    void WriteTrailer(uint32_t xrefOffset);

    bool AutoLaunch_ = false;
    std::string FileName_;
    TCompressionType Compression_ = TCompressionType::ctNone;
    TPDFDocInfo DocumentInfo_;
    TPageLayout PageLayout_ = TPageLayout::plSinglePage;
    TPageMode PageMode_ = TPageMode::pmUseNone;
    bool ProtectionEnabled_ = false;
    TPDFCtiptoOptions ProtectionOptions_;
    std::string OwnerPassword_;
    std::string UserPassword_;
    std::vector<std::string> NonEmbeddedFont_;
    int JPEGQuality_ = 80;
    int Resolution_ = 72;
    TViewerPreferences ViewerPreferences_;
    bool AutoCreateURL_ = true;
    bool OnePass_ = false;
    TPDFVersion Version_ = TPDFVersion::v13;
    bool EMFImageAsJpeg_ = false;
    TPDFKeyLength ProtectionKeyLength_ = TPDFKeyLength::kl40;
    bool EmulateStandardFont_ = false;
    bool ReDrawEMFFile_ = true;

    bool Generating_ = false;
    bool Aborted_ = false;
    int PagesObjNumber_ = 0;
    int CatalogObjNumber_ = 0;
    std::string FileID_;
    int32_t Permissions_ = 0;
    std::unique_ptr<TPDFSecurity> Security_;
    int EncryptObjNumber_ = 0;
    std::unique_ptr<TPDFObjectWriter> Writer_;
    std::unique_ptr<TPDFPages> Pages_;
    std::unique_ptr<TPDFFonts> Fonts_;
    std::unique_ptr<TPDFImages> Images_;
    std::vector<std::unique_ptr<TPDFURLAction>> Actions_;
    TPDFPage* CurrentPage_ = nullptr;
};

}  // namespace pdf
