#include "workbook/model/file_data.h"

#include "base/text_encoding.h"
#include "workbook/model/exceptions.h"

namespace xls {

const char* const DefaultCorePropertiesText =
    "<cp:coreProperties"
    " xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
    " xmlns:dcterms=\"http://purl.org/dc/terms/\""
    " xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\r"
    "  <dc:creator></dc:creator>\r"
    "  <cp:lastModifiedBy></cp:lastModifiedBy>\r"
    "  <dcterms:created xsi:type=\"dcterms:W3CDTF\">2000-01-01T12:00:00Z</dcterms:created>\r"
    "  <dcterms:modified xsi:type=\"dcterms:W3CDTF\">2000-01-01T12:00:00Z</dcterms:modified>\r"
    "</cp:coreProperties>";

namespace {

constexpr std::u16string_view AppNamespace =
    u"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties";
constexpr std::u16string_view VariantTypesNamespace =
    u"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
constexpr std::u16string_view PrinterSettingsPrefix = u"printerSettings";

bool IsDropped(std::u16string_view fileName) {
    return fileName == u"calcChain.xml" || fileName == u"app.xml" ||
           fileName.substr(0, PrinterSettingsPrefix.size()) == PrinterSettingsPrefix;
}

}  // namespace

TXc12FileData::TXc12FileData(TXc12OoxmlServices* services) {
    if (services != nullptr) {
        ContentTypes_ = services->CreateContentTypes();
        AppProperties_ = services->CreateAppProperties();
        CoreProperties_ = services->CreateDocument();
        Package_ = services->CreatePackage();
    }
    WriteDefaults();
}

void TXc12FileData::WriteDefaults() {
    if (AppProperties_) {
        AppProperties_->AddRootAttribute(u"xmlns", AppNamespace);
        AppProperties_->AddRootAttribute(u"xmlns:vt", VariantTypesNamespace);
    }
    if (CoreProperties_) CoreProperties_->LoadFromString(base::Utf8ToUtf16(DefaultCorePropertiesText));
}

void TXc12FileData::Clear() {
    if (AppProperties_) AppProperties_->Clear();
    if (CoreProperties_) CoreProperties_->Clear();
    RootParts_.Clear();
    WorkbookParts_.Clear();
    Sheets_.clear();
    SheetIndex_.clear();
    if (Package_) Package_->Clear();
    WriteDefaults();
}

TXc12Package& TXc12FileData::RequirePackage() const {
    if (!Package_) throw EXLSError("The document has no Open XML package");
    return *Package_;
}

void TXc12FileData::BeginRead(base::TStream& stream) {
    TXc12Package& package = RequirePackage();
    package.OpenRead(stream, UseAlternateZip);
    if (std::unique_ptr<base::TStream> types = package.GetContentTypesStream(); types && ContentTypes_)
        ContentTypes_->LoadFromStream(*types);
    if (std::unique_ptr<base::TStream> core = package.ReadDocPropsCore(); core && CoreProperties_)
        CoreProperties_->LoadFromStream(*core);
}

void TXc12FileData::AddSheetId(std::string_view relId) {
    SheetIndex_.emplace(std::string(relId), static_cast<int>(Sheets_.size()));
    Sheets_.push_back({std::string(relId), nullptr});
}

TXLSSavedFileDataSheet* TXc12FileData::SheetParts(int sheetIndex) const {
    if (sheetIndex < 0 || sheetIndex >= SheetCount()) return nullptr;
    return Sheets_[static_cast<size_t>(sheetIndex)].Parts.get();
}

void TXc12FileData::KeepPart(TXc12UnreadPart part) {
    if (part.External || IsDropped(part.FileName)) return;
    auto kept = std::make_unique<TXLSSavedFileData>();
    kept->RelationshipType = part.RelationshipType;
    kept->Target = part.Target;
    kept->ContentType = part.ContentType;
    kept->Data = std::move(part.Data);
    if (part.ParentRelationshipType == OpcRelTypeWorksheet) {
        const auto found = SheetIndex_.find(part.ParentRelId);
        if (found == SheetIndex_.end()) throw EXLSError("Unknown OPC sheet id \"" + part.ParentRelId + "\"");
        std::unique_ptr<TXLSSavedFileDataSheet>& sheet = Sheets_[static_cast<size_t>(found->second)].Parts;
        if (!sheet) sheet = std::make_unique<TXLSSavedFileDataSheet>();
        (part.RelationshipType == OpcRelTypeTable ? sheet->Tables : sheet->Other).Append(std::move(kept));
    } else if (part.ParentRelationshipType == OpcRelTypeOfficeDocument) {
        WorkbookParts_.Append(std::move(kept));
    } else {
        RootParts_.Append(std::move(kept));
    }
}

void TXc12FileData::KeepUnreadParts() {
    for (TXc12UnreadPart& part : RequirePackage().LoadUnreadItems()) KeepPart(std::move(part));
}

void TXc12FileData::BeginWrite(base::TStream& stream) {
    TXc12Package& package = RequirePackage();
    package.Clear();
    package.OpenWrite(stream, UseAlternateZip);
    base::TMemoryStream core;
    if (CoreProperties_) CoreProperties_->SaveToStream(core);
    core.SetPosition(0);
    package.WriteDocPropsCore(core);
}

void TXc12FileData::WriteKept(TXLSSavedFileDataList& list, TXc12PackageItem* parent) {
    TXc12Package& package = RequirePackage();
    for (int i = 0; i < list.Count(); ++i) {
        TXLSSavedFileData& part = *list.GetItems(i);
        TXc12PackageItem* item = package.CreateItem(parent, part.RelationshipType, part.ContentType, part.Target);
        base::TMemoryStream empty;
        base::TStream& data = part.Data ? static_cast<base::TStream&>(*part.Data) : empty;
        data.SetPosition(0);
        package.WriteItem(item, data);
        package.CloseItem(item);
    }
}

void TXc12FileData::WriteKeptSheetParts(int sheetIndex, TXc12PackageItem* sheetItem) {
    TXLSSavedFileDataSheet* sheet = SheetParts(sheetIndex);
    if (sheet == nullptr) return;
    WriteKept(sheet->Other, sheetItem);
    WriteKept(sheet->Tables, sheetItem);
}

void TXc12FileData::EndWrite() {
    TXc12Package& package = RequirePackage();
    bool hasTheme = false;
    for (int i = 0; i < WorkbookParts_.Count(); ++i)
        if (WorkbookParts_.GetItems(i)->RelationshipType == OpcRelTypeTheme) hasTheme = true;
    if (!hasTheme) {
        const std::string_view theme = DefaultThemeText;
        base::TMemoryStream stream;
        stream.WriteBuffer(theme.data(), static_cast<int64_t>(theme.size()));
        stream.SetPosition(0);
        package.WriteTheme(stream, 1);
    }
    WriteKept(RootParts_, nullptr);
    WriteKept(WorkbookParts_, package.WorkbookItem());
    package.Close();
}

}  // namespace xls
