#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/model_list.h"

namespace xls {

// The document's links to other workbooks, DDE sources and OLE objects, with the cached values
// of the cells formulas use.

// A cached value: 0 nil, 1 Boolean, 2 error, 3 number, 4 string. A cleared value is the
// number 0.
class TXc12XCellValue {
public:
    enum : uint8_t { xvtNil = 0, xvtBoolean = 1, xvtError = 2, xvtNumber = 3, xvtString = 4 };

    void Clear();
    void SetAsBoolean(bool value);
    void SetAsError(uint8_t code);
    void SetAsFloat(double value);
    void SetAsString(std::u16string_view value);
    void SetNil(bool value);
    // "TRUE"/"FALSE", the error text, the number as text, the string, or empty for nil.
    std::u16string GetAsText() const;

    uint8_t GetType() const { return Type_; }
    uint8_t GetBoolOrError() const { return BoolOrError_; }
    double GetNumber() const { return Number_; }
    // The zero-terminated characters of a string value (nullptr otherwise); the value keeps them.
    const char16_t* GetString() const { return Type_ == xvtString ? String_.c_str() : nullptr; }

private:
    uint8_t Type_ = xvtNumber;
    uint8_t BoolOrError_ = 0;
    std::u16string String_;
    double Number_ = 0;
};

class TXc12XCell : public TXc12XCellValue {
public:
    // The cell as a relative "A1" reference.
    std::u16string GetRef() const;
    // False (cell unchanged) when the text is no reference of the model grid.
    bool SetRef(std::u16string_view text);
    int32_t Col = 0;
    int32_t Row = 0;
    int32_t vm = 0;
};

class TXc12XRow : public TXc12ObjectList<TXc12XCell> {
public:
    int32_t r = 0;
};

class TXc12XSheetData : public TXc12ObjectList<TXc12XRow> {
public:
    int32_t sheetId = 0;
    uint8_t refreshError = 0;
};

using TXc12XSheetDataSet = TXc12ObjectList<TXc12XSheetData>;

class TXc12XDefinedName {
public:
    std::u16string name;
    std::u16string refersTo;
    int32_t sheetId = 0;
};

using TXc12XDefinedNames = TXc12ObjectList<TXc12XDefinedName>;

class TXc12XExternalBook {
public:
    // The sheet name equal ignoring ASCII case; -1 when none.
    int FindSheet(std::u16string_view name) const;

    std::vector<std::string> SheetNames;
    TXc12XDefinedNames definedNames;
    TXc12XSheetDataSet sheetDataSet;
    // The external workbook's file name; empty when the link has no external book.
    std::u16string Target;
};

using TXc12DdeValue = TXc12XCellValue;

class TXc12DdeValues : public TXc12ObjectList<TXc12DdeValue> {
public:
    int32_t rows = 0;
    int32_t cols = 0;
};

class TXc12DdeItem {
public:
    std::u16string name;
    uint8_t ole = 0;
    uint8_t advise = 0;
    uint8_t preferPic = 0;
    TXc12DdeValues values;
};

class TXc12DdeLink : public TXc12ObjectList<TXc12DdeItem> {
public:
    std::u16string ddeService;
    std::u16string ddeTopic;
};

class TXc12OleItem {
public:
    std::u16string name;
    uint8_t icon = 0;
    uint8_t advise = 0;
    uint8_t preferPic = 0;
};

class TXc12OleLink : public TXc12ObjectList<TXc12OleItem> {
public:
    std::u16string Target;
    std::u16string progId;
};

class TXc12ExternalLink {
public:
    TXc12XExternalBook externalBook;
    TXc12DdeLink ddeLink;
    TXc12OleLink oleLink;
};

class TXc12DataXLinks : public TXc12ObjectList<TXc12ExternalLink> {
public:
    // The link a formula means by a workbook text: "n" gives link n - 1, else the link whose
    // target equals the text ignoring ASCII case; -1 when none.
    int FindBook(std::u16string_view text) const;
    // The cached value of a cell of an external sheet; false when the link, the sheet or the
    // cell has none. The string of the value stays the cached cell's.
    bool FindCachedValue(int bookIndex, int sheetIndex, TXc12XCellValue& value, int row, int col) const;
};

// ASCII-only upper case (letters a to z).
std::u16string AsciiUpperCase(std::u16string_view text);

}  // namespace xls
