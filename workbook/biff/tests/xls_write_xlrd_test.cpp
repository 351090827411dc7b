// What python3-xlrd (formatting_info=True) reads from files the writer made.
#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/defined_names.h"

namespace xls {
namespace {

using platform::testing::RunCommand;
using platform::testing::ShellQuote;
using platform::testing::TTempDir;

std::string XlrdDump(const std::string& path) {
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlrd_dump.py";
    const auto result = RunCommand("/usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(path));
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    return result.Output;
}

// The lines of the dump that start with prefix, in order.
std::string Lines(const std::string& dump, const std::string& prefix) {
    std::string result;
    size_t start = 0;
    while (start < dump.size()) {
        size_t end = dump.find('\n', start);
        if (end == std::string::npos) end = dump.size();
        const std::string line = dump.substr(start, end - start);
        if (line.rfind(prefix, 0) == 0) result += line + "\n";
        start = end + 1;
    }
    return result;
}

class XlrdReadsWrittenFile : public ::testing::Test {
protected:
    std::string WriteAndDump() {
        Book.Document->SetFilename(Dir / "book.xls");
        Book.Document->Write();
        return XlrdDump(Dir / "book.xls");
    }

    TTempDir Dir;
    test::TBIFFTestWorkbook Book;
};

TEST_F(XlrdReadsWrittenFile, ValuesOfEveryCellKind) {
    TXLSCellMMU& cells = Book.Cells();
    cells.StoreFloat(0, 0, 0, 1);
    cells.StoreFloat(1, 0, 0, 2);
    cells.StoreFloat(2, 0, 0, 3);
    cells.StoreFloat(3, 0, 0, 0.09999999999999999);
    cells.StoreFloat(4, 0, 0, 25.3);
    cells.StoreFloat(5, 0, 0, 1e300);
    cells.StoreString(0, 1, 0, u"温湿度历史记录报表");
    cells.StoreString(1, 1, 0, u"plain");
    cells.StoreBoolean(2, 1, 0, true);
    cells.StoreError(3, 1, 0, errDiv0);
    cells.StoreError(4, 1, 0, errGettingData);
    cells.StoreBlank(5, 1, 0);
    Book.SetFormula(0, 0, 2, u"A1+B1", 3);
    const std::string dump = WriteAndDump();
    EXPECT_EQ(Lines(dump, "cell "),
              "cell 0 0 0 2 1.0\n"
              "cell 0 0 1 2 2.0\n"
              "cell 0 0 2 2 3.0\n"
              "cell 0 0 3 2 0.09999999999999999\n"
              "cell 0 0 4 2 25.3\n"
              "cell 0 0 5 2 1e+300\n"
              "cell 0 1 0 1 \"温湿度历史记录报表\"\n"
              "cell 0 1 1 1 \"plain\"\n"
              "cell 0 1 2 4 1\n"
              "cell 0 1 3 5 7\n"
              "cell 0 1 4 5 43\n"
              "cell 0 1 5 6 \"\"\n"
              "cell 0 2 0 2 3.0\n");
}

}  // namespace
}  // namespace xls
