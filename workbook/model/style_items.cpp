#include "workbook/model/style_items.h"

#include <charconv>
#include <cmath>

#include "base/format.h"
#include "base/text_encoding.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string FloatText(double value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    return Widen(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

int32_t RoundToInt(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) return 0;
    return static_cast<int32_t>(rounded);
}

bool Near(double a, double b) { return std::fabs(a - b) < 1e-6; }

}  // namespace

uint32_t StyleColorHash(const TXc12Color& color) {
    if (color.Kind == xc12ckTheme) return 3u + color.Index;
    return Xc12ColorHash(color);
}

void AddDebugLine(std::u16string& text, int indent, std::u16string_view line) {
    text += IndentText(indent);
    text += line;
    text += u'\r';
}

void ColorDebugText(const TXc12Color& color, int indent, std::u16string& text) {
    AddDebugLine(text, indent, u"ARGB: " + Widen(base::Format("%.8X", {color.CachedRGB})));
    AddDebugLine(text, indent, u"Tint: " + Widen(base::Format("%.2f", {color.Tint})));
    std::u16string kind;
    switch (color.Kind) {
        case xc12ckAutomatic: kind = u"Auto"; break;
        case xc12ckIndexed: kind = u"Indexed: " + Widen(std::to_string(color.Index)); break;
        case xc12ckRGB: kind = u"RGB: " + Widen(base::Format("%.8X", {color.ARGB})); break;
        case xc12ckTheme: kind = u"Theme: " + Widen(std::to_string(color.Index)); break;
        default: kind = u"!UNASSIGNED!"; break;
    }
    AddDebugLine(text, indent, u"Color type:");
    AddDebugLine(text, indent + 1, kind);
}

TXLSStyleObject* FindByHash(const TXLSStyleObjectList& list, TXLSStyleObject& probe) {
    const int32_t hash = probe.GetHash();
    for (int i = 0; i < list.Count(); ++i) {
        TXLSStyleObject* item = list.GetItems(i);
        if (item && item->GetHash() == hash && item->Equal(probe)) return item;
    }
    return nullptr;
}

// --- TXc12CellAlignment ---

void TXc12CellAlignment::Clear() { *this = TXc12CellAlignment(); }

void TXc12CellAlignment::Assign(const TXc12CellAlignment& source) { *this = source; }

bool TXc12CellAlignment::Equal(const TXc12CellAlignment& other) const {
    return HorizAlignment_ == other.HorizAlignment_ && VertAlignment_ == other.VertAlignment_ &&
           Rotation_ == other.Rotation_ && Options_ == other.Options_ && Indent_ == other.Indent_ &&
           RelativeIndent_ == other.RelativeIndent_ && ReadingOrder_ == other.ReadingOrder_;
}

int32_t TXc12CellAlignment::GetHash() const {
    if (!HashValid_) {
        const uint32_t sum = uint32_t{HorizAlignment_} + VertAlignment_ + static_cast<uint32_t>(Rotation_) + Options_ +
                             static_cast<uint32_t>(Indent_) + static_cast<uint32_t>(RelativeIndent_) + ReadingOrder_;
        Hash_ = static_cast<int32_t>(sum);
        HashValid_ = true;
    }
    return Hash_;
}

// --- TXc12Font ---

void TXc12Font::Clear() {
    SetName(u"");
    Charset_ = Family_ = 0;
    Style_ = 0;
    Underline_ = xulNone;
    SubSuperscript_ = xssNone;
    Color_ = Xc12ColorAutomatic();
    Size_ = 0;
    Scheme_ = 0;
    InvalidateHash();
}

void TXc12Font::Assign(const TXc12Font& source) {
    if (&source == this) return;
    if (Name_ != source.Name_) {
        Name_ = source.Name_;
        UpperName_ = source.UpperName_;
    }
    Charset_ = source.Charset_;
    Family_ = source.Family_;
    Style_ = source.Style_;
    Underline_ = source.Underline_;
    SubSuperscript_ = source.SubSuperscript_;
    Color_ = source.Color_;
    Scheme_ = source.Scheme_;
    InvalidateHash();
    SetSize(source.Size_);
}

