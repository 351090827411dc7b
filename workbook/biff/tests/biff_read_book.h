#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/memory_stream.h"
#include "platform/compound_file.h"
#include "workbook/biff/biff_document.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/document_root.h"

namespace xls::test {

// The compound file the document writes, whole.
inline std::vector<uint8_t> SaveBytes(TBIFF5& document) {
    base::TMemoryStream target;
    document.SaveToStream(&target);
    std::vector<uint8_t> bytes(static_cast<size_t>(target.Size()));
    target.SetPosition(0);
    target.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

// An empty workbook model with its document object, for reading files into.
class TBIFFReadBook {
public:
    TBIFFReadBook() : Root(Factory, Errors) {
        Root.CreateParts();
        Root.SetVersion(xvExcel97);
        Document = std::make_unique<TBIFF5>(Root);
    }

    void Load(const std::vector<uint8_t>& file) {
        base::TMemoryStream source;
        source.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
        source.SetPosition(0);
        Document->LoadFromStream(&source);
    }

    // The compound file written from the model, whole.
    std::vector<uint8_t> Save() { return SaveBytes(*Document); }

    TXLSCellMMU& Cells(int sheet = 0) { return *Root.Worksheets().GetItems(sheet)->sheetData; }

    TXc12ClassFactory Factory;
    TXLSErrorManager Errors;
    TXc12Manager Root;
    std::unique_ptr<TBIFF5> Document;
};

// The "Workbook" stream of a compound file.
inline std::vector<uint8_t> WorkbookStream(const std::vector<uint8_t>& file) {
    auto cf = platform::TCompoundFile::OpenMemory(file);
    auto stream = cf->Root().OpenStream(u"Workbook");
    std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
    stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

// A compound file holding records as its "Workbook" stream (or a stream of the name given).
inline std::vector<uint8_t> WrapWorkbook(const std::vector<uint8_t>& records,
                                         const std::u16string& name = u"Workbook") {
    platform::TCompoundFile file;
    file.Root().CreateStream(name).WriteBuffer(records.data(), static_cast<int64_t>(records.size()));
    return file.SaveToBytes();
}

// The compound file with the first two sectors of its "Workbook" (or "Book") stream swapped, in
// the file and in the stream's chain: the stream's bytes no longer lie in one run. The stream
// must be out of the mini stream and its entry in the first directory sector.
inline std::vector<uint8_t> ScatterWorkbook(std::vector<uint8_t> file) {
    uint8_t* bytes = file.data();
    const size_t sectorSize = size_t{1} << base::LoadLE16(bytes + 0x1E);
    auto offset = [&](uint32_t sector) { return (size_t{sector} + 1) * sectorSize; };
    // The FAT entry of a sector: FAT sectors as the header's first DIFAT entries list them.
    auto fatAt = [&](uint32_t sector) {
        const uint32_t fatSector = base::LoadLE32(bytes + 0x4C + 4 * (sector / (sectorSize / 4)));
        return bytes + offset(fatSector) + 4 * (sector % (sectorSize / 4));
    };
    for (size_t entry = offset(base::LoadLE32(bytes + 0x30)), end = entry + sectorSize; entry < end; entry += 128) {
        std::u16string name;
        for (size_t i = 0; i + 2 < base::LoadLE16(bytes + entry + 0x40); i += 2)
            name += static_cast<char16_t>(base::LoadLE16(bytes + entry + i));
        if (bytes[entry + 0x42] != 2 || (name != u"Workbook" && name != u"Book")) continue;
        const uint32_t first = base::LoadLE32(bytes + entry + 0x74);
        const uint32_t second = base::LoadLE32(fatAt(first));
        const uint32_t third = base::LoadLE32(fatAt(second));
        std::swap_ranges(bytes + offset(first), bytes + offset(first) + sectorSize, bytes + offset(second));
        base::StoreLE32(bytes + entry + 0x74, second);
        base::StoreLE32(fatAt(second), first);
        base::StoreLE32(fatAt(first), third);
        return file;
    }
    throw std::runtime_error("No workbook stream to scatter");
}

// The same bytes behind a stream that does not show them in memory: a reader copies them out.
class TOpaqueStream : public base::TStream {
public:
    explicit TOpaqueStream(const std::vector<uint8_t>& bytes)
        : Bytes_(base::TMemoryStream::View(bytes.data(), static_cast<int64_t>(bytes.size()))) {}
    int64_t Read(void* buffer, int64_t count) override { return Bytes_.Read(buffer, count); }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override { return Bytes_.Seek(offset, origin); }
    int64_t Size() override { return Bytes_.Size(); }

private:
    base::TMemoryStream Bytes_;
};

// Builds BIFF8 record streams byte by byte.
class TRecords {
public:
    TRecords& Record(uint16_t id, const std::vector<uint8_t>& data) {
        Word(Bytes, id);
        Word(Bytes, static_cast<uint16_t>(data.size()));
        Bytes.insert(Bytes.end(), data.begin(), data.end());
        return *this;
    }
    TRecords& BOF(uint16_t type) {
        std::vector<uint8_t> data;
        Word(data, 0x0600);
        Word(data, type);
        data.resize(16, 0);
        return Record(0x0809, data);
    }
    TRecords& EOF_() { return Record(0x000A, {}); }
    TRecords& Boundsheet(const std::string& name, uint8_t type = 0) {
        std::vector<uint8_t> data(4, 0);
        data.push_back(0);
        data.push_back(type);
        data.push_back(static_cast<uint8_t>(name.size()));
        data.push_back(0);
        data.insert(data.end(), name.begin(), name.end());
        return Record(0x0085, data);
    }
    // Globals with the given sheet names, each sheet then to be added by Sheet().
    TRecords& Globals(std::initializer_list<std::string> sheets) {
        BOF(0x0005);
        for (const std::string& name : sheets) Boundsheet(name);
        return EOF_();
    }
    static void Word(std::vector<uint8_t>& data, uint16_t value) {
        data.push_back(static_cast<uint8_t>(value));
        data.push_back(static_cast<uint8_t>(value >> 8));
    }
    static std::vector<uint8_t> Words(std::initializer_list<uint16_t> values) {
        std::vector<uint8_t> data;
        for (uint16_t v : values) Word(data, v);
        return data;
    }
    std::vector<uint8_t> File() const { return WrapWorkbook(Bytes); }

    std::vector<uint8_t> Bytes;
};

}  // namespace xls::test
