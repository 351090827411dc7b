#pragma once

#include <memory>
#include <string>
#include <string_view>

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
inline constexpr std::u16string_view Package = u"http://schemas.openxmlformats.org/package/2006/relationships";
}  // namespace opc_rel

// The spreadsheet package: finds the workbook on opening and creates the parts under their
// fixed names.
class TOPC_XLSX : public TOPCContainer {
public:
    TOPC_XLSX();

    void Close() override;
    void Clear() override;

    TOPCItem* Workbook() const { return Workbook_; }
    TOPCItem* CurrentSheet() const { return CurrentSheet_; }
    TOPCItem* CurrentDrawing() const { return CurrentDrawing_; }

    // Reading: the part's stream, or nullptr when the package has none.
    std::unique_ptr<base::TStream> ReadWorkbook();
    std::unique_ptr<base::TStream> ReadDocPropsCore();
    std::unique_ptr<base::TStream> ReadStyles();
    std::unique_ptr<base::TStream> ReadSharedStrings();
    std::unique_ptr<base::TStream> OpenWorksheet(std::string_view rId);
    std::unique_ptr<base::TStream> OpenDrawing(std::string_view rId);
    std::unique_ptr<base::TStream> ReadImage(std::string_view rId, std::u16string& target);
    void CloseSheet();
    void CloseDrawing();

    // Writing.
    TOPCItem* CreateWorkbookItem();
    TOPCItem* CreateStylesItem();
    TOPCItem* CreateSharedStringsItem();
    TOPCItem* CreateWorksheetItem(int number);
    TOPCItem* CreateDrawingItem(TOPCItem* sheet, int number);
    TOPCItem* CreateImageItem(int number, std::u16string_view extension);
    TOPCItem* CreateHyperlinkItem(TOPCItem* sheet, std::u16string_view target);
    void WriteDocPropsApp(base::TStream& stream);
    void WriteDocPropsCore(base::TStream& stream);
    void WriteTheme(base::TStream& stream, int number);

protected:
    void AfterLoad() override;

private:
    std::unique_ptr<base::TStream> ReadSingle(TOPCItem* parent, std::u16string_view type);
    TOPCItem& RequireWorkbook();

    TOPCItem* Workbook_ = nullptr;
    TOPCItem* CurrentSheet_ = nullptr;
    TOPCItem* CurrentDrawing_ = nullptr;
};

}  // namespace xls