void TXc12Font::SetName(std::u16string_view value) {
    Name_ = value;
    UpperName_ = WideUpperCaseStr(value);
    InvalidateHash();
}

void TXc12Font::SetSize(double value) {
    Size_ = value;
    InvalidateHash();
    if (value > 0 && Index() == 0)
        if (auto* fonts = dynamic_cast<TXc12Fonts*>(Owner()); fonts && fonts->Count() > 0 && fonts->GetItems(0) == this)
            fonts->MeasureDefaultCharWidth();
}

void TXc12Font::UpdateIndexedColor() {
    if (Color_.Kind == xc12ckIndexed) Color_.CachedRGB = Xc12PaletteEntry(Color_.Index);
}

bool TXc12Font::Equal(const TXLSStyleObject& other) const {
    const auto* font = dynamic_cast<const TXc12Font*>(&other);
    return font && UpperName_ == font->UpperName_ && Charset_ == font->Charset_ && Family_ == font->Family_ &&
           Style_ == font->Style_ && Underline_ == font->Underline_ && SubSuperscript_ == font->SubSuperscript_ &&
           Xc12ColorEqual(Color_, font->Color_) && Size_ == font->Size_ && Scheme_ == font->Scheme_;
}

int32_t TXc12Font::CalcHash() const {
    uint32_t hash = 0;
    for (char16_t c : UpperName_) hash += c;
    hash += static_cast<uint32_t>(Charset_) + static_cast<uint32_t>(Family_) + Style_ + Underline_ + SubSuperscript_;
    hash += StyleColorHash(Color_) + static_cast<uint32_t>(RoundToInt(Size_ * 100)) + Scheme_;
    return static_cast<int32_t>(hash);
}

void TXc12Font::DebugText(int indent, std::u16string& text) const {
    AddDebugLine(text, indent, u"Name   : " + Name_);
    AddDebugLine(text, indent, u"Size   : " + FloatText(Size_));
    if (Charset_ != 0) AddDebugLine(text, indent, u"CharSet: " + Widen(std::to_string(Charset_)));
    if (Family_ != 0) AddDebugLine(text, indent, u"Family : " + Widen(std::to_string(Family_)));
    if (Style_ != 0) {
        static constexpr std::u16string_view Names[] = {u"Bold",   u"Italic",   u"StrikeOut", u"Outline",
                                                        u"Shadow", u"Condense", u"Extend"};
        AddDebugLine(text, indent, u"Style  :");
        for (int bit = 0; bit < 7; ++bit)
            if (Style_ & (1 << bit)) AddDebugLine(text, indent + 1, Names[bit]);
    }
    static constexpr std::u16string_view Underlines[] = {u"", u"Single", u"Double", u"SingleAccount", u"DoubleAccount"};
    if (Underline_ != xulNone && Underline_ <= xulDoubleAccount)
        AddDebugLine(text, indent, u"Underline: " + std::u16string(Underlines[Underline_]));
    if (SubSuperscript_ == xssSuperscript) AddDebugLine(text, indent, u"SubSuperscript: Superscript");
    if (SubSuperscript_ == xssSubscript) AddDebugLine(text, indent, u"SubSuperscript: Subscript");
    if (Scheme_ == 1) AddDebugLine(text, indent, u"Scheme : Major");
    if (Scheme_ == 2) AddDebugLine(text, indent, u"Scheme : Minor");
    AddDebugLine(text, indent, u"Color  :");
    ColorDebugText(Color_, indent + 1, text);
}

