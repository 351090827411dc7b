#include "workbook/model/shared_string_table.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

constexpr size_t FirstCapacity = 255;
constexpr size_t FirstBucketCount = 1024;
// Appended entries share blocks of this size; larger ones get memory of their own, so that a
// block wastes little at its end.
constexpr size_t BlockSize = 64 * 1024;
constexpr size_t LargestBlockEntry = BlockSize / 8;

// The head of a block: how many entries in it are alive, plus one while the table appends to it.
struct TBlockHead {
    uint32_t Live;
};
// Entries start after the head, at an offset that keeps them aligned and is never 0.
constexpr size_t BlockStart = alignof(TXc12SSTString);
static_assert(sizeof(TBlockHead) <= BlockStart);

void ReleaseBlock(uint8_t* block) {
    auto* head = std::launder(reinterpret_cast<TBlockHead*>(block));
    if (--head->Live == 0) ::operator delete(block);
}

uint32_t HashUnit(uint32_t hash, char16_t c) { return (hash ^ c) * 16777619u; }

// The multiply of each step carries only upwards: a hash's low bits, which pick the bucket,
// depend on the characters' low bits alone, and texts that differ in a few digits crowd into
// neighbouring buckets. The final mix spreads every bit over the low ones.
uint32_t Finish(uint32_t hash) {
    hash ^= hash >> 16;
    hash *= 0x85EBCA6Bu;
    hash ^= hash >> 13;
    hash *= 0xC2B2AE35u;
    return hash ^ (hash >> 16);
}

uint32_t HashText(std::u16string_view text) {
    uint32_t hash = 2166136261u;
    for (char16_t c : text) hash = HashUnit(hash, c);
    return Finish(hash);
}

uint32_t HashRecord(const TXc12SSTString& record) {
    uint32_t hash = 2166136261u;
    const uint8_t* chars = record.Chars();
    if (record.IsWide()) {
        for (size_t i = 0; i < record.Length(); ++i) {
            char16_t c;
            std::memcpy(&c, chars + 2 * i, 2);
            hash = HashUnit(hash, c);
        }
    } else {
        for (size_t i = 0; i < record.Length(); ++i) hash = HashUnit(hash, chars[i]);
    }
    return Finish(hash);
}

void CheckLength(size_t length) {
    if (length > static_cast<size_t>(Xc12MaxSSTLength)) throw EXLSError("SST: string longer than 65535 characters");
}

}  // namespace

// --- TXc12SSTString ---

void* TXc12SSTString::operator new(size_t size, size_t extra) { return ::operator new(size + extra); }

void TXc12SSTString::operator delete(TXc12SSTString* record, std::destroying_delete_t) {
    const uint32_t offset = record->BlockOffset_;
    record->~TXc12SSTString();
    if (offset == 0)
        ::operator delete(record);
    else
        ReleaseBlock(reinterpret_cast<uint8_t*>(record) - offset);
}

size_t TXc12SSTString::SizeFor(size_t length, bool wide, size_t runCount) {
    return sizeof(TXc12SSTString) + runCount * sizeof(TXc12FontRun) + length * (wide ? 2 : 1);
}

std::unique_ptr<TXc12SSTString> TXc12SSTString::Make(size_t length, bool wide, std::span<const TXc12FontRun> runs,
                                                     bool withRuns, void* place, uint32_t blockOffset) {
    CheckLength(length);
    if (runs.size() > 0xFFFF) throw EXLSError("SST: too many font runs");
    TXc12SSTString* made = place ? ::new (place) TXc12SSTString()
                                 : new (SizeFor(length, wide, runs.size()) - sizeof(TXc12SSTString)) TXc12SSTString();
    made->BlockOffset_ = blockOffset;
    std::unique_ptr<TXc12SSTString> record(made);
    record->Length_ = static_cast<uint16_t>(length);
    record->Flags_ = static_cast<uint8_t>((wide ? sstWide : 0) | (withRuns ? sstRuns : 0));
    record->RunCount_ = static_cast<uint16_t>(runs.size());
    if (!runs.empty()) std::memcpy(record->Data(), runs.data(), runs.size() * sizeof(TXc12FontRun));
    return record;
}

