#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "workbook/model/cell_format.h"
#include "workbook/model/style_items.h"

namespace xls {

class TXc12Manager;
class TXc12DataStyleSheet;
class TXLSCmdFormat;

// The workbook's formatting command: pending font, fill, border, number-format, alignment and
// protection settings, each sub-command with its change flags and the command with one flag per
// sub-command. The workbook creates it and resets it whenever its sheets are cleared; nothing
// applies it yet.

// A side or protection state not given yet (0 off, 1 on).
constexpr uint8_t XLSCmdStateUnset = 2;

// A pending colour: it writes a colour record through its accessors and reports each change.
class TXLSCmdFormatColor {
public:
    using TGet = std::function<const TXc12Color&()>;
    using TSet = std::function<void(const TXc12Color&)>;
    TXLSCmdFormatColor(TGet get, TSet set) : Get_(std::move(get)), Set_(std::move(set)) {}
    TXLSCmdFormatColor(const TXLSCmdFormatColor&) = delete;
    TXLSCmdFormatColor& operator=(const TXLSCmdFormatColor&) = delete;

    const TXc12Color& GetColor() const { return Get_(); }
    // Stores the colour, then calls OnChange.
    void SetColor(const TXc12Color& color);
    // Automatic with value 0; not reported.
    void Reset() { Set_(Xc12ColorAutomatic()); }

    std::function<void()> OnChange;

private:
    TGet Get_;
    TSet Set_;
};

// Works on an XF of its own for its alignment.
class TXLSCmdFormatAlignment {
public:
    TXLSCmdFormatAlignment(TXLSCmdFormat& command, TXc12XFs& xfs) : Command_(command), XFs_(xfs) {}
    TXLSCmdFormatAlignment(const TXLSCmdFormatAlignment&) = delete;
    TXLSCmdFormatAlignment& operator=(const TXLSCmdFormatAlignment&) = delete;
    // XF 0's alignment, every flag down.
    void Reset();

    TXc12XF XF;
    std::array<bool, 9> Changed{};

private:
    TXLSCmdFormat& Command_;
    TXc12XFs& XFs_;
};

class TXLSCmdFormatNumber {
public:
    TXLSCmdFormatNumber(TXLSCmdFormat& command, TXc12NumberFormats& formats) : Command_(command), Formats_(formats) {}
    TXLSCmdFormatNumber(const TXLSCmdFormatNumber&) = delete;
    TXLSCmdFormatNumber& operator=(const TXLSCmdFormatNumber&) = delete;
    // Number format 0's string, the values 0, 0, 536870912, 0 and -1, every flag down.
    void Reset();

    TXc12NumberFormat Format;
    std::array<int32_t, 5> Values{};
    std::array<bool, 4> Flags{};

private:
    TXLSCmdFormat& Command_;
    TXc12NumberFormats& Formats_;
};

// The change flags of the font sub-command.
enum TXLSCmdFontFlag : uint8_t { cffName, cffSize, cffStyle, cffUnderline, cffSubSuperscript, cffCharset, cffColor };

class TXLSCmdFormatFont {
public:
    TXLSCmdFormatFont(TXLSCmdFormat& command, TXc12Fonts& fonts);
    TXLSCmdFormatFont(const TXLSCmdFormatFont&) = delete;
    TXLSCmdFormatFont& operator=(const TXLSCmdFormatFont&) = delete;
    // Font 0 with an automatic colour, every flag down.
    void Reset();

    TXc12Font Font;
    // Over the font's colour; a change raises cffColor and the command's font flag.
    TXLSCmdFormatColor Color;
    std::array<bool, 7> Changed{};

private:
    TXLSCmdFormat& Command_;
    TXc12Fonts& Fonts_;
};

// The change flags of the fill sub-command.
enum TXLSCmdFillFlag : uint8_t { cflFgColor, cflBgColor, cflPattern };

class TXLSCmdFormatFill {
public:
    TXLSCmdFormatFill(TXLSCmdFormat& command, TXc12Fills& fills);
    TXLSCmdFormatFill(const TXLSCmdFormatFill&) = delete;
    TXLSCmdFormatFill& operator=(const TXLSCmdFormatFill&) = delete;
    // Fill 0, every flag down.
    void Reset();