void TXc12Font::ToLogFont(TXc12LogFont& logFont, uint32_t& color) const {
    logFont = TXc12LogFont();
    logFont.CharSet = static_cast<uint8_t>(Charset_);
    // Cut on a character boundary so that the field never holds half a character and always
    // keeps its terminating zero.
    const std::string name = base::Utf16ToUtf8(Name_);
    size_t length = std::min(name.size(), TXc12LogFont::FaceNameSize - 1);
    while (length > 0 && length < name.size() && (static_cast<uint8_t>(name[length]) & 0xC0) == 0x80) --length;
    std::copy_n(name.begin(), length, logFont.FaceName.begin());
    logFont.Height = RoundToInt(Size_ * 20);
    logFont.Italic = (Style_ & xfsItalic) ? 1 : 0;
    logFont.Underline = Underline_ == xulSingle ? 1 : 0;
    logFont.Weight = (Style_ & xfsBold) ? 700 : 400;
    logFont.StrikeOut = (Style_ & xfsStrikeOut) ? 1 : 0;
    color = Color_.CachedRGB;
}

// --- TXc12Fonts ---

TXc12Font* TXc12Fonts::Add() {
    auto font = std::make_unique<TXc12Font>(this);
    TXc12Font* result = font.get();
    TXLSStyleObjectList::Add(std::move(font));
    return result;
}

TXc12Font* TXc12Fonts::Find(TXc12Font& font) const { return static_cast<TXc12Font*>(FindByHash(*this, font)); }

void TXc12Fonts::Reset() {
    Clear();
    AddDefaults();
}

void TXc12Fonts::AddDefaults() {
    TXc12Font* font = Add();
    font->SetBuiltIn(true);
    font->SetName(u"Calibri");
    font->SetFamily(2);
    font->SetColor(Xc12ColorFromTheme(1, 0));
    font->SetScheme(2);
    font->SetSize(11);
}

TXc12Font* TXc12Fonts::AddCommentFont(bool bold) {
    TXc12Font probe;
    probe.SetName(u"Tahoma");
    probe.SetSize(8);
    probe.SetColor(Xc12ColorFromRGB(0));
    probe.SetFamily(2);
    if (bold) probe.SetStyle(xfsBold);
    TXc12Font* font = Find(probe);
    if (!font) {
        font = Add();
        font->Assign(probe);
    }
    font->SetBuiltIn(true);
    return font;
}

TXc12Font* TXc12Fonts::AddPlaceholder() {
    TXc12Font* font = Add();
    font->SetBuiltIn(true);
    return font;
}

void TXc12Fonts::UpdateIndexedColors() {
    for (int i = 0; i < Count(); ++i)
        if (TXc12Font* font = GetItems(i)) font->UpdateIndexedColor();
}

void TXc12Fonts::SetMeasurer(TDigitWidthMeasurer measurer) {
    Measurer_ = std::move(measurer);
    if (Count() > 0 && GetItems(0)) MeasureDefaultCharWidth();
}

void TXc12Fonts::MeasureDefaultCharWidth() {
    if (Count() == 0 || !GetItems(0)) return;
    const TXc12Font& font = *GetItems(0);
    // The height the platform would ask for: whole points scaled to the screen, negative.
    const int points = RoundToInt(font.GetSize() * 20) / 20;
    DefaultFontHeight_ = -static_cast<int>(std::lround(points * double(Xc12ScreenPixelsPerInch) / 72.0));
    int width = Measurer_ ? Measurer_(font, Xc12ScreenPixelsPerInch) : 0;
    // Without the face's tables: digits of common faces are about half an em wide.
    if (width <= 0) width = std::max(1, RoundToInt(font.GetSize() * Xc12ScreenPixelsPerInch / 72.0 / 2.0));
    DefaultCharWidth_ = width;
}

// --- TXc12GradientFill ---

bool TXc12GradientFill::Equal(const TXLSStyleObject& other) const {
    const auto* gradient = dynamic_cast<const TXc12GradientFill*>(&other);
    if (!gradient || Stops_.size() != gradient->Stops_.size()) return false;
    for (size_t i = 0; i < Stops_.size(); ++i)
        if (!Xc12ColorEqual(Stops_[i].Color, gradient->Stops_[i].Color) ||
            !Near(Stops_[i].Position, gradient->Stops_[i].Position))
            return false;
    return GradientType == gradient->GradientType && Near(Degree, gradient->Degree) && Near(Left_, gradient->Left_) &&
           Near(Right_, gradient->Right_) && Near(Top_, gradient->Top_) && Near(Bottom_, gradient->Bottom_);
}

