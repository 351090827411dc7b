#include "workbook/model/error_manager.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace xls {
namespace {

struct TMessageEntry {
    int Number;
    std::u16string_view Text;
};

// Sorted by number for the binary search in TableText.
constexpr TMessageEntry MessageTable[] = {
    {1002, u"Unknown type of encryption"},
    // The default password is the one [MS-XLS] gives for write-protected workbooks.
    {1003, u"File is encrypted, password missing. If you think the file is unencrypted, try \"VelvetSweatshop\""},
    {1004, u"File is encrypted, password is wrong."},
    {1005, u"Direct write: Cell columna and row can not be the same as previous"},
    {2001, u"XML read error: \"%s\""},
    {2002, u"Text of cell %s is shorter than its record says"},
    {3001, u"Can not find Defined Name \"%s\""},
    {3002, u"Circular formula \"%s\""},
    {3003, u"There is allready a sheet with name \"%s\""},
    {3004, u"Invalid cell reference \"%s\""},
    {3005, u"Invalid cell value"},
    {3006, u"Unknown image type \"%s\""},
    {3007, u"Unsupported image type \"%s\" Use JPEG or PNG images"},
    {3008, u"Image error"},
    {3009, u"Can not change part of a merged cell"},
    {3101, u"Can not edit this shape as Text box"},
    {3102, u"Can not edit this shape"},
    {4001, u"Unknown error constant \"%s\""},
    {4002, u"Invalid exponent value"},
    {4003, u"Invalid fractional number"},
    {4004, u"Missing end quote character"},
    {4005, u"Invalid array constant"},
    {4006, u"Error in formula"},
    {4007, u"Missing right paranthesis"},
    {4008, u"Invalid use of \"%s\""},
    {4009, u"Missing expression after \"%s\""},
    {4010, u"Invalid cell reference"},
    {4011, u"Invalid sheet name"},
    {4012, u"Invalid workbook name"},
    {4013, u"Missing \"%s\""},
    {4014, u"Invalid R1C1 reference"},
    {4015, u"Missing operand"},
    {4016, u"Uknown sheet name \"%s\""},
    {4017, u"Uknown external sheet \"%s\""},
    {4018, u"Invalid use of operator"},
    {4019, u"Uknown name \"%s\""},
    {4020, u"Missing argument for function \"%s\""},
    {4021, u"To many arguments for function \"%s\""},
    {4022, u"Array constant columns not the same on each row"},
    {4023, u"Error in table \"%s\""},
    {4024, u"Unknown table \"%s\""},
    {4025, u"Unknown table columns \"%s\""},
    {4026, u"Unknown table special \"%s\""},
    {4027, u"Table \"%s\" is missing end bracket\""},
    {4028, u"Invalid use of operator in table"},
    {4029, u"Invalid combination if table specials"},
    {4030, u"Table specials must be first in expression"},
    {4031, u"Name text is empty"},
    {4032, u"Name \"%s\" is allready defined"},
    {4033, u"Invalid reference \"%s\" in hyperlink"},
    {5001, u"Unknown built in name \"%s\""},
    {5002, u"Can not find built in name \"%s\""},
    {6001, u"Filename is missing in %s"},
    {6002, u"No VUZAzurEruraII defined"},
    {6003, u"Workbook not empty. Data will be discarded when changing filetype."},
    {6004, u"%s can not be performed on multiple selected areas"},
    {6005, u"Invalid simple tag \"%s\""},
    {7001, u"Formula result in cell \"%s\" do not match."},
};

static_assert(std::is_sorted(std::begin(MessageTable), std::end(MessageTable),
                             [](const TMessageEntry& a, const TMessageEntry& b) { return a.Number < b.Number; }));

void Increment(int& counter) {
    if (counter == INT_MAX) throw EXLSError("Integer overflow");
    ++counter;
}

std::u16string DecimalText(int number) {
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string_view TXLSErrorManager::TableText(int number) {
    const auto it = std::lower_bound(std::begin(MessageTable), std::end(MessageTable), number,
                                     [](const TMessageEntry& e, int n) { return e.Number < n; });
    if (it == std::end(MessageTable) || it->Number != number) return {};
    return it->Text;
}

std::u16string TXLSErrorManager::MessageText(int number, std::u16string_view text) {
    std::u16string out = DecimalText(number);
    out += u": ";
    const std::u16string_view table = TableText(number);
    // The runtime's Format replaced the one "%s" of a table text; the caller's text is inserted
    // as it stands (a "%" in it is not a format).
    const size_t at = table.find(u"%s");
    if (at == std::u16string_view::npos) {
        out += table;
    } else {
        out += table.substr(0, at);
        out += text;
        out += table.substr(at + 2);
    }
    return out;
}

void TXLSErrorManager::Report(TXLSErrorLevel level, char16_t prefix, std::u16string_view text, int number) {
    std::u16string message(1, prefix);
    message += MessageText(number, text);
    if (SaveToList_) Messages_.push_back({message, number});
    if (OnError_ && !Filter_.Contains(level)) {
        OnError_(*this, level, message);
        return;
    }
    if (level == xelError && !SaveToList_) throw EXLSReport(message, number);
}

void TXLSErrorManager::Error(std::u16string_view text, int number) {
    LastError_ = number;
    if (ReportingOff_) return;
    Increment(Errors_);
    Report(xelError, u'E', text, number);
}

void TXLSErrorManager::Warning(std::u16string_view text, int number) {
    if (number == WarnXMLRead && IgnoreXMLWarnings_) return;
    Increment(Warnings_);
    Report(xelWarning, u'W', text, number);
}

void TXLSErrorManager::Hint(std::u16string_view text, int number) {
    Increment(Hints_);
    Report(xelHint, u'H', text, number);
}

}  // namespace xls
