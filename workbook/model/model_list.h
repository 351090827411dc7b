#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "workbook/model/exceptions.h"

namespace xls {

// The owning list of the part models: Add makes an item with its defaults and appends it,
// GetItems raises the list's index error outside 0..Count-1.
template <class T>
class TXc12ObjectList {
public:
    TXc12ObjectList() = default;
    virtual ~TXc12ObjectList() = default;
    TXc12ObjectList(const TXc12ObjectList&) = delete;
    TXc12ObjectList& operator=(const TXc12ObjectList&) = delete;

    int Count() const { return static_cast<int>(Items_.size()); }
    T* GetItems(int index) const {
        if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
        return Items_[static_cast<size_t>(index)].get();
    }
    template <class... Args>
    T* Add(Args&&... args) {
        return Append(std::make_unique<T>(std::forward<Args>(args)...));
    }
    T* Append(std::unique_ptr<T> item) {
        Items_.push_back(std::move(item));
        return Items_.back().get();
    }
    // item becomes the one at index (0..Count).
    T* Insert(int index, std::unique_ptr<T> item) {
        if (index < 0 || index > Count()) throw EListError::IndexOutOfBounds(index);
        return Items_.insert(Items_.begin() + index, std::move(item))->get();
    }
    void Delete(int index) {
        GetItems(index);
        Items_.erase(Items_.begin() + index);
    }
    void Clear() { Items_.clear(); }

protected:
    std::vector<std::unique_ptr<T>> Items_;
};

}  // namespace xls
