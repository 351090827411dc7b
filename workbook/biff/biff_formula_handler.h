#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "workbook/biff/external_names.h"
#include "workbook/formula/biff_encode_formula.h"
#include "workbook/formula/ptg_tokens.h"

namespace xls {

// The BIFF side's one entry point from formula text to BIFF8 tokens and back: it owns the
// encoder, the external references and the internal names, and answers the encoder's and the
// decoder's questions about sheets and names from them and from the document.
class TFormulaHandler : public IXLSExternSheets {
public:
    // Index of the first sheet named like name (case ignored) and the sheet count; -1 and 0.
    std::function<void(const std::u16string& name, int& index, int& count)> OnSheetIndex;
    // Kind 0: the name of sheet index; kind 1: empty; other kinds leave the name unchanged.
    std::function<void(int kind, int index, std::u16string& name)> OnSheetName;
    // The workbook's defined names, which the file's NAME records number: the index of the one
    // named like name (case ignored), -1 when none; and the text of the one at index, empty
    // when none. Names the handler keeps itself are asked after them.
    std::function<int(const std::u16string& name)> OnNameIndex;
    std::function<std::u16string(int index)> OnNameText;

    TFormulaHandler();
    TFormulaHandler(const TFormulaHandler&) = delete;
    TFormulaHandler& operator=(const TFormulaHandler&) = delete;

    void Clear();
    // Tokens of formula (operand class ptgClass) into buf; returns their count. The encoder's
    // reports raise.
    int EncodeFormula(const std::u16string& formula, uint8_t ptgClass, int bufSize, uint8_t* buf);
    // The text of BIFF8 tokens, sheets and names as this workbook has them; arguments separated
    // by commas.
    std::u16string DecodeFormula(std::span<const uint8_t> tokens) const;
    void SheetInserted(int index) { ExternalNames_.SheetInserted(index); }
    void SheetDeleted(int index) { ExternalNames_.SheetDeleted(index); }

    // The encoder's events.
    void LookupExternal(const std::u16string& workbook, const std::u16string& path, int& index, int& entry,
                        bool isSheet, const std::u16string& name, const std::u16string& sheet);
    void LookupName(const std::u16string& name, int& index) const;
    // The decoder's callback: kind 2 a reference through EXTERNSHEET entry index (the sheet, or
    // first:last for a range of sheets, with "!"), 4 an extended token the document answers,
    // any other kind the defined name nameNumber - 1.
    void GetNameText(int kind, int index, std::u16string& text, int a, int b, int nameNumber) const;

    bool GetSheetRange(int index, int& firstSheet, int& lastSheet) const override {
        return ExternalNames_.GetSheetRange(index, firstSheet, lastSheet);
    }
    bool HasExternalName(std::u16string_view name) const override { return ExternalNames_.HasExternalName(name); }

    TEncodeFormula& Encoder() { return Encoder_; }
    TExternalNames& ExternalNames() { return ExternalNames_; }
    const TExternalNames& ExternalNames() const { return ExternalNames_; }
    TInternalNames& InternalNames() { return InternalNames_; }
    const TInternalNames& InternalNames() const { return InternalNames_; }

private:
    std::u16string NameText(int nameNumber) const;
    // "Sheet!" or "First:Last!" of an entry of this workbook.
    std::u16string SheetPrefix(int index, int first) const;

    TEncodeFormula Encoder_;
    TExternalNames ExternalNames_;
    TInternalNames InternalNames_;
};

}  // namespace xls
