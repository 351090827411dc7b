#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/model/cell_area.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/model_list.h"

namespace xls {

class TXc12DXF;

// The autofilter of a sheet or table with its filter columns and sort state.

class TXc12DateGroupItem {
public:
    void Clear() { *this = TXc12DateGroupItem(); }
    int32_t year = 0;
    int32_t month = 0;
    int32_t day = 0;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    uint8_t dateTimeGrouping = 0;
};

using TXc12DateGroupItems = TXc12ObjectList<TXc12DateGroupItem>;

class TXc12Filters {
public:
    void Clear();
    uint8_t blank = 0;
    uint8_t calendarType = 0;
    std::vector<std::string> Values;
    TXc12DateGroupItems dateGroupItem;
};

class TXc12Top10 {
public:
    void Clear() { *this = TXc12Top10(); }
    // Kept from the files of the original; no reader or writer uses it.
    uint8_t Unused = 0;
    uint8_t top = 1;
    uint8_t percent = 0;
    double val = 0;
    double filterVal = 0;
};

class TXc12CustomFilter {
public:
    void Clear() { *this = TXc12CustomFilter(); }
    uint8_t operator_ = 0;
    std::u16string val;
};

class TXc12CustomFilters {
public:
    void Clear();
    TXc12CustomFilter Filter1;
    TXc12CustomFilter Filter2;
    uint8_t and_ = 0;
};

class TXc12DynamicFilter {
public:
    void Clear() { *this = TXc12DynamicFilter(); }
    uint8_t type = 255;
    double val = 0;
    double maxVal = 0;
};

class TXc12ColorFilter {
public:
    void Clear() { *this = TXc12ColorFilter(); }
    TXc12DXF* dxfId = nullptr;
    uint8_t cellColor = 1;
};

class TXc12IconFilter {
public:
    void Clear() { *this = TXc12IconFilter(); }
    uint8_t iconSet = 0;
    int32_t iconId = -1;
};

class TXc12SortCondition {
public:
    TXc12SortCondition() { Clear(); }
    void Clear();
    uint8_t descending;
    uint8_t sortBy;
    TXLSCellArea ref;
    std::u16string customList;
    int32_t dxfId;
    uint8_t iconSet;
    int32_t iconId;
};

using TXc12SortConditions = TXc12ObjectList<TXc12SortCondition>;

class TXc12SortState {
public:
    void Clear();
    uint8_t columnSort = 0;
    uint8_t caseSensitive = 0;
    uint8_t sortMethod = 2;
    TXLSCellArea ref;
    TXc12SortConditions sortCondition;
};

class TXc12FilterColumn : public TXLSFactoryObject {
public:
    int32_t colId = 0;
    uint8_t hiddenButton = 0;
    uint8_t showButton = 0;
    TXc12Filters filters;
    TXc12Top10 top10;
    TXc12CustomFilters customFilters;
    TXc12DynamicFilter dynamicFilter;
    TXc12ColorFilter colorFilter;
    TXc12IconFilter iconFilter;
};

class TXc12FilterColumns : public TXc12ObjectList<TXc12FilterColumn> {
public:
    explicit TXc12FilterColumns(TXLSClassFactory& factory) : Factory_(factory) {}
    // Made by the class factory (the interface's filter columns).
    TXc12FilterColumn* Add() { return Append(Factory_.Create<TXc12FilterColumn>(xckAutofilterColumn, nullptr)); }

private:
    TXLSClassFactory& Factory_;
};

class TXc12AutoFilter : public TXLSFactoryObject {
public:
    explicit TXc12AutoFilter(TXLSClassFactory& factory) : filterColumns(factory), Factory_(factory) {}
    // No filter columns, a cleared sort state, the area unset.
    void Clear();
    TXLSClassFactory& ClassFactory() const { return Factory_; }

    TXc12FilterColumns filterColumns;
    TXc12SortState sortState;
    TXLSCellArea ref;

private:
    TXLSClassFactory& Factory_;
};

}  // namespace xls
