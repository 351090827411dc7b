#include "workbook/model/integer_list.h"

#include <climits>

#include "workbook/model/exceptions.h"

namespace xls {

void TIntegerList::Check(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
}

int TIntegerList::Add(int32_t value) {
    if (Items_.size() >= static_cast<size_t>(INT_MAX)) throw EXLSError("Integer overflow");
    Items_.push_back(value);
    return Count() - 1;
}

int32_t TIntegerList::GetItems(int index) const {
    Check(index);
    return Items_[static_cast<size_t>(index)];
}

void TIntegerList::SetItems(int index, int32_t value) {
    Check(index);
    Items_[static_cast<size_t>(index)] = value;
}

int32_t TIntegerList::Pop() {
    if (Items_.empty()) throw EListError::IndexOutOfBounds(-1);
    const int32_t value = Items_.back();
    Items_.pop_back();
    return value;
}

}  // namespace xls
