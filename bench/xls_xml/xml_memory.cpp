// One parse as a process of its own, so that its peak memory can be told apart:
//   xls_xml_memory SHAPE PARSER [COUNT]
// SHAPE is "elements" (10^7 empty elements in one document element, 40 MB) or "attributes"
// (one element with 10^6 attributes), COUNT another number of them; PARSER is "reader" (our reader, no callbacks),
// "tree" (our simple tree), "libxml2-sax" or "libxml2-tree". Prints the input size, the peak resident memory the parse
// added above what the process held with the input built, and the seconds the parse took.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "base/memory_stream.h"
#include "bench/xls_xml/libxml2_push.h"
#include "workbook/ooxml/xml/simple_dom.h"
#include "workbook/ooxml/xml/xml_reader.h"

namespace {

std::string Input(const std::string& shape, int count) {
    std::string text;
    if (shape == "elements") {
        const int Count = count > 0 ? count : 10000000;
        text.reserve(Count * 4 + 16);
        text += "<r>";
        for (int i = 0; i < Count; ++i) text += "<a/>";
        text += "</r>";
    } else if (shape == "attributes") {
        const int Count = count > 0 ? count : 1000000;
        text.reserve(Count * 16 + 16);
        text += "<r";
        for (int i = 0; i < Count; ++i) text += " a" + std::to_string(i) + "=\"1\"";
        text += "/>";
    }
    return text;
}

// Kilobytes of a line of /proc/self/status ("VmRSS", "VmHWM").
long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key) + 1));
    return -1;
}

void ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

void SaxStart(void* context, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int attributes, int,
              const xmlChar**) {
    *static_cast<long*>(context) += 1 + attributes;
}

void ParseLibxml2Sax(const std::string& text) {
    xmlSAXHandler handler{};
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = SaxStart;
    long count = 0;
    if (!bench::Libxml2PushParse(handler, &count, text)) std::fprintf(stderr, "libxml2 found the input malformed\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: xls_xml_memory elements|attributes reader|tree|libxml2-sax|libxml2-tree [COUNT]\n");
        return 2;
    }
    const std::string parser = argv[2];
    const std::string text = Input(argv[1], argc == 4 ? std::atoi(argv[3]) : 0);
    if (text.empty()) return 2;
    xmlInitParser();
    const long before = StatusKb("VmRSS:");
    ResetPeak();
    // The parse alone is timed; freeing what it built is not.
    double seconds = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto stop = [&] {
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    try {
        base::TMemoryStream stream = base::TMemoryStream::View(text.data(), static_cast<int64_t>(text.size()));
        if (parser == "reader") {
            xls::TXpgReadXML reader;
            reader.LoadFromStream(stream);
            stop();
        } else if (parser == "tree") {
            xls::TXpgSimpleDOM dom;
            dom.LoadFromStream(stream);
            stop();
        } else if (parser == "libxml2-sax") {
            ParseLibxml2Sax(text);
            stop();
        } else if (parser == "libxml2-tree") {
            xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, XML_PARSE_HUGE);
            stop();
            if (doc == nullptr) std::fprintf(stderr, "libxml2 found the input malformed\n");
            xmlFreeDoc(doc);
        } else {
            return 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const long peak = StatusKb("VmHWM:") - before;
    std::printf("%zu %ld %.3f\n", text.size(), peak * 1024, seconds);
    return 0;
}
