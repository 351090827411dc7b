#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbook/biff/drawing/escher_io.h"

namespace xls {

class TXLSStream;

// One entry of a shape property table.
struct TOPTItem {
    uint16_t IdWord = 0;  // bits 0..13 the id, 0x4000 fBid, 0x8000 fComplex
    int32_t Value = 0;    // for a complex entry the byte length of Data
    std::vector<uint8_t> Data;

    uint16_t Id() const { return IdWord & 0x3FFF; }
    bool IsComplex() const { return (IdWord & 0x8000) != 0 && !Data.empty(); }
};

// A shape's (or the drawing group's) OfficeArtFOPT: properties in the order added or read.
class TOPT {
public:
    void Add(uint16_t id, int32_t value, bool isBlipId = false);
    void AddString(uint16_t id, const std::u16string& text);
    int IndexOf(uint16_t id) const;
    int32_t GetValue(uint16_t id) const;
    void SetValue(uint16_t id, int32_t value);
    // Sets the value of the entry at index; a complex entry refuses.
    void SetValueAt(int index, int32_t value);
    std::u16string GetString(uint16_t id) const;
    void SetString(uint16_t id, const std::u16string& text);
    int32_t GetTextId() const;
    int32_t GetBlipId() const;
    void SetBlipId(int32_t value);
    // Index of the simple fBid entry, or -1.
    int BlipIdIndex() const;

    int64_t GetSize() const;
    int Count() const { return static_cast<int>(Items_.size()); }
    const TOPTItem& Items(int index) const { return Items_.at(static_cast<size_t>(index)); }
    int PropertyCount() const { return PropertyCount_; }
    void SetPropertyCount(int count) { PropertyCount_ = count; }
    // Sets the property count to the number of entries, as after building a table.
    void SetCountToItems() { PropertyCount_ = Count(); }

    void LoadFromStream(TXLSStream& stream, int64_t length, int count);
    void LoadFromBuffer(const uint8_t* data, int64_t length, int count);
    void SaveToStream(TXLSStream& stream) const;
    std::vector<uint8_t> SaveToBuffer(bool withHeader) const;
    void CopyTo(TOPT& dest) const;
    void Clear();

private:
    // Reads entries of length bytes; returns the kept complex entries whose data still follows.
    template <class Source>
    void Load(Source& source, int64_t length, int count);

    std::vector<TOPTItem> Items_;
    int PropertyCount_ = 0;
};

// OfficeArt records a reader does not interpret, kept byte for byte: header, then the body
// unless the record is a container (whose children follow as entries of their own).
class TMSORecords {
public:
    void Add(const TMSOHeader& header, const uint8_t* data);
    int64_t GetSize() const;
    void SaveToStream(TXLSStream& stream) const;
    void CopyTo(TMSORecords& dest) const;
    void Clear() { Items_.clear(); }
    int Count() const { return static_cast<int>(Items_.size()); }
    const std::vector<uint8_t>& Items(int index) const { return Items_.at(static_cast<size_t>(index)); }

private:
    std::vector<std::vector<uint8_t>> Items_;
};

}  // namespace xls
