#include "workbook/api/sheet_objects.h"

#include "workbook/api/formula_services.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int ErrInvalidName = 4011;

bool BeginsWith(std::u16string_view text, std::u16string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i) {
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != lowerPrefix[i]) return false;
    }
    return true;
}

bool HasScheme(std::u16string_view text) {
    size_t i = 0;
    while (i < text.size() && ((text[i] >= u'a' && text[i] <= u'z') || (text[i] >= u'A' && text[i] <= u'Z'))) ++i;
    return i > 0 && text.substr(i, 3) == u"://";
}

bool IsHexDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

}  // namespace

// --- Names ---

void TXLSNames::CompileAll() {
    for (int i = 0; i < Count(); ++i)
        if (auto* name = dynamic_cast<TXLSName*>(GetItems(i))) name->Compile();
}

void TXLSNames::AdjustFormulaSheetRefs(TXc12DefinedName& name, int sheetIndex, int delta) {
    std::vector<uint8_t> ptgs = name.GetPtgs();
    TXLSFormulaServices::AdjustSheetRefs(ptgs.data(), static_cast<int>(ptgs.size()), delta, sheetIndex);
    name.SetPtgs(ptgs.data(), static_cast<int>(ptgs.size()));
}

void TXLSName::Compile() {
    if (GetPtgs().empty()) {
        std::vector<uint8_t> code;
        if (Owner_ && Owner_->Formulas()) code = Owner_->Formulas()->EncodeFormula(TXc12DefinedName::GetContent(), -1);
        if (code.empty()) {
            if (Owner_ && Owner_->Manager()) Owner_->Manager()->Errors().Error(name, ErrInvalidName);
            return;
        }
        SetPtgs(code.data(), static_cast<int>(code.size()));
    }
    TXLSRefArea area;
    const uint8_t kind = GetFormulaRefArea(nullptr, GetPtgs().data(), GetPtgs().size(), area);
    RefKind = kind == 1 ? nrkCell : kind == 2 ? nrkArea : nrkFormula;
    if (RefKind == nrkFormula) return;
    RefSheet = area.Sheet;
    RefCol1 = area.Col1;
    RefRow1 = area.Row1;
    RefCol2 = area.Col2;
    RefRow2 = area.Row2;
}

std::u16string TXLSName::GetContent() const {
    TXc12Manager* manager = Owner_ ? Owner_->Manager() : nullptr;
    switch (RefKind) {
        case nrkFormula:
            if (GetPtgs().empty() || !Owner_ || !Owner_->Formulas()) return TXc12DefinedName::GetContent();
            return Owner_->Formulas()->DecodeFormula(GetPtgs(), -1);
        case nrkCell:
        case nrkArea: {
            if (!manager || RefSheet < 0 || RefSheet >= manager->Worksheets().Count()) return u"#REF!";
            const std::u16string sheet = manager->Worksheets().GetItems(RefSheet)->GetQuotedName() + u"!";
            if (RefKind == nrkCell) return sheet + ColRowFlagsToRefStr(RefCol1, RefRow1);
            return sheet + AreaFlagsToRefStr(RefCol1, RefRow1, RefCol2, RefRow2);
        }
        default: return u"#REF!";
    }
}

// --- Hyperlinks ---

std::u16string TXLSHyperlink::EncodeAddress(std::u16string_view text) {
    static constexpr std::u16string_view Reserved = u" #$&+,;=@[]^`{}~\x7F";
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'%') {
            const bool escape = i + 2 < text.size() && IsHexDigit(text[i + 1]) && IsHexDigit(text[i + 2]);
            out += escape ? u"%" : u"%25";
            continue;
        }
        if (Reserved.find(c) == std::u16string_view::npos) {
            out += c;
            continue;
        }
        static constexpr char Hex[] = "0123456789ABCDEF";
        out += u'%';
        out += static_cast<char16_t>(Hex[c >> 4]);
        out += static_cast<char16_t>(Hex[c & 15]);
    }
    return out;
}

bool TXLSHyperlink::IsWorkbookLocation(std::u16string_view text) const {
    TXc12Manager* manager = Owner_ ? Owner_->Manager() : nullptr;
    if (!manager) return false;
    TXLSErrorManager& errors = manager->Errors();
    TXLSReportingOffScope off(errors);
    errors.SetLastError(0);
    try {
        TXLSFormulaServices scratch(*manager);
        return !scratch.EncodeFormula(text, -1).empty();
    } catch (const EXLSError&) {
        return false;
    }
}

void TXLSHyperlink::Classify(std::u16string_view address) {
    std::u16string result(address);
    uint8_t type;
    if (HasScheme(address) || BeginsWith(address, u"www.")) {
        type = xhltURL;
        result = EncodeAddress(address);
    } else if (BeginsWith(address, u"\\\\")) {
        type = xhltUNC;
        result = u"file:///" + EncodeAddress(address);
    } else if (BeginsWith(address, u"file:///") || (address.size() >= 2 && address[1] == u':')) {
        type = xhltFile;
        if (!BeginsWith(address, u"file:///")) result = u"file:///" + EncodeAddress(address);
    } else if (BeginsWith(address, u"mailto:")) {
        type = xhltURL;
    } else if (IsWorkbookLocation(address)) {
        type = xhltWorkbook;
        // A tooltip the caller gave stays.
        if (tooltip.empty()) {
            tooltip.assign(1, u'#');  // assigned, then appended: GCC 12 at -O2 misreads "#" + text
            tooltip += address;
        }
    } else {
        type = xhltFile;
        result = EncodeAddress(address);
    }
    Address_ = result;
    LinkType = type;
    WrittenType = type;
}

// --- Class factory ---

std::unique_ptr<TXLSFactoryObject> TXLSClassFactoryImpl::CreateObject(int kind, TXLSFactoryObject* owner) {
    switch (kind) {
        case xckNames: return std::make_unique<TXLSNames>(*this, Manager_);
        case xckName: return std::make_unique<TXLSName>(dynamic_cast<TXLSNames*>(owner));
        case xckMergedCells: return std::make_unique<TXLSMergedCells>(*this);
        case xckMergedCell: return std::make_unique<TXLSMergedCell>();
        case xckHyperlinks: return std::make_unique<TXLSHyperlinks>(*this, Manager_);
        case xckHyperlink: return std::make_unique<TXLSHyperlink>(dynamic_cast<TXLSHyperlinks*>(owner));
        case xckAutofilter:
            return std::make_unique<TXLSAutofilter>(*this,
                                                    Manager_ ? dynamic_cast<TXLSNames*>(Manager_->Names) : nullptr);
        case xckAutofilterColumn: return std::make_unique<TXLSAutofilterColumn>();
        default: return TXc12ClassFactory::CreateObject(kind, owner);
    }
}

}  // namespace xls