    TXc12Fill Fill;
    // A foreground colour without a pattern makes the pattern solid: a colour alone is meant
    // to be seen.
    TXLSCmdFormatColor FgColor;
    TXLSCmdFormatColor BgColor;
    uint8_t Option = 0;
    std::array<bool, 3> Changed{};

private:
    TXLSCmdFormat& Command_;
    TXc12Fills& Fills_;
};

// The lines of the border sub-command: the four sides, the inside lines and both diagonals.
enum TXLSCmdBorderLine : uint8_t {
    cblLeft,
    cblTop,
    cblRight,
    cblBottom,
    cblInsideHoriz,
    cblInsideVert,
    cblDiagDown,
    cblDiagUp
};

class TXLSCmdFormatBorder {
public:
    explicit TXLSCmdFormatBorder(TXLSCmdFormat& command);
    TXLSCmdFormatBorder(const TXLSCmdFormatBorder&) = delete;
    TXLSCmdFormatBorder& operator=(const TXLSCmdFormatBorder&) = delete;
    // Every side not given; colour and style of border 0's left line.
    void Reset();

    // Per line (TXLSCmdBorderLine) its state: 0 off, 1 on, XLSCmdStateUnset.
    TXc12CellBorderStyle Style = cbsNone;
    TXc12Color ColorRec{};
    std::array<TXc12BorderPr, 8> Lines{};
    std::array<uint8_t, 8> Sides{};
    TXLSCmdFormatColor Color;

private:
    TXLSCmdFormat& Command_;
};

class TXLSCmdFormatProtection {
public:
    TXLSCmdFormatProtection(TXLSCmdFormat& command, TXc12XFs& xfs) : Command_(command), XFs_(xfs) {}
    TXLSCmdFormatProtection(const TXLSCmdFormatProtection&) = delete;
    TXLSCmdFormatProtection& operator=(const TXLSCmdFormatProtection&) = delete;
    // Locked and hidden not given.
    void Reset();

    TXc12XF XF;
    uint8_t Locked = XLSCmdStateUnset;
    uint8_t Hidden = XLSCmdStateUnset;

private:
    TXLSCmdFormat& Command_;
    TXc12XFs& XFs_;
};

// Formats by name, owned; the workbook keeps none so far.
class TXLSDefaultFormats {
public:
    int Count() const { return static_cast<int>(Items_.size()); }
    // The format under name, nullptr when there is none.
    TXc12XF* Find(std::u16string_view name) const;
    // Keeps format under name, in place of one kept there before.
    TXc12XF* Add(std::u16string_view name, std::unique_ptr<TXc12XF> format);

private:
    std::unordered_map<std::u16string, std::unique_ptr<TXc12XF>> Items_;
};

class TXLSCmdFormat {
public:
    explicit TXLSCmdFormat(TXc12Manager& manager);
    TXLSCmdFormat(const TXLSCmdFormat&) = delete;
    TXLSCmdFormat& operator=(const TXLSCmdFormat&) = delete;

    // Every sub-command back to the style sheet's defaults, the scratch XF a copy of XF 0, the
    // flag byte 0.
    void Reset();

    TXc12DataStyleSheet& StyleSheet() const { return StyleSheet_; }

    int32_t Value = 0;
    uint8_t Flags = 0;
    // A copy of XF 0's fields and part references after a reset; no list, no parts of its own.
    TXc12XF ScratchXF;
    TXLSCmdFormatAlignment Alignment;
    TXLSCmdFormatNumber Number;
    TXLSCmdFormatFont Font;
    TXLSCmdFormatFill Fill;
    TXLSCmdFormatBorder Border;
    TXLSCmdFormatProtection Protection;
    // An XF whose number format, font, fill and border are its own objects (copies of XF 0's
    // when the command is made), apart from the style sheet's lists.
    const TXc12XF& OwnPartsXF() const { return OwnPartsXF_; }
    bool AlignmentChanged = false;
    bool ProtectionChanged = false;
    bool NumberChanged = false;
    bool FillChanged = false;
    bool FontChanged = false;
    bool BorderChanged = false;
    TXLSDefaultFormats DefaultFormats;

private:
    TXc12DataStyleSheet& StyleSheet_;
    TXc12NumberFormat OwnNumberFormat_;
    TXc12Font OwnFont_;
    TXc12Fill OwnFill_;
    TXc12Border OwnBorder_;
    TXc12XF OwnPartsXF_;
};

}  // namespace xls