// --- TXc12Fill ---

void TXc12Fill::Clear() {
    Gradient_.reset();
    PatternType_ = efpNone;
    FgColor_ = Xc12ColorAutomatic();
    BgColor_ = Xc12ColorAutomatic();
    InvalidateHash();
}

void TXc12Fill::SetIsGradientFill(bool value) {
    if (value && !Gradient_) Gradient_ = std::make_unique<TXc12GradientFill>();
    if (!value) Gradient_.reset();
    InvalidateHash();
}

void TXc12Fill::Assign(const TXc12Fill& source) {
    if (&source == this) return;
    if (source.Gradient_) {
        SetIsGradientFill(true);
        const TXc12GradientFill& from = *source.Gradient_;
        Gradient_->Stops() = from.Stops();
        Gradient_->Degree = from.Degree;
        if (from.LeftAssigned()) Gradient_->SetLeft(from.GetLeft());
        if (from.RightAssigned()) Gradient_->SetRight(from.GetRight());
        if (from.TopAssigned()) Gradient_->SetTop(from.GetTop());
        if (from.BottomAssigned()) Gradient_->SetBottom(from.GetBottom());
    } else {
        Gradient_.reset();
        PatternType_ = source.PatternType_;
        FgColor_ = source.FgColor_;
        BgColor_ = source.BgColor_;
    }
    InvalidateHash();
}

bool TXc12Fill::Equal(const TXLSStyleObject& other) const {
    const auto* fill = dynamic_cast<const TXc12Fill*>(&other);
    if (!fill || IsGradientFill() != fill->IsGradientFill()) return false;
    if (IsGradientFill()) return Gradient_->Equal(*fill->Gradient_);
    return PatternType_ == fill->PatternType_ && Xc12ColorEqual(FgColor_, fill->FgColor_) &&
           Xc12ColorEqual(BgColor_, fill->BgColor_);
}

int32_t TXc12Fill::CalcHash() const {
    if (Gradient_) return 0;
    return static_cast<int32_t>(StyleColorHash(FgColor_) + StyleColorHash(BgColor_) + PatternType_);
}

void TXc12Fill::DebugText(int indent, std::u16string& text) const {
    if (Gradient_) {
        AddDebugLine(text, indent, u"[Gradient - not shown]");
        return;
    }
    static constexpr std::u16string_view Names[] = {
        u"None",           u"Solid",           u"MediumGray",    u"DarkGray",  u"LightGray",
        u"DarkHorizontal", u"DarkVertical",    u"DarkDown",      u"DarkUp",    u"DarkGrid",
        u"DarkTrellis",    u"LightHorizontal", u"LightVertical", u"LightDown", u"LightUp",
        u"LightGrid",      u"LightTrellis",    u"Gray125",       u"Gray0625"};
    AddDebugLine(text, indent, u"Pattern:");
    AddDebugLine(text, indent + 1, PatternType_ <= efpGray0625 ? Names[PatternType_] : u"?");
    AddDebugLine(text, indent, u"Foreground color:");
    ColorDebugText(FgColor_, indent + 1, text);
    AddDebugLine(text, indent, u"Background color:");
    ColorDebugText(BgColor_, indent + 1, text);
}

void TXc12Fill::UpdateIndexedColors() {
    if (FgColor_.Kind == xc12ckIndexed) FgColor_.CachedRGB = Xc12PaletteEntry(FgColor_.Index);
    if (BgColor_.Kind == xc12ckIndexed) BgColor_.CachedRGB = Xc12PaletteEntry(BgColor_.Index);
    if (Gradient_)
        for (TXc12GradientStop& stop : Gradient_->Stops())
            if (stop.Color.Kind == xc12ckIndexed) stop.Color.CachedRGB = Xc12PaletteEntry(stop.Color.Index);
}

