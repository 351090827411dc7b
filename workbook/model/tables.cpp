#include "workbook/model/tables.h"

#include "workbook/model/utils.h"

namespace xls {

TXc12Table::TXc12Table(TXLSClassFactory& factory, TXc12OoxmlServices* services)
    : autoFilter(factory), Extensions(services != nullptr ? services->CreateDocument() : nullptr), Factory_(factory) {
    Clear();
}

void TXc12Table::Clear() {
    tableType = 0;
    headerRowCount = 1;
    insertRow = 0;
    insertRowShift = 0;
    totalsRowCount = 0;
    totalsRowShown = 1;
    published = 0;
    autoFilter.Clear();
    sortState.Clear();
    tableStyleInfo.Clear();
    if (Extensions) Extensions->Clear();
    tableColumns.Clear();
}

TXc12Table* TXc12Tables::Add() {
    TXc12Table* table = TXc12ObjectList::Add(Factory_, Services_);
    table->Clear();
    return table;
}

int TXc12Tables::IndexOfName(std::u16string_view name) const {
    const std::u16string upper = WideUpperCaseStr(name);
    for (int i = 0; i < Count(); ++i) {
        if (WideUpperCaseStr(GetItems(i)->name) == upper) return i;
    }
    return -1;
}

int TXc12Tables::IndexOfCell(int col, int row) const {
    for (int i = 0; i < Count(); ++i) {
        const TXLSCellArea& ref = GetItems(i)->ref;
        if (col >= ref.Col1 && col <= ref.Col2 && row >= ref.Row1 && row <= ref.Row2) return i;
    }
    return -1;
}

int TXc12Tables::IndexOfColumnName(std::u16string_view name) const {
    std::u16string plain;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] != u'\'') {
            plain += name[i];
        } else if (i + 1 < name.size() && name[i + 1] == u'\'') {
            plain += u'\'';
            ++i;
        }
    }
    plain = WideUpperCaseStr(plain);
    for (int t = 0; t < Count(); ++t) {
        const TXc12TableColumns& columns = GetItems(t)->tableColumns;
        for (int c = 0; c < columns.Count(); ++c) {
            if (WideUpperCaseStr(columns.GetItems(c)->name) == plain) return c;
        }
    }
    return -1;
}

}  // namespace xls
