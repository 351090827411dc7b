#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/color.h"
#include "workbook/model/style_object.h"

namespace xls {

// The shared items of the style sheet: fonts, fills, borders, number formats, colour entries,
// and the alignment record that every XF owns.
//
// Hashes are kept consistent with Equal (equal items always hash alike) so that lookups may
// reject on a differing hash before the deep comparison: font names hash upper-cased, and
// theme colours hash without their tint, which Equal compares with a tolerance.

enum TXc12FontStyle : uint8_t {
    xfsBold = 0x01,
    xfsItalic = 0x02,
    xfsStrikeOut = 0x04,
    xfsOutline = 0x08,
    xfsShadow = 0x10,
    xfsCondense = 0x20,
    xfsExtend = 0x40,
};
// A set of TXc12FontStyle bits.
using TXc12FontStyles = uint8_t;

enum TXc12Underline : uint8_t { xulNone, xulSingle, xulDouble, xulSingleAccount, xulDoubleAccount };
enum TXc12SubSuperscript : uint8_t { xssNone, xssSuperscript, xssSubscript };

enum TXc12FillPattern : uint8_t {
    efpNone,
    efpSolid,
    efpMediumGray,
    efpDarkGray,
    efpLightGray,
    efpDarkHorizontal,
    efpDarkVertical,
    efpDarkDown,
    efpDarkUp,
    efpDarkGrid,
    efpDarkTrellis,
    efpLightHorizontal,
    efpLightVertical,
    efpLightDown,
    efpLightUp,
    efpLightGrid,
    efpLightTrellis,
    efpGray125,
    efpGray0625,
};

enum TXc12CellBorderStyle : uint8_t {
    cbsNone,
    cbsThin,
    cbsMedium,
    cbsDashed,
    cbsDotted,
    cbsThick,
    cbsDouble,
    cbsHair,
    cbsMediumDashed,
    cbsDashDot,
    cbsMediumDashDot,
    cbsDashDotDot,
    cbsMediumDashDotDot,
    cbsSlantedDashDot,
};

// Xc12ColorHash without the tint of theme colours (Equal takes tints within 1e-4 as equal).
uint32_t StyleColorHash(const TXc12Color& color);
// The colour's lines of a debug dump.
void ColorDebugText(const TXc12Color& color, int indent, std::u16string& text);
// Appends one dump line: the indent, the text and a carriage return.
void AddDebugLine(std::u16string& text, int indent, std::u16string_view line);

// --- Alignment (owned by each XF; not a shared item) ---

class TXc12CellAlignment {
public:
    TXc12CellAlignment() = default;
    void Clear();
    void Assign(const TXc12CellAlignment& source);
    bool Equal(const TXc12CellAlignment& other) const;
    // The sum of the seven fields, cached until a setter changes a field.
    int32_t GetHash() const;

    uint8_t GetHorizAlignment() const { return HorizAlignment_; }
    uint8_t GetVertAlignment() const { return VertAlignment_; }
    int32_t GetRotation() const { return Rotation_; }
    uint8_t GetOptions() const { return Options_; }
    int32_t GetIndent() const { return Indent_; }
    int32_t GetRelativeIndent() const { return RelativeIndent_; }
    uint8_t GetReadingOrder() const { return ReadingOrder_; }
    void SetHorizAlignment(uint8_t value) {
        HorizAlignment_ = value;
        HashValid_ = false;
    }
    void SetVertAlignment(uint8_t value) {
        VertAlignment_ = value;
        HashValid_ = false;
    }
    void SetRotation(int32_t value) {
        Rotation_ = value;
        HashValid_ = false;
    }
    void SetOptions(uint8_t value) {
        Options_ = value;
        HashValid_ = false;
    }
    void SetIndent(int32_t value) {
        Indent_ = value;
        HashValid_ = false;
    }
    void SetRelativeIndent(int32_t value) {
        RelativeIndent_ = value;
        HashValid_ = false;
    }
    void SetReadingOrder(uint8_t value) {
        ReadingOrder_ = value;
        HashValid_ = false;
    }

private:
    uint8_t HorizAlignment_ = 0;
    uint8_t VertAlignment_ = 2;
    int32_t Rotation_ = 0;
    uint8_t Options_ = 0;
    int32_t Indent_ = 0;
    int32_t RelativeIndent_ = 0;
    uint8_t ReadingOrder_ = 0;
    mutable int32_t Hash_ = 0;
    mutable bool HashValid_ = false;
};

// --- Fonts ---

// What a font description for the platform's font layer holds. The face name is UTF-8, cut
// on a character boundary to fit FaceNameSize - 1 bytes and zero-terminated.
struct TXc12LogFont {
    static constexpr size_t FaceNameSize = 32;
    int32_t Height = 0;  // Size x 20, rounded (twips), until scaled to pixels
    int32_t Weight = 400;
    uint8_t Italic = 0;
    uint8_t Underline = 0;
    uint8_t StrikeOut = 0;
    uint8_t CharSet = 0;
    std::array<char, FaceNameSize> FaceName{};
};

class TXc12Font : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;

