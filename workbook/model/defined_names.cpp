#include "workbook/model/defined_names.h"

#include <array>

#include "workbook/model/utils.h"

namespace xls {

namespace {

constexpr std::u16string_view BuiltInPrefix = u"_xlnm.";

struct TBuiltInEntry {
    std::u16string_view Text;
    uint8_t Kind;
};

// In the order the names are tried.
constexpr std::array<TBuiltInEntry, 8> BuiltInNames{{
    {u"Print_Area", bnPrintArea},
    {u"Print_Titles", bnPrintTitles},
    {u"Criteria", bnCriteria},
    {u"_FilterDatabase", bnFilterDatabase},
    {u"Extract", bnExtract},
    {u"Consolidate_Area", bnConsolidateArea},
    {u"Database", bnDatabase},
    {u"Sheet_Title", bnSheetTitle},
}};

constexpr std::array<std::u16string_view, 8> BuiltInFileNames{{
    u"_xlnm.Consolidate_Area",
    u"_xlnm.Extract",
    u"_xlnm.Database",
    u"_xlnm.Criteria",
    u"_xlnm.Print_Area",
    u"_xlnm.Print_Titles",
    u"_xlnm.Sheet_Title",
    u"_xlnm._FilterDatabase",
}};

}  // namespace

std::u16string_view BuiltInNameText(uint8_t kind) {
    return kind < BuiltInFileNames.size() ? BuiltInFileNames[kind] : std::u16string_view();
}

void TXc12DefinedName::Reset() {
    name.clear();
    comment.clear();
    customMenu.clear();
    description.clear();
    help.clear();
    statusBar.clear();
    localSheetId = -1;
    hidden = 0;
    function = 0;
    vbProcedure = 0;
    xlm = 0;
    functionGroupId = 0;
    shortcutKey.clear();
    publishToServer = 0;
    workbookParameter = 0;
    BuiltIn = bnNone;
    BuiltInCode = 0;
    Content_.clear();
    Deleted = 0;
}

void TXc12DefinedName::ClearCompiled() {
    Ptgs_.clear();
    RefKind = nrkFormula;
    RefSheet = -1;
    RefRow1 = RefRow2 = RefCol1 = RefCol2 = 0;
    ErrorCode = 0;
}

void TXc12DefinedName::SetPtgs(const uint8_t* data, int length) {
    if (length <= 0 || data == nullptr) {
        Ptgs_.clear();
        return;
    }
    Ptgs_.assign(data, data + length);
}

TXc12DefinedName* TXc12DefinedNames::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return Items_[static_cast<size_t>(index)].get();
}

void TXc12DefinedNames::Clear() {
    Items_.clear();
    Hash_.clear();
    HashValid_ = false;
}

TXc12DefinedName* TXc12DefinedNames::TakeSlot() {
    for (const std::unique_ptr<TXc12DefinedName>& item : Items_) {
        if (item->Deleted != 0) {
            // A reused slot must not keep what the deleted name compiled to, or the new name
            // would evaluate the old formula.
            item->Reset();
            item->ClearCompiled();
            return item.get();
        }
    }
    Items_.push_back(Factory_.Create<TXc12DefinedName>(xckName, this));
    return Items_.back().get();
}

void TXc12DefinedNames::SetName(TXc12DefinedName& entry, std::u16string_view name) {
    entry.name = name;
    entry.BuiltIn = bnNone;
    if (name.substr(0, BuiltInPrefix.size()) != BuiltInPrefix) return;
    const std::u16string_view rest = name.substr(BuiltInPrefix.size());
    for (const TBuiltInEntry& builtIn : BuiltInNames) {
        if (rest == builtIn.Text) {
            entry.BuiltIn = builtIn.Kind;
            entry.name.clear();
            return;
        }
    }
    // Reserved-looking names outside the table stay ordinary names with their text.
}

TXc12DefinedName* TXc12DefinedNames::Add(std::u16string_view name, int localSheetId) {
    TXc12DefinedName* entry = TakeSlot();
    entry->Reset();
    SetName(*entry, name);
    entry->localSheetId = localSheetId;
    HashValid_ = false;
    return entry;
}

TXc12DefinedName* TXc12DefinedNames::AddBuiltIn(uint8_t kind, int localSheetId) {
    TXc12DefinedName* entry = TakeSlot();
    entry->BuiltIn = kind;
    entry->localSheetId = localSheetId;
    return entry;
}

int TXc12DefinedNames::IndexOfName(std::u16string_view name, int localSheetId) const {
    const std::u16string upper = WideUpperCaseStr(name);
    for (int i = 0; i < Count(); ++i) {
        const TXc12DefinedName& item = *Items_[static_cast<size_t>(i)];
        if (item.Deleted == 0 && item.localSheetId == localSheetId && WideUpperCaseStr(item.name) == upper) return i;
    }
    return -1;
}

int TXc12DefinedNames::Find(std::u16string_view name, int sheetIndex) {
    if (sheetIndex >= 0) {
        const int local = IndexOfName(name, sheetIndex);
        if (local >= 0) return local;
    }
    if (!HashValid_) {
        Hash_.clear();
        for (int i = 0; i < Count(); ++i) {
            const TXc12DefinedName& item = *Items_[static_cast<size_t>(i)];
            if (item.localSheetId == -1 && item.Deleted == 0) Hash_.emplace(WideUpperCaseStr(item.name), i);
        }
        HashValid_ = true;
    }
    const auto found = Hash_.find(WideUpperCaseStr(name));
    return found == Hash_.end() ? -1 : found->second;
}

void TXc12DefinedNames::MarkDeleted(int index) {
    GetItems(index)->Deleted = 1;
    HashValid_ = false;
}

void TXc12DefinedNames::AdjustFormulaSheetRefs(TXc12DefinedName&, int, int) {}

void TXc12DefinedNames::SheetsChanged(int sheetIndex, int delta) {
    if (delta == 0) return;
    for (const std::unique_ptr<TXc12DefinedName>& item : Items_) {
        TXc12DefinedName& entry = *item;
        if (entry.Deleted != 0) continue;
        if (delta < 0) {
            const int count = -delta;
            if (entry.localSheetId >= sheetIndex && entry.localSheetId < sheetIndex + count) {
                entry.Deleted = 1;
                continue;
            }
            if (entry.localSheetId >= sheetIndex + count) entry.localSheetId -= count;
        } else if (entry.localSheetId >= sheetIndex) {
            entry.localSheetId += delta;
        }
        if (entry.RefKind == nrkFormula) {
            if (!entry.GetPtgs().empty()) AdjustFormulaSheetRefs(entry, sheetIndex, delta);
        } else if ((entry.RefKind == nrkCell || entry.RefKind == nrkArea) && entry.RefSheet >= sheetIndex) {
            const int moved = entry.RefSheet + delta;
            if (delta < 0 && entry.RefSheet < sheetIndex - delta) {
                entry.RefSheet = -1;
                entry.RefKind = nrkInvalid;
            } else if (delta > 0 && (moved < 0 || moved > 254)) {
                entry.RefSheet = -1;
                entry.RefKind = nrkInvalid;
            } else {
                entry.RefSheet = moved;
            }
        }
    }
    HashValid_ = false;
}

}  // namespace xls
