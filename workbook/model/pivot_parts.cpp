#include "workbook/model/pivot_parts.h"

#include "workbook/model/exceptions.h"

namespace xls {

TXLSPivotCacheDefinition* TXLSPivotCacheDefinitions::Add() {
    auto item = std::make_unique<TXLSPivotCacheDefinition>(Services_ != nullptr ? Services_->CreateDocument() : nullptr);
    TXLSPivotCacheDefinition* result = item.get();
    TIndexObjectList::Add(std::move(item));
    return result;
}

TXLSPivotCacheDefinition* TXLSPivotCacheDefinitions::FindByCacheId(int cacheId) const {
    for (int i = 0; i < Count(); ++i) {
        if (GetItems(i)->CacheId == cacheId) return GetItems(i);
    }
    return nullptr;
}

TXLSPivotTable* TXLSPivotTables::Add() {
    auto item = std::make_unique<TXLSPivotTable>();
    if (Services_ != nullptr) item->Table = Services_->CreateDocument();
    Items_.push_back(std::move(item));
    return Items_.back().get();
}

TXLSPivotTable* TXLSPivotTables::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return Items_[static_cast<size_t>(index)].get();
}

}  // namespace xls
