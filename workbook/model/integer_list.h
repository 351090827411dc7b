#pragma once

#include <cstdint>
#include <vector>

namespace xls {

// A plain list of 32-bit integers, also used as a stack. Indexes outside 0..Count-1 and a pop
// from an empty list raise EListError.
class TIntegerList {
public:
    int Count() const { return static_cast<int>(Items_.size()); }
    // Appends and returns the new item's index.
    int Add(int32_t value);
    int32_t GetItems(int index) const;
    void SetItems(int index, int32_t value);
    // Removes and returns the last value.
    int32_t Pop();
    void Clear() { Items_.clear(); }

private:
    void Check(int index) const;
    std::vector<int32_t> Items_;
};

}  // namespace xls
