#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace xls {

// Entry numbers by name, ignoring ASCII letter case. An open-addressing table of (hash, entry)
// pairs: adding a name allocates nothing but the occasional doubling of the table, and a name
// that is absent (every new entry of an archive being written) is refused by the hashes alone,
// without touching the names of other entries, so that the cost per entry stays the same
// however many entries the archive has.
class TZipNameIndex {
public:
    static uint32_t Hash(std::string_view name);
    static bool SameName(std::string_view a, std::string_view b);

    // The entry recorded for name (hash is Hash(name)), -1 when none; nameOf(entry) gives an
    // entry's name.
    template <class TNameOf>
    int Find(std::string_view name, uint32_t hash, const TNameOf& nameOf) const {
        if (Slots_.empty()) return -1;
        for (size_t at = Start(hash);; at = (at + 1) & Mask()) {
            const TSlot& slot = Slots_[at];
            if (slot.Entry < 0) return -1;
            if (slot.Hash == hash && SameName(nameOf(slot.Entry), name)) return slot.Entry;
        }
    }
    // Records entry under hash; the caller has made sure that its name is not recorded yet.
    void Add(uint32_t hash, int entry);
    void Clear();

private:
    struct TSlot {
        uint32_t Hash = 0;
        int32_t Entry = -1;  // -1: empty
    };

    size_t Mask() const { return Slots_.size() - 1; }
    size_t Start(uint32_t hash) const { return (hash ^ hash >> 16) & Mask(); }
    void Place(TSlot slot);
    void Grow();

    std::vector<TSlot> Slots_;  // a power of two long, at most half full
    size_t Used_ = 0;
};

}  // namespace xls
