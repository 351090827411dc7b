#include "workbook/biff/drawing/tests/drawing_test_support.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "workbook/biff/drawing/escher_format.h"

namespace xls::testing {

std::vector<uint8_t> StreamBytes(TXLSStream& stream) {
    const int64_t position = stream.Position();
    const int64_t size = stream.Seek(0, 2);
    stream.Seek(0, 0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadPlain(bytes.data(), size);
    stream.Seek(position, 0);
    return bytes;
}

void LoadStream(TXLSStream& stream, const std::vector<uint8_t>& bytes) {
    stream.CreateMemory();
    stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0, 0);
}

std::vector<TRecord> SplitRecords(const std::vector<uint8_t>& bytes) {
    std::vector<TRecord> records;
    size_t p = 0;
    while (p + 4 <= bytes.size()) {
        const uint16_t id = base::LoadLE16(&bytes[p]);
        const size_t length = base::LoadLE16(&bytes[p + 2]);
        if (p + 4 + length > bytes.size()) break;
        records.push_back({id, std::vector<uint8_t>(bytes.begin() + static_cast<ptrdiff_t>(p + 4),
                                                    bytes.begin() + static_cast<ptrdiff_t>(p + 4 + length))});
        p += 4 + length;
    }
    return records;
}

std::vector<uint8_t> JoinRecords(const std::vector<TRecord>& records) {
    std::vector<uint8_t> bytes;
    for (const TRecord& record : records) {
        base::AppendLE16(bytes, record.Id);
        base::AppendLE16(bytes, static_cast<uint16_t>(record.Data.size()));
        bytes.insert(bytes.end(), record.Data.begin(), record.Data.end());
    }
    return bytes;
}

std::unique_ptr<TChartSubstream> SmallChart() {
    const std::vector<uint8_t> bytes = JoinRecords({{BIFFRECID_BOF, {0x00, 0x06, 0x20, 0x00, 0, 0, 0, 0}},
                                                    {0x1002, std::vector<uint8_t>(16, 0)},
                                                    {BIFFRECID_EOF, {}}});
    TXLSStream stream;
    LoadStream(stream, bytes);
    auto chart = std::make_unique<TRawChartSubstream>();
    chart->LoadFromStream(stream);
    return chart;
}

std::vector<uint8_t> WriteDrawing(const TEscherDrawing& drawing) {
    TXLSStream stream;
    stream.CreateMemory();
    drawing.SaveToStream(stream);
    return StreamBytes(stream);
}

std::vector<uint8_t> WriteGroup(TEscherGroup& group) {
    TXLSStream stream;
    stream.CreateMemory();
    group.SaveToStream(stream);
    return StreamBytes(stream);
}

void ReadDrawing(const std::vector<uint8_t>& bytes, TEscherDrawing& drawing) {
    TXLSStream stream;
    LoadStream(stream, bytes);
    TBIFFHeader header;
    bool loaded = false;
    while (stream.ReadHeader(header) == 4) {
        if (header.RecID == BIFFRECID_MSODRAWING && !loaded) {
            drawing.LoadFromStream(stream, header.Length);
            loaded = true;
        } else if (header.RecID == BIFFRECID_NOTE) {
            drawing.LoadNote(stream, header.Length);
        } else {
            stream.Seek(header.Length, 1);
        }
    }
}

void ReadGroup(const std::vector<uint8_t>& bytes, TEscherGroup& group) {
    TXLSStream stream;
    LoadStream(stream, bytes);
    TBIFFHeader header;
    stream.ReadHeader(header);
    group.LoadFromStream(stream, header.Length);
}

void ReadFileDrawings(const std::string& fileName, TFileDrawings& file) {
    TXLSStream stream;
    stream.Open(fileName);
    stream.Seek(0, 0);
    file.Stream = StreamBytes(stream);
    const std::vector<uint8_t>& all = file.Stream;
    auto range = [&all](int64_t from, int64_t to) {
        return std::vector<uint8_t>(all.begin() + from, all.begin() + to);
    };
    int substream = -1;
    TFileSheet* sheet = nullptr;
    TBIFFHeader header;
    while (stream.ReadHeader(header) == 4) {
        const int64_t start = stream.Position() - 4;
        if (header.RecID == BIFFRECID_BOF) {
            if (++substream > 0) {
                file.Sheets.push_back({std::make_unique<TEscherDrawing>(file.Group), {}, {}});
                sheet = &file.Sheets.back();
            }
            stream.Seek(header.Length, 1);
        } else if (header.RecID == BIFFRECID_MSODRAWINGGROUP && substream == 0) {
            file.Group.LoadFromStream(stream, header.Length);
            file.GroupOriginal = range(start, stream.Position());
            file.GroupRange = {start, stream.Position()};
        } else if (header.RecID == BIFFRECID_MSODRAWING && sheet && sheet->Original.empty()) {
            sheet->Drawing->LoadFromStream(stream, header.Length);
            sheet->Original = range(start, stream.Position());
            sheet->Ranges.emplace_back(start, stream.Position());
        } else if (header.RecID == BIFFRECID_NOTE && sheet) {
            sheet->Drawing->LoadNote(stream, header.Length);
            const std::vector<uint8_t> note = range(start, stream.Position());
            sheet->Original.insert(sheet->Original.end(), note.begin(), note.end());
            sheet->Ranges.emplace_back(start, stream.Position());
        } else {
            stream.Seek(header.Length, 1);
        }
    }
}

std::vector<uint8_t> RewriteDrawings(TFileDrawings& file) {
    std::vector<int> indexes;
    file.Group.GetFileIndexes(indexes);
    // Replacements in stream order: the group, then each sheet's run (its notes dropped).
    std::vector<std::pair<TRange, std::vector<uint8_t>>> replacements;
    if (file.GroupRange.second > 0) replacements.push_back({file.GroupRange, {}});
    for (TFileSheet& sheet : file.Sheets) {
        if (sheet.Ranges.empty()) continue;
        sheet.Drawing->RemapBlipIds(indexes);
        sheet.Drawing->CountPictureRefs();
        replacements.push_back({sheet.Ranges[0], WriteDrawing(*sheet.Drawing)});
        for (size_t i = 1; i < sheet.Ranges.size(); ++i) replacements.push_back({sheet.Ranges[i], {}});
    }
    if (file.GroupRange.second > 0) replacements[0].second = WriteGroup(file.Group);
    std::sort(replacements.begin(), replacements.end(),
              [](const auto& a, const auto& b) { return a.first.first < b.first.first; });
    std::vector<uint8_t> out;
    int64_t at = 0;
    for (const auto& [range, bytes] : replacements) {
        out.insert(out.end(), file.Stream.begin() + at, file.Stream.begin() + range.first);
        out.insert(out.end(), bytes.begin(), bytes.end());
        at = range.second;
    }
    out.insert(out.end(), file.Stream.begin() + at, file.Stream.end());

    // Sheet substreams start where a BOF follows the EOF of the substream before.
    std::vector<uint32_t> sheetStarts;
    std::vector<size_t> boundSheets;
    size_t p = 0;
    int depth = 0;
    while (p + 4 <= out.size()) {
        const uint16_t id = base::LoadLE16(&out[p]);
        const size_t length = base::LoadLE16(&out[p + 2]);
        if (id == BIFFRECID_BOF && depth++ == 0 && p > 0) sheetStarts.push_back(static_cast<uint32_t>(p));
        if (id == BIFFRECID_EOF) --depth;
        if (id == 0x0085) boundSheets.push_back(p + 4);
        p += 4 + length;
    }
    for (size_t i = 0; i < boundSheets.size() && i < sheetStarts.size(); ++i)
        base::StoreLE32(&out[boundSheets[i]], sheetStarts[i]);
    return out;
}

std::string FixturePath(const std::string& name) {
    return std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/drawing/tests/fixtures/" + name;
}

}  // namespace xls::testing
