#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pdf/pdf_ccitt.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

struct TTestBitmap {
    int Width;
    int Height;
    std::vector<uint8_t> Bits;  // rows of (Width + 7) / 8 bytes, padding bits clear

    size_t Stride() const { return (size_t(Width) + 7) / 8; }
    TMonoBitmap View() const { return {Bits.data(), Width, Height, Stride()}; }
    void Set(int x, int y) { Bits[size_t(y) * Stride() + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7)); }
};

// Index 1 is white, so "all white" has every bit set.
TTestBitmap Filled(int width, int height, bool white) {
    TTestBitmap bitmap{width, height, std::vector<uint8_t>(((size_t(width) + 7) / 8) * size_t(height))};
    if (white)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) bitmap.Set(x, y);
    return bitmap;
}

// Runs of pseudo-random lengths, short and long, shifted a little from row to row so that
// the two-dimensional modes meet pass, vertical and horizontal codes.
TTestBitmap Pattern(int width, int height, uint32_t seed) {
    TTestBitmap bitmap = Filled(width, height, false);
    uint32_t state = seed;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    std::vector<int> edges;
    for (int y = 0; y < height; ++y) {
        if (y % 5 == 0 || edges.empty()) {
            edges.clear();
            for (int x = int(next() % 3); x < width;) {
                edges.push_back(x);
                const uint32_t kind = next() % 8;
                x += kind == 0 ? int(next() % 3000) + 1 : kind < 3 ? int(next() % 200) + 1 : int(next() % 6) + 1;
            }
        } else {
            for (int& edge : edges) edge += int(next() % 9) - 4;
        }
        bool white = false;
        size_t index = 0;
        for (int x = 0; x < width; ++x) {
            while (index < edges.size() && edges[index] <= x) {
                white = !white;
                ++index;
            }
            if (white) bitmap.Set(x, y);
        }
    }
    return bitmap;
}

std::string Encode(const TTestBitmap& bitmap, TCCITTMode mode) {
    std::string data;
    CCITTCompressBitmap(bitmap.View(), data, mode);
    return data;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes.push_back(char(value));
    return bytes;
}

TEST(CCITT, ExactCodes) {
    // Makeup 1728 then terminating 0 (white), then RTC: six EOL.
    EXPECT_EQ(Encode(Filled(1728, 1, true), TCCITTMode::Group3OneD),
              Bytes({0x4D, 0x9A, 0x80, 0x08, 0x00, 0x80, 0x08, 0x00, 0x80, 0x08, 0x00, 0x80}));
    // 5000 white: extended 2560, extended 2432, white terminating 8; RTC.
    EXPECT_EQ(Encode(Filled(5000, 1, true), TCCITTMode::Group3OneD),
              Bytes({0x01, 0xF0, 0x1D, 0x98, 0x00, 0x80, 0x08, 0x00, 0x80, 0x08, 0x00, 0x80, 0x08}));
    // A row starting black: a white run of 0, then black 8; RTC.
    EXPECT_EQ(Encode(Filled(8, 1, false), TCCITTMode::Group3OneD),
              Bytes({0x35, 0x14, 0x00, 0x40, 0x04, 0x00, 0x40, 0x04, 0x00, 0x40, 0x04}));
    // Group 4 all white: one V0 per row, EOFB, zero bits up to the byte.
    EXPECT_EQ(Encode(Filled(16, 3, true), TCCITTMode::Group4), Bytes({0xE0, 0x02, 0x00, 0x20}));
    // Group 3 two-dimensional: EOL and tag 1 (one-dimensional), EOL and tag 0 with V0, then RTC:
    // six EOL, each with tag 1.
    EXPECT_EQ(Encode(Filled(1728, 2, true), TCCITTMode::Group3TwoD),
              Bytes({0x00, 0x1A, 0x6C, 0xD4, 0x00, 0x50, 0x01, 0x80, 0x0C, 0x00, 0x60, 0x03, 0x00, 0x18, 0x00, 0xC0}));
    for (auto mode : {TCCITTMode::Group3OneD, TCCITTMode::Group3TwoD, TCCITTMode::Group4}) {
        EXPECT_EQ(Encode(Filled(0, 5, true), mode), "");
        EXPECT_EQ(Encode(Filled(5, 0, true), mode), "");
    }
}

struct TOracleCase {
    TTestBitmap Bitmap;
    std::string Name;
};

