// The model's own formula code: formulas of the shapes a worksheet holds compiled from text and
// decoded back, 1,000,000 per iteration each way (formulas per second in the "items" counter).
// Run from a release build: build-release/bench/xls_formula/xls_formula_text_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

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

}  // namespace
