// The model's own formula code: formulas of the shapes a worksheet holds compiled from text and
// decoded back, 1,000,000 per iteration each way (formulas per second in the "items" counter);
// and the BIFF8 tokens of .xls formulas decoded to text.
// Run from a release build: build-release/bench/xls_formula/xls_formula_text_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "workbook/formula/biff_decode_formula.h"
#include "workbook/formula/formula_text.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/worksheet_part.h"

namespace {

constexpr int Formulas = 1'000'000;

const std::u16string_view Shapes[] = {
    u"A1+B1",
    u"SUM(B2:B1000)",
    u"IF(A2>0,B2*1.5,\"none\")",
    u"VLOOKUP(A2,Data!$A$1:$D$500,3,FALSE)",
    u"AVERAGE('My Sheet'!C2:C32000)",
    u"ROUND(AVERAGE(B28:B32028),2)",
    u"$A$1*C5-D5/2",
    u"SUM(Data!A:A)",
};

struct TDocument {
    TDocument() : Root(Factory, Errors), Names(Factory) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
        Root.Worksheets().Add(-1)->Name = u"Sheet1";
        Root.Worksheets().Add(-1)->Name = u"Data";
        Root.Worksheets().Add(-1)->Name = u"My Sheet";
        Root.Names = &Names;
    }
    xls::TXc12ClassFactory Factory;
    xls::TXLSErrorManager Errors;
    xls::TXc12Manager Root;
    xls::TXc12DefinedNames Names;
};

void BM_CompileFormulas(benchmark::State& state) {
    TDocument doc;
    for (auto _ : state) {
        for (int i = 0; i < Formulas; ++i) {
            std::vector<uint8_t> code = xls::EncodeFormulaText(doc.Root, Shapes[i % std::size(Shapes)], 0);
            benchmark::DoNotOptimize(code.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * Formulas);
}
BENCHMARK(BM_CompileFormulas)->Unit(benchmark::kMillisecond);

void BM_DecodeFormulas(benchmark::State& state) {
    TDocument doc;
    std::vector<std::vector<uint8_t>> codes;
    for (std::u16string_view shape : Shapes) codes.push_back(xls::EncodeFormulaText(doc.Root, shape, 0));
    for (auto _ : state) {
        for (int i = 0; i < Formulas; ++i) {
            std::u16string text = xls::DecodeFormulaText(doc.Root, codes[i % codes.size()], 0);
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * Formulas);
}
BENCHMARK(BM_DecodeFormulas)->Unit(benchmark::kMillisecond);

// BIFF8 tokens as a .xls file holds them: a sum, the console's summary, a lookup through a 3-D
// area, a comparison with strings.
void BM_DecodeBiffFormulas(benchmark::State& state) {
    const std::vector<std::vector<uint8_t>> codes = {
        {0x25, 0x00, 0x00, 0xE7, 0x03, 0x01, 0xC0, 0x01, 0xC0, 0x19, 0x10, 0x00, 0x00},
        {0x17, 0x02, 0x00, 0x41, 0x3A, 0x25, 0x1B, 0x00, 0x3B, 0x7D, 0x01, 0xC0, 0x01,
         0xC0, 0x42, 0x01, 0x05, 0x00, 0x1E, 0x02, 0x00, 0x41, 0x1B, 0x00, 0x08},
        {0x44, 0x01, 0x00, 0x00, 0xC0, 0x3B, 0x01, 0x00, 0x00, 0x00, 0xF3, 0x01, 0x00,
         0x00, 0x03, 0x00, 0x1E, 0x03, 0x00, 0x1D, 0x00, 0x42, 0x04, 0x66, 0x00},
        {0x44, 0x01, 0x00, 0x00, 0xC0, 0x1E, 0x00, 0x00, 0x0D, 0x17, 0x03, 0x00,
         0x79, 0x65, 0x73, 0x17, 0x02, 0x00, 0x6E, 0x6F, 0x42, 0x03, 0x01, 0x00},
    };
    const xls::TBiffDecodeCallback sheets = [](xls::TBiffDecodeKind, int index, int, int, int) {
        return index ? std::u16string(u"Data!") : std::u16string(u"Sheet1!");
    };
    for (auto _ : state) {
        for (int i = 0; i < Formulas; ++i) {
            std::u16string text = xls::DecodeBiffFormula(codes[i % codes.size()], 0, u',', sheets, 1, 1);
            benchmark::DoNotOptimize(text.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * Formulas);
}
BENCHMARK(BM_DecodeBiffFormulas)->Unit(benchmark::kMillisecond);

}  // namespace
