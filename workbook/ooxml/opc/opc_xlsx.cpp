#include "workbook/ooxml/opc/opc_xlsx.h"

#include <vector>

#include "base/text_encoding.h"

namespace xls {

namespace {

std::u16string Numbered(std::u16string_view prefix, int number, std::u16string_view suffix) {
    return std::u16string(prefix) + base::Utf8ToUtf16(std::to_string(number)) + std::u16string(suffix);
}

}  // namespace

TOPC_XLSX::TOPC_XLSX() {
    TrackRead = true;
    RelsNamespace = opc_rel::Package;
}

void TOPC_XLSX::Close() {
    TOPCContainer::Close();
    Workbook_ = nullptr;
    CurrentSheet_ = nullptr;
    CurrentDrawing_ = nullptr;
}

void TOPC_XLSX::Clear() {
    TOPCContainer::Clear();
    Workbook_ = nullptr;
    CurrentSheet_ = nullptr;
    CurrentDrawing_ = nullptr;
}

void TOPC_XLSX::AfterLoad() {
    std::vector<TOPCItem*> found;
    Root().FindByType(opc_rel::OfficeDocument, found, true);
    if (found.empty()) throw EOPCError("Can not find workbook in OPC");
    if (found.size() > 1) throw EOPCError("More than one workbook in OPC");
    Workbook_ = found.front();
    // The calculation chain is never kept: it is rebuilt from the formulas.
    std::vector<TOPCItem*> chains;
    Workbook_->FindByType(opc_rel::CalcChain, chains, true);
    for (TOPCItem* chain : chains) chain->WasRead = true;
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadSingle(TOPCItem* parent, std::u16string_view type) {
    TOPCItem* item = OpenItemByType(parent, type);
    if (item == nullptr) return nullptr;
    auto stream = ReadItem(item);
    CloseItem(item);
    return stream;
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadWorkbook() {
    TOPCItem* item = OpenItemByType(&Root(), opc_rel::OfficeDocument);
    if (item == nullptr) return nullptr;
    Workbook_ = item;
    auto stream = ReadItem(item);
    CloseItem(item);
    return stream;
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadDocPropsCore() { return ReadSingle(&Root(), opc_rel::CoreProperties); }

std::unique_ptr<base::TStream> TOPC_XLSX::ReadStyles() { return ReadSingle(Workbook_, opc_rel::Styles); }

std::unique_ptr<base::TStream> TOPC_XLSX::ReadSharedStrings() { return ReadSingle(Workbook_, opc_rel::SharedStrings); }

std::unique_ptr<base::TStream> TOPC_XLSX::OpenWorksheet(std::string_view rId) {
    TOPCItem* item = OpenItem(Workbook_, opc_rel::Worksheet, rId);
    if (item == nullptr) throw EOPCError("Can not find worksheet in OPC");
    CurrentSheet_ = item;
    return ReadItem(item);
}

std::unique_ptr<base::TStream> TOPC_XLSX::OpenDrawing(std::string_view rId) {
    TOPCItem* item = OpenItem(CurrentSheet_, opc_rel::Drawing, rId);
    if (item == nullptr) throw EOPCError("Can not find Drawing in OPC");
    CurrentDrawing_ = item;
    return ReadItem(item);
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadImage(std::string_view rId, std::u16string& target) {
    TOPCItem* item = OpenItem(CurrentDrawing_, opc_rel::Image, rId);
    if (item == nullptr) throw EOPCError("Can not find Image in OPC");
    target = item->GetTarget();
    auto stream = ReadItem(item);
    CloseItem(item);
    return stream;
}

void TOPC_XLSX::CloseSheet() {
    CloseItem(CurrentSheet_);
    CurrentSheet_ = nullptr;
}

void TOPC_XLSX::CloseDrawing() {
    CloseItem(CurrentDrawing_);
    CurrentDrawing_ = nullptr;
}

TOPCItem& TOPC_XLSX::RequireWorkbook() {
    if (Workbook_ == nullptr) throw EOPCError("OPC Workbook is not open.");
    return *Workbook_;
}

TOPCItem* TOPC_XLSX::CreateWorkbookItem() {
    if (Workbook_ != nullptr) throw EOPCError("OPC workbook is open");
    Workbook_ =
        CreateItem(nullptr, opc_rel::OfficeDocument,
                   u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml", u"xl/workbook.xml");
    return Workbook_;
}

TOPCItem* TOPC_XLSX::CreateStylesItem() {
    return CreateItem(&RequireWorkbook(), opc_rel::Styles,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml", u"styles.xml");
}

TOPCItem* TOPC_XLSX::CreateSharedStringsItem() {
    return CreateItem(&RequireWorkbook(), opc_rel::SharedStrings,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml",
                      u"sharedStrings.xml");
}

TOPCItem* TOPC_XLSX::CreateWorksheetItem(int number) {
    CurrentSheet_ = CreateItem(&RequireWorkbook(), opc_rel::Worksheet,
                               u"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml",
                               Numbered(u"worksheets/sheet", number, u".xml"));
    return CurrentSheet_;
}

TOPCItem* TOPC_XLSX::CreateDrawingItem(TOPCItem* sheet, int number) {
    CurrentDrawing_ = CreateItem(sheet, opc_rel::Drawing, u"application/vnd.openxmlformats-officedocument.drawing+xml",
                                 Numbered(u"../drawings/drawing", number, u".xml"));
    return CurrentDrawing_;
}

TOPCItem* TOPC_XLSX::CreateImageItem(int number, std::u16string_view extension) {
    if (CurrentDrawing_ == nullptr) throw EOPCError("OPC drawing is not open.");
    return CreateItem(CurrentDrawing_, opc_rel::Image, u"",
                      Numbered(u"../media/image", number, u"." + std::u16string(extension)));
}

TOPCItem* TOPC_XLSX::CreateHyperlinkItem(TOPCItem* sheet, std::u16string_view target) {
    return CreateExternalItem(sheet, opc_rel::Hyperlink, target);
}

void TOPC_XLSX::WriteDocPropsApp(base::TStream& stream) {
    WriteItem(CreateItem(nullptr, opc_rel::ExtendedProperties,
                         u"application/vnd.openxmlformats-officedocument.extended-properties+xml", u"docProps/app.xml"),
              stream);
}

void TOPC_XLSX::WriteDocPropsCore(base::TStream& stream) {
    WriteItem(CreateItem(nullptr, opc_rel::CoreProperties,
                         u"application/vnd.openxmlformats-package.core-properties+xml", u"docProps/core.xml"),
              stream);
}

void TOPC_XLSX::WriteTheme(base::TStream& stream, int number) {
    WriteItem(CreateItem(&RequireWorkbook(), opc_rel::Theme, u"application/vnd.openxmlformats-officedocument.theme+xml",
                         Numbered(u"theme/theme", number, u".xml")),
              stream);
}

}  // namespace xls
