// Parsing a styles part of 10,000 cell formats and a shared-string part of 1,000,000 strings
// (one in ten rich) through the binding, against libxml2's SAX2 parser merely tokenising the
// same bytes in the same run. The shared strings are also parsed at a tenth of the size: the
// peak heap while streaming ("peak_heap", the input excluded) must not grow with the strings.
#include <benchmark/benchmark.h>

#include <libxml/parser.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "base/memory_stream.h"
#include "bench/xls_xml/libxml2_push.h"
#include "workbook/sml/sml_document.h"
#include "workbook/sml/sml_strings.h"
#include "workbook/sml/sml_styles.h"

namespace {

std::atomic<int64_t> LiveBytes{0};
std::atomic<int64_t> PeakBytes{0};

}  // namespace

// Heap accounting for the peak figure: each block carries its size in front of it.
void* operator new(size_t size) {
    auto* block = static_cast<int64_t*>(std::malloc(size + 16));
    if (block == nullptr) throw std::bad_alloc();
    block[0] = static_cast<int64_t>(size);
    const int64_t live = LiveBytes += static_cast<int64_t>(size);
    int64_t peak = PeakBytes.load();
    while (live > peak && !PeakBytes.compare_exchange_weak(peak, live)) {
    }
    return block + 2;
}

void operator delete(void* pointer) noexcept {
    if (pointer == nullptr) return;
    auto* block = static_cast<int64_t*>(pointer) - 2;
    LiveBytes -= block[0];
    std::free(block);
}

void operator delete(void* pointer, size_t) noexcept { operator delete(pointer); }

namespace {

const char* const Head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
const char* const MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

const std::string& StylesPart() {
    static const std::string part = [] {
        std::string text = std::string(Head) + "<styleSheet xmlns=\"" + MainNs + "\"><numFmts count=\"100\">";
        for (int i = 0; i < 100; ++i)
            text += "<numFmt numFmtId=\"" + std::to_string(164 + i) + "\" formatCode=\"0." +
                    std::string(i % 6 + 1, '0') + "&quot;℃&quot;\"/>";
        text += "</numFmts><fonts count=\"200\">";
        for (int i = 0; i < 200; ++i)
            text += "<font>" + std::string(i % 2 ? "<b/>" : "<i/>") + "<sz val=\"" + std::to_string(8 + i % 20) +
                    "\"/><color rgb=\"FF" + std::to_string(100000 + i) +
                    "\"/><name val=\"宋体\"/><family val=\"2\"/>"
                    "<scheme val=\"minor\"/></font>";
        text += "</fonts><fills count=\"100\">";
        for (int i = 0; i < 100; ++i)
            text += "<fill><patternFill patternType=\"solid\"><fgColor theme=\"" + std::to_string(i % 10) +
                    "\" tint=\"-0.249977111117893\"/><bgColor indexed=\"64\"/></patternFill></fill>";
        text += "</fills><borders count=\"100\">";
        for (int i = 0; i < 100; ++i)
            text +=
                "<border><left style=\"thin\"><color indexed=\"64\"/></left><right style=\"thin\"/>"
                "<top style=\"medium\"/><bottom style=\"double\"><color auto=\"1\"/></bottom><diagonal/></border>";
        text += "</borders><cellXfs count=\"10000\">";
        for (int i = 0; i < 10000; ++i)
            text += "<xf numFmtId=\"" + std::to_string(164 + i % 100) + "\" fontId=\"" + std::to_string(i % 200) +
                    "\" fillId=\"" + std::to_string(i % 100) + "\" borderId=\"" + std::to_string(i % 100) +
                    "\" xfId=\"0\" applyNumberFormat=\"1\" applyFont=\"1\" applyFill=\"1\" applyBorder=\"1\" "
                    "applyAlignment=\"1\"><alignment horizontal=\"center\" vertical=\"top\" wrapText=\"1\"/></xf>";
        text +=
            "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
            "</styleSheet>";
        return text;
    }();
    return part;
}

std::string StringsPart(int count) {
    std::string text = std::string(Head) + "<sst xmlns=\"" + MainNs + "\" count=\"" + std::to_string(count) +
                       "\" uniqueCount=\"" + std::to_string(count) + "\">";
    for (int i = 0; i < count; ++i) {
        if (i % 10 == 0)
            text += "<si><r><rPr><b/><sz val=\"11\"/><color rgb=\"FFFF0000\"/><rFont val=\"宋体\"/></rPr><t>温度 " +
                    std::to_string(i) + "</t></r><r><t xml:space=\"preserve\"> humidity</t></r></si>";
        else
            text += "<si><t>记录 &amp; value " + std::to_string(i) + "</t></si>";
    }
    return text + "</sst>";
}

const std::string& LargeStrings() {
    static const std::string part = StringsPart(1000000);
    return part;
}

const std::string& SmallStrings() {
    static const std::string part = StringsPart(100000);
    return part;
}

void ParseBinding(benchmark::State& state, const std::string& part) {
    for (auto _ : state) {
        xpg::sml::TXPGDocXLSX doc;
        int64_t strings = 0;
        doc.Sst().OnReadSi = [&](xpg::sml::TCT_Rst& si) {
            strings += static_cast<int64_t>(si.t.size()) + si.r.Count();
        };
        auto stream = base::TMemoryStream::View(part.data(), static_cast<int64_t>(part.size()));
        PeakBytes = LiveBytes.load();
        const int64_t before = LiveBytes.load();
        doc.LoadFromStream(stream);
        state.counters["peak_heap"] = static_cast<double>(PeakBytes.load() - before);
        benchmark::DoNotOptimize(strings);
        benchmark::DoNotOptimize(doc.StyleSheet().cellXfs->xf.Count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(part.size()));
}

void SaxStart(void* context, const xmlChar* localName, const xmlChar*, const xmlChar*, int, const xmlChar**,
              int attributeCount, int, const xmlChar** attributes) {
    auto* sum = static_cast<int64_t*>(context);
    *sum += localName[0];
    for (int i = 0; i < attributeCount; ++i) *sum += attributes[i * 5 + 4] - attributes[i * 5 + 3];
}

void SaxCharacters(void* context, const xmlChar*, int length) { *static_cast<int64_t*>(context) += length; }

void ParseLibxml2(benchmark::State& state, const std::string& part) {
    xmlSAXHandler handler{};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = SaxStart;
    handler.characters = SaxCharacters;
    for (auto _ : state) {
        int64_t sum = 0;
        if (!bench::Libxml2PushParse(handler, &sum, part)) state.SkipWithError("libxml2 found the part malformed");
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(part.size()));
}

void BM_StylesBinding(benchmark::State& state) { ParseBinding(state, StylesPart()); }
void BM_StylesLibxml2Sax(benchmark::State& state) { ParseLibxml2(state, StylesPart()); }
void BM_StringsBinding(benchmark::State& state) { ParseBinding(state, LargeStrings()); }
void BM_StringsLibxml2Sax(benchmark::State& state) { ParseLibxml2(state, LargeStrings()); }
void BM_TenthOfTheStringsBinding(benchmark::State& state) { ParseBinding(state, SmallStrings()); }

}  // namespace

BENCHMARK(BM_StylesBinding)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_StylesLibxml2Sax)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_StringsBinding)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_StringsLibxml2Sax)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_TenthOfTheStringsBinding)->Unit(benchmark::kMillisecond)->MinTime(1);

BENCHMARK_MAIN();