const uint8_t* TXc12SSTString::Chars() const { return Data() + RunCount_ * sizeof(TXc12FontRun); }

const TXc12FontRun* TXc12SSTString::Runs() const {
    return HasRuns() ? reinterpret_cast<const TXc12FontRun*>(Data()) : nullptr;
}

std::u16string TXc12SSTString::Text() const {
    std::u16string text(Length_, u'\0');
    const uint8_t* chars = Chars();
    if (IsWide())
        std::memcpy(text.data(), chars, 2 * size_t{Length_});
    else
        for (size_t i = 0; i < Length_; ++i) text[i] = chars[i];
    return text;
}

bool TXc12SSTString::TextEquals(std::u16string_view text) const {
    if (text.size() != Length_) return false;
    const uint8_t* chars = Chars();
    if (IsWide()) return std::memcmp(chars, text.data(), 2 * text.size()) == 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != chars[i]) return false;
    return true;
}

// --- TXc12DataSST ---

TXc12DataSST::TXc12DataSST(TXc12DataStyleSheet& styleSheet) : StyleSheet_(styleSheet) {}

TXc12DataSST::~TXc12DataSST() { Clear(); }

std::u16string TXc12DataSST::Escape(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            result += u"_x005F";
            result += text.substr(i, 7);
            i += 7;
        } else {
            result += text[i++];
        }
    }
    return result;
}

void TXc12DataSST::CheckIndex(int index) const {
    if (index < 0 || index >= Count_) throw EXLSError("Index out of range");
}

int TXc12DataSST::Place(std::unique_ptr<TXc12SSTString> record, bool appendOnly) {
    if (!appendOnly && !FreeSlots_.Empty()) {
        const int slot = static_cast<int>(FreeSlots_.TakeLowest());
        Items_[static_cast<size_t>(slot)] = std::move(record);
        Links_[static_cast<size_t>(slot)].Hashed = false;
        return slot;
    }
    if (Count_ == INT32_MAX) throw EXLSError("SST: too many strings");
    if (Items_.size() == Items_.capacity()) {
        const size_t capacity = std::max(FirstCapacity, Items_.capacity() * 2);
        Items_.reserve(capacity);
        Links_.reserve(capacity);
    }
    Items_.push_back(std::move(record));
    Links_.push_back({0, false});
    // Appends are not hashed: the next lookup rebuilds the hash so that it finds them.
    if (appendOnly) HashValid_ = false;
    return Count_++;
}

std::unique_ptr<TXc12SSTString> TXc12DataSST::MakeAppended(size_t length, bool wide, std::span<const TXc12FontRun> runs,
                                                           bool withRuns) {
    // Make checks the length and the runs before it takes the room: a refused entry takes none.
    const size_t align = alignof(TXc12SSTString);
    const size_t size = (TXc12SSTString::SizeFor(length, wide, runs.size()) + align - 1) & ~(align - 1);
    if (size > LargestBlockEntry) return TXc12SSTString::Make(length, wide, runs, withRuns);
    if (!Block_ || BlockUsed_ + size > BlockSize) {
        LeaveBlock();
        Block_ = static_cast<uint8_t*>(::operator new(BlockSize));
        ::new (Block_) TBlockHead{1};
        BlockUsed_ = BlockStart;
    }
    const size_t offset = BlockUsed_;
    auto record = TXc12SSTString::Make(length, wide, runs, withRuns, Block_ + offset, static_cast<uint32_t>(offset));
    BlockUsed_ += size;
    ++std::launder(reinterpret_cast<TBlockHead*>(Block_))->Live;
    return record;
}

void TXc12DataSST::LeaveBlock() {
    if (!Block_) return;
    ReleaseBlock(Block_);
    Block_ = nullptr;
    BlockUsed_ = 0;
}

