// Parses arbitrary bytes as a SpreadsheetML part and saves each root kind back. Errors are
// expected; crashes, hangs and runaway memory are not. What the binding saves must load again
// (one string per "si" written) and save to the same bytes a second time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "workbook/sml/sml_document.h"
#include "workbook/sml/sml_strings.h"
#include "workbook/sml/sml_styles.h"

namespace {

using namespace xpg::sml;

// Loads the part; each string read is counted. Returns false when the reader refuses it.
bool LoadPart(TXPGDocXLSX& doc, const std::string& data, int& strings) {
    doc.Sst().OnReadSi = [&](TCT_Rst&) { ++strings; };
    auto stream = base::TMemoryStream::View(data.data(), static_cast<int64_t>(data.size()));
    try {
        doc.LoadFromStream(stream);
    } catch (const base::Exception&) {
        return false;
    }
    return true;
}

// Saves the root; the shared strings write the last string read once per string read.
std::string SavePart(TXPGDocXLSX& doc, TXPGRoot root, int strings) {
    int left = strings;
    doc.Sst().OnWriteSi = [&](TCT_Rst&) { return left-- > 0; };
    base::TMemoryStream out;
    doc.SaveToStream(out, root);
    return std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (const TXPGRoot root : {TXPGRoot::StyleSheet, TXPGRoot::Sst}) {
        TXPGDocXLSX doc;
        int strings = 0;
        if (!LoadPart(doc, input, strings)) return 0;
        const std::string first = SavePart(doc, root, strings);
        TXPGDocXLSX again;
        int reread = 0;
        if (!LoadPart(again, first, reread)) std::abort();
        if (root == TXPGRoot::Sst && reread != strings) std::abort();
        if (SavePart(again, root, reread) != first) std::abort();
    }
    return 0;
}