    void Clear();
    void Assign(const TXc12Font& source);
    bool Equal(const TXLSStyleObject& other) const override;
    void DebugText(int indent, std::u16string& text) const override;
    void ToLogFont(TXc12LogFont& logFont, uint32_t& color) const;

    const std::u16string& GetName() const { return Name_; }
    int32_t GetCharset() const { return Charset_; }
    int32_t GetFamily() const { return Family_; }
    TXc12FontStyles GetStyle() const { return Style_; }
    TXc12Underline GetUnderline() const { return Underline_; }
    TXc12SubSuperscript GetSubSuperscript() const { return SubSuperscript_; }
    const TXc12Color& GetColor() const { return Color_; }
    double GetSize() const { return Size_; }
    uint8_t GetScheme() const { return Scheme_; }

    void SetName(std::u16string_view value);
    void SetCharset(int32_t value) {
        Charset_ = value;
        InvalidateHash();
    }
    void SetFamily(int32_t value) {
        Family_ = value;
        InvalidateHash();
    }
    void SetStyle(TXc12FontStyles value) {
        Style_ = value & 0x7F;
        InvalidateHash();
    }
    void SetUnderline(TXc12Underline value) {
        Underline_ = value;
        InvalidateHash();
    }
    void SetSubSuperscript(TXc12SubSuperscript value) {
        SubSuperscript_ = value;
        InvalidateHash();
    }
    void SetColor(const TXc12Color& value) {
        Color_ = value;
        InvalidateHash();
    }
    // Setting font 0 of a font list to a size above 0 measures the list's digit width again.
    void SetSize(double value);
    void SetScheme(uint8_t value) {
        Scheme_ = value;
        InvalidateHash();
    }
    // The indexed colour's cached RGB from the current palette.
    void UpdateIndexedColor();

protected:
    int32_t CalcHash() const override;

private:
    std::u16string Name_;
    std::u16string UpperName_;  // what Equal and the hash compare
    int32_t Charset_ = 0;
    int32_t Family_ = 0;
    TXc12FontStyles Style_ = 0;
    TXc12Underline Underline_ = xulNone;
    TXc12SubSuperscript SubSuperscript_ = xssNone;
    TXc12Color Color_{};
    double Size_ = 0;
    uint8_t Scheme_ = 0;
};

// Measures the widest digit of a font in pixels at the given pixels per inch; nullopt-like
// answer 0 or less means "could not measure" and the fixed fallback is used. The platform's
// font layer is plugged in here; nothing in the model talks to a windowing system.
using TDigitWidthMeasurer = std::function<int(const TXc12Font& font, int pixelsPerInch)>;

// The reference screen's pixels per inch.
constexpr int Xc12ScreenPixelsPerInch = 96;

class TXc12Fonts : public TXLSStyleObjectList {
public:
    TXc12Fonts() : TXLSStyleObjectList(256) {}

    TXc12Font* Add();
    TXc12Font* GetItems(int index) const { return static_cast<TXc12Font*>(TXLSStyleObjectList::GetItems(index)); }
    TXc12Font* GetDefaultFont() const { return GetItems(0); }
    TXc12Font* Find(TXc12Font& font) const;
    void Reset();
    void AddDefaults() override;
    // The font of comment boxes ("Tahoma" 8, black, family 2, bold on request), found or added;
    // it gets the built-in flag either way.
    TXc12Font* AddCommentFont(bool bold);
    // The empty font that a BIFF file's unused font index 4 stands for (model index 5 after the
    // default font). It is built-in so that compaction never removes it: removing it would
    // renumber every later font on the next save.
    TXc12Font* AddPlaceholder();
    void UpdateIndexedColors();

    void SetMeasurer(TDigitWidthMeasurer measurer);
    // Widest digit of font 0 and its height in pixels (negative) at the reference screen.
    void MeasureDefaultCharWidth();
    int DefaultCharWidth() const { return DefaultCharWidth_; }
    int DefaultFontHeight() const { return DefaultFontHeight_; }

private:
    TDigitWidthMeasurer Measurer_;
    int DefaultCharWidth_ = 7;
    int DefaultFontHeight_ = -15;
};

// --- Fills ---

class TXc12GradientStop {
public:
    TXc12Color Color{};
    double Position = 0;
};