TXc12Fill* TXc12Fills::Add() {
    auto fill = std::make_unique<TXc12Fill>(this);
    TXc12Fill* result = fill.get();
    TXLSStyleObjectList::Add(std::move(fill));
    return result;
}

TXc12Fill* TXc12Fills::Find(TXc12Fill& fill) const { return static_cast<TXc12Fill*>(FindByHash(*this, fill)); }

void TXc12Fills::Reset() {
    Clear();
    AddDefaults();
}

void TXc12Fills::AddDefaults() {
    Add()->SetBuiltIn(true);
    TXc12Fill* gray = Add();
    gray->SetPatternType(efpGray125);
    gray->SetBuiltIn(true);
}

void TXc12Fills::UpdateIndexedColors() {
    for (int i = 0; i < Count(); ++i)
        if (TXc12Fill* fill = GetItems(i)) fill->UpdateIndexedColors();
}

// --- TXc12Border ---

void TXc12Border::Clear() {
    Options_ = 0;
    Lines_ = {};
    InvalidateHash();
}

void TXc12Border::Assign(const TXc12Border& source) {
    Options_ = source.Options_;
    Lines_ = source.Lines_;
    InvalidateHash();
}

void TXc12Border::SetLineRGB(TXc12BorderLine line, uint32_t rgb) { SetLineColor(line, Xc12ColorFromRGB(rgb)); }

bool TXc12Border::Equal(const TXLSStyleObject& other) const {
    const auto* border = dynamic_cast<const TXc12Border*>(&other);
    if (!border || Options_ != border->Options_) return false;
    for (int i = 0; i < Xc12BorderLineCount; ++i)
        if (Lines_[i].Style != border->Lines_[i].Style || !Xc12ColorEqual(Lines_[i].Color, border->Lines_[i].Color))
            return false;
    return true;
}

int32_t TXc12Border::CalcHash() const {
    auto lineHash = [](const TXc12BorderPr& line) { return StyleColorHash(line.Color) + line.Style; };
    uint32_t hash = lineHash(Lines_[0]) ^ Options_;
    for (int i = 1; i < Xc12BorderLineCount; ++i) hash ^= lineHash(Lines_[i]);
    return static_cast<int32_t>(hash);
}

void TXc12Border::DebugText(int indent, std::u16string& text) const {
    AddDebugLine(text, indent, u"Options: ");
    if (Options_ & 1) AddDebugLine(text, indent + 1, u"DiagonalDown");
    if (Options_ & 2) AddDebugLine(text, indent + 1, u"DiagonalUp");
    if (Options_ & 4) AddDebugLine(text, indent + 1, u"Outline");
    static constexpr std::u16string_view LineNames[] = {u"Left: ",     u"Top: ",        u"Right: ",   u"Bottom: ",
                                                        u"Diagonal: ", u"Horizontal: ", u"Vertical: "};
    static constexpr std::u16string_view StyleNames[] = {u"None",
                                                         u"Thin",
                                                         u"Medium",
                                                         u"Dashed",
                                                         u"Dotted",
                                                         u"Thick",
                                                         u"Double",
                                                         u"Hair",
                                                         u"MediumDashed",
                                                         u"DashDot",
                                                         u"MediumDashDot",
                                                         u"DashDotDot",
                                                         u"MediumDashDotDot",
                                                         u"SlantedDashDot"};
    for (int i = 0; i < Xc12BorderLineCount; ++i) {
        if (Lines_[i].Style == cbsNone) continue;
        AddDebugLine(text, indent, LineNames[i]);
        const auto style = Lines_[i].Style <= cbsSlantedDashDot ? StyleNames[Lines_[i].Style] : u"?";
        AddDebugLine(text, indent + 1, u"Style: " + std::u16string(style));
        AddDebugLine(text, indent + 1, u"Color: ");
        ColorDebugText(Lines_[i].Color, indent + 2, text);
    }
}

