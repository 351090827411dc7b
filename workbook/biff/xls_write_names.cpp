#include "base/text_encoding.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_write.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr uint8_t BuiltInCodes[] = {0x00, 0x03, 0x04, 0x05, 0x06, 0x07, 0x0C, 0x0D};
constexpr uint8_t PtgArea3d = 0x3B;

// A name's sheet as the file numbers it (-1: the workbook's).
int LocalTab(int sheet, const std::vector<int>& tabOfSheet) {
    return sheet >= 0 && static_cast<size_t>(sheet) < tabOfSheet.size() ? tabOfSheet[static_cast<size_t>(sheet)]
                                                                        : sheet;
}

}  // namespace

void TXLSWriteBIFF::WriteInternalSupBook() {
    TRecordBytes data;
    data.Word(static_cast<uint16_t>(SheetEntries_.size())).Byte(0x01).Byte(0x04);
    WriteRecordData(BIFFRECID_SUPBOOK, data);
}

void TXLSWriteBIFF::WriteInternalExternSheet() {
    const std::vector<int> tabs = TabOfSheet();
    TRecordBytes data;
    data.Word(static_cast<uint16_t>(tabs.size()));
    for (const int tab : tabs) data.Word(0).Word(static_cast<uint16_t>(tab)).Word(static_cast<uint16_t>(tab));
    Stream_.WriteRecord(BIFFRECID_EXTERNSHEET, data.Bytes.data(), static_cast<int64_t>(data.Bytes.size()));
}

std::vector<uint8_t> TXLSWriteBIFF::NameTokens(const TXc12DefinedName& name) {
    const std::vector<uint8_t>& ptgs = name.GetPtgs();
    if (!ptgs.empty() && ptgs[0] == 0xFE) throw EBIFFError("TODO Array consts 97");
    if (!ptgs.empty() && ptgs[0] == 0xFF) return {ptgs.begin() + 1, ptgs.end()};
    if (name.RefKind == nrkFormula) {
        // A constant or a formula, as the name gives its text: compiled with this workbook's
        // sheets and names, as a formula cell is.
        const std::u16string text = name.GetContent();
        if (!text.empty()) {
            std::vector<uint8_t> tokens = Document_.CompileFormula(text);
            if (tokens.size() <= 1)
                throw EBIFFError("The name " + base::Utf16ToUtf8(name.name) + " has no valid definition");
            tokens.erase(tokens.begin());
            return tokens;
        }
    }
    TRecordBytes area;
    area.Byte(PtgArea3d).Word(static_cast<uint16_t>(name.RefSheet));
    if (name.RefKind == nrkCell || name.RefKind == nrkArea)
        area.Word(static_cast<uint16_t>(name.RefRow1))
            .Word(static_cast<uint16_t>(name.RefRow2))
            .Word(static_cast<uint16_t>(name.RefCol1 & 0x7FFF))
            .Word(static_cast<uint16_t>(name.RefCol2 & 0x7FFF));
    else
        area.Zeros(8);
    return area.Bytes;
}

void TXLSWriteBIFF::WriteNames() {
    const TExternalNames& external = Document_.FormulaHandler().ExternalNames();
    const TXc12DefinedNames* names = Manager_.Workbook().definedNames.get();
    const bool anyNames = names && names->Count() > 0;
    // Definitions are compiled before the reference tables are written: a compiled reference
    // to a sheet adds its entry to them.
    std::vector<std::vector<uint8_t>> definitions(anyNames ? static_cast<size_t>(names->Count()) : 0);
    for (size_t i = 0; i < definitions.size(); ++i) {
        const TXc12DefinedName* name = names->GetItems(static_cast<int>(i));
        if (name && !name->Deleted) definitions[i] = NameTokens(*name);
    }
    // Sheet references in names need this workbook's SUPBOOK before the EXTERNSHEET table; a
    // table that exists is written once, with the SUPBOOKs, and one is made only when none exists.
    NamesWritten_ = anyNames && !external.HasSupBooks();
    if (NamesWritten_) WriteInternalSupBook();
    const std::vector<int> tabs = TabOfSheet();
    external.SaveToStream(Stream_, tabs);
    if (NamesWritten_ && !external.HasExternSheets()) WriteInternalExternSheet();
    if (!anyNames) return;
    for (int i = 0; i < names->Count(); ++i) {
        const TXc12DefinedName* name = names->GetItems(i);
        if (!name || name->Deleted) continue;
        const bool builtIn = name->BuiltIn != bnNone || name->BuiltInCode != 0;
        const std::vector<uint8_t>& tokens = definitions[static_cast<size_t>(i)];
        if (tokens.size() > 0xFFFF) throw EBIFFError("Name definition too long");
        const std::u16string* texts[] = {&name->customMenu, &name->description, &name->help, &name->statusBar};
        for (const std::u16string* text : texts)
            if (text->size() > 255) throw EBIFFError("Name text too long");
        if (!builtIn && (name->name.empty() || name->name.size() > 255)) throw EBIFFError("Invalid name length");

        uint16_t options = static_cast<uint16_t>((name->hidden ? 0x0001 : 0) | (name->function ? 0x0002 : 0) |
                                                 (name->vbProcedure ? 0x0004 : 0) | (builtIn ? 0x0020 : 0));
        options = static_cast<uint16_t>(options | (name->functionGroupId & 0x7E) << 5);
        TRecordBytes data;
        data.Word(options)
            .Byte(0)
            .Byte(static_cast<uint8_t>(builtIn ? 1 : name->name.size()))
            .Word(static_cast<uint16_t>(tokens.size()))
            .Word(0)
            .Word(static_cast<uint16_t>(LocalTab(name->localSheetId, tabs) + 1));
        for (const std::u16string* text : texts) data.Byte(static_cast<uint8_t>(text->size()));
        if (builtIn) {
            const uint8_t code = name->BuiltIn < bnNone ? BuiltInCodes[name->BuiltIn] : name->BuiltInCode;
            data.Byte(0).Byte(code);
        } else {
            data.Wide(name->name);
        }
        data.Append(tokens.data(), tokens.size());
        for (const std::u16string* text : texts)
            if (!text->empty()) data.Wide(*text);
        // Long definitions and texts go on in CONTINUE records.
        Stream_.WriteRecord(BIFFRECID_NAME, data.Bytes.data(), static_cast<int64_t>(data.Bytes.size()));
    }
}

}  // namespace xls
