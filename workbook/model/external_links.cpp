#include "workbook/model/external_links.h"

#include <charconv>

#include "base/text_encoding.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_reference.h"

namespace xls {

namespace {

// The class library's default float text: up to 15 significant digits, "E" exponents.
std::u16string FloatText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    const size_t e = text.find('e');
    if (e != std::string::npos) {
        std::string exponent = text.substr(e + 1);
        std::string sign;
        if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
            if (exponent[0] == '-') sign = "-";
            exponent.erase(0, 1);
        }
        exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
        text = text.substr(0, e) + "E" + sign + exponent;
    }
    return base::Utf8ToUtf16(text);
}

}  // namespace

std::u16string AsciiUpperCase(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    }
    return result;
}

void TXc12XCellValue::Clear() {
    String_.clear();
    String_.shrink_to_fit();
    Type_ = xvtNumber;
    BoolOrError_ = 0;
    Number_ = 0;
}

void TXc12XCellValue::SetAsBoolean(bool value) {
    Clear();
    Type_ = xvtBoolean;
    BoolOrError_ = value ? 1 : 0;
}

void TXc12XCellValue::SetAsError(uint8_t code) {
    Clear();
    Type_ = xvtError;
    BoolOrError_ = code;
}

void TXc12XCellValue::SetAsFloat(double value) {
    Clear();
    Number_ = value;
}

void TXc12XCellValue::SetAsString(std::u16string_view value) {
    Clear();
    Type_ = xvtString;
    String_ = value;
}

void TXc12XCellValue::SetNil(bool value) {
    Clear();
    if (value) Type_ = xvtNil;
}

std::u16string TXc12XCellValue::GetAsText() const {
    switch (Type_) {
        case xvtBoolean: return BoolOrError_ != 0 ? u"TRUE" : u"FALSE";
        case xvtError: return std::u16string(CellErrorToText(BoolOrError_));
        case xvtNumber: return FloatText(Number_);
        case xvtString: return String_;
        default: return {};
    }
}

std::u16string TXc12XCell::GetRef() const { return ColRowToRefStr(Col, Row); }

bool TXc12XCell::SetRef(std::u16string_view text) {
    int col = 0;
    int row = 0;
    if (!RefStrToColRow(text, col, row)) return false;
    Col = col;
    Row = row;
    return true;
}

int TXc12XExternalBook::FindSheet(std::u16string_view name) const {
    const std::u16string upper = AsciiUpperCase(name);
    for (size_t i = 0; i < SheetNames.size(); ++i) {
        if (AsciiUpperCase(base::Utf8ToUtf16(SheetNames[i])) == upper) return static_cast<int>(i);
    }
    return -1;
}

int TXc12DataXLinks::FindBook(std::u16string_view text) const {
    const std::string digits = base::Utf16ToUtf8(text);
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (!digits.empty() && error == std::errc() && end == digits.data() + digits.size())
        return number >= 1 && number <= Count() ? number - 1 : -1;
    const std::u16string upper = AsciiUpperCase(text);
    for (int i = 0; i < Count(); ++i) {
        const std::u16string& target = GetItems(i)->externalBook.Target;
        if (!target.empty() && AsciiUpperCase(target) == upper) return i;
    }
    return -1;
}

bool TXc12DataXLinks::FindCachedValue(int bookIndex, int sheetIndex, TXc12XCellValue& value, int row, int col) const {
    if (bookIndex < 0 || bookIndex >= Count()) return false;
    const TXc12XSheetDataSet& sheets = GetItems(bookIndex)->externalBook.sheetDataSet;
    // The sheet index comes from a formula: one the book does not have is a miss, not an error.
    if (sheetIndex < 0 || sheetIndex >= sheets.Count()) return false;
    const TXc12XSheetData& sheet = *sheets.GetItems(sheetIndex);
    for (int r = 0; r < sheet.Count(); ++r) {
        const TXc12XRow& cells = *sheet.GetItems(r);
        if (cells.r != row) continue;
        for (int c = 0; c < cells.Count(); ++c) {
            const TXc12XCell& cell = *cells.GetItems(c);
            if (cell.Col == col) {
                value = cell;
                return true;
            }
        }
    }
    return false;
}

}  // namespace xls
