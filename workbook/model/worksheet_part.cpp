#include "workbook/model/worksheet_part.h"

#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/shared_string_table.h"
#include "workbook/model/style_sheet.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A plain name that a formula would read as something else: a number, a Boolean or a cell
// reference in either notation.
bool ReadsAsOtherThanName(std::u16string_view name) {
    if (IsAsciiDigit(name.front())) return true;
    const std::u16string upper = WideUpperCaseStr(name);
    if (upper == u"TRUE" || upper == u"FALSE") return true;
    int col = 0;
    int row = 0;
    if (RefStrToColRow(name, col, row)) return true;
    bool colRel = false;
    bool rowRel = false;
    return R1C1RefStrToColRow(name, col, row, colRel, rowRel);
}

}  // namespace

TXc12DataWorksheet::TXc12DataWorksheet(TXLSClassFactory& factory, TXc12DataStyleSheet& styleSheet, TXc12DataSST& sst,
                                       int index, TXc12OoxmlServices* services)
    : Factory_(factory),
      SST_(sst),
      StyleSheet_(styleSheet),
      sheetData(std::make_unique<TXLSCellMMU>(index, styleSheet, sst)),
      comments(styleSheet, services),
      hyperlinks(factory.Create<TXc12Hyperlinks>(xckHyperlinks, this)),
      mergeCells(factory.Create<TXc12MergedCells>(xckMergedCells, this)),
      autoFilter(factory.Create<TXc12AutoFilter>(xckAutofilter, this)),
      customSheetViews(factory),
      PivotTables(services),
      conditionalFormatting(factory.Create<TXc12ConditionalFormattings>(xckConditionalFormats, this)),
      dataValidations(factory.Create<TXc12DataValidations>(xckDataValidations, this)),
      tableParts(factory, services),
      drawing(factory.Create<TXc12DrawingDocument>(xckDrawing, this)),
      legacyDrawing(services != nullptr ? services->CreateDocument() : nullptr) {
    SetIndex(index);
    AddSheetView();
}

TXc12DataWorksheet::~TXc12DataWorksheet() {
    // The cell store, columns, comments, tables, drawing and VML tree go first.
    sheetData.reset();
    cols.Clear();
    comments.Clear();
    tableParts.Clear();
    drawing.reset();
    legacyDrawing.reset();
}

TXLSCellArea TXc12DataWorksheet::GetDimension() const {
    if (Dimension_) return *Dimension_;
    return sheetData->Dimension();
}

std::u16string QuotedSheetName(std::u16string_view name) {
    if (name.empty()) return {};
    bool plain = true;
    for (char16_t c : name) {
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c)) {
            plain = false;
            break;
        }
    }
    if (plain && !ReadsAsOtherThanName(name)) return std::u16string(name);
    std::u16string quoted = u"'";
    for (char16_t c : name) {
        quoted += c;
        if (c == u'\'') quoted += u'\'';
    }
    return quoted + u"'";
}

std::u16string QuotedSheetRange(std::u16string_view first, std::u16string_view last) {
    const std::u16string a = QuotedSheetName(first), b = QuotedSheetName(last);
    const auto quoted = [](const std::u16string& q) { return !q.empty() && q.front() == u'\''; };
    if (!quoted(a) && !quoted(b)) return a + u":" + b;
    const auto inner = [&](const std::u16string& q) { return quoted(q) ? q.substr(1, q.size() - 2) : q; };
    return u"'" + inner(a) + u":" + inner(b) + u"'";
}

std::u16string TXc12DataWorksheet::GetQuotedName() const { return QuotedSheetName(Name); }

TXc12DataWorksheet* TXc12DataWorksheets::Add(int sheetId) {
    auto sheet = std::make_unique<TXc12DataWorksheet>(Factory_, StyleSheet_, SST_, Count(), Services_);
    sheet->SheetId = sheetId < 0 ? Count() + 1 : sheetId;
    TXc12DataWorksheet* result = sheet.get();
    TIndexObjectList::Add(std::move(sheet));
    return result;
}

void TXc12DataWorksheets::Clear() {
    TIndexObjectList::Clear();
    SST_.Clear();
    StyleSheet_.Reset();
}

int TXc12DataWorksheets::IndexOfName(std::u16string_view name) const {
    const std::u16string upper = WideUpperCaseStr(name);
    for (int i = 0; i < Count(); ++i) {
        if (WideUpperCaseStr(GetItems(i)->Name) == upper) return i;
    }
    return -1;
}

TXc12DataWorksheet* TXc12DataWorksheets::FindByCellMMU(const TXLSCellMMU* cells) const {
    for (int i = 0; i < Count(); ++i) {
        if (GetItems(i)->sheetData.get() == cells) return GetItems(i);
    }
    return nullptr;
}

}  // namespace xls
