#include "workbook/biff/drawing/shape_properties.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

namespace {

std::vector<uint8_t> TextBytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() * 2 + 2);
    for (char16_t c : text) base::AppendLE16(bytes, c);
    base::AppendLE16(bytes, 0);
    return bytes;
}

// Reads from the record stream.
struct TStreamSource {
    TXLSStream& Stream;
    void Read(void* buffer, int64_t count) { ReadExact(Stream, buffer, count); }
    std::vector<uint8_t> Take(int64_t count) { return ReadBytes(Stream, count); }
};

// Reads from a memory block of known length.
struct TBufferSource {
    base::TByteReader Reader;
    void Read(void* buffer, int64_t count) {
        if (!Reader.Has(static_cast<size_t>(count))) throw EBIFFError("Error when reading OPT items, Length <> 0");
        std::memcpy(buffer, Reader.All().data() + Reader.Position(), static_cast<size_t>(count));
        Reader.Skip(static_cast<size_t>(count));
    }
    std::vector<uint8_t> Take(int64_t count) {
        std::vector<uint8_t> bytes(static_cast<size_t>(count));
        Read(bytes.data(), count);
        return bytes;
    }
};

}  // namespace

void TOPT::Add(uint16_t id, int32_t value, bool isBlipId) {
    TOPTItem item;
    item.IdWord = static_cast<uint16_t>((id & 0x3FFF) | (isBlipId ? MSOPROP_FBID : 0));
    item.Value = value;
    // Rotation must come first for readers that apply it before the geometry.
    if (id == MSOPROP_ROTATION)
        Items_.insert(Items_.begin(), std::move(item));
    else
        Items_.push_back(std::move(item));
}

void TOPT::AddString(uint16_t id, const std::u16string& text) {
    TOPTItem item;
    item.IdWord = static_cast<uint16_t>((id & 0x3FFF) | MSOPROP_FBID | MSOPROP_FCOMPLEX);
    item.Data = TextBytes(text);
    item.Value = static_cast<int32_t>(item.Data.size());
    Items_.push_back(std::move(item));
}

int TOPT::IndexOf(uint16_t id) const {
    for (size_t i = 0; i < Items_.size(); ++i)
        if (Items_[i].Id() == id) return static_cast<int>(i);
    return -1;
}

int32_t TOPT::GetValue(uint16_t id) const {
    const int i = IndexOf(id);
    return i < 0 ? -1 : Items_[static_cast<size_t>(i)].Value;
}

void TOPT::SetValue(uint16_t id, int32_t value) {
    const int i = IndexOf(id);
    if (i >= 0) SetValueAt(i, value);
}

void TOPT::SetValueAt(int index, int32_t value) {
    TOPTItem& item = Items_.at(static_cast<size_t>(index));
    if (item.IsComplex()) throw EBIFFError("OPT value is complex");
    item.Value = value;
}

std::u16string TOPT::GetString(uint16_t id) const {
    const int i = IndexOf(id);
    if (i < 0) return {};
    const TOPTItem& item = Items_[static_cast<size_t>(i)];
    std::u16string text;
    const size_t chars = std::min(item.Data.size() / 2, static_cast<size_t>(std::max(item.Value - 2, 0) / 2));
    for (size_t c = 0; c < chars; ++c) text.push_back(static_cast<char16_t>(base::LoadLE16(item.Data.data() + 2 * c)));
    return text;
}

void TOPT::SetString(uint16_t id, const std::u16string& text) {
    const int i = IndexOf(id);
    if (i < 0) return;
    TOPTItem& item = Items_[static_cast<size_t>(i)];
    item.Data = TextBytes(text);
    item.Value = static_cast<int32_t>(item.Data.size());
}

int32_t TOPT::GetTextId() const {
    const int i = IndexOf(MSOPROP_LTXID);
    return i < 0 ? 0 : Items_[static_cast<size_t>(i)].Value;
}

int TOPT::BlipIdIndex() const {
    for (size_t i = 0; i < Items_.size(); ++i)
        if ((Items_[i].IdWord & (MSOPROP_FBID | MSOPROP_FCOMPLEX)) == MSOPROP_FBID) return static_cast<int>(i);
    return -1;
}

int32_t TOPT::GetBlipId() const {
    const int i = BlipIdIndex();
    return i < 0 ? -1 : Items_[static_cast<size_t>(i)].Value;
}

