#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace xls {

// A set of free slot numbers handed out lowest first. One bit per slot and one summary bit per
// 64-slot word: freeing and taking are constant time apart from a forward scan of the summary,
// and slots freed in order are taken back in order at memory speed (a binary heap costs a cache
// miss per level once it outgrows the caches).
class TFreeSlots {
public:
    size_t Size() const { return Size_; }
    bool Empty() const { return Size_ == 0; }

    void Add(size_t slot) {
        const size_t word = slot / 64;
        if (word >= Words_.size()) {
            Words_.resize(word + 1);
            Summary_.resize(word / 64 + 1);
        }
        const uint64_t bit = uint64_t{1} << (slot % 64);
        if (Words_[word] & bit) return;
        Words_[word] |= bit;
        Summary_[word / 64] |= uint64_t{1} << (word % 64);
        if (word / 64 < Hint_) Hint_ = word / 64;
        ++Size_;
    }

    // The lowest free slot, taken out of the set; the set must not be empty.
    size_t TakeLowest() {
        while (Summary_[Hint_] == 0) ++Hint_;
        const size_t word = Hint_ * 64 + static_cast<size_t>(std::countr_zero(Summary_[Hint_]));
        uint64_t& bits = Words_[word];
        const size_t slot = word * 64 + static_cast<size_t>(std::countr_zero(bits));
        bits &= bits - 1;
        if (bits == 0) Summary_[word / 64] &= ~(uint64_t{1} << (word % 64));
        --Size_;
        return slot;
    }

    void Clear() {
        std::vector<uint64_t>().swap(Words_);
        std::vector<uint64_t>().swap(Summary_);
        Hint_ = 0;
        Size_ = 0;
    }

private:
    std::vector<uint64_t> Words_;
    std::vector<uint64_t> Summary_;
    size_t Hint_ = 0;  // no summary word below it has a bit set
    size_t Size_ = 0;
};

}  // namespace xls