std::vector<TOracleCase> OracleCases() {
    std::vector<TOracleCase> cases;
    for (int width : {1, 7, 8, 9, 1728, 2559, 2560, 2561, 2623, 2624, 2625, 5000}) {
        cases.push_back({Filled(width, 3, true), "white" + std::to_string(width)});
        cases.push_back({Filled(width, 3, false), "black" + std::to_string(width)});
        cases.push_back({Pattern(width, 23, uint32_t(width)), "pattern" + std::to_string(width)});
    }
    TTestBitmap checker = Filled(37, 12, false);
    for (int y = 0; y < 12; ++y)
        for (int x = (y & 1); x < 37; x += 2) checker.Set(x, y);
    cases.push_back({checker, "checker"});
    cases.push_back({Pattern(2480, 60, 7), "page"});
    return cases;
}

// Compares an image that a reader decoded, as rows of bytes with index 1 white, against the source.
void ExpectSameRows(const TTestBitmap& source, const std::string& decoded, const std::string& what) {
    ASSERT_EQ(decoded.size(), source.Bits.size()) << what;
    const int tail = source.Width % 8;
    const uint8_t lastMask = tail == 0 ? 0xFF : uint8_t(0xFF << (8 - tail));
    for (int y = 0; y < source.Height; ++y)
        for (size_t i = 0; i < source.Stride(); ++i) {
            const size_t at = size_t(y) * source.Stride() + i;
            const uint8_t mask = i + 1 == source.Stride() ? lastMask : 0xFF;
            ASSERT_EQ(uint8_t(decoded[at]) & mask, source.Bits[at] & mask) << what << " row " << y << " byte " << i;
        }
}

// libtiff's fax decoder needs EOL codes, so it checks the Group 4 and Group 3 mixed data.
// fax2tiff takes the end codes (EOFB, RTC) for more rows, so images come back a few rows
// taller; the rows of the bitmap must match.
TEST(CCITT, LibtiffDecodesGroup4AndMixedGroup3) {
    const char* script = R"(
import sys
from PIL import Image
for name in sys.argv[1:]:
    with open(name + '.bits', 'wb') as out:
        out.write(Image.open(name).convert('1').tobytes())
)";
    test::TTempDir dir;
    const auto cases = OracleCases();
    const std::pair<TCCITTMode, std::string> modes[] = {{TCCITTMode::Group4, "-4"}, {TCCITTMode::Group3TwoD, "-3 -2"}};
    std::string tifs;
    for (const auto& c : cases)
        for (const auto& [mode, flags] : modes) {
            const std::string raw = dir.File(c.Name + ".raw"), tif = dir.File(c.Name + flags + ".tif");
            test::WriteFileBytes(raw, Encode(c.Bitmap, mode));
            const auto made = test::RunCommand("fax2tiff " + flags + " -M -u -X " + std::to_string(c.Bitmap.Width) +
                                               " -o '" + tif + "' " + raw);
            ASSERT_EQ(made.ExitCode, 0) << c.Name << made.Output;
            tifs += " '" + tif + "'";
        }
    const auto decoded = test::RunPython(script, tifs);
    ASSERT_EQ(decoded.ExitCode, 0) << decoded.Output;
    for (const auto& c : cases)
        for (const auto& [mode, flags] : modes) {
            std::string rows = test::ReadFileBytes(dir.File(c.Name + flags + ".tif.bits"));
            if (rows.size() > c.Bitmap.Bits.size() && rows.size() <= c.Bitmap.Bits.size() + 6 * c.Bitmap.Stride())
                rows.resize(c.Bitmap.Bits.size());
            ExpectSameRows(c.Bitmap, rows, c.Name + " " + flags);
        }
}