void TOPT::SetBlipId(int32_t value) {
    const int i = BlipIdIndex();
    if (i < 0) throw EBIFFError("Shape has no Blip Id");
    SetValueAt(i, value);
}

int64_t TOPT::GetSize() const {
    int64_t size = 6 * static_cast<int64_t>(Items_.size());
    for (const TOPTItem& item : Items_)
        if (item.IsComplex()) size += static_cast<int64_t>(item.Data.size());
    return size;
}

template <class Source>
void TOPT::Load(Source& source, int64_t length, int count) {
    Clear();
    PropertyCount_ = count;
    // Complex data follows all entries in entry order, dropped entries' data included.
    std::vector<std::pair<int32_t, int>> complex;  // data length, kept index or -1
    while (length > 0) {
        uint8_t entry[6];
        source.Read(entry, 6);
        length -= 6;
        TOPTItem item;
        item.IdWord = base::LoadLE16(entry);
        item.Value = static_cast<int32_t>(base::LoadLE32(entry + 2));
        const bool isComplex = (item.IdWord & MSOPROP_FCOMPLEX) != 0 && item.Value != 0;
        if (isComplex) {
            // The value is an unsigned byte count; a negative one is a damaged table.
            if (item.Value < 0) throw EBIFFError("Error when reading OPT items, Length <> 0");
            length -= item.Value;
        }
        const bool keep = static_cast<int>(Items_.size()) < count;
        if (isComplex) complex.emplace_back(item.Value, keep ? static_cast<int>(Items_.size()) : -1);
        if (keep) Items_.push_back(std::move(item));
    }
    if (length != 0) throw EBIFFError("Error when reading OPT items, Length <> 0");
    for (const auto& [size, index] : complex) {
        std::vector<uint8_t> data = source.Take(size);
        if (index >= 0) Items_[static_cast<size_t>(index)].Data = std::move(data);
    }
}

void TOPT::LoadFromStream(TXLSStream& stream, int64_t length, int count) {
    TStreamSource source{stream};
    Load(source, length, count);
}

void TOPT::LoadFromBuffer(const uint8_t* data, int64_t length, int count) {
    TBufferSource source{base::TByteReader(data, static_cast<size_t>(length))};
    Load(source, length, count);
}

std::vector<uint8_t> TOPT::SaveToBuffer(bool withHeader) const {
    std::vector<uint8_t> bytes;
    if (withHeader) {
        bytes.resize(8);
        EncodeMSOHeader({3, static_cast<uint16_t>(PropertyCount_), MSOFBT_OPT, static_cast<uint32_t>(GetSize())},
                        bytes.data());
    }
    for (const TOPTItem& item : Items_) {
        base::AppendLE16(bytes, item.IdWord);
        base::AppendLE32(bytes,
                         static_cast<uint32_t>(item.IsComplex() ? static_cast<int32_t>(item.Data.size()) : item.Value));
    }
    for (const TOPTItem& item : Items_)
        if (item.IsComplex()) bytes.insert(bytes.end(), item.Data.begin(), item.Data.end());
    return bytes;
}

void TOPT::SaveToStream(TXLSStream& stream) const {
    const std::vector<uint8_t> bytes = SaveToBuffer(true);
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
}

void TOPT::CopyTo(TOPT& dest) const {
    const std::vector<uint8_t> bytes = SaveToBuffer(false);
    dest.LoadFromBuffer(bytes.data(), static_cast<int64_t>(bytes.size()), Count());
    dest.PropertyCount_ = PropertyCount_;
}

void TOPT::Clear() {
    Items_.clear();
    PropertyCount_ = 0;
}

void TMSORecords::Add(const TMSOHeader& header, const uint8_t* data) {
    std::vector<uint8_t> entry(8);
    EncodeMSOHeader(header, entry.data());
    if (!header.IsContainer()) entry.insert(entry.end(), data, data + header.Length);
    Items_.push_back(std::move(entry));
}

int64_t TMSORecords::GetSize() const {
    int64_t size = 0;
    for (const auto& entry : Items_) size += static_cast<int64_t>(entry.size());
    return size;
}

void TMSORecords::SaveToStream(TXLSStream& stream) const {
    for (const auto& entry : Items_) stream.Write(entry.data(), static_cast<int64_t>(entry.size()));
}

void TMSORecords::CopyTo(TMSORecords& dest) const {
    for (const auto& entry : Items_) dest.Items_.push_back(entry);
}

}  // namespace xls
