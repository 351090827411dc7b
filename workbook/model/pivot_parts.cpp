#include "workbook/model/pivot_parts.h"

#include <charconv>

#include "base/text_encoding.h"
#include "workbook/model/exceptions.h"

namespace xls {

TXLSPivotCacheDefinition* TXLSPivotCacheDefinitions::Add() {
    auto item =
        std::make_unique<TXLSPivotCacheDefinition>(Services_ != nullptr ? Services_->CreateDocument() : nullptr);
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

namespace {

constexpr std::u16string_view CacheIdAttribute = u"cacheId";

TXc12XmlNode* FirstElement(const std::unique_ptr<TXc12XmlDocument>& tree) {
    return tree && tree->Root().ChildCount() > 0 ? tree->Root().GetChild(0) : nullptr;
}

}  // namespace

void TXLSPivotTable::LinkCache(const TXLSPivotCacheDefinitions& caches) {
    const TXc12XmlNode* element = FirstElement(Table);
    if (element == nullptr) return;
    const std::string id = base::Utf16ToUtf8(element->GetAttribute(CacheIdAttribute));
    int cacheId = 0;
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), cacheId);
    if (id.empty() || error != std::errc() || end != id.data() + id.size()) return;
    Cache = caches.FindByCacheId(cacheId);
    if (Cache != nullptr) Cache->AddRef();
}

void TXLSPivotTable::StoreCacheId() const {
    TXc12XmlNode* element = FirstElement(Table);
    if (element == nullptr || Cache == nullptr) return;
    element->SetAttribute(CacheIdAttribute, base::Utf8ToUtf16(std::to_string(Cache->Index() + 1)));
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
