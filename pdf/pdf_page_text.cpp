// The text operations of a page: font selection, the text matrix, WinAnsi and Unicode
// runs, fitting to given advances and the underline and strike-out bars.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

#include "base/exception.h"
#include "base/text_encoding.h"
#include "pdf/font_lookup.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_encoding.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_font.h"
#include "pdf/pdf_hex.h"
#include "pdf/pdf_number_format.h"
#include "pdf/pdf_page.h"
#include "pdf/win_ansi.h"

namespace pdf {
namespace {

// prefix + body + suffix, appended piecewise (GCC 12 misreads the operator+ chains at -O2).
std::string Wrap(std::string_view prefix, std::string_view body, std::string_view suffix) {
    std::string text;
    text.reserve(prefix.size() + body.size() + suffix.size());
    text.append(prefix).append(body).append(suffix);
    return text;
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

void AppendNumber(std::string& out, double value, std::string_view op) {
    AppendPDFFloat(out, value);
    out += op;
}

}  // namespace

void TPDFPage::AppendText(std::string_view text) {
    BeginText();
    Content_ += text;
    Content_ += "\r\n";
}

void TPDFPage::BeginText() {
    if (InText_) return;
    Content_ += "BT\r\n";
    InText_ = true;
    TextX_ = TextY_ = 0;
}

void TPDFPage::EndText() {
    if (!InText_) return;
    InText_ = false;
    Content_ += "ET\r\n";
}

void TPDFPage::SetActiveFont(const std::string& name, TFontStyles style, double size, uint8_t charset) {
    if (name != FontName_ || style != FontStyle_ || size != FontSize_) {
        FontName_ = name;
        FontStyle_ = style;
        FontSize_ = size;
        FontChanged_ = true;
        CurrentUnicode_ = false;
    }
    Charset_ = ResolveCharset(charset);
}

void TPDFPage::SetHorizontalScaling(double percent) {
    if (percent == Tz_) return;
    Tz_ = percent;
    std::string line;
    AppendNumber(line, percent, " Tz");
    AppendText(line);
}

void TPDFPage::SetCharacterSpacing(double spacing) { SetRawCharacterSpacing(spacing / Scale_); }

void TPDFPage::SetWordSpacing(double spacing) {
    spacing /= Scale_;
    if (spacing == Tw_) return;
    Tw_ = spacing;
    std::string line;
    AppendNumber(line, spacing, " Tw");
    AppendText(line);
}

void TPDFPage::SetRawCharacterSpacing(double spacing) {
    if (spacing == Tc_) return;
    Tc_ = spacing;
    std::string line;
    AppendNumber(line, spacing, " Tc");
    AppendText(line);
}

void TPDFPage::SetTextMatrix(double x, double y, double angle) {
    BeginText();
    const double a = Radians(angle), c = std::cos(a) * FontSize_, s = std::sin(a) * FontSize_;
    std::string line;
    for (double value : {c, s, -s, c, x, y}) AppendNumber(line, value, " ");
    line += "Tm";
    AppendText(line);
    TextX_ = x;
    TextY_ = y;
    TextAngle_ = angle;
}

TPDFFont& TPDFPage::WinAnsiFont() {
    if (!FontChanged_ && CurrentFont_ && !CurrentUnicode_) return *CurrentFont_;
    return Owner_.Fonts().Lookup(FontName_, FontStyle_, false, Charset_);
}

TPDFFont& TPDFPage::UnicodeFont() {
    if (!FontChanged_ && CurrentFont_ && CurrentUnicode_) return *CurrentFont_;
    return Owner_.Fonts().Lookup(FontName_, FontStyle_, true, Charset_);
}

void TPDFPage::SelectFont(bool unicode) {
    if (!FontChanged_ && CurrentFont_ && CurrentUnicode_ == unicode) return;
    BeginText();
    TextShown_ = true;
    TPDFFont& font = Owner_.Fonts().Lookup(FontName_, FontStyle_, unicode, Charset_);
    if (std::find(Fonts_.begin(), Fonts_.end(), &font) == Fonts_.end()) Fonts_.push_back(&font);
    AppendText(Wrap("/", font.ResourceName, " 1 Tf"));
    font.Used = true;
    CurrentFont_ = &font;
    FontChanged_ = false;
    CurrentUnicode_ = unicode;
    FontDepth_ = GStateDepth_;
}

std::u16string TPDFPage::ToWide(std::string_view text) const {
    const char* const cannotConvert = "Cannot convert text to unicode";
    std::u16string wide;
    try {
        wide = base::CodePageToUtf16(text, CharsetToCodePage(Charset_));
    } catch (const base::EConvertError&) {
        throw TPDFException(cannotConvert);  // no converter for the charset's code page
    }
    if (wide.empty() && !text.empty()) throw TPDFException(cannotConvert);
    return wide;
}

double TPDFPage::MeasuredWidth(double units, int blanks, int characters) const {
    // Tc and Tw are in units of the font size (the font is selected at size 1) and are
    // scaled horizontally like the glyphs; negative spacing narrows the text as drawn.
    return (units / 1000 + blanks * Tw_ + characters * Tc_) * FontSize_ * Tz_ / 100;
}

double TPDFPage::TextRise() {
    if (Baseline_) return 0;
    TPDFFont& font = FontChanged_ || !CurrentFont_ ? WinAnsiFont() : *CurrentFont_;
    return font.GetAscent() * FontSize_ / 1000;
}

void TPDFPage::PlaceText(double x, double y, double angle) {
    const double rise = TextRise();
    if (angle == 0)
        SetTextMatrix(ToPointX(x), ToPointY(y) - rise, 0);
    else
        SetTextMatrix(ToPointX(x) + std::sin(Radians(angle)) * rise, ToPointY(y) - std::cos(Radians(angle)) * rise,
                      angle);
}

namespace {

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) c = char(std::tolower(uint8_t(c)));
    return lowered;
}

// UTF-16 text is searched through the low byte of every code unit.
std::string Lowered(std::u16string_view text) {
    std::string bytes;
    for (char16_t unit : text) bytes.push_back(char(unit & 0xFF));
    return Lowered(bytes);
}

std::function<double(size_t)> AdvanceSums(const double* advances) {
    return [advances](size_t count) {
        double sum = 0;
        for (size_t i = 0; i < count; ++i) sum += advances[i];
        return sum;
    };
}

}  // namespace