TXc12Border* TXc12Borders::Add() {
    auto border = std::make_unique<TXc12Border>(this);
    TXc12Border* result = border.get();
    TXLSStyleObjectList::Add(std::move(border));
    return result;
}

TXc12Border* TXc12Borders::Find(TXc12Border& border) const {
    return static_cast<TXc12Border*>(FindByHash(*this, border));
}

void TXc12Borders::Reset() {
    Clear();
    AddDefaults();
}

void TXc12Borders::AddDefaults() { Add()->SetBuiltIn(true); }

// --- Number formats ---

const std::array<std::u16string_view, Xc12BuiltInNumFmtCount> Xc12BuiltInNumFmts = {u"",
                                                                                    u"0",
                                                                                    u"0.00",
                                                                                    u"#,##0",
                                                                                    u"#,##0.00",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"0%",
                                                                                    u"0.00%",
                                                                                    u"0.00E+00",
                                                                                    u"# ?/?",
                                                                                    u"# ?\?/??",
                                                                                    u"m/d/yy",
                                                                                    u"d-mmm-y",
                                                                                    u"d-mmm",
                                                                                    u"mmmm-yy",
                                                                                    u"h:mm AM/PM",
                                                                                    u"h:mm:ss AM/PM",
                                                                                    u"h:mm",
                                                                                    u"h:mm:SS",
                                                                                    u"m/d/yy h:mm",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"_(#,##0_);(#,##0)",
                                                                                    u"_(#,##0_);[Red](#,##0)",
                                                                                    u"_(#,##0.00_);(#,##0.00)",
                                                                                    u"_(#,##0.00_);[Red](#,##0.00)",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"",
                                                                                    u"mm:ss",
                                                                                    u"[h]:mm:ss",
                                                                                    u"mm:ss.0",
                                                                                    u"# #0.0E+0",
                                                                                    u"@"};

const std::array<std::u16string_view, Xc12ImpliedNumFmtCount> Xc12ImpliedNumFmts = {
    u"General",
    u"0",
    u"0.00",
    u"#,##0",
    u"#,##0.00",
    u"#,##0\\ _$;\\-#,##0\\ _$",
    u"#,##0\\ _$;[Red]\\-#,##0\\ _$",
    u"#,##0.00\\ _$;\\-#,##0.00\\ _$",
    u"#,##0.00\\ _$;[Red]\\-#,##0.00\\ _$",
    u"#,##0\\ \"kr\";\\-#,##0\\ \"kr\"",
    u"#,##0\\ \"kr\";[Red]\\-#,##0\\ \"kr\"",
    u"#,##0.00\\ \"kr\";\\-#,##0.00\\ \"kr\"",
    u"#,##0.00\\ \"kr\";[Red]\\-#,##0.00\\ \"kr\"",
    u"0%",
    u"0.00%",
    u"0.00E+00",
    u"#\" \"?/?",
    u"#\" \"?\?/??",
    u"yyyy/mm/dd",
    u"dd/mmm/yy",
    u"dd/mmm",
    u"mmm/yy",
    u"h:mm\\ AM/PM",
    u"h:mm:ss\\ AM/PM",
    u"hh:mm",
    u"hh:mm:ss",
    u"yyyy/mm/dd\\ hh:mm",
    u"##0.0E+0",
    u"mm:ss",
    u"@",
    u"_-* #,##0\\ \"$\"_-;\\-* #,##0\\ \"$\"_-;_-* \"-\"\\ \"$\"_-;_-@_-",
    u"_-* #,##0\\ _$_-;\\-* #,##0\\ _$_-;_-* \"-\"\\ _$_-;_-@_-",
    u"_-* #,##0.00\\ \"kr\"_-;\\-* #,##0.00\\ \"kr\"_-;_-* \"-\"??\\ \"kr\"_-;_-@_-",
    u"_-* #,##0.00\\ _$_-;\\-* #,##0.00\\ _$_-;_-* \"-\"??\\ _$_-;_-@_-",
};

void TXc12NumberFormat::Assign(const TXc12NumberFormat& source) {
    if (!BuiltIn()) SetFormatString(source.FormatString_);
}

