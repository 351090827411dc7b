#include "workbook/biff/record_storage.h"

#include <cstring>

#include "base/format.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

namespace {

std::unique_ptr<TRecordBlock> MakeBlock(uint16_t id, uint16_t length, const uint8_t* data) {
    auto block = std::make_unique<TRecordBlock>(4 + static_cast<size_t>(length), 0);
    (*block)[0] = static_cast<uint8_t>(id);
    (*block)[1] = static_cast<uint8_t>(id >> 8);
    (*block)[2] = static_cast<uint8_t>(length);
    (*block)[3] = static_cast<uint8_t>(length >> 8);
    if (data && length > 0) std::memcpy(block->data() + 4, data, length);
    return block;
}

uint16_t CheckedLength(size_t size) {
    if (size > 0xFFFF) throw EBIFFError("Record data too long");
    return static_cast<uint16_t>(size);
}

}  // namespace

TBaseRecordStorage::~TBaseRecordStorage() = default;

void TBaseRecordStorage::Clear() { Items_.clear(); }

void TBaseRecordStorage::CheckIndex(int index) const {
    if (index < 0 || index >= Count()) throw EBIFFError(base::Format("List index out of bounds (%d)", {index}));
}

TRecordBlock* TBaseRecordStorage::AddRecord(uint16_t id, std::span<const uint8_t> data) {
    Items_.push_back(MakeBlock(id, CheckedLength(data.size()), data.data()));
    return Items_.back().get();
}

TRecordBlock* TBaseRecordStorage::AddRecord(uint16_t id, uint16_t length) {
    Items_.push_back(MakeBlock(id, length, nullptr));
    return Items_.back().get();
}

int TBaseRecordStorage::IndexOfId(uint16_t id) const {
    for (int i = 0; i < Count(); ++i)
        if (Items_[static_cast<size_t>(i)] && RecordId(*Items_[static_cast<size_t>(i)]) == id) return i;
    return -1;
}

TRecordBlock* TBaseRecordStorage::GetItems(int index) const {
    CheckIndex(index);
    return Items_[static_cast<size_t>(index)].get();
}

void TBaseRecordStorage::SetItems(int index, std::unique_ptr<TRecordBlock> block) {
    CheckIndex(index);
    Items_[static_cast<size_t>(index)] = std::move(block);
}

void TBaseRecordStorage::WriteRecord(int index, TXLSStream& stream) const {
    const TRecordBlock* block = GetItems(index);
    if (block) stream.Write(block->data(), static_cast<int64_t>(block->size()));
}

void TBaseRecordStorage::WriteAll(TXLSStream& stream) const {
    for (int i = 0; i < Count(); ++i) WriteRecord(i, stream);
}

int64_t TBaseRecordStorage::TotalSize() const {
    int64_t total = 0;
    for (const auto& block : Items_)
        if (block) total += static_cast<int64_t>(block->size());
    return total;
}

TRecordBlock* TBaseRecordStorage::ReplaceData(int index, std::span<const uint8_t> data) {
    TRecordBlock* block = GetItems(index);
    if (!block) throw EBIFFError(base::Format("List index out of bounds (%d)", {index}));
    const uint16_t length = CheckedLength(data.size());
    block->resize(4 + static_cast<size_t>(length));
    (*block)[2] = static_cast<uint8_t>(length);
    (*block)[3] = static_cast<uint8_t>(length >> 8);
    if (length > 0) std::memcpy(block->data() + 4, data.data(), length);
    return block;
}

void TBaseRecordStorage::CopyTo(TBaseRecordStorage& target) const {
    for (const auto& block : Items_) target.Items_.push_back(block ? std::make_unique<TRecordBlock>(*block) : nullptr);
}

void TRecordStorageDefault::Clear() {
    TBaseRecordStorage::Clear();
    Defaults_.Clear();
    Fields_.clear();
}

