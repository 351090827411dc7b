// Writes the report block of the writer's tests to the file named on the command line, for the
// office programs that check it (gen_office_oracle.py).
#include <cstdio>
#include <exception>

#include "workbook/biff/tests/report_block.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.xls\n", argv[0]);
        return 2;
    }
    try {
        xls::test::TBIFFTestWorkbook book;
        xls::test::BuildReportBlock(book);
        book.Document->SetFilename(argv[1]);
        book.Document->Write();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
