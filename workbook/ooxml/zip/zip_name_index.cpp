#include "workbook/ooxml/zip/zip_name_index.h"

namespace xls {

namespace {

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

uint32_t TZipNameIndex::Hash(std::string_view name) {
    // FNV-1a over the lower-cased bytes.
    uint32_t hash = 2166136261u;
    for (const char c : name) hash = (hash ^ static_cast<uint8_t>(AsciiLower(c))) * 16777619u;
    return hash;
}

bool TZipNameIndex::SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

void TZipNameIndex::Add(uint32_t hash, int entry) {
    if (2 * (Used_ + 1) > Slots_.size()) Grow();
    Place({hash, entry});
    ++Used_;
}

void TZipNameIndex::Place(TSlot slot) {
    size_t at = Start(slot.Hash);
    while (Slots_[at].Entry >= 0) at = (at + 1) & Mask();
    Slots_[at] = slot;
}

void TZipNameIndex::Grow() {
    std::vector<TSlot> old = std::move(Slots_);
    Slots_.assign(old.empty() ? 64 : 2 * old.size(), TSlot{});
    for (const TSlot& slot : old)
        if (slot.Entry >= 0) Place(slot);
}

void TZipNameIndex::Clear() {
    Slots_.clear();
    Slots_.shrink_to_fit();
    Used_ = 0;
}

}  // namespace xls
