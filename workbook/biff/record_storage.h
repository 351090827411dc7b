#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "base/byte_reader.h"

namespace xls {

class TXLSStream;

// One raw record: 16-bit id, 16-bit data length, then the data.
using TRecordBlock = std::vector<uint8_t>;

inline uint16_t RecordId(const TRecordBlock& block) { return base::LoadLE16(block.data()); }
inline uint16_t RecordLength(const TRecordBlock& block) { return base::LoadLE16(block.data() + 2); }
inline uint8_t* RecordData(TRecordBlock& block) { return block.data() + 4; }
inline const uint8_t* RecordData(const TRecordBlock& block) { return block.data() + 4; }

// An ordered list of raw records; an entry may be nil.
class TBaseRecordStorage {
public:
    virtual ~TBaseRecordStorage();

    virtual void Clear();
    virtual void WriteAll(TXLSStream& stream) const;

    // Appends a copy of the record (data may be empty for a zero-filled record of length bytes).
    TRecordBlock* AddRecord(uint16_t id, std::span<const uint8_t> data);
    TRecordBlock* AddRecord(uint16_t id, uint16_t length);
    int IndexOfId(uint16_t id) const;
    int Count() const { return static_cast<int>(Items_.size()); }
    TRecordBlock* GetItems(int index) const;
    void SetItems(int index, std::unique_ptr<TRecordBlock> block);
    void WriteRecord(int index, TXLSStream& stream) const;
    int64_t TotalSize() const;
    TRecordBlock* ReplaceData(int index, std::span<const uint8_t> data);
    void CopyTo(TBaseRecordStorage& target) const;

protected:
    void CheckIndex(int index) const;
    void Append(std::unique_ptr<TRecordBlock> block) { Items_.push_back(std::move(block)); }

private:
    std::vector<std::unique_ptr<TRecordBlock>> Items_;
};

// A substream's records with the default record set they must hold.
class TRecordStorage : public TBaseRecordStorage {
public:
    // Clears both lists and builds the default list of the class.
    virtual void SetDefaults() = 0;
    virtual int CheckDefaults() const = 0;
    // Gives the default record of this id the data read from a file; other ids are ignored.
    virtual void UpdateDefault(uint16_t id, std::span<const uint8_t> data) = 0;
    virtual void SetInsertPoint(uint16_t id) = 0;
};

// Keeps the defaults in a second list; each default moves into the record list when its
// record (or a record after it) is placed.
class TRecordStorageDefault : public TRecordStorage {
public:
    void Clear() override;
    void FillFromDefaults();
    const TBaseRecordStorage& Defaults() const { return Defaults_; }

protected:
    TRecordBlock* AddDefaultRecord(uint16_t id, uint16_t length);
    TRecordBlock* AddDefaultWord(uint16_t id, uint16_t value);
    TRecordBlock* AddDefaultData(uint16_t id, const std::vector<uint8_t>& data);
    // Places the record of this id: data (when given) replaces the record in the list, or the
    // defaults up to its own move into the list in default order.
    // recordId: the id the placed record carries (a BOF of another BIFF version keeps its own).
    void Place(uint16_t id, uint16_t length, const uint8_t* data, uint16_t recordId);
    void Place(uint16_t id, uint16_t length, const uint8_t* data) { Place(id, length, data, id); }
    void SetField(uint16_t id, TRecordBlock* block);
    // The current record of an id with a default (in the list once placed, else the default).
    TRecordBlock& Field(uint16_t id) const;
    std::span<uint8_t> FieldData(uint16_t id) const;
    // The data of that record, which a file may have made shorter than minLength (an error).
    uint8_t* FieldData(uint16_t id, size_t minLength) const;

private:
    TBaseRecordStorage Defaults_;
    std::map<uint16_t, TRecordBlock*> Fields_;
};

}  // namespace xls
