#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "workbook/model/autofilter.h"
#include "workbook/model/cell_areas.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/comments.h"
#include "workbook/model/cond_formats.h"
#include "workbook/model/drawing_document.h"
#include "workbook/model/ooxml_services.h"
#include "workbook/model/pivot_parts.h"
#include "workbook/model/sheet_elements.h"
#include "workbook/model/sheet_views.h"
#include "workbook/model/style_object.h"
#include "workbook/model/tables.h"
#include "workbook/model/worksheet_items.h"

namespace xls {

class TXc12DataSST;

// A sheet name as formula text writes it: as it stands when it is letters and digits that read
// as no number, Boolean or cell reference, else in apostrophes with its own apostrophes doubled.
std::u16string QuotedSheetName(std::u16string_view name);
// The sheets of a 3-D reference, first:last, in apostrophes as a whole when either name needs
// them ('Data:Other Sheet').
std::u16string QuotedSheetRange(std::u16string_view first, std::u16string_view last);
class TXc12DataStyleSheet;
class TXLSCellMMU;

// One worksheet: everything a worksheet part holds, as objects both file formats fill and
// serialise.
class TXc12DataWorksheet : public TIndexObject, public TXLSFactoryObject {
public:
    TXc12DataWorksheet(TXLSClassFactory& factory, TXc12DataStyleSheet& styleSheet, TXc12DataSST& sst, int index,
                       TXc12OoxmlServices* services = nullptr);
    ~TXc12DataWorksheet() override;
    TXc12DataWorksheet(const TXc12DataWorksheet&) = delete;
    TXc12DataWorksheet& operator=(const TXc12DataWorksheet&) = delete;

    // The used area: the one a reader set, else the cell store's.
    TXLSCellArea GetDimension() const;
    void SetDimension(const TXLSCellArea& area) { Dimension_ = area; }
    // The name as formula text needs it: plain when it is letters and digits and cannot be read
    // as a number or a cell reference, else between apostrophes with inner ones doubled.
    std::u16string GetQuotedName() const;
    TXc12SheetView* AddSheetView() { return sheetViews.Add(); }

    TXLSClassFactory& ClassFactory() const { return Factory_; }
    TXc12DataSST& SST() const { return SST_; }
    TXc12DataStyleSheet& StyleSheet() const { return StyleSheet_; }

private:
    TXLSClassFactory& Factory_;
    TXc12DataSST& SST_;
    TXc12DataStyleSheet& StyleSheet_;

public:
    std::unique_ptr<TXLSCellMMU> sheetData;
    TXc12Columns cols;
    TXc12Comments comments;
    std::unique_ptr<TXc12Hyperlinks> hyperlinks;
    std::unique_ptr<TXc12MergedCells> mergeCells;
    std::unique_ptr<TXc12AutoFilter> autoFilter;
    TXc12CustomSheetViews customSheetViews;
    TXc12SheetViews sheetViews;
    TXLSPivotTables PivotTables;
    TXc12SheetPr sheetPr;
    TXc12SheetFormatPr sheetFormatPr;
    TXc12SheetCalcPr sheetCalcPr;
    TXc12SheetProtection sheetProtection;
    TXc12ProtectedRanges protectedRanges;
    TXc12Scenarios scenarios;
    TXc12SortState sortState;
    TXc12DataConsolidate dataConsolidate;
    TXc12PhoneticPr phoneticPr;
    std::unique_ptr<TXc12ConditionalFormattings> conditionalFormatting;
    std::unique_ptr<TXc12DataValidations> dataValidations;
    TXc12PrintOptions printOptions;
    TXc12PageMargins pageMargins;
    TXc12PageSetup pageSetup;
    TXc12HeaderFooter headerFooter;
    TXc12PageBreaks rowBreaks;
    TXc12PageBreaks colBreaks;
    TXc12CustomProperties customProperties;
    TCellRefs cellWatches;
    TXc12IgnoredErrors ignoredErrors;
    TXc12SmartTags smartTags;
    TXc12OleObjects oleObjects;
    TXc12Controls controls;
    TXc12WebPublishItems webPublishItems;
    TXc12Tables tableParts;
    std::unique_ptr<TXc12DrawingDocument> drawing;
    // The legacy VML drawing (nullptr without Open XML services).
    std::unique_ptr<TXc12XmlDocument> legacyDrawing;
    std::u16string Name;
    int32_t SheetId = 0;
    uint8_t State = 0;
    std::string RelId;
    uint8_t ChartSheet = 0;

private:
    std::optional<TXLSCellArea> Dimension_;
};

// The document's sheets in sheet order; each sheet's Index is its position.
class TXc12DataWorksheets : public TIndexObjectList {
public:
    TXc12DataWorksheets(TXLSClassFactory& factory, TXc12DataStyleSheet& styleSheet, TXc12DataSST& sst,
                        TXc12OoxmlServices* services = nullptr)
        : Factory_(factory), StyleSheet_(styleSheet), SST_(sst), Services_(services) {}

    // A new last sheet; sheetId below 0 gives Count + 1.
    TXc12DataWorksheet* Add(int sheetId);
    TXc12DataWorksheet* GetItems(int index) const { return ItemsAs<TXc12DataWorksheet>(index); }
    // Frees the sheets, empties the shared strings and resets the style sheet.
    void Clear();
    // The first sheet whose name equals ignoring case; -1 when none.
    int IndexOfName(std::u16string_view name) const;
    TXc12DataWorksheet* FindByCellMMU(const TXLSCellMMU* cells) const;

private:
    TXLSClassFactory& Factory_;
    TXc12DataStyleSheet& StyleSheet_;
    TXc12DataSST& SST_;
    TXc12OoxmlServices* Services_;
};

}  // namespace xls