class TXc12GradientFill : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;

    void AddStop(const TXc12Color& color, double position) { Stops_.push_back({color, position}); }
    const std::vector<TXc12GradientStop>& Stops() const { return Stops_; }
    std::vector<TXc12GradientStop>& Stops() { return Stops_; }
    bool Equal(const TXLSStyleObject& other) const override;

    uint8_t GradientType = 0;
    double Degree = 0;
    double GetLeft() const { return Left_; }
    double GetRight() const { return Right_; }
    double GetTop() const { return Top_; }
    double GetBottom() const { return Bottom_; }
    bool LeftAssigned() const { return Assigned_ & 1; }
    bool RightAssigned() const { return Assigned_ & 2; }
    bool TopAssigned() const { return Assigned_ & 4; }
    bool BottomAssigned() const { return Assigned_ & 8; }
    void SetLeft(double value) {
        Left_ = value;
        Assigned_ |= 1;
    }
    void SetRight(double value) {
        Right_ = value;
        Assigned_ |= 2;
    }
    void SetTop(double value) {
        Top_ = value;
        Assigned_ |= 4;
    }
    void SetBottom(double value) {
        Bottom_ = value;
        Assigned_ |= 8;
    }

protected:
    // A gradient computes no hash of its own.
    int32_t CalcHash() const override { return 0; }

private:
    std::vector<TXc12GradientStop> Stops_;
    double Left_ = 0, Right_ = 0, Top_ = 0, Bottom_ = 0;
    uint8_t Assigned_ = 0;
};

class TXc12Fill : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;

    void Clear();
    void Assign(const TXc12Fill& source);
    bool Equal(const TXLSStyleObject& other) const override;
    void DebugText(int indent, std::u16string& text) const override;

    bool IsGradientFill() const { return Gradient_ != nullptr; }
    void SetIsGradientFill(bool value);
    TXc12GradientFill* GetGradient() const { return Gradient_.get(); }
    TXc12FillPattern GetPatternType() const { return PatternType_; }
    const TXc12Color& GetFgColor() const { return FgColor_; }
    const TXc12Color& GetBgColor() const { return BgColor_; }
    void SetPatternType(TXc12FillPattern value) {
        PatternType_ = value;
        InvalidateHash();
    }
    void SetFgColor(const TXc12Color& value) {
        FgColor_ = value;
        InvalidateHash();
    }
    void SetBgColor(const TXc12Color& value) {
        BgColor_ = value;
        InvalidateHash();
    }
    void UpdateIndexedColors();

protected:
    int32_t CalcHash() const override;

private:
    std::unique_ptr<TXc12GradientFill> Gradient_;
    TXc12FillPattern PatternType_ = efpNone;
    TXc12Color FgColor_{};
    TXc12Color BgColor_{};
};

class TXc12Fills : public TXLSStyleObjectList {
public:
    TXc12Fills() : TXLSStyleObjectList(256) {}
    TXc12Fill* Add();
    TXc12Fill* GetItems(int index) const { return static_cast<TXc12Fill*>(TXLSStyleObjectList::GetItems(index)); }
    TXc12Fill* GetDefaultFill() const { return GetItems(0); }
    TXc12Fill* Find(TXc12Fill& fill) const;
    void Reset();
    void AddDefaults() override;
    void UpdateIndexedColors();
};

// --- Borders ---

struct TXc12BorderPr {
    TXc12CellBorderStyle Style = cbsNone;
    TXc12Color Color{};
};

enum TXc12BorderLine : uint8_t { xblLeft, xblTop, xblRight, xblBottom, xblDiagonal, xblHorizontal, xblVertical };
constexpr int Xc12BorderLineCount = 7;

class TXc12Border : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;

    void Clear();
    void Assign(const TXc12Border& source);
    bool Equal(const TXLSStyleObject& other) const override;
    void DebugText(int indent, std::u16string& text) const override;

    // Bit 0 diagonal down, bit 1 diagonal up, bit 2 outline.
    uint8_t GetOptions() const { return Options_; }
    void SetOptions(uint8_t value) {
        Options_ = value;
        InvalidateHash();
    }
    const TXc12BorderPr& Line(TXc12BorderLine line) const { return Lines_[line]; }
    void SetLineStyle(TXc12BorderLine line, TXc12CellBorderStyle style) {
        Lines_[line].Style = style;
        InvalidateHash();
    }
    void SetLineColor(TXc12BorderLine line, const TXc12Color& color) {
        Lines_[line].Color = color;
        InvalidateHash();
    }
    // An RGB colour record from 0x00BBGGRR; reading gives Xc12ColorToRGB.
    void SetLineRGB(TXc12BorderLine line, uint32_t rgb);
    uint32_t GetLineRGB(TXc12BorderLine line) const { return Xc12ColorToRGB(Lines_[line].Color); }

