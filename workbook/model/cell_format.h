#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/style_items.h"

namespace xls {

class TXc12DataStyleSheet;

// Cell formats (XFs): an alignment, protection bits and references to a shared number format,
// font, fill and border. Cells, rows and columns store an XF's index.

enum TXc12XFApply : uint8_t {
    xfaNumberFormat = 0x01,
    xfaFont = 0x02,
    xfaFill = 0x04,
    xfaBorder = 0x08,
    xfaAlignment = 0x10,
    xfaProtection = 0x20,
};

class TXc12XF : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;

    // Alignment, protection, the four parts, the parent, QuotePrefix and PivotButton (not Apply).
    void Assign(const TXc12XF& source);
    // Alignment, protection, QuotePrefix and PivotButton only.
    void CopyOwnFields(const TXc12XF& source);
    bool Equal(const TXLSStyleObject& other) const override;
    void DebugText(int indent, std::u16string& text) const override;
    // The hash of the fields Equal compares, from the parts' own cached hashes, so that it stays
    // right when a shared part changes. The parent is left out: parents count only when both
    // XFs have one.
    int32_t KeyHash() const;

    TXc12CellAlignment& GetAlignment() { return Alignment_; }
    const TXc12CellAlignment& GetAlignment() const { return Alignment_; }
    uint8_t GetProtection() const { return Protection_; }
    void SetProtection(uint8_t value);
    TXc12NumberFormat* GetNumberFormat() const { return NumberFormat_; }
    TXc12Font* GetFont() const { return Font_; }
    TXc12Fill* GetFill() const { return Fill_; }
    TXc12Border* GetBorder() const { return Border_; }
    // The part setters change no use count.
    void SetNumberFormat(TXc12NumberFormat* value) { NumberFormat_ = value; }
    void SetFont(TXc12Font* value) { Font_ = value; }
    void SetFill(TXc12Fill* value) { Fill_ = value; }
    void SetBorder(TXc12Border* value) { Border_ = value; }
    TXc12XF* GetXF() const { return Parent_; }
    // Setting an XF as its own parent stores nullptr.
    void SetXF(TXc12XF* value) { Parent_ = value == this ? nullptr : value; }
    uint8_t GetApply() const { return Apply_; }
    void SetApply(uint8_t value) { Apply_ = value; }
    bool GetQuotePrefix() const { return QuotePrefix_; }
    void SetQuotePrefix(bool value);
    bool GetPivotButton() const { return PivotButton_; }
    void SetPivotButton(bool value);
    // The type and options word of a BIFF XF record read (0 for formats made in the model).
    uint16_t BIFFOptions = 0;

protected:
    int32_t CalcHash() const override { return KeyHash(); }

private:
    TXc12CellAlignment Alignment_;
    uint8_t Protection_ = 1;
    TXc12NumberFormat* NumberFormat_ = nullptr;
    TXc12Font* Font_ = nullptr;
    TXc12Border* Border_ = nullptr;
    TXc12Fill* Fill_ = nullptr;
    TXc12XF* Parent_ = nullptr;
    uint8_t Apply_ = 0;
    bool QuotePrefix_ = false;
    bool PivotButton_ = false;
};

// The cell XFs or the style XFs of a style sheet. Slots of the cell XF list may be empty after
// compaction; every lookup skips them.
class TXc12XFs : public TXLSStyleObjectList {
public:
    explicit TXc12XFs(TXc12DataStyleSheet& styleSheet) : TXLSStyleObjectList(256), StyleSheet_(styleSheet) {}
    ~TXc12XFs() override { Clear(); }