void TXc12NumberFormat::SetFormatString(std::u16string_view value) {
    FormatString_ = value;
    InvalidateHash();
}

bool TXc12NumberFormat::Equal(const TXLSStyleObject& other) const {
    const auto* format = dynamic_cast<const TXc12NumberFormat*>(&other);
    return format && FormatString_ == format->FormatString_;
}

int32_t TXc12NumberFormat::CalcHash() const { return FormatString_.empty() ? -1 : StrCRC32(FormatString_); }

void TXc12NumberFormat::DebugText(int indent, std::u16string& text) const {
    AddDebugLine(text, indent, FormatString_.empty() ? u"@" : FormatString_);
}

bool TXc12NumberFormat::IsCustom() const {
    if (FormatString_.empty()) return false;
    if (Index() >= Xc12BuiltInNumFmtCount || Index() < 0) return true;
    return FormatString_ != Xc12BuiltInNumFmts[static_cast<size_t>(Index())];
}

TXc12NumberFormat* TXc12NumberFormats::Add() {
    auto format = std::make_unique<TXc12NumberFormat>(this);
    TXc12NumberFormat* result = format.get();
    TXLSStyleObjectList::Add(std::move(format));
    return result;
}

TXc12NumberFormat* TXc12NumberFormats::AddFormat(std::u16string_view text, bool builtIn) {
    TXc12NumberFormat* format = Add();
    format->SetFormatString(text);
    format->SetBuiltIn(builtIn);
    return format;
}

TXc12NumberFormat* TXc12NumberFormats::Find(TXc12NumberFormat& format) const {
    return static_cast<TXc12NumberFormat*>(FindByHash(*this, format));
}

TXc12NumberFormat* TXc12NumberFormats::SetFormatById(std::u16string_view text, int id) {
    // Ids are 16-bit in every file format; a larger one would grow the list without bound.
    if (id < 0 || id > 0xFFFF) throw EXLSError("Invalid number format id");
    if (id >= Xc12BuiltInNumFmtCount)
        while (Count() <= id) Add();
    TXc12NumberFormat* format = GetItems(id);
    format->SetFormatString(text);
    if (id < Xc12BuiltInNumFmtCount) format->SetChanged(true);
    return format;
}

void TXc12NumberFormats::Reset() {
    Clear();
    AddDefaults();
}

void TXc12NumberFormats::AddDefaults() {
    for (std::u16string_view text : Xc12BuiltInNumFmts) AddFormat(text, true);
}

// --- Colour entries ---

bool TXc12ColorObj::Equal(const TXLSStyleObject& other) const {
    const auto* color = dynamic_cast<const TXc12ColorObj*>(&other);
    return color && Xc12ColorEqual(Color, color->Color);
}

TXc12ColorObj* TXc12ColorObjs::AddColor(const TXc12Color& color) {
    auto object = std::make_unique<TXc12ColorObj>(this);
    object->Color = color;
    TXc12ColorObj* result = object.get();
    TXLSStyleObjectList::Add(std::move(object));
    return result;
}

void TXc12ColorObjs::Reset() { Clear(); }

void TXc12ColorObjs::UpdateIndexedColors() {
    for (int i = 0; i < Count(); ++i)
        if (TXc12ColorObj* object = GetItems(i); object && object->Color.Kind == xc12ckIndexed)
            object->Color.CachedRGB = Xc12PaletteEntry(object->Color.Index);
}

bool TXc12IndexColorObj::Equal(const TXLSStyleObject& other) const {
    const auto* color = dynamic_cast<const TXc12IndexColorObj*>(&other);
    return color && RGB_ == color->RGB_;
}

TXc12IndexColorObj* TXc12IndexColorObjs::Add() {
    auto object = std::make_unique<TXc12IndexColorObj>(this);
    TXc12IndexColorObj* result = object.get();
    TXLSStyleObjectList::Add(std::move(object));
    return result;
}

void TXc12IndexColorObjs::Reset() { Clear(); }

}  // namespace xls
