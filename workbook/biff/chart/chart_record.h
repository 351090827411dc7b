#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "workbook/biff/chart/chart_host.h"

namespace xls {

class TXLSStream;
class TXc12Font;

// One record of a chart substream with the records nested under it (the records between the
// Begin and End that follow it in the file). The tree's root stands for no record (id 0xFFFA)
// and knows the tree's owner; its children are the substream's records from BOF to EOF.
class TChartRecord {
public:
    TChartRecord(TChartRecord* parent, uint16_t recId, std::span<const uint8_t> data);
    virtual ~TChartRecord();
    TChartRecord(const TChartRecord&) = delete;
    TChartRecord& operator=(const TChartRecord&) = delete;

    // A new empty tree for the owner.
    static std::unique_ptr<TChartRecord> CreateRoot(TChartOwner& owner);

    uint16_t RecId() const { return RecId_; }
    int Length() const { return static_cast<int>(Data_.size()); }
    std::span<uint8_t> Data() { return Data_; }
    std::span<const uint8_t> Data() const { return Data_; }
    // Replaces the data; the length follows (refused beyond what one BIFF8 record holds).
    void SetData(std::span<const uint8_t> data);
    // Adds delta to the length, keeping the leading bytes; new bytes are zero.
    void Resize(int delta);

    // Fields of the data, bounds-checked: a record too short for the field raises.
    uint8_t Byte(int offset) const;
    uint16_t Word(int offset) const;
    uint32_t Long(int offset) const;
    void SetByte(int offset, uint8_t value);
    void SetWord(int offset, uint16_t value);
    void SetLong(int offset, uint32_t value);

    TChartRecord* Parent() const { return Parent_; }
    // The font a FontX or Fbi record refers to (nil for other records and unresolved ones).
    TXc12Font* Font() const { return Font_; }
    void SetFont(TXc12Font* font) { Font_ = font; }

    int Count() const { return static_cast<int>(Children_.size()); }
    // Raises the list's index error outside 0..Count-1.
    TChartRecord& Items(int index) const;
    TChartRecord* Last() const { return Children_.empty() ? nullptr : Children_.back().get(); }
    int IndexOf(const TChartRecord& child) const;

    // A new child of length unfilled (zero) bytes at index (negative: appended).
    TChartRecord& InsertRecord(int index, uint16_t recId, bool asUpdate, int length);
    TChartRecord& Append(uint16_t recId, std::span<const uint8_t> data);
    int IndexOfRecord(uint16_t recId) const;
    // Deletes the first child with the id; false when there is none.
    bool DeleteRecord(uint16_t recId);
    void Delete(int index);
    void DeleteChildren() { Children_.clear(); }

    // The root of the tree and, through it, the owner.
    TChartRecord& Root();
    TChartOwner& Owner();

    // Appends default record set kind (0 to 10) to the children; any other kind does nothing.
    void AddDefaultRecords(int kind);
    // The font of the tree's Fbi record whose font index (offset 8) is fontIndex; nil when none
    // matches, unless the root's last child is an Fbi ("Can not find FBI").
    TXc12Font* FindFbiFont(int fontIndex);

    // Reads records into the children until this level ends (its End, the substream's EOF or
    // the end of the stream).
    void LoadFromStream(TXLSStream& stream);
    // Writes the children, each followed by Begin, its own children and End when it has any.
    void SaveToStream(TXLSStream& stream);

    // A record of length zero bytes.
    TChartRecord(TChartRecord* parent, uint16_t recId, int length);

private:
    friend class TChartRecordLoader;

    TChartRecord* Parent_ = nullptr;
    TChartOwner* Owner_ = nullptr;  // the root's only
    uint16_t RecId_ = 0;
    std::vector<uint8_t> Data_;
    TXc12Font* Font_ = nullptr;
    std::vector<std::unique_ptr<TChartRecord>> Children_;
};

// A record whose data an object rebuilds just before the record is written (a GelFrame from
// its property table).
class TChartRecordUpdate : public TChartRecord {
public:
    TChartRecordUpdate(TChartRecord* parent, uint16_t recId, std::span<const uint8_t> data)
        : TChartRecord(parent, recId, data) {}
    TChartRecordUpdate(TChartRecord* parent, uint16_t recId, int length) : TChartRecord(parent, recId, length) {}

    std::function<void(TChartRecord& record)> BeforeWrite;
};

}  // namespace xls
