#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/ooxml/opc/opc_package.h"

namespace xls {

// Relationship types of the spreadsheet package.
namespace opc_rel {
inline constexpr std::u16string_view OfficeDocument =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr std::u16string_view CoreProperties =
    u"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
inline constexpr std::u16string_view ExtendedProperties =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";
inline constexpr std::u16string_view Styles =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
inline constexpr std::u16string_view SharedStrings =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings";
inline constexpr std::u16string_view Theme =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme";
inline constexpr std::u16string_view Worksheet =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
inline constexpr std::u16string_view Chartsheet =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/chartsheet";
inline constexpr std::u16string_view CalcChain =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/calcChain";
inline constexpr std::u16string_view Drawing =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing";
inline constexpr std::u16string_view Image =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
inline constexpr std::u16string_view Hyperlink =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink";
inline constexpr std::u16string_view Connections =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/connections";
inline constexpr std::u16string_view Comments =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/comments";
inline constexpr std::u16string_view VmlDrawing =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/vmlDrawing";
inline constexpr std::u16string_view PrinterSettings =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/printerSettings";
inline constexpr std::u16string_view Table =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/table";
inline constexpr std::u16string_view QueryTable =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/queryTable";
inline constexpr std::u16string_view PivotTable =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/pivotTable";
inline constexpr std::u16string_view PivotCacheDefinition =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/pivotCacheDefinition";
inline constexpr std::u16string_view PivotCacheRecords =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/pivotCacheRecords";
inline constexpr std::u16string_view ExternalLink =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/externalLink";
inline constexpr std::u16string_view ExternalLinkPath =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/externalLinkPath";
inline constexpr std::u16string_view Chart =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/chart";
inline constexpr std::u16string_view ChartStyle = u"http://schemas.microsoft.com/office/2011/relationships/chartStyle";
inline constexpr std::u16string_view ChartColorStyle =
    u"http://schemas.microsoft.com/office/2011/relationships/chartColorStyle";
inline constexpr std::u16string_view Package = u"http://schemas.openxmlformats.org/package/2006/relationships";
}  // namespace opc_rel

// The spreadsheet package: finds the workbook on opening and creates the parts under their
// fixed names.
class TOPC_XLSX : public TOPCContainer {
public:
    TOPC_XLSX();

    void Close() override;
    void Clear() override;

    void OpenWrite(base::TStream& stream, bool useAlternateZip) override;

    TOPCItem* Workbook() const { return Workbook_; }
    TOPCItem* CurrentSheet() const { return CurrentSheet_; }
    TOPCItem* CurrentDrawing() const { return CurrentDrawing_; }
    TOPCItem* CurrentTable() const { return CurrentTable_; }
    // Numbers of the last parts of these kinds created. They count across saves of one package
    // object; only the printer-settings number restarts when writing begins.
    int PrinterSettingsCount() const { return PrinterSettingsCount_; }
    int ChartCount() const { return ChartCount_; }
    int TableCount() const { return TableCount_; }
    int QueryTableCount() const { return QueryTableCount_; }
    int PivotTableCount() const { return PivotTableCount_; }