protected:
    int32_t CalcHash() const override;

private:
    uint8_t Options_ = 0;
    std::array<TXc12BorderPr, Xc12BorderLineCount> Lines_{};
};

class TXc12Borders : public TXLSStyleObjectList {
public:
    TXc12Borders() : TXLSStyleObjectList(256) {}
    TXc12Border* Add();
    TXc12Border* GetItems(int index) const { return static_cast<TXc12Border*>(TXLSStyleObjectList::GetItems(index)); }
    TXc12Border* GetDefaultBorder() const { return GetItems(0); }
    TXc12Border* Find(TXc12Border& border) const;
    void Reset();
    void AddDefaults() override;
};

// --- Number formats ---

constexpr int Xc12BuiltInNumFmtCount = 50;
extern const std::array<std::u16string_view, Xc12BuiltInNumFmtCount> Xc12BuiltInNumFmts;
// The implied format list of BIFF workbooks that carry no FORMAT records.
constexpr int Xc12ImpliedNumFmtCount = 34;
extern const std::array<std::u16string_view, Xc12ImpliedNumFmtCount> Xc12ImpliedNumFmts;

class TXc12NumberFormat : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;

    // Copies the string, but never into a built-in format.
    void Assign(const TXc12NumberFormat& source);
    bool Equal(const TXLSStyleObject& other) const override;
    void DebugText(int indent, std::u16string& text) const override;
    bool IsCustom() const;

    const std::u16string& GetFormatString() const { return FormatString_; }
    void SetFormatString(std::u16string_view value);
    bool Changed() const { return Changed_; }
    void SetChanged(bool value) { Changed_ = value; }

protected:
    int32_t CalcHash() const override;

private:
    std::u16string FormatString_;
    bool Changed_ = false;
};

class TXc12NumberFormats : public TXLSStyleObjectList {
public:
    TXc12NumberFormats() : TXLSStyleObjectList(256) {}
    TXc12NumberFormat* Add();
    TXc12NumberFormat* AddFormat(std::u16string_view text, bool builtIn);
    TXc12NumberFormat* GetItems(int index) const {
        return static_cast<TXc12NumberFormat*>(TXLSStyleObjectList::GetItems(index));
    }
    TXc12NumberFormat* GetDefaultFormat() const { return GetItems(0); }
    TXc12NumberFormat* Find(TXc12NumberFormat& format) const;
    // Stores a format string read from a file under its id (0 to 65,535); ids above 49 grow
    // the list so that the format's index is its id.
    TXc12NumberFormat* SetFormatById(std::u16string_view text, int id);
    void Reset();
    void AddDefaults() override;
};

// --- Colour entries ---

class TXc12ColorObj : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;
    TXc12Color Color{};
    bool Equal(const TXLSStyleObject& other) const override;

protected:
    int32_t CalcHash() const override { return static_cast<int32_t>(StyleColorHash(Color)); }
};

class TXc12ColorObjs : public TXLSStyleObjectList {
public:
    TXc12ColorObjs() : TXLSStyleObjectList(256) {}
    TXc12ColorObj* AddColor(const TXc12Color& color);
    TXc12ColorObj* GetItems(int index) const {
        return static_cast<TXc12ColorObj*>(TXLSStyleObjectList::GetItems(index));
    }
    void Reset();
    void AddDefaults() override {}
    void UpdateIndexedColors();
};

class TXc12IndexColorObj : public TXLSStyleObject {
public:
    using TXLSStyleObject::TXLSStyleObject;
    uint32_t GetRGB() const { return RGB_; }
    void SetRGB(uint32_t value) {
        RGB_ = value;
        InvalidateHash();
    }
    bool Equal(const TXLSStyleObject& other) const override;

protected:
    int32_t CalcHash() const override { return static_cast<int32_t>(RGB_); }

private:
    uint32_t RGB_ = 0;
};

class TXc12IndexColorObjs : public TXLSStyleObjectList {
public:
    TXc12IndexColorObjs() : TXLSStyleObjectList(256) {}
    TXc12IndexColorObj* Add();
    TXc12IndexColorObj* GetItems(int index) const {
        return static_cast<TXc12IndexColorObj*>(TXLSStyleObjectList::GetItems(index));
    }
    void Reset();
    void AddDefaults() override {}
};

// The first non-empty item of list whose hash equals probe's and which is Equal to it.
TXLSStyleObject* FindByHash(const TXLSStyleObjectList& list, TXLSStyleObject& probe);

}  // namespace xls