void TPDFPage::AddURLLinks(std::string_view lowered, double x, double y, double angle,
                           const std::function<double(size_t)>& widthBefore,
                           const std::function<std::string(size_t, size_t)>& linkText) {
    if (angle != 0 || !Owner_.AutoCreateURL()) return;
    for (const TURLSpan& span : FindURLs(lowered)) {
        const double left = std::trunc(x + widthBefore(span.Start));
        const double right = std::trunc(x + widthBefore(span.Start + span.Length));
        const double bottom = std::trunc(Baseline_ ? y - FontSize_ * Scale_ : y + TextRise() * Scale_);
        CreateURLLink(left, std::trunc(y), right, bottom, linkText(span.Start, span.Length));
    }
}

void TPDFPage::TextOut(std::string_view text, double x, double y, double angle) {
    if (text.empty()) return;
    PlaceText(x, y, angle);
    ShowText(text);
    AddURLLinks(
        Lowered(text), x, y, angle, [&](size_t n) { return TextWidthDevice(text.substr(0, n)); },
        [&](size_t start, size_t length) { return std::string(text.substr(start, length)); });
}

void TPDFPage::WideTextOut(std::u16string_view text, double x, double y, double angle) {
    if (text.empty()) return;
    PlaceText(x, y, angle);
    ShowWideText(text);
    AddURLLinks(
        Lowered(text), x, y, angle, [&](size_t n) { return WideTextWidthDevice(text.substr(0, n)); },
        [&](size_t start, size_t length) { return base::Utf16ToUtf8(text.substr(start, length)); });
}

