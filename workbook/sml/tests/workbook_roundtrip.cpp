// Reads a workbook part and saves it again: sml_workbook_roundtrip IN.xml OUT.xml.
#include <cstdio>
#include <exception>

#include "base/file_stream.h"
#include "workbook/sml/tests/workbook_test_doc.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.xml OUT.xml\n", argv[0]);
        return 2;
    }
    try {
        xpg::testing::TWorkbookTestDoc doc;
        xpg::testing::TDefinedNamesRelay names(doc);
        doc.Errors.SetOnError([](xls::TXpgPErrors&) {});
        {
            base::TFileStream in(argv[1], base::fmOpenRead);
            doc.LoadFromStream(in);
        }
        base::TFileStream out(argv[2], base::fmCreate);
        doc.SaveToStream(out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
