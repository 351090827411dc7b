// What the reader makes of files other programs wrote, against what python3-xlrd reads from them:
// sheets, cell values (formula cells by their cached value), merged areas, column widths and
// row heights.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/text_encoding.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_store.h"

namespace xls {
namespace {

const std::string FixtureDir = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/read_fixtures/";

std::string Number(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15) return std::to_string(static_cast<long long>(value));
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return std::string(buffer, result.ptr);
}

std::string Quoted(const std::u16string& text) {
    std::string out = "\"";
    for (char c : base::Utf16ToUtf8(text)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (u < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof(hex), "\\u%04x", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Dump(test::TBIFFReadBook& book) {
    std::string out;
    auto line = [&](const std::string& text) { out += text + "\n"; };
    for (int s = 0; s < book.Root.Worksheets().Count(); ++s) {
        TXc12DataWorksheet& sheet = *book.Root.Worksheets().GetItems(s);
        const std::string at = std::to_string(s) + " ";
        line("sheet " + at + Quoted(sheet.Name));
        TXLSCellMMU& cells = *sheet.sheetData;
        cells.BeginIterate(0);
        while (cells.IterateNext()) {
            const std::string where =
                "cell " + at + std::to_string(cells.IterRow()) + " " + std::to_string(cells.IterCol());
            const TXLSMMUCell& cell = cells.IterCell();
            switch (cells.IterCellType()) {
                case xctFloat: line(where + " n " + Number(cells.IterFloat())); break;
                case xctFloatFormula: line(where + " n " + Number(TXLSCellMMU::GetFormulaResultFloat(cell))); break;
                case xctString: {
                    std::u16string text;
                    cells.GetString(cell, text);
                    line(where + " s " + Quoted(text));
                    break;
                }
                case xctStringFormula: line(where + " s " + Quoted(TXLSCellMMU::GetFormulaResultString(cell))); break;
                case xctBoolean: line(where + " b " + (cells.IterBoolean() ? "1" : "0")); break;
                case xctBooleanFormula:
                    line(where + " b " + (TXLSCellMMU::GetFormulaResultBoolean(cell) ? "1" : "0"));
                    break;
                case xctError: line(where + " e " + std::to_string(CellErrorToBIFFError(cells.IterError()))); break;
                case xctErrorFormula:
                    line(where + " e " +
                         std::to_string(CellErrorToBIFFError(TXLSCellMMU::GetFormulaResultError(cell))));
                    break;
                default: break;
            }
        }
        std::vector<std::array<int, 4>> merged;
        for (int i = 0; i < sheet.mergeCells->Count(); ++i) {
            const TCellArea& a = *sheet.mergeCells->GetItems(i);
            merged.push_back({a.GetRow1(), a.GetRow2(), a.GetCol1(), a.GetCol2()});
        }
        std::sort(merged.begin(), merged.end());
        for (const auto& m : merged)
            line("merged " + at + std::to_string(m[0]) + " " + std::to_string(m[1]) + " " + std::to_string(m[2]) + " " +
                 std::to_string(m[3]));
        for (int i = 0; i < sheet.cols.Count(); ++i) {
            const TXc12Column& col = *sheet.cols.GetItems(i);
            for (int c = col.min; c <= col.max && c <= 255; ++c)
                line("col " + at + std::to_string(c) + " " + std::to_string(std::lround(col.width * 256)) + " " +
                     ((col.Flags & 0x01) ? "1" : "0"));
        }
        cells.BeginIterateRows(-1);
        while (cells.IterateNextRow()) {
            const TXLSMMURowHeader* header = cells.IterRowHeader();
            if (!header || header->Height() == 0xFFFF) continue;
            line("row " + at + std::to_string(cells.IterRow()) + " " + std::to_string(header->Height()) + " " +
                 ((header->Options() & 0x01) ? "1" : "0"));
        }
    }
    return out;
}

class ReadsLikeXlrd : public ::testing::TestWithParam<const char*> {};

TEST_P(ReadsLikeXlrd, SameSheetsCellsMergesWidthsAndHeights) {
    const std::string path = FixtureDir + GetParam();
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    test::TBIFFReadBook book;
    book.Load(file);
    const std::string script = std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/xlrd_read_dump.py";
    const auto oracle = platform::testing::RunCommand("/usr/bin/python3 " + platform::testing::ShellQuote(script) +
                                                      " " + platform::testing::ShellQuote(path));
    ASSERT_EQ(oracle.ExitCode, 0) << oracle.Output;
    EXPECT_EQ(Dump(book), oracle.Output);
}

INSTANTIATE_TEST_SUITE_P(Producers, ReadsLikeXlrd,
                         ::testing::Values("xlwt.xls", "libreoffice.xls", "gnumeric_biff8.xls", "gnumeric_biff7.xls"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace xls
