#pragma once

#include <memory>

#include "base/memory_stream.h"
#include "workbook/model/ooxml_services.h"
#include "workbook/model/style_object.h"

namespace xls {

// Pivot caches and pivot tables travel through the model as kept XML trees, renumbered on
// writing.

class TXLSPivotCacheDefinition : public TIndexObject {
public:
    explicit TXLSPivotCacheDefinition(std::unique_ptr<TXc12XmlDocument> definition)
        : Definition(std::move(definition)) {}
    void AddRef() { ++UseCount; }

    int32_t UseCount = 0;
    // Nullptr when the document has no Open XML services.
    std::unique_ptr<TXc12XmlDocument> Definition;
    int32_t CacheId = 0;
    base::TMemoryStream Records;
};

class TXLSPivotCacheDefinitions : public TIndexObjectList {
public:
    explicit TXLSPivotCacheDefinitions(TXc12OoxmlServices* services) : Services_(services) {}
    TXLSPivotCacheDefinition* Add();
    TXLSPivotCacheDefinition* GetItems(int index) const { return ItemsAs<TXLSPivotCacheDefinition>(index); }
    // The first definition with that cache id, nullptr when none.
    TXLSPivotCacheDefinition* FindByCacheId(int cacheId) const;

private:
    TXc12OoxmlServices* Services_;
};

class TXLSPivotTable {
public:
    // After reading: the cache named by the cacheId of the tree's first element becomes the
    // table's cache and gets one more use.
    void LinkCache(const TXLSPivotCacheDefinitions& caches);
    // Before writing: the cacheId of the tree's first element becomes the cache's position + 1,
    // the number its definition is written under.
    void StoreCacheId() const;

    // The cache it uses (not owned), nullptr when none was found.
    TXLSPivotCacheDefinition* Cache = nullptr;
    std::unique_ptr<TXc12XmlDocument> Table;
};

class TXLSPivotTables {
public:
    explicit TXLSPivotTables(TXc12OoxmlServices* services) : Services_(services) {}
    int Count() const { return static_cast<int>(Items_.size()); }
    TXLSPivotTable* Add();
    TXLSPivotTable* GetItems(int index) const;
    void Clear() { Items_.clear(); }

private:
    TXc12OoxmlServices* Services_;
    std::vector<std::unique_ptr<TXLSPivotTable>> Items_;
};

}  // namespace xls
