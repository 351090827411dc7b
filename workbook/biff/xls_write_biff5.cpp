// The BIFF5 road of the writer: a workbook read from a BIFF5 file is written back in its own
// version, so that it stays what it was and every reader of BIFF5 reads it.
#include <algorithm>

#include "base/byte_reader.h"
#include "base/text_encoding.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_write.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr uint16_t BIFF5Version = 0x0500;
// Build and year of an Excel 5 BOF: readers tell BIFF5 from BIFF7 (the same records) by them.
constexpr uint16_t BIFF5Build = 0x096C;
constexpr uint16_t BIFF5Year = 0x07C9;
constexpr int WriteAccessSize5 = 32;
constexpr int DefaultCodePage = 1252;
// CODEPAGE values that stand for Windows Latin 1 in older files.
constexpr int CodePageAscii = 367;
constexpr int CodePageLatin1Biff = 32769;
// The 8-bit Windows code pages a BIFF5 file can be written in.
constexpr int AnsiCodePages[] = {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

constexpr uint8_t PtgStr = 0x17;
constexpr uint8_t PtgErr = 0x1C;
constexpr uint8_t PtgBool = 0x1D;
constexpr uint8_t PtgInt = 0x1E;
constexpr uint8_t PtgNum = 0x1F;
// Operators and the missing argument: one byte each, alike in both versions.
constexpr uint8_t FirstOperator = 0x03;
constexpr uint8_t LastOperator = 0x16;

}  // namespace

void TXLSWriteBIFF::ChooseCodePage() {
    CodePage_ = DefaultCodePage;
    const TRecordStorageGlobals& globals = Document_.GlobalRecords();
    const int index = globals.IndexOfId(BIFFRECID_CODEPAGE);
    const TRecordBlock* record = index >= 0 ? globals.GetItems(index) : nullptr;
    if (!record || RecordLength(*record) < 2) return;
    const int page = base::LoadLE16(RecordData(*record));
    if (page == CodePageAscii || page == CodePageLatin1Biff) return;
    if (std::find(std::begin(AnsiCodePages), std::end(AnsiCodePages), page) != std::end(AnsiCodePages))
        CodePage_ = page;
}

std::string TXLSWriteBIFF::Narrow(std::u16string_view text) const {
    std::string bytes;
    if (base::Utf16ToCodePage(text, CodePage_, bytes)) return bytes;
    // Character by character: what the code page lacks below 256 stands for its own byte.
    bytes.clear();
    std::string one;
    for (const char16_t c : text) {
        if (base::Utf16ToCodePage(std::u16string_view(&c, 1), CodePage_, one)) {
            bytes += one;
        } else if (c < 0x100) {
            bytes += static_cast<char>(c);
        } else {
            throw EBIFFError("The text \"" + base::Utf16ToUtf8(text) + "\" can not be written in code page " +
                             std::to_string(CodePage_));
        }
    }
    return bytes;
}

