// TEncodeFormula against two compilers and decompilers nobody here wrote: python3-xlwt's formula
// compiler (committed table, xlwt_formula_fixtures.inc) and python3-xlrd's decompiler (run now).

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "workbook/formula/biff_encode_formula.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_error.h"

namespace xls {
namespace {

#include "workbook/formula/tests/xlwt_formula_fixtures.inc"

std::vector<uint8_t> FromHex(std::string_view hex) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return out;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// Sheet1 and Sheet2 are EXTERNSHEET entries 0 and 1 (as in xlrd_decompile.py; xlwt writes 0 for
// every sheet and patches it later, so the comparison masks the index).
void ResolveSheets(TEncodeFormula& encoder) {
    encoder.OnExternRef = [](const std::u16string&, const std::u16string&, int& sheetIndex, int& ixti, bool,
                             const std::u16string&, const std::u16string& sheet) {
        if (sheet == u"SHEET1") sheetIndex = ixti = 0;
        if (sheet == u"SHEET2") sheetIndex = ixti = 1;
    };
}

std::vector<uint8_t> Compile(std::u16string_view text) {
    TEncodeFormula encoder;
    ResolveSheets(encoder);
    std::vector<uint8_t> buf(1024);
    buf.resize(static_cast<size_t>(encoder.Encode(text, 0, 1, static_cast<int>(buf.size()), buf.data())));
    return buf;
}

// The tokens as comparable texts, with what the two compilers legitimately do differently masked:
// - operand classes: xlwt gives functions and the references in their arguments its own classes
//   (its table has a "D" class and class-per-function results), ours follow the BIFF table and
//   write functions with the value class; the class bits are folded away;
// - attributes: xlwt writes no space attributes (it drops spaces) but writes IF and CHOOSE jump
//   attributes and the one-argument SUM as an attribute; attributes are dropped and xlwt's SUM
//   attribute counts as SUM with one argument;
// - strings: xlwt stores 8-bit strings compressed; strings compare as their characters;
// - the EXTERNSHEET index of 3-D references, which xlwt leaves 0.
std::vector<std::string> Normalise(const std::vector<uint8_t>& ptgs) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < ptgs.size()) {
        const uint8_t* p = ptgs.data() + pos;
        const size_t width = PtgTokenWidth(p, ptgs.size() - pos, true);
        if (width == 0) {
            out.push_back("truncated");
            break;
        }
        const uint8_t id = PtgToRefClass(p[0]);
        std::vector<uint8_t> operands(p + 1, p + width);
        if (id == ptgAttr) {
            if (p[1] == 0x10) out.push_back("func-var 010400");
        } else if (id == ptgStr) {
            std::u16string text;
            for (int i = 0; i < p[1]; ++i) text += p[2] ? char16_t(base::LoadLE16(p + 3 + 2 * i)) : char16_t(p[3 + i]);
            out.push_back("str " + base::Utf16ToUtf8(text));
        } else if (id == ptgFunc || id == ptgFuncVar) {
            out.push_back((id == ptgFunc ? "func " : "func-var ") + ToHex(operands));
        } else {
            if (id == ptgRef3d || id == ptgArea3d) operands[0] = operands[1] = 0;
            out.push_back("id " + std::to_string(id) + " " + ToHex(operands));
        }
        pos += width;
    }
    return out;
}

TEST(XlwtOracle, TokensMatchXlwtsCompiler) {
    for (const TXlwtFormula& f : XlwtFormulas) {
        SCOPED_TRACE(base::Utf16ToUtf8(f.Text));
        EXPECT_EQ(Normalise(Compile(f.Text)), Normalise(FromHex(f.Hex)));
    }
}

// Runs a command line and gives what it printed (standard output and error); status is its exit status.
std::string RunCommand(const std::string& command, int& status) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char chunk[4096];
    size_t n;
    while (pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
    status = pipe ? ::pclose(pipe) : -1;
    return output;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string RunXlrd(const std::vector<std::vector<uint8_t>>& formulas, std::vector<std::string>& texts) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("xls_formula_xlrd_" + std::to_string(::getpid()) + ".txt");
    {
        std::ofstream out(file);
        for (const auto& f : formulas) out << ToHex(f) << "\n";
    }
    int status = 0;
    const std::string output = RunCommand(std::string("/usr/bin/python3 ") + OMBRIX_SOURCE_DIR +
                                              "/workbook/formula/tests/xlrd_decompile.py " + file.string(),
                                          status);
    std::filesystem::remove(file);
    texts = Lines(output);
    return status == 0 ? "" : "xlrd_decompile.py failed (is python3-xlrd installed?): " + output;
}