void TXc12DataSST::ResizeBuckets(size_t count) {
    // Taken in the old table's order, the entries land in two nearly sequential streams of the
    // new one (a home at b or b + old size): a table larger than the caches is rebuilt at memory
    // speed instead of one miss per entry.
    std::vector<TBucket> old(count);
    old.swap(Buckets_);
    const size_t mask = count - 1;
    for (const TBucket& bucket : old) {
        if (bucket.Slot < 0) continue;
        size_t at = bucket.Hash & mask;
        while (Buckets_[at].Slot >= 0) at = (at + 1) & mask;
        Buckets_[at] = bucket;
    }
}

void TXc12DataSST::HashInsert(int index, uint32_t hash) {
    if (Buckets_.empty() || 2 * (Hashed_ + 1) > Buckets_.size())
        ResizeBuckets(std::max(FirstBucketCount, Buckets_.size() * 2));
    const size_t mask = Buckets_.size() - 1;
    size_t at = hash & mask;
    while (Buckets_[at].Slot >= 0) at = (at + 1) & mask;
    Buckets_[at] = {hash, index, Items_[static_cast<size_t>(index)].get()};
    Links_[static_cast<size_t>(index)] = {hash, true};
    ++Hashed_;
}

void TXc12DataSST::HashRemove(int index) {
    TSlotHash& link = Links_[static_cast<size_t>(index)];
    if (!link.Hashed) return;
    link.Hashed = false;
    const size_t mask = Buckets_.size() - 1;
    size_t hole = link.Hash & mask;
    while (Buckets_[hole].Slot != index) hole = (hole + 1) & mask;
    // Later members of the probe run move back into the hole unless their home lies
    // (cyclically) after it, so that every entry stays reachable from its home bucket.
    for (size_t next = (hole + 1) & mask; Buckets_[next].Slot >= 0; next = (next + 1) & mask) {
        const size_t home = Buckets_[next].Hash & mask;
        const bool staysPut = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
        if (staysPut) continue;
        Buckets_[hole] = Buckets_[next];
        hole = next;
    }
    Buckets_[hole] = TBucket{};
    --Hashed_;
}

int TXc12DataSST::HashFind(std::u16string_view text, uint32_t hash) const {
    if (Buckets_.empty()) return -1;
    const size_t mask = Buckets_.size() - 1;
    for (size_t at = hash & mask; Buckets_[at].Slot >= 0; at = (at + 1) & mask)
        if (Buckets_[at].Hash == hash && Buckets_[at].Record->TextEquals(text)) return Buckets_[at].Slot;
    return -1;
}

void TXc12DataSST::RebuildHash() {
    for (TSlotHash& link : Links_) link.Hashed = false;
    size_t buckets = FirstBucketCount;
    while (buckets < 2 * Items_.size()) buckets *= 2;
    Buckets_.assign(buckets, TBucket{});
    Hashed_ = 0;
    for (int i = 0; i < Count_; ++i) {
        const TXc12SSTString* record = Items_[static_cast<size_t>(i)].get();
        if (record && !record->HasRuns()) HashInsert(i, HashRecord(*record));
    }
    HashValid_ = true;
}

int TXc12DataSST::AddString(std::u16string_view text) {
    if (!HashValid_) RebuildHash();
    std::u16string escaped;
    if (!NoEscape_ && text.find(u'_') != std::u16string_view::npos) {
        escaped = Escape(text);
        text = escaped;
    }
    CheckLength(text.size());
    const uint32_t hash = HashText(text);
    if (const int found = HashFind(text, hash); found >= 0) return found;
    const bool wide = !AllCharsBelow256(text);
    auto record = TXc12SSTString::Make(text.size(), wide, {}, false);
    uint8_t* chars = record->Data();
    if (wide)
        std::memcpy(chars, text.data(), 2 * text.size());
    else
        for (size_t i = 0; i < text.size(); ++i) chars[i] = static_cast<uint8_t>(text[i]);
    const int index = Place(std::move(record), false);
    HashInsert(index, hash);
    return index;
}

void TXc12DataSST::AddRef(int index) {
    CheckIndex(index);
    TXc12SSTString* record = Items_[static_cast<size_t>(index)].get();
    if (!record) throw EXLSError("SST String is Nil");
    if (record->RefCount_ == INT32_MAX) throw EXLSError("Integer overflow");
    ++record->RefCount_;
}