void TXLSWriteBIFF::AppendText(TRecordBytes& data, std::u16string_view text, bool wide) const {
    if (!Biff5_) {
        if (wide)
            data.Word(static_cast<uint16_t>(text.size()));
        else
            data.Byte(static_cast<uint8_t>(text.size()));
        data.Wide(text);
        return;
    }
    const std::string bytes = Narrow(text);
    if (bytes.size() > (wide ? 0xFFFFu : 0xFFu)) throw EBIFFError("Text too long: " + base::Utf16ToUtf8(text));
    if (wide)
        data.Word(static_cast<uint16_t>(bytes.size()));
    else
        data.Byte(static_cast<uint8_t>(bytes.size()));
    data.Append(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void TXLSWriteBIFF::WriteBOF5(uint16_t type) {
    WriteRecordData(BIFFRECID_BOF, TRecordBytes().Word(BIFF5Version).Word(type).Word(BIFF5Build).Word(BIFF5Year));
}

void TXLSWriteBIFF::WriteWriteAccess5() {
    std::string name = Narrow(Manager_.Workbook().WriteAccessUser);
    name.resize(std::min<size_t>(name.size(), WriteAccessSize5 - 1));
    TRecordBytes data;
    data.Byte(static_cast<uint8_t>(name.size())).Append(reinterpret_cast<const uint8_t*>(name.data()), name.size());
    data.Bytes.resize(WriteAccessSize5, ' ');
    WriteRecordData(BIFFRECID_WRITEACCESS, data);
}

bool TXLSWriteBIFF::WriteGlobalRecord5(const std::vector<uint8_t>& record) {
    switch (RecordId(record)) {
        case BIFFRECID_BOF: WriteBOF5(BOFTypeGlobals); return true;
        case BIFFRECID_WRITEACCESS: WriteWriteAccess5(); return true;
        case BIFFRECID_CODEPAGE: WriteWordRecord(BIFFRECID_CODEPAGE, static_cast<uint16_t>(CodePage_)); return true;
        // Records of BIFF8 in the default set, the drawing group and the shared strings: BIFF5
        // has none of them.
        case BIFFRECID_TABID:
        case BIFFRECID_DSF:
        case BIFFRECID_PROT4REV:
        case BIFFRECID_REFRESHALL:
        case BIFFRECID_RECALCID:
        case BIFFRECID_OBPROJ:
        case INSERT_DRAWINGGROUP:
        case INSERT_SST: return true;
        case INSERT_NAMES:
            if (!ExternalWritten_) {
                ExternalWritten_ = true;
                WriteNames5();
            }
            return true;
        default: return false;
    }
}

bool TXLSWriteBIFF::WriteSheetRecord5(const std::vector<uint8_t>& record) {
    switch (RecordId(record)) {
        case BIFFRECID_BOF: WriteBOF5(BOFTypeWorksheet); return true;
        case INSERT_TRAILING:
            // No drawings, hyperlinks or protection options in BIFF5. Merged cells are kept: the
            // readers of BIFF5 files take them, and other producers write them there.
            WritePane();
            WriteSelections();
            WriteMergedCells();
            return true;
        default: return false;
    }
}

void TXLSWriteBIFF::WriteNames5() {
    // The names of the file read are kept as its records with their EXTERNSHEET table; names
    // added since are written after them.
    const TXc12DefinedNames* names = Manager_.Workbook().definedNames.get();
    if (!names) return;
    const std::vector<int> tabs = TabOfSheet();
    for (int i = 0; i < names->Count(); ++i) {
        const TXc12DefinedName* name = names->GetItems(i);
        if (!name || name->Deleted) continue;
        const bool builtIn = name->BuiltIn != bnNone || name->BuiltInCode != 0;
        if (builtIn) throw EBIFFError("Built-in names can not be added to an Excel 5 workbook");
        const std::vector<uint8_t> tokens = NameTokens5(*name);
        const int sheet = name->localSheetId;
        const int tab = sheet >= 0 && static_cast<size_t>(sheet) < tabs.size() ? tabs[static_cast<size_t>(sheet)] : -1;
        const std::u16string* texts[] = {&name->customMenu, &name->description, &name->help, &name->statusBar};
        std::string narrow[5];
        narrow[0] = Narrow(name->name);
        for (size_t t = 0; t < 4; ++t) narrow[t + 1] = Narrow(*texts[t]);
        for (const std::string& text : narrow)
            if (text.size() > 255) throw EBIFFError("Name text too long");
        if (narrow[0].empty()) throw EBIFFError("Invalid name length");
        uint16_t options = static_cast<uint16_t>((name->hidden ? 0x0001 : 0) | (name->function ? 0x0002 : 0) |
                                                 (name->vbProcedure ? 0x0004 : 0));
        options = static_cast<uint16_t>(options | (name->functionGroupId & 0x7E) << 5);
        TRecordBytes data;
        data.Word(options)
            .Byte(0)
            .Byte(static_cast<uint8_t>(narrow[0].size()))
            .Word(static_cast<uint16_t>(tokens.size()))
            .Word(0)
            .Word(static_cast<uint16_t>(tab + 1));
        for (size_t t = 1; t < 5; ++t) data.Byte(static_cast<uint8_t>(narrow[t].size()));
        const auto append = [&data](const std::string& text) {
            data.Append(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        };
        append(narrow[0]);
        data.Append(tokens.data(), tokens.size());
        for (size_t t = 1; t < 5; ++t) append(narrow[t]);
        WriteRecordData(BIFFRECID_NAME, data);
    }
}

std::vector<uint8_t> TXLSWriteBIFF::NameTokens5(const TXc12DefinedName& name) {
    const auto refused = [&] {
        return EBIFFError("The name " + base::Utf16ToUtf8(name.name) +
                          " refers to cells or computes: only constant names can be added to an Excel 5 workbook");
    };
    if (name.RefKind != nrkFormula) throw refused();
    const std::vector<uint8_t> biff8 = NameTokens(name);
    const base::TByteReader r(biff8, [] { throw EBIFFError("Invalid name definition"); });
    std::vector<uint8_t> tokens;
    for (size_t at = 0; at < biff8.size();) {
        const uint8_t ptg = biff8[at];
        size_t size = 1;
        switch (ptg) {
            case PtgStr: {
                const uint8_t count = r.U8At(at + 1);
                const bool wide = r.U8At(at + 2) & 1;
                std::u16string text;
                for (size_t i = 0; i < count; ++i)
                    text += wide ? static_cast<char16_t>(r.U16LEAt(at + 3 + 2 * i)) : r.U8At(at + 3 + i);
                TRecordBytes piece;
                piece.Byte(PtgStr);
                AppendText(piece, text);
                tokens.insert(tokens.end(), piece.Bytes.begin(), piece.Bytes.end());
                at += 3 + static_cast<size_t>(count) * (wide ? 2 : 1);
                continue;
            }
            case PtgErr:
            case PtgBool: size = 2; break;
            case PtgInt: size = 3; break;
            case PtgNum: size = 9; break;
            default:
                if (ptg < FirstOperator || ptg > LastOperator) throw refused();
        }
        const std::span<const uint8_t> token = r.BytesAt(at, size);
        tokens.insert(tokens.end(), token.begin(), token.end());
        at += size;
    }
    return tokens;
}

}  // namespace xls