TEST(XlrdOracle, TokenWidthsOfBiff8Streams) {
    // xlrd's decoder table of BIFF8 token sizes (reference-class ids; -1 self-described, -2 refused).
    int status = 0;
    const std::string output =
        RunCommand("/usr/bin/python3 -c 'import xlrd.formula as f; print(\"\\n\".join(map(str, f.sztab4)))'", status);
    ASSERT_EQ(status, 0) << "python3-xlrd is needed: " << output;
    const std::vector<std::string> sizes = Lines(output);
    ASSERT_EQ(sizes.size(), 64u);
    int compared = 0;
    for (int id = 1; id < 64; ++id) {
        const int xlrd = std::stoi(sizes[static_cast<size_t>(id)]);
        // Left out: the shared and table formula markers (0x01, 0x02), which the token code never
        // holds (their cells keep their own tokens); the array token, 8 bytes in [MS-XLS] (a
        // reserved bit field and seven unused bytes), which xlrd sizes 9; and the memory tokens
        // that a formula cell does not hold (0x28, 0x2E, 0x2F).
        if (xlrd < 1 || id <= 0x02 || id == 0x20 || id == 0x28 || id == 0x2E || id == 0x2F) continue;
        for (int cls = 0; cls < (id >= 0x20 ? 3 : 1); ++cls) {
            std::vector<uint8_t> token(32, 0);
            token[0] = static_cast<uint8_t>(id + 0x20 * cls);
            EXPECT_EQ(PtgTokenWidth(token.data(), token.size(), true), static_cast<size_t>(xlrd)) << std::hex << id;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 24 + 3 * 17);
}

TEST(XlrdOracle, DecompiledTextIsTheFormula) {
    // Our text, and xlrd's text of our tokens as xlrd writes it: numbers as floats, error constants
    // in quotes, a 3-D cell as a one-cell range, no spaces.
    struct TCase {
        std::u16string_view Text;
        std::string_view Xlrd;
    };
    const TCase cases[] = {
        {u"1+2", "1.0+2.0"},
        {u"1-2*3", "1.0-2.0*3.0"},
        {u"(1-2)*3", "(1.0-2.0)*3.0"},
        {u"2^3^2", "2.0^3.0^2.0"},
        {u"1+2*3^4", "1.0+2.0*3.0^4.0"},
        {u"-1", "-1.0"},
        {u"+1", "+1.0"},
        {u"--A1", "--A1"},
        {u"50%*2", "50.0%*2.0"},
        {u"65535+65536", "65535.0+65536.0"},
        {u"1.5/0.25", "1.5/0.25"},
        {u"1<2", "1.0<2.0"},
        {u"1<=2", "1.0<=2.0"},
        {u"1<>2", "1.0<>2.0"},
        {u"1>=2", "1.0>=2.0"},
        {u"\"a\"&\"b\"", "\"a\"&\"b\""},
        {u"\"\"", "\"\""},
        {u"A1", "A1"},
        {u"$A$1:$B$2", "$A$1:$B$2"},
        {u"A$1:$B2", "A$1:$B2"},
        {u"IV65536", "IV65536"},
        {u"Sheet2!$B$29:$B$32028", "Sheet2!$B$29:$B$32028"},
        {u"Sheet1!A1+Sheet2!B2", "Sheet1!A1:A1+Sheet2!B2:B2"},
        {u"SUM(A1:B2)", "SUM(A1:B2)"},
        {u"SUM(A1, B2)", "SUM(A1,B2)"},
        {u"IF(A1,1)", "IF(A1,1.0)"},
        {u"IF(A1,1,)", "IF(A1,1.0,)"},
        {u"MID(\"abc\",1,2)", "MID(\"abc\",1.0,2.0)"},
        {u"PI()", "PI()"},
        {u"TRUE", "TRUE"},
        {u"NOT(FALSE)", "NOT(FALSE)"},
        {u"#N/A", "\"#N/A\""},
        {u"IF(A1=#DIV/0!,#VALUE!,#REF!)", "IF(A1=\"#DIV/0!\",\"#VALUE!\",\"#REF!\")"},
        {u"ISERROR(#NULL!)+ISNA(#NAME?)+ISERR(#NUM!)", "ISERROR(\"#NULL!\")+ISNA(\"#NAME?\")+ISERR(\"#NUM!\")"},
        {u"1 + 2", "1.0+2.0"},
        {u"\"    \u6E29\u5EA6\u5E73\u5747\u503C:\"&ROUND(AVERAGE(B28:B32028),2)",
         "\"    \xE6\xB8\xA9\xE5\xBA\xA6\xE5\xB9\xB3\xE5\x9D\x87\xE5\x80\xBC:\"&ROUND(AVERAGE(B28:B32028),2.0)"},
    };
    std::vector<std::vector<uint8_t>> formulas;
    for (const TCase& c : cases) formulas.push_back(Compile(c.Text));
    std::vector<std::string> texts;
    const std::string failure = RunXlrd(formulas, texts);
    ASSERT_EQ(failure, "");
    ASSERT_EQ(texts.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(texts[i], cases[i].Xlrd) << base::Utf16ToUtf8(cases[i].Text);
}

}  // namespace
}  // namespace xls