void TPDFPage::ExtTextOut(std::string_view text, const double* advances, double x, double y, double angle) {
    if (!advances) return TextOut(text, x, y, angle);
    if (text.empty()) return;
    PlaceText(x, y, angle);
    std::vector<double> scaled(text.size());
    for (size_t i = 0; i < text.size(); ++i) scaled[i] = advances[i] / Scale_ / FontSize_;
    ShowTextWithAdvances(text, scaled.data());
    AddURLLinks(Lowered(text), x, y, angle, AdvanceSums(advances),
                [&](size_t start, size_t length) { return std::string(text.substr(start, length)); });
}

void TPDFPage::ExtWideTextOut(std::u16string_view text, const double* advances, double x, double y, double angle) {
    if (!advances) return WideTextOut(text, x, y, angle);
    if (text.empty()) return;
    PlaceText(x, y, angle);
    std::vector<double> scaled(text.size());
    for (size_t i = 0; i < text.size(); ++i) scaled[i] = advances[i] / Scale_ / FontSize_;
    ShowWideTextWithAdvances(text, scaled.data());
    AddURLLinks(Lowered(text), x, y, angle, AdvanceSums(advances),
                [&](size_t start, size_t length) { return base::Utf16ToUtf8(text.substr(start, length)); });
}

void TPDFPage::GlyphTextOut(const uint16_t* glyphs, size_t count, const double* advances, double x, double y,
                            double angle) {
    if (count == 0) return;
    PlaceText(x, y, angle);
    std::vector<double> scaled;
    if (advances) {
        scaled.resize(count);
        for (size_t i = 0; i < count; ++i) scaled[i] = advances[i] / Scale_ / FontSize_;
    }
    ShowGlyphs(glyphs, count, advances ? scaled.data() : nullptr);
}

void TPDFPage::WriteRun(const std::string& run, bool unicode) {
    if (unicode) {
        AppendText(Wrap("<", run, "> Tj"));
    } else {
        CurrentFont_->UseText(run);
        AppendText(Wrap("(", EscapeString(run), ") Tj"));
    }
}

void TPDFPage::ShowText(std::string_view text) {
    if (text.empty()) return;
    TextShown_ = true;
    std::string bytes(text);
    for (char& c : bytes)
        if (uint8_t(c) < 32) c = ' ';
    if (Charset_ != 0) return ShowWideText(ToWide(bytes));
    SelectFont(false);
    if (!CurrentFont_->Standard())
        for (char& c : bytes)
            if (uint8_t(c) == 0xA0) c = ' ';
    WriteRun(bytes, false);
    DrawTextDecoration(TextWidth(bytes));
}

void TPDFPage::ShowWideText(std::u16string_view text) {
    if (text.empty()) return;
    std::u16string chars(text);
    for (char16_t& c : chars)
        if (c == 0xA0) c = 0x20;
    TextShown_ = true;
    bool unicode = !IsWinAnsiChar(chars[0]);
    SelectFont(unicode);
    std::string run;
    double units = 0;
    int blanks = 0, characters = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        const char16_t c = chars[i];
        const bool wantUnicode = !IsWinAnsiChar(c);
        if (wantUnicode != unicode) {
            WriteRun(run, unicode);
            run.clear();
            unicode = wantUnicode;
            SelectFont(unicode);
        }
        int width;
        if (unicode) {
            run += WordToHex(CurrentFont_->Data()->UseChar(c));
            width = CurrentFont_->Data()->GetCharWidth(c);
        } else {
            const uint8_t code = UnicodeToWinAnsi(c);
            run += char(code);
            width = CurrentFont_->CodeWidth(code);
        }
        units += width;
        const bool last = i + 1 == chars.size();
        if (c == ' ' && !last) ++blanks;
        if (!(last && width == 0)) ++characters;
    }
    WriteRun(run, unicode);
    if (FontStyle_ & (fsUnderline | fsStrikeOut)) DrawTextDecoration(MeasuredWidth(units, blanks, characters));
}

