#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/byte_reader.h"
#include "base/memory_stream.h"
#include "platform/compound_file.h"
#include "workbook/biff/biff_document.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/document_root.h"

namespace xls::test {

// A workbook model as the built-in empty workbook leaves it (fonts 1 to 4 and the placeholder
// font 5, the 21 standard XFs as model XFs 1 to 21) with its document object and one sheet.
class TBIFFTestWorkbook {
public:
    TBIFFTestWorkbook() : Root(Factory, Errors) {
        Root.CreateParts();
        Root.SetVersion(xvExcel97);
        TXc12DataStyleSheet& styles = Root.StyleSheet();
        TXc12Font* base = styles.Fonts().GetItems(0);
        base->SetName(u"Arial");
        base->SetSize(10);
        base->SetColor(Xc12ColorFromIndex(Xc12AutomaticIndex));
        for (int i = 1; i <= 4; ++i) {
            TXc12Font* font = styles.Fonts().Add();
            font->Assign(*base);
            font->SetBuiltIn(true);
        }
        styles.Fonts().AddPlaceholder();
        static constexpr int StyleFormats[] = {43, 41, 44, 42, 9};
        for (int file = 0; file <= 20; ++file) {
            TXc12XF* xf = styles.XFs().Add();
            styles.SetXFDefaults(*xf);
            xf->SetBuiltIn(true);
            xf->BIFFOptions = file == 15 ? 0 : 0xFFF4;
            if (file >= 16) xf->SetNumberFormat(styles.NumFmts().GetItems(StyleFormats[file - 16]));
        }
        AddSheet(u"Sheet1");
        Document = std::make_unique<TBIFF5>(Root);
    }

    TXc12DataWorksheet& AddSheet(const std::u16string& name) {
        TXc12DataWorksheet* sheet = Root.Worksheets().Add(-1);
        sheet->Name = name;
        if (Document) Document->AddSheet();
        return *sheet;
    }
    TXLSCellMMU& Cells(int sheet = 0) { return *Root.Worksheets().GetItems(sheet)->sheetData; }
    TXc12DataWorksheet& Sheet(int sheet = 0) { return *Root.Worksheets().GetItems(sheet); }

    // A formula cell with its BIFF8 tokens compiled by the document and a cached number.
    void SetFormula(int sheet, int col, int row, const std::u16string& text, double result) {
        const std::vector<uint8_t> tokens = Document->CompileFormula(text);
        Cells(sheet).StoreFormulaTokens(col, row, result, static_cast<int>(tokens.size()), tokens.data(), 0);
    }

    // The workbook stream of the file written into memory.
    std::vector<uint8_t> WriteStream() {
        base::TMemoryStream target;
        Document->SaveToStream(&target);
        target.SetPosition(0);
        auto file = platform::TCompoundFile::OpenStream(target);
        auto stream = file->Root().OpenStream(u"Workbook");
        std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
        stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        return bytes;
    }

    TXc12ClassFactory Factory;
    TXLSErrorManager Errors;
    TXc12Manager Root;
    std::unique_ptr<TBIFF5> Document;
};

struct TRecord {
    uint16_t Id;
    std::vector<uint8_t> Data;
    size_t Offset;  // of the header in the stream
    uint16_t Word(size_t at) const { return base::LoadLE16(Data.data() + at); }
    uint32_t Long(size_t at) const { return base::LoadLE32(Data.data() + at); }
};

inline std::vector<TRecord> SplitRecords(const std::vector<uint8_t>& stream) {
    std::vector<TRecord> records;
    base::TByteReader reader(stream);
    while (!reader.AtEnd()) {
        const size_t offset = reader.Position();
        const uint16_t id = reader.U16LE();
        const uint16_t length = reader.U16LE();
        const auto data = reader.Bytes(length);
        records.push_back({id, {data.begin(), data.end()}, offset});
    }
    return records;
}

inline std::vector<const TRecord*> RecordsOf(const std::vector<TRecord>& records, uint16_t id) {
    std::vector<const TRecord*> result;
    for (const TRecord& r : records)
        if (r.Id == id) result.push_back(&r);
    return result;
}

}  // namespace xls::test
