// The drawing layer's share of a workbook's save and load: the report sheet's chart shape and
// the drawing group (what every report writes), a sheet of 1,000 notes, and a picture store
// of 100 pictures, each written to memory and read back.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "base/byte_reader.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/xls_stream.h"

namespace {

// The chart model's records are not part of this layer: a BOF/EOF pair stands in for them.
std::unique_ptr<xls::TChartSubstream> ChartStub() {
    std::vector<uint8_t> bytes;
    base::AppendLE16(bytes, xls::BIFFRECID_BOF);
    base::AppendLE16(bytes, 8);
    bytes.insert(bytes.end(), {0x00, 0x06, 0x20, 0x00, 0, 0, 0, 0});
    base::AppendLE16(bytes, xls::BIFFRECID_EOF);
    base::AppendLE16(bytes, 0);
    xls::TXLSStream stream;
    stream.CreateMemory();
    stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0, 0);
    auto chart = std::make_unique<xls::TRawChartSubstream>();
    chart->LoadFromStream(stream);
    return chart;
}

std::vector<uint8_t> Written(const xls::TEscherDrawing* drawing, xls::TEscherGroup* group) {
    xls::TXLSStream stream;
    stream.CreateMemory();
    if (group) group->SaveToStream(stream);
    if (drawing) drawing->SaveToStream(stream);
    const int64_t size = stream.Seek(0, 2);
    stream.Seek(0, 0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadPlain(bytes.data(), size);
    return bytes;
}

// A memory stream over bytes, standing after the header of their first record.
xls::TBIFFHeader Load(xls::TXLSStream& stream, const std::vector<uint8_t>& bytes) {
    stream.CreateMemory();
    stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0, 0);
    xls::TBIFFHeader header;
    stream.ReadHeader(header);
    return header;
}

void ReportChart(benchmark::State& state) {
    for (auto _ : state) {
        xls::TEscherGroup group;
        xls::TEscherDrawing drawing(group);
        drawing.OnNewChart = ChartStub;
        xls::TShapeClientAnchor& chart = drawing.AddChart();
        chart.Anchor.ColL = 0;
        chart.Anchor.RwT = 9;
        chart.Anchor.ColR = 4;
        chart.Anchor.RwB = 26;
        benchmark::DoNotOptimize(Written(&drawing, &group));
    }
}
BENCHMARK(ReportChart);

void ThousandNotes(benchmark::State& state) {
    xls::TEscherGroup group;
    xls::TEscherDrawing drawing(group);
    for (int i = 0; i < 1000; ++i) {
        auto& note = dynamic_cast<xls::TShapeOutsideMsoNote&>(*drawing.AddNote().ObjPart);
        note.SetText(u"Temperature above the upper limit");
        note.Row = i;
        note.Author = u"Logger";
    }
    const std::vector<uint8_t> bytes = Written(&drawing, nullptr);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Written(&drawing, nullptr));
        xls::TEscherGroup readGroup;
        xls::TEscherDrawing read(readGroup);
        xls::TXLSStream stream;
        xls::TBIFFHeader header = Load(stream, bytes);
        read.LoadFromStream(stream, header.Length);
        while (stream.ReadHeader(header) == 4) read.LoadNote(stream, header.Length);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()) * 2);
}
BENCHMARK(ThousandNotes)->Unit(benchmark::kMillisecond);

void HundredPictures(benchmark::State& state) {
    xls::TEscherGroup group;
    xls::TEscherDrawing drawing(group);
    drawing.AddPicture();
    for (int i = 0; i < 100; ++i) {
        xls::TMSOPicture& picture = group.Add();
        picture.BlipType = xls::msoblipPNG;
        picture.RefCount = 1;
        std::vector<uint8_t> data(20000);
        for (size_t b = 0; b < data.size(); ++b) data[b] = static_cast<uint8_t>(b * 31 + i);
        picture.SetData(std::move(data));
    }
    const std::vector<uint8_t> bytes = Written(nullptr, &group);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Written(nullptr, &group));
        xls::TEscherGroup read;
        xls::TXLSStream stream;
        read.LoadFromStream(stream, Load(stream, bytes).Length);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()) * 2);
}
BENCHMARK(HundredPictures)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