double TPDFPage::TextWidth(std::string_view text) {
    if (text.empty() || Tz_ <= 0) return 0;
    if (Charset_ != 0) return WideTextWidth(ToWide(text));
    TPDFFont& font = WinAnsiFont();
    double units = 0;
    int blanks = 0, characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const int width = font.CodeWidth(uint8_t(text[i]));
        units += width;
        const bool last = i + 1 == text.size();
        if (text[i] == ' ' && !last) ++blanks;
        if (!(last && width == 0)) ++characters;
    }
    return MeasuredWidth(units, blanks, characters);
}

double TPDFPage::WideTextWidth(std::u16string_view text) {
    if (text.empty() || Tz_ <= 0) return 0;
    double units = 0;
    int blanks = 0, characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i] == 0xA0 ? u' ' : text[i];
        const int width =
            IsWinAnsiChar(c) ? WinAnsiFont().CodeWidth(UnicodeToWinAnsi(c)) : UnicodeFont().Data()->GetCharWidth(c);
        units += width;
        const bool last = i + 1 == text.size();
        if (c == ' ' && !last) ++blanks;
        if (!(last && width == 0)) ++characters;
    }
    return MeasuredWidth(units, blanks, characters);
}

void TPDFPage::ShowTextWithAdvances(std::string_view text, const double* advances) {
    if (text.empty()) return;
    SetHorizontalScaling(100);
    SetRawCharacterSpacing(0);
    if (Tw_ != 0) {
        Tw_ = 0;
        AppendText("0 Tw");
    }
    if (Charset_ != 0) {
        // The advances belong to the bytes; a multi-byte character takes the sum of its bytes'.
        const std::u16string wide = ToWide(text);
        std::vector<double> perChar;
        size_t byte = 0;
        for (char16_t c : wide) {
            const std::string one = c < 0x80 ? std::string(1, char(c)) : std::string(2, 'x');
            double sum = 0;
            for (size_t k = 0; k < one.size() && byte < text.size(); ++k) sum += advances[byte++];
            perChar.push_back(sum);
        }
        return ShowWideTextWithAdvances(wide, perChar.data());
    }
    SelectFont(false);
    double total = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = uint8_t(text[i]) < 32 || (uint8_t(text[i]) == 0xA0 && !CurrentFont_->Standard()) ? ' ' : text[i];
        CurrentFont_->UseCode(uint8_t(c));
        std::string line = Wrap("(", EscapeString(std::string_view(&c, 1)), ") Tj ");
        AppendNumber(line, advances[i], " 0 Td");
        AppendText(line);
        total += advances[i];
    }
    DrawTextDecoration(total * FontSize_);
}

void TPDFPage::ShowWideTextWithAdvances(std::u16string_view text, const double* advances) {
    if (text.empty()) return;
    SetWordSpacing(0);
    std::u16string chars(text);
    for (char16_t& c : chars)
        if (c == 0xA0) c = 0x20;
    TextShown_ = true;
    double total = 0;
    size_t i = 0;
    while (i < chars.size()) {
        const bool unicode = !IsWinAnsiChar(chars[i]);
        SelectFont(unicode);
        double natural = 0, sum = 0;
        int count = 0;
        bool fitted = true;
        std::string run;
        while (i < chars.size() && !IsWinAnsiChar(chars[i]) == unicode) {
            const char16_t c = chars[i];
            double w;
            if (unicode) {
                run += WordToHex(CurrentFont_->Data()->UseChar(c));
                w = CurrentFont_->Data()->GetCharWidth(c) / 1000.0;
            } else {
                uint8_t code = UnicodeToWinAnsi(c);
                if (code < 32) code = ' ';
                run += char(code);
                CurrentFont_->UseCode(code);
                w = CurrentFont_->CodeWidth(code) / 1000.0;
            }
            if (Tz_ != 100) w = w * Tz_ / 100;
            const double advance = advances[i++];
            total += advance;
            if (std::abs(w - advance) <= 0.1) {
                natural += w;
                sum += advance;
                ++count;
                continue;
            }
            // A character off its natural width ends the run; the spacing fits those before it.
            if (count > 0) SetRawCharacterSpacing((sum - natural) / count);
            sum += advance;
            fitted = false;
            break;
        }
        if (fitted && count > 0) SetRawCharacterSpacing((sum - natural) / count);
        if (unicode)
            AppendText(Wrap("<", run, "> Tj"));
        else
            AppendText(Wrap("(", EscapeString(run), ") Tj"));
        if (i < chars.size()) {
            std::string line;
            AppendNumber(line, sum, " 0 Td");
            AppendText(line);
        }
    }
    DrawTextDecoration(total * FontSize_);
}

