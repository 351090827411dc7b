#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "workbook/model/autofilter.h"
#include "workbook/model/cell_area.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/model_list.h"
#include "workbook/model/ooxml_services.h"

namespace xls {

// The tables of a sheet.

class TXc12TableFormula {
public:
    void Clear() { array = 0, Formula.clear(); }
    uint8_t array = 0;
    std::u16string Formula;
};

class TXc12XmlColumnPr {
public:
    void Clear() { *this = TXc12XmlColumnPr(); }
    int32_t mapId = 0;
    std::u16string xpath;
    uint8_t denormalized = 0;
    uint8_t xmlDataType = 0;
};

class TXc12TableColumn {
public:
    int32_t id = 0;
    std::u16string uniqueName;
    std::u16string name;
    uint8_t totalsRowFunction = 0;
    std::u16string totalsRowLabel;
    int32_t queryTableFieldId = 0;
    std::u16string headerRowDxfId;
    std::u16string dataDxfId;
    std::u16string totalsRowDxfId;
    std::u16string headerRowCellStyle;
    std::u16string dataCellStyle;
    std::u16string totalsRowCellStyle;
    TXc12TableFormula calculatedColumnFormula;
    TXc12TableFormula totalsRowFormula;
    TXc12XmlColumnPr xmlColumnPr;
};

using TXc12TableColumns = TXc12ObjectList<TXc12TableColumn>;

class TXc12TableStyleInfo {
public:
    void Clear() { *this = TXc12TableStyleInfo(); }
    std::u16string name;
    uint8_t showFirstColumn = 0;
    uint8_t showLastColumn = 0;
    uint8_t showRowStripes = 0;
    uint8_t showColumnStripes = 0;
};

class TXc12Table {
public:
    TXc12Table(TXLSClassFactory& factory, TXc12OoxmlServices* services);
    // The flags and counts back to the defaults, owned objects cleared, no columns; id, the
    // texts, ref and connectionId stay.
    void Clear();
    TXLSClassFactory& ClassFactory() const { return Factory_; }

    int32_t id = 0;
    std::u16string name;
    std::u16string displayName;
    std::u16string comment;
    TXLSCellArea ref;
    uint8_t tableType;
    int32_t headerRowCount;
    uint8_t insertRow;
    uint8_t insertRowShift;
    int32_t totalsRowCount;
    uint8_t totalsRowShown;
    uint8_t published;
    std::u16string headerRowDxfId;
    std::u16string dataDxfId;
    std::u16string totalsRowDxfId;
    std::u16string headerRowBorderDxfId;
    std::u16string tableBorderDxfId;
    std::u16string totalsRowBorderDxfId;
    std::u16string headerRowCellStyle;
    std::u16string dataCellStyle;
    std::u16string totalsRowCellStyle;
    int32_t connectionId = 0;
    TXc12AutoFilter autoFilter;
    TXc12SortState sortState;
    TXc12TableColumns tableColumns;
    TXc12TableStyleInfo tableStyleInfo;
    // Nullptr without Open XML services.
    std::unique_ptr<TXc12XmlDocument> Extensions;

private:
    TXLSClassFactory& Factory_;
};

class TXc12Tables : public TXc12ObjectList<TXc12Table> {
public:
    TXc12Tables(TXLSClassFactory& factory, TXc12OoxmlServices* services) : Factory_(factory), Services_(services) {}
    TXc12Table* Add();
    // Names compare ignoring case; -1 when none.
    int IndexOfName(std::u16string_view name) const;
    // The first table whose ref holds the cell; -1 when none.
    int IndexOfCell(int col, int row) const;
    // The column's index within the first table that has a column of that name (apostrophe
    // escapes removed, case ignored); -1 when none.
    int IndexOfColumnName(std::u16string_view name) const;

private:
    TXLSClassFactory& Factory_;
    TXc12OoxmlServices* Services_;
};

}  // namespace xls
