#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/free_slots.h"
#include "workbook/model/style_sheet.h"

namespace xls {

// Flags of a shared-string record.
enum TXc12SSTFlags : uint8_t {
    sstWide = 0x01,      // characters are UTF-16, else one byte each (characters 0 to 255)
    sstPhonetic = 0x04,  // never made by this library
    sstRuns = 0x08,      // font runs follow the characters
};

constexpr int Xc12MaxSSTLength = 0xFFFF;

// One entry of the table: a single piece of memory holding the counters, the characters (one
// byte each when all are below 256) and the font runs. Entries the reader appends lie side by side
// in blocks of the table; the others are allocations of their own.
// Aligned so that the runs after the header keep their pointers aligned.
class alignas(8) TXc12SSTString {
public:
    int32_t RefCount() const { return RefCount_; }
    uint16_t Length() const { return Length_; }
    uint8_t Flags() const { return Flags_; }
    bool IsWide() const { return (Flags() & sstWide) != 0; }
    bool HasRuns() const { return (Flags() & sstRuns) != 0; }
    uint16_t RunCount() const { return RunCount_; }
    // The characters: Length bytes, or Length UTF-16 units (native order) when IsWide.
    const uint8_t* Chars() const;
    // The runs, nullptr without them.
    const TXc12FontRun* Runs() const;
    std::u16string Text() const;
    // Compares without decoding into a new string.
    bool TextEquals(std::u16string_view text) const;
    // Gives the memory back where it came from: its own allocation, or its share of a block.
    static void operator delete(TXc12SSTString* record, std::destroying_delete_t);

private:
    friend class TXc12DataSST;
    // The record's allocator: the characters and runs live after the header.
    static void* operator new(size_t size, size_t extra);
    static size_t SizeFor(size_t length, bool wide, size_t runCount);
    // Builds the entry in memory of its own, or at place (blockOffset bytes after the start of
    // its block) when place is given.
    static std::unique_ptr<TXc12SSTString> Make(size_t length, bool wide, std::span<const TXc12FontRun> runs,
                                                bool withRuns, void* place = nullptr, uint32_t blockOffset = 0);
    uint8_t* Data() { return reinterpret_cast<uint8_t*>(this) + sizeof(TXc12SSTString); }
    const uint8_t* Data() const { return reinterpret_cast<const uint8_t*>(this) + sizeof(TXc12SSTString); }
    TXc12SSTString() = default;

    int32_t RefCount_ = 0;
    uint16_t Length_ = 0;
    uint16_t RunCount_ = 0;
    uint8_t Flags_ = 0;
    uint32_t BlockOffset_ = 0;  // 0: memory of its own; else the distance back to the start of its block
};

// The document's table of cell texts. Cells hold indexes into it; each entry counts its cells
// and is freed when the count falls to zero, its slot then reused (lowest free slot first).
class TXc12DataSST {
public:
    explicit TXc12DataSST(TXc12DataStyleSheet& styleSheet);
    ~TXc12DataSST();
    TXc12DataSST(const TXc12DataSST&) = delete;
    TXc12DataSST& operator=(const TXc12DataSST&) = delete;

    // Finds or adds a plain entry (escaped unless NoEscape); adds no reference. Texts longer
    // than 65,535 characters raise.
    int AddString(std::u16string_view text);
    void AddRef(int index);
    // One reference less; at zero the entry is freed (a rich entry gives back its fonts).
    void Release(int index);
    void GetText(int index, std::u16string& text) const;
    std::u16string GetText(int index) const;
    // nullptr for a free slot; "Index out of range" outside 0..Count-1.
    const TXc12SSTString* GetStringRec(int index) const;

    // Reader appends: no lookup, no escaping, not hashed, no reference, always at slot Count.
    int AppendString(std::u16string_view text);
    int AppendAnsiChars(int count, const uint8_t* buffer);
    // count UTF-16LE characters (2 x count bytes, any alignment).
    int AppendWideChars(int count, const uint8_t* buffer);
    // Takes one use of each run's font; the entry gives them back when it is freed.
    int AppendRichString(std::u16string_view text, std::span<const TXc12FontRun> runs);

    // Room for count more entries, so that a reader that knows how many follow grows the table
    // once. The caller bounds count by what its source can hold.
    void Reserve(size_t count);
    void Clear();
    void RebuildHash();

    int Count() const { return Count_; }
    int Capacity() const { return static_cast<int>(Items_.capacity()); }
    int FreeSlots() const { return static_cast<int>(FreeSlots_.Size()); }
    bool NoEscape() const { return NoEscape_; }
    void SetNoEscape(bool value) { NoEscape_ = value; }
    bool HashValid() const { return HashValid_; }

    // The escaping of "_xHHHH_" shapes: "_x005F" before each.
    static std::u16string Escape(std::u16string_view text);

private:
    int Place(std::unique_ptr<TXc12SSTString> record, bool appendOnly);
    // An appended entry, carved from the current block when it is small enough.
    std::unique_ptr<TXc12SSTString> MakeAppended(size_t length, bool wide, std::span<const TXc12FontRun> runs,
                                                 bool withRuns);
    void LeaveBlock();
    void CheckIndex(int index) const;
    void HashInsert(int index, uint32_t hash);
    void HashRemove(int index);
    int HashFind(std::u16string_view text, uint32_t hash) const;
    void ResizeBuckets(size_t count);

    TXc12DataStyleSheet& StyleSheet_;
    // The block that appends are carved from, and the bytes of it used. A file's strings then
    // cost one allocation per block instead of one each, and their memory goes back a block at
    // a time: a block lives while the table appends to it or any entry in it is in use.
    uint8_t* Block_ = nullptr;
    size_t BlockUsed_ = 0;
    std::vector<std::unique_ptr<TXc12SSTString>> Items_;
    int Count_ = 0;
    TFreeSlots FreeSlots_;  // free slots below Count
    // Open-addressed hash of the plain entries (linear probing, at most half full). A bucket
    // holds the hash and the entry itself, so that a lookup reads one bucket line and, on a
    // hash match, the entry: tables far larger than the caches cost two memory reads per
    // lookup, not one per link of a chain through side arrays.
    struct TBucket {
        uint32_t Hash = 0;
        int32_t Slot = -1;  // -1: empty
        const TXc12SSTString* Record = nullptr;
    };
    struct TSlotHash {
        uint32_t Hash;
        bool Hashed;
    };
    std::vector<TBucket> Buckets_;
    std::vector<TSlotHash> Links_;  // per slot: its hash and whether it is in Buckets_
    size_t Hashed_ = 0;
    bool HashValid_ = false;
    bool NoEscape_ = false;
};

}  // namespace xls
