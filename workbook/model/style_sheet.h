#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "workbook/model/cell_format.h"
#include "workbook/model/style_items.h"

namespace xls {

class TXc12DataStyleSheet;

// A font reference of a rich-text run; the run holds one use of its font.
struct TXc12FontRun {
    int32_t FirstChar = 0;
    TXc12Font* Font = nullptr;
};

// Turns changes of a cell's, row's or column's format into shared XFs: BeginEdit on the current
// XF, setters on a private copy, EndEdit for the equal XF of the list or a new one. Every 25th
// BeginEdit drops fonts, fills and borders out of use and frees the slots of unused XFs.
class TXc12XFEditor {
public:
    explicit TXc12XFEditor(TXc12DataStyleSheet& styleSheet);

    void BeginEdit(const TXc12XF* xf);
    TXc12XF* EndEdit();

    void SetFillColor(uint32_t rgb);
    void SetHorizAlignment(uint8_t value);
    void SetVertAlignment(uint8_t value);
    void SetBorderLeftColor(uint32_t rgb) { SetBorderColor(xblLeft, rgb); }
    void SetBorderTopColor(uint32_t rgb) { SetBorderColor(xblTop, rgb); }
    void SetBorderRightColor(uint32_t rgb) { SetBorderColor(xblRight, rgb); }
    void SetBorderBottomColor(uint32_t rgb) { SetBorderColor(xblBottom, rgb); }
    void SetBorderLeftStyle(TXc12CellBorderStyle style) { SetBorderStyle(xblLeft, style); }
    void SetBorderTopStyle(TXc12CellBorderStyle style) { SetBorderStyle(xblTop, style); }
    void SetBorderRightStyle(TXc12CellBorderStyle style) { SetBorderStyle(xblRight, style); }
    void SetBorderBottomStyle(TXc12CellBorderStyle style) { SetBorderStyle(xblBottom, style); }
    void SetFontName(std::u16string_view name);
    void SetFontSize(double size);
    void SetFontStyle(TXc12FontStyles style);

    // Use counts: a use of an XF is a use of the XF and of each of its four parts.
    // count (>= 0) more uses of the XF and its parts.
    void AddRefXF(int index, int32_t count = 1);
    void ReleaseXF(int index);
    void UseXF(TXc12XF& xf, int32_t count = 1);
    TXc12XF* UseDefaultXF();
    void UseStyleXF(int index);
    // The stored font equal to font, with one more use; raises "Can not find font".
    TXc12Font* UseFont(TXc12Font& font);
    // One use less; a font then out of use and not built-in leaves the list at once.
    void ReleaseFont(TXc12Font* font);
    // Takes a font that its maker no longer needs out of the list, built-in or not, unless a
    // use or an XF still holds it; a font not in the list is left alone.
    void DropFont(TXc12Font* font);
    void ReleaseFontRuns(const TXc12FontRun* runs, int count);
    void AddRefFontRuns(const TXc12FontRun* runs, int count);
    // Every number format, font, fill and border now in the sheet becomes built-in.
    void SetAllBuiltIn();

    // Runs the compaction now, whatever the counter says.
    void Compact();
    int CompactCounter() const { return CompactCounter_; }

private:
    void SetBorderColor(TXc12BorderLine line, uint32_t rgb);
    void SetBorderStyle(TXc12BorderLine line, TXc12CellBorderStyle style);
    void StepCompaction();
    bool FontInAnyXF(const TXc12Font* font) const;

    TXc12DataStyleSheet& StyleSheet_;
    TXc12XF ScratchXF_;
    TXc12NumberFormat ScratchNumberFormat_;
    TXc12Font ScratchFont_;
    TXc12Fill ScratchFill_;
    TXc12Border ScratchBorder_;
    const TXc12XF* Source_ = nullptr;
    bool ProtectionChanged_ = false;
    bool AlignmentChanged_ = false;
    bool NumberFormatChanged_ = false;
    bool FontChanged_ = false;
    bool FillChanged_ = false;
    bool BorderChanged_ = false;
    int CompactCounter_ = 0;
};

// The document's store of formatting.
class TXc12DataStyleSheet {
public:
    TXc12DataStyleSheet();
    TXc12DataStyleSheet(const TXc12DataStyleSheet&) = delete;
    TXc12DataStyleSheet& operator=(const TXc12DataStyleSheet&) = delete;

    // Every list back to its built-in items.
    void Reset();
    void SetXFDefaults(TXc12XF& xf) const;
    void AfterLoadColors();
    // Compacts and renumbers every list so that each item's Index is its position.
    void PrepareWrite();
    // Pixels per inch: the callback's answer, else the reference screen's.
    void GetDPI(int& x, int& y) const;
    std::function<void(int& x, int& y)> OnPixelsPerInch;

    TXc12XFs& XFs() { return XFs_; }
    TXc12DXFs& DXFs() { return DXFs_; }
    TXc12XFs& StyleXFs() { return StyleXFs_; }
    TXc12NumberFormats& NumFmts() { return NumFmts_; }
    TXc12Fonts& Fonts() { return Fonts_; }
    TXc12Fills& Fills() { return Fills_; }
    TXc12Borders& Borders() { return Borders_; }
    TXc12CellStyles& CellStyles() { return CellStyles_; }
    TXc12TableStyles& TableStyles() { return TableStyles_; }
    TXc12ColorObjs& MRUColors() { return MRUColors_; }
    TXc12IndexColorObjs& IndexColors() { return IndexColors_; }
    TXc12XFEditor& XFEditor() { return *XFEditor_; }

private:
    TXc12XFs XFs_;
    TXc12DXFs DXFs_;
    TXc12XFs StyleXFs_;
    TXc12NumberFormats NumFmts_;
    TXc12Fonts Fonts_;
    TXc12Fills Fills_;
    TXc12Borders Borders_;
    TXc12CellStyles CellStyles_;
    TXc12TableStyles TableStyles_;
    TXc12ColorObjs MRUColors_;
    TXc12IndexColorObjs IndexColors_;
    std::unique_ptr<TXc12XFEditor> XFEditor_;
};

}  // namespace xls