// Ghostscript's CCITTFaxDecode filter decodes the raw data of every mode, the one-dimensional
// rows without EOL too, with the /K the image dictionary states for it. Its output has a set bit
// for white, as the source.
TEST(CCITT, GhostscriptDecodesEveryMode) {
    test::TTempDir dir;
    const auto cases = OracleCases();
    std::string program;
    std::vector<std::pair<size_t, TCCITTMode>> runs;
    for (auto mode : {TCCITTMode::Group3OneD, TCCITTMode::Group3TwoD, TCCITTMode::Group4}) {
        const int k = mode == TCCITTMode::Group3OneD ? 0 : mode == TCCITTMode::Group4 ? -1 : CCITTGroup3K;
        for (size_t i = 0; i < cases.size(); ++i) {
            const std::string stem = dir.File(cases[i].Name + "-" + std::to_string(int(mode)));
            test::WriteFileBytes(stem + ".raw", Encode(cases[i].Bitmap, mode));
            program += "(" + stem + ".raw) (" + stem + ".out) " + std::to_string(k) + " " +
                       std::to_string(cases[i].Bitmap.Width) + " " + std::to_string(cases[i].Bitmap.Height) +
                       " decode\n";
            runs.push_back({i, mode});
        }
    }
    const std::string ps = dir.File("decode.ps");
    test::WriteFileBytes(ps,
                         "/decode { /rows exch def /columns exch def /k exch def (w) file /out exch def\n"
                         "  (r) file << /K k /Columns columns /Rows rows >> /CCITTFaxDecode filter /in exch def\n"
                         "  /buffer 65536 string def\n"
                         "  { in buffer readstring exch out exch writestring not { exit } if } loop\n"
                         "  out closefile } def\n" +
                             program);
    const auto decoded =
        test::RunCommand("gs -q -dNODISPLAY -dNOPAUSE -dBATCH --permit-file-all='" + dir.File("") + "' '" + ps + "'");
    ASSERT_EQ(decoded.ExitCode, 0) << decoded.Output;
    for (const auto& [i, mode] : runs)
        ExpectSameRows(cases[i].Bitmap,
                       test::ReadFileBytes(dir.File(cases[i].Name + "-" + std::to_string(int(mode)) + ".out")),
                       cases[i].Name + " mode " + std::to_string(int(mode)));
}

// A file with one image per case, each drawn on a page of its own.
std::string ImagesPdf(const std::vector<TOracleCase>& cases, TCCITTMode mode) {
    const int k = mode == TCCITTMode::Group3OneD ? 0 : mode == TCCITTMode::Group4 ? -1 : CCITTGroup3K;
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    auto object = [&](const std::string& body) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    std::string kids;
    for (size_t i = 0; i < cases.size(); ++i) kids += std::to_string(3 + 3 * i) + " 0 R ";
    object("<</Type /Catalog /Pages 2 0 R>>");
    object("<</Type /Pages /Kids [" + kids + "] /Count " + std::to_string(cases.size()) + ">>");
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& b = cases[i].Bitmap;
        const std::string w = std::to_string(b.Width), h = std::to_string(b.Height);
        const std::string image = std::to_string(4 + 3 * i), content = std::to_string(5 + 3 * i);
        object("<</Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + " " + h + "] /Resources <</XObject <</Im0 " + image +
               " 0 R>>>> /Contents " + content + " 0 R>>");
        const std::string data = Encode(b, mode);
        object("<</Type /XObject /Subtype /Image /ColorSpace /DeviceGray /BitsPerComponent 1 /Width " + w +
               " /Height " + h + " /Filter [/CCITTFaxDecode] /DecodeParms [<</K " + std::to_string(k) + " /Columns " +
               w + " /Rows " + h + ">>] /Length " + std::to_string(data.size()) + ">>\nstream\n" + data +
               "\nendstream");
        const std::string draw = "q " + w + " 0 0 " + h + " 0 0 cm /Im0 Do Q";
        object("<</Length " + std::to_string(draw.size()) + ">>\nstream\n" + draw + "\nendstream");
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char line[32];
        snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<</Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R>>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

// Poppler decodes all three modes as a PDF reader meets them, rows not byte aligned.
TEST(CCITT, PopplerDecodesEveryMode) {
    const auto cases = OracleCases();
    for (auto mode : {TCCITTMode::Group3OneD, TCCITTMode::Group3TwoD, TCCITTMode::Group4}) {
        test::TTempDir dir;
        const std::string file = dir.File("images.pdf");
        test::WriteFileBytes(file, ImagesPdf(cases, mode));
        const auto extracted = test::RunCommand("pdfimages " + file + " " + dir.File("im"));
        ASSERT_EQ(extracted.ExitCode, 0) << extracted.Output;
        for (size_t i = 0; i < cases.size(); ++i) {
            char name[32];
            snprintf(name, sizeof name, "im-%03zu.pbm", i);
            const std::string pbm = test::ReadFileBytes(dir.File(name));
            const std::string header =
                "P4\n" + std::to_string(cases[i].Bitmap.Width) + " " + std::to_string(cases[i].Bitmap.Height) + "\n";
            ASSERT_EQ(pbm.substr(0, header.size()), header) << cases[i].Name;
            std::string rows = pbm.substr(header.size());
            for (char& c : rows) c = char(~c);  // PBM sets black bits
            ExpectSameRows(cases[i].Bitmap, rows, cases[i].Name + " mode " + std::to_string(int(mode)));
        }
    }
}

}  // namespace
}  // namespace pdf
