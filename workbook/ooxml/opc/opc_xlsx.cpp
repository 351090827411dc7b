#include "workbook/ooxml/opc/opc_xlsx.h"

#include <vector>

#include "base/format.h"
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

void TOPC_XLSX::ForgetCurrent() {
    Workbook_ = nullptr;
    CurrentSheet_ = nullptr;
    CurrentDrawing_ = nullptr;
    CurrentTable_ = nullptr;
}

void TOPC_XLSX::Close() {
    TOPCContainer::Close();
    ForgetCurrent();
}

void TOPC_XLSX::Clear() {
    TOPCContainer::Clear();
    ForgetCurrent();
}

void TOPC_XLSX::OpenWrite(base::TStream& stream, bool useAlternateZip) {
    TOPCContainer::OpenWrite(stream, useAlternateZip);
    PrinterSettingsCount_ = 0;
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

std::unique_ptr<base::TStream> TOPC_XLSX::ReadById(TOPCItem* parent, std::u16string_view type, std::string_view rId,
                                                   std::string_view missing) {
    TOPCItem* item = OpenItem(parent, type, rId);
    if (item == nullptr) {
        if (missing.empty()) return nullptr;
        throw EOPCError(base::Format(std::string(missing), {std::string(rId)}));
    }
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

std::unique_ptr<base::TStream> TOPC_XLSX::ReadConnections() { return ReadSingle(Workbook_, opc_rel::Connections); }

std::unique_ptr<base::TStream> TOPC_XLSX::OpenChartsheet(std::string_view rId) {
    TOPCItem* item = OpenItem(Workbook_, opc_rel::Chartsheet, rId);
    if (item == nullptr) throw EOPCError("Can not find worksheet in OPC");
    CurrentSheet_ = item;
    return ReadItem(item);
}

bool TOPC_XLSX::IsChartsheet(std::string_view rId) const {
    const TOPCItem* item = Workbook_ == nullptr ? nullptr : Workbook_->FindByRId(rId);
    return item != nullptr && item->RelType == opc_rel::Chartsheet;
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadComments(std::string_view sheetRId) {
    TOPCItem* sheet = OpenItem(Workbook_, opc_rel::Worksheet, sheetRId);
    if (sheet == nullptr) return nullptr;
    CloseItem(sheet);
    return ReadSingle(sheet, opc_rel::Comments);
}

std::unique_ptr<base::TStream> TOPC_XLSX::OpenTable(std::string_view rId) {
    TOPCItem* item = OpenItem(CurrentSheet_, opc_rel::Table, rId);
    if (item == nullptr) throw EOPCError("Can not find Table in OPC");
    CurrentTable_ = item;
    return ReadItem(item);
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadVmlDrawing(std::string_view rId) {
    return ReadById(CurrentSheet_, opc_rel::VmlDrawing, rId, "Can not find VmlDrawing %s in OPC");
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadPrinterSettings(std::string_view rId) {
    return ReadById(CurrentSheet_, opc_rel::PrinterSettings, rId, "");
}

namespace {

void MarkReadBelow(TOPCItem& item) {
    item.WasRead = true;
    for (int i = 0; i < item.Count(); ++i) MarkReadBelow(item.GetItems(i));
}

}  // namespace

std::unique_ptr<base::TStream> TOPC_XLSX::ReadPivotTable(std::string_view rId) {
    TOPCItem* item = OpenItem(CurrentSheet_, opc_rel::PivotTable, rId);
    if (item == nullptr) throw EOPCError(base::Format("Can not find pivotTable %s in OPC", {std::string(rId)}));
    auto stream = ReadItem(item);
    CloseItem(item);
    MarkReadBelow(*item);
    return stream;
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadQueryTable() { return ReadSingle(CurrentTable_, opc_rel::QueryTable); }

std::unique_ptr<base::TStream> TOPC_XLSX::ReadPivotCache(std::string_view rId) {
    return ReadById(Workbook_, opc_rel::PivotCacheDefinition, rId, "Can not find pivotCacheDefintion %s in OPC");
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadPivotRecords(std::string_view cacheRId, std::string_view rId) {
    TOPCItem* cache = OpenItem(Workbook_, opc_rel::PivotCacheDefinition, cacheRId);
    if (cache == nullptr)
        throw EOPCError(base::Format("Can not find pivotCacheDefintion %s in OPC", {std::string(cacheRId)}));
    CloseItem(cache);
    return ReadById(cache, opc_rel::PivotCacheRecords, rId, "Can not find pivotCacheRecords %s in OPC");
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadExternalLink(std::string_view rId) {
    return ReadById(Workbook_, opc_rel::ExternalLink, rId, "Can not find ExternalLink in OPC");
}

TOPCItem* TOPC_XLSX::OpenChartItem(std::string_view rId) {
    TOPCItem* item = OpenItem(CurrentDrawing_, opc_rel::Chart, rId);
    if (item == nullptr) throw EOPCError("Can not find Chart in OPC");
    return item;
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadChart(std::string_view rId) {
    return ReadById(CurrentDrawing_, opc_rel::Chart, rId, "Can not find Chart in OPC");
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadChartStyle(TOPCItem* chart, std::string_view rId) {
    return ReadById(chart, opc_rel::ChartStyle, rId, "Can not find chart style %s in OPC");
}

std::unique_ptr<base::TStream> TOPC_XLSX::ReadChartColorStyle(TOPCItem* chart, std::string_view rId) {
    return ReadById(chart, opc_rel::ChartColorStyle, rId, "Can not find chart colour style %s in OPC");
}

namespace {

bool ChildIdsOfType(const TOPCItem* parent, std::u16string_view type, std::vector<std::string>& list) {
    if (parent != nullptr) {
        for (int i = 0; i < parent->Count(); ++i) {
            const TOPCItem& child = parent->GetItems(i);
            if (child.RelType == type) list.push_back(base::Utf16ToUtf8(child.GetRId()));
        }
    }
    return !list.empty();
}

}  // namespace

bool TOPC_XLSX::GetImageRIds(std::vector<std::string>& list) const {
    return ChildIdsOfType(CurrentDrawing_, opc_rel::Image, list);
}

bool TOPC_XLSX::GetPivotTableRIds(std::vector<std::string>& list) const {
    return ChildIdsOfType(CurrentSheet_, opc_rel::PivotTable, list);
}

std::u16string TOPC_XLSX::GetHyperlinkTarget(std::string_view sheetRId, std::string_view rId) const {
    const TOPCItem* sheet = Workbook_ == nullptr ? nullptr : Workbook_->FindByRId(sheetRId);
    if (sheet == nullptr) throw EOPCError("Can not find worksheet in OPC");
    return sheet->GetTargetOf(rId);
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

void TOPC_XLSX::CloseTable() {
    CloseItem(CurrentTable_);
    CurrentTable_ = nullptr;
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

// A part created under a missing parent would land at the package root: refuse instead.
TOPCItem& TOPC_XLSX::RequireOpen(TOPCItem* item, const char* what) const {
    if (item == nullptr) throw EOPCError(base::Format("OPC %s is not open.", {what}));
    return *item;
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

TOPCItem* TOPC_XLSX::CreateConnectionsItem() {
    return CreateItem(&RequireWorkbook(), opc_rel::Connections,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.connections+xml",
                      u"connections.xml");
}

TOPCItem* TOPC_XLSX::CreateChartsheetItem(int number) {
    CurrentSheet_ = CreateItem(&RequireWorkbook(), opc_rel::Chartsheet,
                               u"application/vnd.openxmlformats-officedocument.spreadsheetml.Chartsheet+xml",
                               Numbered(u"chartsheets/sheet", number, u".xml"));
    return CurrentSheet_;
}

TOPCItem* TOPC_XLSX::CreateExternalLinkItem(int number) {
    return CreateItem(&RequireWorkbook(), opc_rel::ExternalLink,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.externalLink+xml",
                      Numbered(u"externalLinks/externalLink", number, u".xml"));
}

TOPCItem* TOPC_XLSX::CreateExternalLinkPathItem(TOPCItem* link, std::u16string_view target) {
    return CreateExternalItem(&RequireOpen(link, "external link"), opc_rel::ExternalLinkPath, target);
}

TOPCItem* TOPC_XLSX::CreatePivotCacheItem(TOPCItem* parent, int number) {
    return CreateItem(parent != nullptr ? parent : &RequireWorkbook(), opc_rel::PivotCacheDefinition,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.pivotCacheDefinition+xml",
                      Numbered(u"pivotCache/pivotCacheDefinition", number, u".xml"));
}

TOPCItem* TOPC_XLSX::CreatePivotRecordsItem(TOPCItem* cache, int number) {
    return CreateItem(&RequireOpen(cache, "pivot cache"), opc_rel::PivotCacheRecords,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.pivotCacheRecords+xml",
                      Numbered(u"pivotCacheRecords", number, u".xml"));
}

TOPCItem* TOPC_XLSX::CreatePivotTableItem() {
    TOPCItem& sheet = RequireOpen(CurrentSheet_, "sheet");
    return CreateItem(&sheet, opc_rel::PivotTable,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.pivotTable+xml",
                      Numbered(u"../pivotTables/pivotTable", ++PivotTableCount_, u".xml"));
}

TOPCItem* TOPC_XLSX::CreateCommentsItem(TOPCItem* sheet, int number) {
    return CreateItem(&RequireOpen(sheet, "sheet"), opc_rel::Comments,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml",
                      Numbered(u"../comments", number, u".xml"));
}

TOPCItem* TOPC_XLSX::CreateVmlDrawingItem(TOPCItem* sheet, int number) {
    return CreateItem(&RequireOpen(sheet, "sheet"), opc_rel::VmlDrawing, u"",
                      Numbered(u"../drawings/vmlDrawing", number, u".vml"));
}

TOPCItem* TOPC_XLSX::CreateTableItem(TOPCItem* sheet) {
    TOPCItem& parent = RequireOpen(sheet, "sheet");
    return CreateItem(&parent, opc_rel::Table, u"application/vnd.openxmlformats-officedocument.spreadsheetml.table+xml",
                      Numbered(u"../tables/table", ++TableCount_, u".xml"));
}

TOPCItem* TOPC_XLSX::CreateQueryTableItem(TOPCItem* table) {
    TOPCItem& parent = RequireOpen(table, "table");
    return CreateItem(&parent, opc_rel::QueryTable,
                      u"application/vnd.openxmlformats-officedocument.spreadsheetml.queryTable+xml",
                      Numbered(u"../queryTables/queryTable", ++QueryTableCount_, u".xml"));
}

std::u16string TOPC_XLSX::WritePrinterSettings(TOPCItem* sheet, base::TStream& stream) {
    TOPCItem& parent = RequireOpen(sheet, "sheet");
    TOPCItem* item = CreateItem(&parent, opc_rel::PrinterSettings, u"",
                                Numbered(u"../printerSettings/printerSettings", ++PrinterSettingsCount_, u".bin"));
    WriteItem(item, stream);
    CloseItem(item);
    return item->GetRId();
}

TOPCItem* TOPC_XLSX::CreateChartItem() {
    TOPCItem& drawing = RequireOpen(CurrentDrawing_, "drawing");
    return CreateItem(&drawing, opc_rel::Chart, u"application/vnd.openxmlformats-officedocument.drawingml.chart+xml",
                      Numbered(u"../charts/chart", ++ChartCount_, u".xml"));
}

// The style and colour parts take the number of the chart last created.
TOPCItem* TOPC_XLSX::CreateChartStyleItem(TOPCItem* chart) {
    return CreateItem(&RequireOpen(chart, "chart"), opc_rel::ChartStyle, u"application/vnd.ms-office.chartstyle+xml",
                      Numbered(u"style", ChartCount_, u".xml"));
}

TOPCItem* TOPC_XLSX::CreateChartColorStyleItem(TOPCItem* chart) {
    return CreateItem(&RequireOpen(chart, "chart"), opc_rel::ChartColorStyle,
                      u"application/vnd.ms-office.chartcolorstyle+xml", Numbered(u"colors", ChartCount_, u".xml"));
}

TOPCItem* TOPC_XLSX::CreateDrawingItem(TOPCItem* sheet, int number) {
    CurrentDrawing_ = CreateItem(&RequireOpen(sheet, "sheet"), opc_rel::Drawing,
                                 u"application/vnd.openxmlformats-officedocument.drawing+xml",
                                 Numbered(u"../drawings/drawing", number, u".xml"));
    return CurrentDrawing_;
}

TOPCItem* TOPC_XLSX::CreateImageItem(int number, std::u16string_view extension) {
    if (CurrentDrawing_ == nullptr) throw EOPCError("OPC drawing is not open.");
    return CreateItem(CurrentDrawing_, opc_rel::Image, u"",
                      Numbered(u"../media/image", number, u"." + std::u16string(extension)));
}

TOPCItem* TOPC_XLSX::CreateHyperlinkItem(TOPCItem* sheet, std::u16string_view target) {
    return CreateExternalItem(&RequireOpen(sheet, "sheet"), opc_rel::Hyperlink, target);
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
