// Writes the built-in empty workbook: an Excel 97 workbook with one empty "Sheet1", made by the
// library's own BIFF8 writer and compound file, inside a ZIP archive with the single entry
// "Empty.xls". The build embeds the archive as a byte array (first argument, a C++ source);
// a second argument also writes the archive itself, for the outside checks.
#include <array>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "base/memory_stream.h"
#include "platform/compound_file.h"
#include "workbook/biff/biff_document.h"
#include "workbook/model/color.h"
#include "workbook/model/document_root.h"
#include "workbook/ooxml/zip/zip_archive.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Four fonts the file lists (the model's font 0 and the four built-in copies written for it),
// the 21 standard XFs and the number formats of the five number styles.
void BuildTemplateModel(xls::TXc12Manager& root) {
    xls::TXc12DataStyleSheet& styles = root.StyleSheet();
    xls::TXc12Font* base = styles.Fonts().GetItems(0);
    base->SetName(u"Arial");
    base->SetSize(10);
    base->SetColor(xls::Xc12ColorFromIndex(xls::Xc12AutomaticIndex));
    for (int i = 1; i <= 4; ++i) {
        xls::TXc12Font* font = styles.Fonts().Add();
        font->Assign(*base);
        font->SetBuiltIn(true);
    }
    styles.Fonts().AddPlaceholder();
    static constexpr int StyleFormats[] = {43, 41, 44, 42, 9};
    for (int file = 0; file <= 20; ++file) {
        xls::TXc12XF* xf = styles.XFs().Add();
        styles.SetXFDefaults(*xf);
        xf->SetBuiltIn(true);
        // Style XFs leave every attribute group to their cells; XF 15 is the default cell format.
        xf->BIFFOptions = file == 15 ? 0 : 0xFFF4;
        if (file >= 16) xf->SetNumberFormat(styles.NumFmts().GetItems(StyleFormats[file - 16]));
    }
    root.Worksheets().Add(-1)->Name = u"Sheet1";
}

// A property set stream with one section holding only its code page (UTF-16).
Bytes PropertySet(const std::array<uint8_t, 16>& formatId) {
    constexpr uint32_t SectionOffset = 48;
    constexpr uint16_t CodePageId = 1;
    constexpr uint16_t VtI2 = 2;
    constexpr uint16_t Utf16CodePage = 1200;
    Bytes out;
    base::AppendLE16(out, 0xFFFE);
    base::AppendLE16(out, 0);
    base::AppendLE32(out, 0x00020006);  // operating system version and kind
    out.insert(out.end(), 16, 0);
    base::AppendLE32(out, 1);
    out.insert(out.end(), formatId.begin(), formatId.end());
    base::AppendLE32(out, SectionOffset);
    base::AppendLE32(out, 24);  // section size
    base::AppendLE32(out, 1);   // property count
    base::AppendLE32(out, CodePageId);
    base::AppendLE32(out, 16);  // property offset within the section
    base::AppendLE32(out, VtI2);
    base::AppendLE16(out, Utf16CodePage);
    base::AppendLE16(out, 0);
    return out;
}

Bytes EmptyWorkbookFile() {
    xls::TXc12ClassFactory factory;
    xls::TXLSErrorManager errors;
    xls::TXc12Manager root(factory, errors);
    root.CreateParts();
    root.SetVersion(xls::xvExcel97);
    BuildTemplateModel(root);
    xls::TBIFF5 document(root);
    base::TMemoryStream written;
    document.SaveToStream(&written);
    written.SetPosition(0);

    auto file = platform::TCompoundFile::OpenStream(written);
    static constexpr std::array<uint8_t, 16> Summary = {0xE0, 0x85, 0x9F, 0xF2, 0xF9, 0x4F, 0x68, 0x10,
                                                        0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
    static constexpr std::array<uint8_t, 16> DocumentSummary = {0x02, 0xD5, 0xCD, 0xD5, 0x9C, 0x2E, 0x1B, 0x10,
                                                                0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};
    const Bytes summary = PropertySet(Summary);
    const Bytes documentSummary = PropertySet(DocumentSummary);
    file->Root()
        .CreateStream(u"\x05SummaryInformation")
        .WriteBuffer(summary.data(), static_cast<int64_t>(summary.size()));
    file->Root()
        .CreateStream(
            u"\x05"
            u"DocumentSummaryInformation")
        .WriteBuffer(documentSummary.data(), static_cast<int64_t>(documentSummary.size()));
    return file->SaveToBytes();
}

Bytes ZipOf(const Bytes& entry) {
    base::TMemoryStream archiveBytes;
    xls::TXLSZipArchive archive;
    archive.OpenForWrite(archiveBytes);
    base::TMemoryStream source = base::TMemoryStream::View(entry.data(), static_cast<int64_t>(entry.size()));
    archive.AddStream("Empty.xls", source);
    archive.Close();
    return {archiveBytes.Memory(), archiveBytes.Memory() + archiveBytes.Size()};
}

std::string ByteArraySource(const Bytes& bytes) {
    std::string out =
        "// Made at build time by tools/empty_workbook; do not edit.\n"
        "#include \"workbook/component/empty_workbook.h\"\n\n"
        "namespace xls {\n\nnamespace {\n\nconstexpr uint8_t Archive[] = {";
    char text[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0) out += "\n   ";
        std::snprintf(text, sizeof text, " %u,", static_cast<unsigned>(bytes[i]));
        out += text;
    }
    out +=
        "\n};\n\n}  // namespace\n\n"
        "std::span<const uint8_t> EmptyWorkbookArchive() { return Archive; }\n\n"
        "}  // namespace xls\n";
    return out;
}

void WriteFile(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) throw std::runtime_error("can not write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.cpp [OUTPUT.zip]\n", argv[0]);
        return 2;
    }
    try {
        const Bytes archive = ZipOf(EmptyWorkbookFile());
        const std::string source = ByteArraySource(archive);
        WriteFile(argv[1], source.data(), source.size());
        if (argc == 3) WriteFile(argv[2], archive.data(), archive.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