    TXc12XF* Add();
    // Appends an XF built outside any list; returns its index.
    int AddXF(std::unique_ptr<TXc12XF> xf);
    TXc12XF* GetItems(int index) const { return static_cast<TXc12XF*>(TXLSStyleObjectList::GetItems(index)); }
    TXc12XF* GetDefault() const { return GetItems(0); }
    // The first XF Equal to xf (hashes compared first), or nullptr.
    TXc12XF* Find(const TXc12XF& xf) const;
    // The slot for a new shared XF: the first empty or unused, non-built-in slot after 0 (given
    // a fresh XF, so nothing of its former occupant survives), else a new XF at the end. The XF
    // has the default parts. keep (the XF being edited) is never taken, even when unused.
    TXc12XF* AllocXF(const TXc12XF* keep = nullptr);
    void FreeSlot(const TXc12XF& xf) { TXLSIndexObjectList::FreeSlot(xf.Index()); }
    void AddDefaults() override;
    void Reset();

private:
    TXc12DataStyleSheet& StyleSheet_;
};

// A differential format: parts present only where they differ.
class TXc12DXF : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;

    TXc12Font* CreateFont();
    TXc12NumberFormat* CreateNumFmt();
    TXc12Fill* CreateFill();
    TXc12Border* CreateBorder();
    TXc12CellAlignment* CreateAlignment();
    TXc12Font* GetFont() const { return Font_.get(); }
    TXc12NumberFormat* GetNumFmt() const { return NumFmt_.get(); }
    TXc12Fill* GetFill() const { return Fill_.get(); }
    TXc12Border* GetBorder() const { return Border_.get(); }
    TXc12CellAlignment* GetAlignment() const { return Alignment_.get(); }
    uint8_t Protection = 0;

    bool Equal(const TXLSStyleObject& other) const override;

protected:
    int32_t CalcHash() const override;

private:
    std::unique_ptr<TXc12Font> Font_;
    std::unique_ptr<TXc12NumberFormat> NumFmt_;
    std::unique_ptr<TXc12Fill> Fill_;
    std::unique_ptr<TXc12Border> Border_;
    std::unique_ptr<TXc12CellAlignment> Alignment_;
};

class TXc12DXFs : public TXLSStyleObjectList {
public:
    TXc12DXFs() : TXLSStyleObjectList(256) {}
    TXc12DXF* Add();
    TXc12DXF* GetItems(int index) const { return static_cast<TXc12DXF*>(TXLSStyleObjectList::GetItems(index)); }
    void AddDefaults() override {}
    void Reset() { Clear(); }
};

class TXc12CellStyle : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;
    int32_t BuiltinId = 0;
    uint8_t CustomBuiltin = 0;
    uint8_t Hidden = 0;
    int32_t Level = 0;
    std::u16string Name;
    TXc12XF* XF = nullptr;
    bool Equal(const TXLSStyleObject& other) const override;

protected:
    int32_t CalcHash() const override;
};

class TXc12CellStyles : public TXLSStyleObjectList {
public:
    TXc12CellStyles() : TXLSStyleObjectList(256) {}
    TXc12CellStyle* Add();
    TXc12CellStyle* GetItems(int index) const {
        return static_cast<TXc12CellStyle*>(TXLSStyleObjectList::GetItems(index));
    }
    // Names compare with the letters A to Z folded to lower case.
    TXc12CellStyle* FindByName(std::u16string_view name) const;
    TXc12CellStyle* FindOrAddByName(std::u16string_view name);
    void AddDefaults() override;
    void Reset();
};

struct TXc12TableStyleElement {
    uint8_t Type = 255;
    int32_t Size = 1;
    TXc12DXF* DXF = nullptr;
};

class TXc12TableStyle : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;
    std::u16string Name;
    uint8_t Pivot = 1;
    uint8_t Table = 1;
    std::vector<TXc12TableStyleElement> Elements;
    TXc12TableStyleElement& AddElement() { return Elements.emplace_back(); }
    void Clear();
    bool Equal(const TXLSStyleObject& other) const override;

protected:
    int32_t CalcHash() const override;
};

class TXc12TableStyles : public TXLSStyleObjectList {
public:
    TXc12TableStyles() : TXLSStyleObjectList(256) {}
    TXc12TableStyle* Add();
    TXc12TableStyle* GetItems(int index) const {
        return static_cast<TXc12TableStyle*>(TXLSStyleObjectList::GetItems(index));
    }
    void AddDefaults() override {}
    void Reset();
    std::u16string DefaultTableStyle;
    std::u16string DefaultPivotStyle;
};

}  // namespace xls
