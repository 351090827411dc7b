#include "workbook/biff/wide_string_list.h"

#include "base/format.h"
#include "workbook/biff/biff_error.h"

namespace xls {

TXLSWideStringList::~TXLSWideStringList() = default;

int TXLSWideStringList::Add(const std::u16string& text) { return AddValue(text, 0); }

int TXLSWideStringList::AddValue(const std::u16string& text, int32_t value) {
    Items_.push_back(TWSRec{text, value});
    Changed();
    return GetCount() - 1;
}

int TXLSWideStringList::AddAfterBlank(const std::u16string& text) {
    const size_t blank = text.find(u' ');
    if (blank == std::u16string::npos || blank < 1) return Add(text);
    // Trimmed as the class library trims: blanks and control characters on both ends.
    size_t first = blank + 1;
    size_t last = text.size();
    while (first < last && text[first] <= u' ') ++first;
    while (last > first && text[last - 1] <= u' ') --last;
    return Add(text.substr(first, last - first));
}

void TXLSWideStringList::Clear() {
    Items_.clear();
    Changed();
}

const TWSRec& TXLSWideStringList::Item(int index) const {
    if (index < 0 || index >= GetCount()) throw EBIFFError(base::Format("List index out of bounds (%d)", {index}));
    return Items_[static_cast<size_t>(index)];
}

std::u16string TXLSWideStringList::GetString(int index) const { return Item(index).Text; }

int32_t TXLSWideStringList::GetValue(int index) const { return Item(index).Value; }

void TXLSWideStringList::Changed() {
    if (OnChange && !UpdateLock_) OnChange(*this);
}

}  // namespace xls