void TPDFPage::ShowGlyphs(const uint16_t* glyphs, size_t count, const double* advances) {
    if (count == 0) return;
    SelectFont(true);
    if (CurrentFont_->Standard()) return;
    TTTFData& data = *CurrentFont_->Data();
    std::string run;
    double units = 0, total = 0;
    int blanks = 0;
    for (size_t i = 0; i < count; ++i) {
        TTTFCharEntry& entry = data.FindGlyph(glyphs[i]);
        entry.Used = true;
        run += WordToHex(glyphs[i]);
        units += entry.Width;
        if (entry.Code == ' ') ++blanks;
        if (advances) total += advances[i];
    }
    if (advances) {
        SetWordSpacing(0);
        for (size_t i = 0; i < count; ++i) {
            std::string line = Wrap("<", WordToHex(glyphs[i]), "> Tj ");
            AppendNumber(line, advances[i], " 0 Td");
            AppendText(line);
        }
        DrawTextDecoration(total * FontSize_);
        return;
    }
    AppendText(Wrap("<", run, "> Tj"));
    DrawTextDecoration(MeasuredWidth(units, blanks, int(count)));
}

void TPDFPage::SlantedBar(double x, double y, double length, double thickness, double angle) {
    const double a = Radians(angle), c = std::cos(a), s = std::sin(a);
    auto point = [&](double dx, double dy, std::string_view op) {
        AddLine({x + dx * c - dy * s, y + dx * s + dy * c}, op);
    };
    point(0, 0, "m");
    point(length, 0, "l");
    point(length, thickness, "l");
    point(0, thickness, "l");
    point(0, 0, "l");
}

void TPDFPage::DrawTextDecoration(double width) {
    if (!(FontStyle_ & (fsUnderline | fsStrikeOut))) return;
    const double s = FontSize_, a = Radians(TextAngle_);
    if (FontStyle_ & fsUnderline) {
        if (TextAngle_ == 0)
            AddLine({TextX_, TextY_ - 0.05 * s, width, -0.05 * s}, "re");
        else
            SlantedBar(TextX_ + 3 * std::sin(a), TextY_ - 3 * std::cos(a), width, -0.05 * s, TextAngle_);
    }
    if (FontStyle_ & fsStrikeOut) {
        if (TextAngle_ == 0)
            AddLine({TextX_, TextY_ + s / 4, width, 0.05 * s}, "re");
        else
            SlantedBar(TextX_ - std::sin(a) * s / 4, TextY_ + std::cos(a) * s / 4, width, 0.05 * s, TextAngle_);
    }
    AppendOperator("f");
}

void TPDFPage::ShowTextAt(std::string_view text, double x, double y, double angle) {
    SetTextMatrix(x, y, angle);
    ShowText(text);
}

void TPDFPage::ShowWideTextAt(std::u16string_view text, double x, double y, double angle) {
    SetTextMatrix(x, y, angle);
    ShowWideText(text);
}

void TPDFPage::ShowTextWithAdvancesAt(std::string_view text, const double* advances, double x, double y, double angle) {
    SetTextMatrix(x, y, angle);
    ShowTextWithAdvances(text, advances);
}

void TPDFPage::ShowWideTextWithAdvancesAt(std::u16string_view text, const double* advances, double x, double y,
                                          double angle) {
    SetTextMatrix(x, y, angle);
    ShowWideTextWithAdvances(text, advances);
}

void TPDFPage::ShowGlyphsAt(const uint16_t* glyphs, size_t count, const double* advances, double x, double y,
                            double angle) {
    SetTextMatrix(x, y, angle);
    ShowGlyphs(glyphs, count, advances);
}

}  // namespace pdf
