#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

class TXLSStream;

// SUPBOOK kinds besides an external workbook (0).
inline constexpr uint16_t SupBookInternal = 0x0401;
inline constexpr uint16_t SupBookAddIn = 0x3A01;
// EXTERNSHEET sheet values with a meaning of their own.
inline constexpr uint16_t ExtSheetDeleted = 0xFFFF;
inline constexpr uint16_t ExtSheetWorkbook = 0xFFFE;

// Files number sheets over their whole sheet list, chart sheets included, while the model's list
// leaves chart sheets out. chartTabs: the chart sheets' places in the file's list, ascending.
// The model index of the first worksheet at or after tab, and of the last one at or before it:
// the two are equal when tab is a worksheet.
int FirstSheetFromTab(int tab, std::span<const int> chartTabs);
int LastSheetFromTab(int tab, std::span<const int> chartTabs);

// One XTI of EXTERNSHEET.
struct TExtSheet {
    int32_t SupBook = 0;
    uint16_t FirstSheet = 0;
    uint16_t LastSheet = 0;
};

// One CRN record: cached values of a row of cells of an external sheet.
struct TCRN {
    uint8_t FirstCol = 0;
    uint8_t LastCol = 0;
    uint16_t Row = 0;
    std::vector<uint8_t> Values;
};

struct TSupBookSheet {
    std::vector<uint8_t> Name;  // byte string: flag byte (1 = UTF-16LE) and the characters
    std::vector<TCRN> CRNs;
    std::u16string GetName() const;
};

// EXTERNNAME: kind 0 a defined name of the other workbook (with its definition tokens), 1 a DDE
// link, 2 an OLE link (with its 4-byte storage id).
struct TExtName {
    uint8_t Kind = 0;
    uint16_t Options = 0;
    std::vector<uint8_t> Name;  // byte string
    std::vector<uint8_t> Definition;
    uint32_t StorageId = 0;
    std::u16string GetName() const;
    void SaveToStream(TXLSStream& stream) const;
};

class TSupBook {
public:
    int32_t SheetCount = 0;
    uint16_t Kind = 0;
    std::vector<uint8_t> FileName;  // encoded path as a byte string; empty for the kinds above
    std::vector<TSupBookSheet> Sheets;
    std::vector<TExtName> ExternalNames;

    // The path with the encoding of [MS-XLS] undone ("C:\data\book.xls").
    std::u16string GetPath() const;
    // The path as formula text writes it: the folder, then the file in square brackets.
    std::u16string GetRefPath() const;
    void AddSheet(const std::u16string& name);
    void SaveToStream(TXLSStream& stream) const;
};

// The SUPBOOK and EXTERNSHEET tables of the workbook globals.
class TExternalNames {
public:
    void Clear();

    // Readers of record data; short or inconsistent data raises.
    void AddSupBook(std::span<const uint8_t> data);
    void AddExternName(std::span<const uint8_t> data);
    // Entries of this workbook are turned from the file's sheet numbering into the model's; one
    // that covers chart sheets only becomes deleted.
    void ReadExternSheet(std::span<const uint8_t> data, std::span<const int> chartTabs = {});
    void AddCRN(int sheetIndex, std::span<const uint8_t> data);

    int ExternSheetCount() const { return static_cast<int>(ExtSheets_.size()); }
    const TExtSheet& GetExternSheet(int index) const;
    int SupBookCount() const { return static_cast<int>(SupBooks_.size()); }
    const TSupBook& GetSupBook(int index) const;

    // First and last sheet of an entry; true when they are equal. False for a bad index.
    bool GetSheetRange(int index, int& first, int& last) const;
    // The entry's first sheet when it points into this workbook, else -1.
    int GetInternalSheetIndex(int index) const;
    // The entry for exactly this sheet of this workbook, made when there is none.
    int GetInternalSheetRef(int sheetIndex, int sheetCount);
    // The same for the sheets firstSheet to lastSheet of a 3-D reference.
    int GetInternalSheetRangeRef(int firstSheet, int lastSheet, int sheetCount);
    bool FindExternalName(const std::u16string& folder, const std::u16string& file, int& nameIndex, int& entry,
                          const std::u16string& name) const;
    // Whether any SUPBOOK (an add-in's included) holds an external name called name, case ignored.
    bool HasExternalName(std::u16string_view name) const;
    bool FindExternalSheet(const std::u16string& folder, const std::u16string& file, int& sheetIndex, int& entry,
                           const std::u16string& sheet) const;
    bool FindOrAddExternalSheet(const std::u16string& folder, const std::u16string& file, int& supBook, int& entry,
                                const std::u16string& sheet);
    // Formula text of an external reference: "'path sheet'!" for a sheet (nameNumber < 0), the
    // path and the name for an external name (nameNumber >= 1).
    std::u16string GetExternalRefText(int index, int nameNumber) const;

    void SheetInserted(int index);
    void SheetDeleted(int index);
    // Every internal SUPBOOK an entry uses takes the workbook's sheet count.
    void SetInternalSheetCount(int count);
    bool HasExternSheets() const { return !ExtSheets_.empty(); }
    bool HasSupBooks() const { return !SupBooks_.empty(); }

    // Every SUPBOOK with its names and cached values, then EXTERNSHEET (continued as needed), its
    // entries of this workbook numbered as the file lists the sheets (tabOfSheet: the place of
    // each model sheet; empty when the two agree).
    void SaveToStream(TXLSStream& stream, std::span<const int> tabOfSheet = {}) const;

    std::u16string BaseFolder;

private:
    TSupBook& LastSupBook(const char* missingText);
    // The entry points into this workbook.
    bool IsInternal(const TExtSheet& entry) const;

    std::vector<TExtSheet> ExtSheets_;
    std::vector<std::unique_ptr<TSupBook>> SupBooks_;
};

// A name the BIFF side creates itself (macro names, linked cells, the autofilter's database).
class TInternalName {
public:
    uint16_t Sheet = 0;         // sheet index + 1; 0 for the workbook
    std::vector<uint8_t> Name;  // flag byte 1 and UTF-16LE, or flag and built-in code
    uint16_t Options = 0;       // bit 0 built-in ("_xlnm."), bit 3 macro
    std::vector<uint8_t> Definition;

    // "_xlnm." sets option bit 0 and is dropped; an empty name raises "Name is empty".
    void SetName(const std::u16string& text);
    std::u16string GetName() const;
    uint8_t BuiltInCode() const;
    void SetMacroFlag(bool value);
};

class TInternalNames {
public:
    // Called with delta -1 after a name was deleted.
    std::function<void(TInternalNames& names, int delta)> OnDelete;

    TInternalName& Add();
    void Delete(int index);
    void DeleteBuiltIn(uint8_t code, uint16_t sheet);
    TInternalName* FindBuiltIn(uint8_t code, int sheetIndex) const;
    // Index of the first name equal ignoring case; -1 when none.
    int IndexOfName(const std::u16string& text) const;
    int Count() const { return static_cast<int>(Items_.size()); }
    TInternalName& GetItems(int index) const;
    void Clear() { Items_.clear(); }

private:
    std::vector<std::unique_ptr<TInternalName>> Items_;
};

}  // namespace xls