TRecordBlock* TRecordStorageDefault::AddDefaultRecord(uint16_t id, uint16_t length) {
    TRecordBlock* block = Defaults_.AddRecord(id, length);
    SetField(id, block);
    return block;
}

TRecordBlock* TRecordStorageDefault::AddDefaultWord(uint16_t id, uint16_t value) {
    TRecordBlock* block = AddDefaultRecord(id, 2);
    RecordData(*block)[0] = static_cast<uint8_t>(value);
    RecordData(*block)[1] = static_cast<uint8_t>(value >> 8);
    return block;
}

TRecordBlock* TRecordStorageDefault::AddDefaultData(uint16_t id, const std::vector<uint8_t>& data) {
    TRecordBlock* block = AddDefaultRecord(id, CheckedLength(data.size()));
    if (!data.empty()) std::memcpy(RecordData(*block), data.data(), data.size());
    return block;
}

void TRecordStorageDefault::SetField(uint16_t id, TRecordBlock* block) { Fields_[id] = block; }

TRecordBlock& TRecordStorageDefault::Field(uint16_t id) const {
    const auto it = Fields_.find(id);
    if (it == Fields_.end() || !it->second)
        throw EBIFFError(base::Format("Excpected default record %.4X not found.", {int{id}}));
    return *it->second;
}

std::span<uint8_t> TRecordStorageDefault::FieldData(uint16_t id) const {
    TRecordBlock& block = Field(id);
    return {RecordData(block), RecordLength(block)};
}

uint8_t* TRecordStorageDefault::FieldData(uint16_t id, size_t minLength) const {
    const std::span<uint8_t> data = FieldData(id);
    if (data.size() < minLength) throw EBIFFError(base::Format("Size missmatch on default record %.4X", {int{id}}));
    return data.data();
}

void TRecordStorageDefault::FillFromDefaults() {
    TBaseRecordStorage::Clear();
    // Records placed from a file went with the list: their references must not dangle.
    Fields_.clear();
    // The typed references follow the copies, so that changes through them are written.
    for (int i = 0; i < Defaults_.Count(); ++i)
        if (const TRecordBlock* block = Defaults_.GetItems(i)) {
            Append(std::make_unique<TRecordBlock>(*block));
            SetField(RecordId(*block), GetItems(Count() - 1));
        }
}

void TRecordStorageDefault::Place(uint16_t id, uint16_t length, const uint8_t* data, uint16_t recordId) {
    // Only the default itself, once placed, is updated: a record of the same id kept raw in the
    // list (inside an embedded chart's substream, say) is another record.
    const auto field = Fields_.find(id);
    bool placed = false;
    for (int i = 0; i < Count() && field != Fields_.end() && !placed; ++i) placed = GetItems(i) == field->second;
    if (placed) {
        TRecordBlock& block = *field->second;
        if (RecordLength(block) != length)
            throw EBIFFError(base::Format("Size missmatch on default record %.4X", {int{id}}));
        if (data && length > 0) std::memcpy(RecordData(block), data, length);
        return;
    }
    int target = -1;
    for (int i = 0; i < Defaults_.Count() && target < 0; ++i) {
        const TRecordBlock* block = Defaults_.GetItems(i);
        if (block && RecordId(*block) == id) target = i;
    }
    if (target < 0) throw EBIFFError(base::Format("Excpected default record %.4X not found.", {int{id}}));
    for (int i = 0; i <= target; ++i) {
        if (!Defaults_.GetItems(i)) continue;
        std::unique_ptr<TRecordBlock> moved =
            i == target ? MakeBlock(recordId, length, data) : std::make_unique<TRecordBlock>(*Defaults_.GetItems(i));
        TRecordBlock* placed = moved.get();
        const uint16_t defaultId = RecordId(*Defaults_.GetItems(i));
        Defaults_.SetItems(i, nullptr);
        Append(std::move(moved));
        SetField(defaultId, placed);
    }
}

}  // namespace xls
