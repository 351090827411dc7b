// Reads a styles or shared-strings part and writes it back through the binding: the outside
// checks compare what it writes with the original and open the re-packed workbook.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "workbook/sml/sml_document.h"
#include "workbook/sml/sml_strings.h"
#include "workbook/sml/sml_styles.h"

namespace {

using namespace xpg::sml;

// Hands one stored "si" element to the string about to be written.
class TSiHolder : public xpg::TXPGBase {
public:
    TSiHolder(TCT_Rst& target) : TXPGBase(target.Document), Target_(target) {}
    TXPGBase* HandleElement(xpg::TXPGReader& reader) override {
        (void)reader;
        Target_.Clear();
        return &Target_;
    }

private:
    TCT_Rst& Target_;
};

std::string ReadFile(const char* path) {
    std::string data;
    if (FILE* f = std::fopen(path, "rb")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.append(buffer, n);
        std::fclose(f);
    }
    return data;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sml_resave PART OUTPUT\n");
        return 2;
    }
    try {
        const std::string data = ReadFile(argv[1]);
        TXPGDocXLSX doc;
        // Each string is kept as the markup it is written back from.
        std::vector<std::string> strings;
        doc.Sst().OnReadSi = [&](TCT_Rst& si) {
            base::TMemoryStream stream;
            xls::TXpgWriteXML writer;
            writer.BeginDocument(stream);
            si.CheckAssigned();
            xpg::XpgWriteItem(writer, si, "si");
            writer.Flush();
            strings.emplace_back(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
        };
        auto input = base::TMemoryStream::View(data.data(), static_cast<int64_t>(data.size()));
        doc.LoadFromStream(input);
        const bool sst = data.find("<sst") != std::string::npos || data.find(":sst") != std::string::npos;
        size_t next = 0;
        const xpg::TXPGNamespaces namespaces{{"http://schemas.openxmlformats.org/spreadsheetml/2006/main"}, {}};
        doc.Sst().OnWriteSi = [&](TCT_Rst& si) {
            if (next == strings.size()) return false;
            TSiHolder holder(si);
            xpg::TXPGReader reader(doc.Errors, holder, namespaces);
            auto stream = base::TMemoryStream::View(strings[next].data(), static_cast<int64_t>(strings[next].size()));
            reader.LoadFromStream(stream);
            ++next;
            return true;
        };
        base::TFileStream output(argv[2], base::fmCreate);
        doc.SaveToStream(output, sst ? TXPGRoot::Sst : TXPGRoot::StyleSheet);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
