#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "workbook/model/class_factory.h"

namespace xls {

// Built-in kinds of defined names (the library's own numbering, not the BIFF one).
enum TXc12BuiltInName : uint8_t {
    bnConsolidateArea = 0,
    bnExtract = 1,
    bnDatabase = 2,
    bnCriteria = 3,
    bnPrintArea = 4,
    bnPrintTitles = 5,
    bnSheetTitle = 6,
    bnFilterDatabase = 7,
    bnNone = 8,
};

// The name a built-in kind has in files ("_xlnm.Print_Area"); empty for bnNone.
std::u16string_view BuiltInNameText(uint8_t kind);

// What a compiled name refers to.
enum TXc12NameRefKind : uint8_t { nrkFormula = 0, nrkCell = 1, nrkArea = 2, nrkInvalid = 3 };

// One defined name.
class TXc12DefinedName : public TXLSFactoryObject {
public:
    TXc12DefinedName() = default;

    // The attributes back to their defaults; the reference and the compiled formula stay.
    void Reset();
    // Forgets the compiled formula and what it refers to.
    void ClearCompiled();

    // The formula as the .xlsx file writes it; the interface name produces it from the compiled
    // formula.
    virtual std::u16string GetContent() const { return Content_; }
    void SetContent(std::u16string_view text) { Content_ = text; }

    const std::vector<uint8_t>& GetPtgs() const { return Ptgs_; }
    int GetPtgsLen() const { return static_cast<int>(Ptgs_.size()); }
    void SetPtgs(const uint8_t* data, int length);

    std::u16string name;
    std::u16string comment;
    std::u16string customMenu;
    std::u16string description;
    std::u16string help;
    std::u16string statusBar;
    int32_t localSheetId = -1;
    uint8_t hidden = 0;
    uint8_t function = 0;
    uint8_t vbProcedure = 0;
    uint8_t xlm = 0;
    int32_t functionGroupId = 0;
    std::u16string shortcutKey;
    uint8_t publishToServer = 0;
    uint8_t workbookParameter = 0;
    uint8_t BuiltIn = bnNone;
    // The BIFF built-in code byte as read (0 when none).
    uint8_t BuiltInCode = 0;
    uint8_t RefKind = nrkFormula;
    // Sheet index (external-sheet index for BIFF) and bounds; absolute flags in bit 31 of rows
    // and bit 15 of columns.
    int32_t RefSheet = -1;
    int32_t RefRow1 = 0;
    int32_t RefRow2 = 0;
    int32_t RefCol1 = 0;
    int32_t RefCol2 = 0;
    // The error code of a name that is an error value.
    uint8_t ErrorCode = 0;
    uint8_t Deleted = 0;

private:
    std::u16string Content_;
    std::vector<uint8_t> Ptgs_;
};

// The workbook's defined names. Slots are never removed: deleted names keep their slot until
// the next Add reuses it.
class TXc12DefinedNames : public TXLSFactoryObject {
public:
    explicit TXc12DefinedNames(TXLSClassFactory& factory) : Factory_(factory) {}

    int Count() const { return static_cast<int>(Items_.size()); }
    TXc12DefinedName* GetItems(int index) const;
    void Clear();

    // A reset slot with the name (built-in kinds from "_xlnm." names) and the sheet.
    TXc12DefinedName* Add(std::u16string_view name, int localSheetId);
    // A slot with the kind and the sheet only (the BIFF reader's built-in names).
    TXc12DefinedName* AddBuiltIn(uint8_t kind, int localSheetId);
    // The first name not deleted on that sheet whose name equals, ignoring case; -1 when none.
    int IndexOfName(std::u16string_view name, int localSheetId) const;
    // The name a formula on the sheet sees: the sheet's own first, then the workbook's.
    int Find(std::u16string_view name, int sheetIndex);
    // Sets the deleted flag; the slot is free for the next Add.
    void MarkDeleted(int index);
    // Sheets removed (delta < 0) or inserted (delta > 0) at sheetIndex: names local to removed
    // sheets are deleted, later sheet numbers shift, cell and area references follow.
    void SheetsChanged(int sheetIndex, int delta);

protected:
    // Shifts the sheet references inside a compiled general formula; the model has no compiler,
    // the interface list overrides it.
    virtual void AdjustFormulaSheetRefs(TXc12DefinedName& name, int sheetIndex, int delta);

private:
    TXc12DefinedName* TakeSlot();
    static void SetName(TXc12DefinedName& entry, std::u16string_view name);

    TXLSClassFactory& Factory_;
    std::vector<std::unique_ptr<TXc12DefinedName>> Items_;
    std::unordered_map<std::u16string, int> Hash_;
    bool HashValid_ = false;
};

}  // namespace xls