    // Reading: the part's stream, or nullptr when the package has none. The Open... operations
    // leave the part open as the current one until the matching Close....
    std::unique_ptr<base::TStream> ReadWorkbook();
    std::unique_ptr<base::TStream> ReadDocPropsCore();
    std::unique_ptr<base::TStream> ReadStyles();
    std::unique_ptr<base::TStream> ReadSharedStrings();
    std::unique_ptr<base::TStream> ReadConnections();
    std::unique_ptr<base::TStream> OpenWorksheet(std::string_view rId);
    std::unique_ptr<base::TStream> OpenChartsheet(std::string_view rId);
    bool IsChartsheet(std::string_view rId) const;
    std::unique_ptr<base::TStream> ReadComments(std::string_view sheetRId);
    std::unique_ptr<base::TStream> OpenDrawing(std::string_view rId);
    std::unique_ptr<base::TStream> OpenTable(std::string_view rId);
    std::unique_ptr<base::TStream> ReadVmlDrawing(std::string_view rId);
    std::unique_ptr<base::TStream> ReadPrinterSettings(std::string_view rId);
    // The pivot table and every part below it count as read.
    std::unique_ptr<base::TStream> ReadPivotTable(std::string_view rId);
    std::unique_ptr<base::TStream> ReadQueryTable();
    std::unique_ptr<base::TStream> ReadImage(std::string_view rId, std::u16string& target);
    std::unique_ptr<base::TStream> ReadPivotCache(std::string_view rId);
    std::unique_ptr<base::TStream> ReadPivotRecords(std::string_view cacheRId, std::string_view rId);
    std::unique_ptr<base::TStream> ReadExternalLink(std::string_view rId);
    TOPCItem* OpenChartItem(std::string_view rId);
    std::unique_ptr<base::TStream> ReadChart(std::string_view rId);
    std::unique_ptr<base::TStream> ReadChartStyle(TOPCItem* chart, std::string_view rId);
    std::unique_ptr<base::TStream> ReadChartColorStyle(TOPCItem* chart, std::string_view rId);
    // Appends the ids of the current drawing's images / the current sheet's pivot tables; true
    // when the list is not empty.
    bool GetImageRIds(std::vector<std::string>& list) const;
    bool GetPivotTableRIds(std::vector<std::string>& list) const;
    std::u16string GetHyperlinkTarget(std::string_view sheetRId, std::string_view rId) const;
    void CloseSheet();
    void CloseDrawing();
    void CloseTable();

    // Writing.
    TOPCItem* CreateWorkbookItem();
    TOPCItem* CreateStylesItem();
    TOPCItem* CreateSharedStringsItem();
    TOPCItem* CreateConnectionsItem();
    TOPCItem* CreateWorksheetItem(int number);
    TOPCItem* CreateChartsheetItem(int number);
    TOPCItem* CreateExternalLinkItem(int number);
    TOPCItem* CreateExternalLinkPathItem(TOPCItem* link, std::u16string_view target);
    TOPCItem* CreatePivotCacheItem(TOPCItem* parent, int number);
    TOPCItem* CreatePivotRecordsItem(TOPCItem* cache, int number);
    TOPCItem* CreatePivotTableItem();
    TOPCItem* CreateCommentsItem(TOPCItem* sheet, int number);
    TOPCItem* CreateVmlDrawingItem(TOPCItem* sheet, int number);
    TOPCItem* CreateDrawingItem(TOPCItem* sheet, int number);
    TOPCItem* CreateTableItem(TOPCItem* sheet);
    TOPCItem* CreateQueryTableItem(TOPCItem* table);
    // Stores the stream as a new printer-settings part of the sheet and returns its id.
    std::u16string WritePrinterSettings(TOPCItem* sheet, base::TStream& stream);
    TOPCItem* CreateImageItem(int number, std::u16string_view extension);
    TOPCItem* CreateChartItem();
    TOPCItem* CreateChartStyleItem(TOPCItem* chart);
    TOPCItem* CreateChartColorStyleItem(TOPCItem* chart);
    TOPCItem* CreateHyperlinkItem(TOPCItem* sheet, std::u16string_view target);
    void WriteDocPropsApp(base::TStream& stream);
    void WriteDocPropsCore(base::TStream& stream);
    void WriteTheme(base::TStream& stream, int number);

protected:
    void AfterLoad() override;

private:
    std::unique_ptr<base::TStream> ReadSingle(TOPCItem* parent, std::u16string_view type);
    // Opens the child of parent under rId, reads it and closes it; missing raises the message
    // (with %s replaced by rId) or, when the message is empty, gives nullptr.
    std::unique_ptr<base::TStream> ReadById(TOPCItem* parent, std::u16string_view type, std::string_view rId,
                                            std::string_view missing);
    TOPCItem& RequireWorkbook();
    TOPCItem& RequireOpen(TOPCItem* item, const char* what) const;
    void ForgetCurrent();

    TOPCItem* Workbook_ = nullptr;
    TOPCItem* CurrentSheet_ = nullptr;
    TOPCItem* CurrentDrawing_ = nullptr;
    TOPCItem* CurrentTable_ = nullptr;
    int PrinterSettingsCount_ = 0;
    int ChartCount_ = 0;
    int TableCount_ = 0;
    int QueryTableCount_ = 0;
    int PivotTableCount_ = 0;
};

}  // namespace xls
