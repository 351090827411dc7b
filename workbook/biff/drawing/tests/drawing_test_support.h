#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/xls_stream.h"

namespace xls::testing {

struct TRecord {
    uint16_t Id = 0;
    std::vector<uint8_t> Data;
};

// The whole content of a memory record stream.
std::vector<uint8_t> StreamBytes(TXLSStream& stream);
// A memory record stream holding bytes, positioned at its start.
void LoadStream(TXLSStream& stream, const std::vector<uint8_t>& bytes);
std::vector<TRecord> SplitRecords(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> JoinRecords(const std::vector<TRecord>& records);

// A minimal chart substream (BOF, a chart record, EOF) standing in for the chart model.
std::unique_ptr<TChartSubstream> SmallChart();

// Writes a drawing (and, when it has properties, the group) into a memory stream.
std::vector<uint8_t> WriteDrawing(const TEscherDrawing& drawing);
std::vector<uint8_t> WriteGroup(TEscherGroup& group);
// Reads the drawing records (and NOTE records) of bytes into the drawing.
void ReadDrawing(const std::vector<uint8_t>& bytes, TEscherDrawing& drawing);
void ReadGroup(const std::vector<uint8_t>& bytes, TEscherGroup& group);

// The drawings of one workbook file, read by our readers, with the records they came from:
// the group's records, and per sheet the run from its first MSODRAWING to the end of its
// drawing followed by its NOTE records.
// Ranges are [start, end) byte offsets in the workbook stream.
using TRange = std::pair<int64_t, int64_t>;
struct TFileSheet {
    std::unique_ptr<TEscherDrawing> Drawing;
    std::vector<uint8_t> Original;
    std::vector<TRange> Ranges;  // the drawing's run, then each NOTE record
};
struct TFileDrawings {
    std::vector<uint8_t> Stream;  // the whole workbook stream
    TEscherGroup Group;
    std::vector<uint8_t> GroupOriginal;
    TRange GroupRange{0, 0};
    std::vector<TFileSheet> Sheets;
};
void ReadFileDrawings(const std::string& fileName, TFileDrawings& file);
// The workbook stream with the group and every sheet drawing replaced by what our writers make
// of them (each sheet's NOTE records follow its drawing), sheet offsets in BOUNDSHEET fixed.
std::vector<uint8_t> RewriteDrawings(TFileDrawings& file);

std::string FixturePath(const std::string& name);

}  // namespace xls::testing