void TXc12DataSST::Release(int index) {
    CheckIndex(index);
    const size_t slot = static_cast<size_t>(index);
    TXc12SSTString* record = Items_[slot].get();
    if (!record) return;
    if (--record->RefCount_ >= 1) return;
    if (record->HasRuns())
        StyleSheet_.XFEditor().ReleaseFontRuns(record->Runs(), record->RunCount());
    else
        HashRemove(index);
    Items_[slot].reset();
    if (index == Count_ - 1) {
        Items_.pop_back();
        Links_.pop_back();
        --Count_;
    } else {
        FreeSlots_.Add(slot);
    }
}

const TXc12SSTString* TXc12DataSST::GetStringRec(int index) const {
    CheckIndex(index);
    return Items_[static_cast<size_t>(index)].get();
}

void TXc12DataSST::GetText(int index, std::u16string& text) const {
    const TXc12SSTString* record = GetStringRec(index);
    if (record)
        text = record->Text();
    else
        text.clear();
}

std::u16string TXc12DataSST::GetText(int index) const {
    std::u16string text;
    GetText(index, text);
    return text;
}

int TXc12DataSST::AppendString(std::u16string_view text) {
    CheckLength(text.size());
    const bool wide = !AllCharsBelow256(text);
    auto record = MakeAppended(text.size(), wide, {}, false);
    uint8_t* chars = record->Data();
    if (wide)
        std::memcpy(chars, text.data(), 2 * text.size());
    else
        for (size_t i = 0; i < text.size(); ++i) chars[i] = static_cast<uint8_t>(text[i]);
    return Place(std::move(record), true);
}

int TXc12DataSST::AppendAnsiChars(int count, const uint8_t* buffer) {
    if (count < 0 || (count > 0 && !buffer)) throw EXLSError("SST: invalid string");
    auto record = MakeAppended(static_cast<size_t>(count), false, {}, false);
    if (count > 0) std::memcpy(record->Data(), buffer, static_cast<size_t>(count));
    return Place(std::move(record), true);
}

int TXc12DataSST::AppendWideChars(int count, const uint8_t* buffer) {
    if (count < 0 || (count > 0 && !buffer)) throw EXLSError("SST: invalid string");
    auto record = MakeAppended(static_cast<size_t>(count), true, {}, false);
    uint8_t* chars = record->Data();
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        const char16_t c = static_cast<char16_t>(buffer[2 * i] | (buffer[2 * i + 1] << 8));
        std::memcpy(chars + 2 * i, &c, 2);
    }
    return Place(std::move(record), true);
}

int TXc12DataSST::AppendRichString(std::u16string_view text, std::span<const TXc12FontRun> runs) {
    const bool wide = !AllCharsBelow256(text);
    auto record = MakeAppended(text.size(), wide, runs, true);
    uint8_t* chars = record->Data() + runs.size() * sizeof(TXc12FontRun);
    if (wide)
        std::memcpy(chars, text.data(), 2 * text.size());
    else
        for (size_t i = 0; i < text.size(); ++i) chars[i] = static_cast<uint8_t>(text[i]);
    const int index = Place(std::move(record), true);
    StyleSheet_.XFEditor().AddRefFontRuns(runs.data(), static_cast<int>(runs.size()));
    return index;
}

void TXc12DataSST::Reserve(size_t count) {
    if (count > static_cast<size_t>(INT32_MAX - Count_)) throw EXLSError("SST: too many strings");
    Items_.reserve(Items_.size() + count);
    Links_.reserve(Links_.size() + count);
}

void TXc12DataSST::Clear() {
    for (const auto& record : Items_)
        if (record && record->HasRuns()) StyleSheet_.XFEditor().ReleaseFontRuns(record->Runs(), record->RunCount());
    // The entries go before the table lets go of its block: one of them may lie in it.
    std::vector<std::unique_ptr<TXc12SSTString>>().swap(Items_);
    LeaveBlock();
    std::vector<TSlotHash>().swap(Links_);
    std::vector<TBucket>().swap(Buckets_);
    FreeSlots_.Clear();
    Count_ = 0;
    Hashed_ = 0;
    HashValid_ = false;
}

}  // namespace xls
