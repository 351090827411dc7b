#include <cmath>
#include <utility>

#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/font_file_order.h"
#include "workbook/biff/xls_write.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int AutomaticColor = Xc12AutomaticIndex;
constexpr int AutomaticBackground = Xc12AutomaticIndex + 1;
// The file's XF of the default cell format, which model XF 0 stands for.
constexpr int DefaultCellXF = 15;
constexpr uint16_t StyleXFWord = 0xFFF4;

int PaletteIndex(const TXc12Color& color, int automatic) {
    if (color.Kind == xc12ckAutomatic || color.Kind == xc12ckUnassigned) return automatic;
    return ColorToPaletteIndex(color);
}

uint8_t UnderlineCode(TXc12Underline underline) {
    switch (underline) {
        case xulSingle: return 0x01;
        case xulDouble: return 0x02;
        case xulSingleAccount: return 0x21;
        case xulDoubleAccount: return 0x22;
        default: return 0x00;
    }
}

// What an XF record says of a model XF, in the terms of the file.
struct TXFFields {
    uint16_t Font = 0, NumFmt = 0, TypeWord = 0;
    uint8_t Horiz = 0, Vert = 0, Wrap = 0, Shrink = 0, Indent = 0, Diagonal = 0, Used = 0;
    int Rotation = 0;
    int Styles[5] = {};
    int Colors[5] = {AutomaticColor, AutomaticColor, AutomaticColor, AutomaticColor, AutomaticColor};
    int Pattern = 0, Fg = AutomaticColor, Bg = AutomaticBackground;
};

TXFFields XFFields(const TXc12XF& xf, uint16_t font, uint16_t typeWord) {
    TXFFields f;
    const TXc12CellAlignment& align = xf.GetAlignment();
    f.Font = font;
    f.NumFmt = static_cast<uint16_t>(xf.GetNumberFormat() ? xf.GetNumberFormat()->Index() : 0);
    f.TypeWord = static_cast<uint16_t>((typeWord & ~0x0003) | (xf.GetProtection() & 0x03));
    f.Wrap = (align.GetOptions() & 0x01) ? 1 : 0;
    f.Shrink = (align.GetOptions() & 0x02) ? 1 : 0;
    f.Horiz = align.GetHorizAlignment() & 0x07;
    f.Vert = align.GetVertAlignment() & 0x07;
    f.Rotation = align.GetRotation();
    f.Indent = align.GetIndent() & 0x0F;
    if (const TXc12Border* border = xf.GetBorder()) {
        for (int line = 0; line < 5; ++line) {
            const TXc12BorderPr& pr = border->Line(static_cast<TXc12BorderLine>(line));
            f.Styles[line] = pr.Style & 0x0F;
            f.Colors[line] = PaletteIndex(pr.Color, AutomaticColor) & 0x7F;
        }
        f.Diagonal = border->GetOptions() & 0x03;
    }
    if (const TXc12Fill* fill = xf.GetFill()) {
        f.Pattern = fill->GetPatternType() & 0x3F;
        f.Fg = PaletteIndex(fill->GetFgColor(), AutomaticColor) & 0x7F;
        f.Bg = PaletteIndex(fill->GetBgColor(), AutomaticBackground) & 0x7F;
    }
    if (f.Wrap || f.Horiz || f.Vert) f.Used |= 0x10;
    if (f.Styles[xblLeft] || f.Styles[xblTop] || f.Styles[xblRight] || f.Styles[xblBottom] || f.Styles[xblDiagonal])
        f.Used |= 0x20;
    // The automatic pair (64 and 64, or 64 with the window background 65) is no fill of its own.
    if (f.Pattern != 0 || f.Fg != AutomaticColor || (f.Bg != AutomaticColor && f.Bg != AutomaticBackground))
        f.Used |= 0x40;
    return f;
}

// The 20-byte XF record body of [MS-XLS].
std::vector<uint8_t> PackXF(const TXFFields& f) {
    const uint32_t lines =
        static_cast<uint32_t>(f.Styles[xblLeft]) | static_cast<uint32_t>(f.Styles[xblRight]) << 4 |
        static_cast<uint32_t>(f.Styles[xblTop]) << 8 | static_cast<uint32_t>(f.Styles[xblBottom]) << 12 |
        static_cast<uint32_t>(f.Colors[xblLeft]) << 16 | static_cast<uint32_t>(f.Colors[xblRight]) << 23 |
        // Which diagonals the diagonal style draws: down, up.
        static_cast<uint32_t>(f.Diagonal & 1) << 30 | static_cast<uint32_t>(f.Diagonal >> 1) << 31;
    const uint32_t more = static_cast<uint32_t>(f.Colors[xblTop]) | static_cast<uint32_t>(f.Colors[xblBottom]) << 7 |
                          static_cast<uint32_t>(f.Colors[xblDiagonal]) << 14 |
                          static_cast<uint32_t>(f.Styles[xblDiagonal]) << 21 | static_cast<uint32_t>(f.Pattern) << 26;
    TRecordBytes data;
    data.Word(f.Font)
        .Word(f.NumFmt)
        .Word(f.TypeWord)
        .Byte(static_cast<uint8_t>(f.Horiz | f.Wrap << 3 | f.Vert << 4))
        .Byte(static_cast<uint8_t>(f.Rotation))
        .Byte(static_cast<uint8_t>(f.Indent | f.Shrink << 4))
        .Byte(f.Used)
        .Long(lines)
        .Long(more)
        .Word(static_cast<uint16_t>(f.Fg | f.Bg << 7));
    return data.Bytes;
}

// A line style of BIFF8 in the eight of BIFF5: the medium dashed kinds become medium, the thin
// dash-dot dashed.
uint32_t LineStyle5(int style) {
    if (style <= 7) return static_cast<uint32_t>(style);
    return style == 9 ? 3 : 2;
}

// The 16-byte XF record body of BIFF5. It has no diagonals, indent or shrink-to-fit; its text
// orientation knows stacked and the two quarter turns only.
std::vector<uint8_t> PackXF5(const TXFFields& f) {
    const uint8_t orientation = f.Rotation == 255 ? 1 : f.Rotation == 90 ? 2 : f.Rotation == 180 ? 3 : 0;
    const uint32_t fill = static_cast<uint32_t>(f.Fg) | static_cast<uint32_t>(f.Bg) << 7 |
                          static_cast<uint32_t>(f.Pattern) << 16 | LineStyle5(f.Styles[xblBottom]) << 22 |
                          static_cast<uint32_t>(f.Colors[xblBottom]) << 25;
    const uint32_t lines = LineStyle5(f.Styles[xblTop]) | LineStyle5(f.Styles[xblLeft]) << 3 |
                           LineStyle5(f.Styles[xblRight]) << 6 | static_cast<uint32_t>(f.Colors[xblTop]) << 9 |
                           static_cast<uint32_t>(f.Colors[xblLeft]) << 16 |
                           static_cast<uint32_t>(f.Colors[xblRight]) << 23;
    TRecordBytes data;
    data.Word(f.Font)
        .Word(f.NumFmt)
        .Word(f.TypeWord)
        .Byte(static_cast<uint8_t>(f.Horiz | f.Wrap << 3 | f.Vert << 4))
        .Byte(static_cast<uint8_t>(orientation | f.Used))
        .Long(fill)
        .Long(lines);
    return data.Bytes;
}

}  // namespace

void TXLSWriteBIFF::WriteFormatting() {
    WriteFonts();
    WriteFormats();
    WriteXFs();
    WriteStyles();
    WritePalette();
}

void TXLSWriteBIFF::PrepareFonts() {
    TFontFileOrder order = FontFileOrder(Manager_.StyleSheet().Fonts());
    if (order.Written.size() > 0x7FFE) throw EBIFFError("Too many fonts");
    FontFileIndex_ = std::move(order.FileIndex);
    FontsWritten_ = std::move(order.Written);
}

uint16_t TXLSWriteBIFF::FontIndex(const TXc12Font* font) const {
    if (!font || font->Index() < 0 || font->Index() >= static_cast<int>(FontFileIndex_.size())) return 0;
    return FontFileIndex_[static_cast<size_t>(font->Index())];
}

void TXLSWriteBIFF::WriteFonts() {
    PrepareFonts();
    for (const TXc12Font* font : FontsWritten_) {
        const std::u16string& name = font->GetName();
        if (name.size() > 255) throw EBIFFError("Font name too long");
        int color = PaletteIndex(font->GetColor(), 0);
        if (color == 0 || color == AutomaticColor) color = 0x7FFF;
        uint16_t options = 0;
        // The old bold flag beside the weight: some readers look at the flag only.
        if (font->GetStyle() & xfsBold) options |= 0x0001;
        if (font->GetStyle() & xfsItalic) options |= 0x0002;
        if (font->GetStyle() & xfsStrikeOut) options |= 0x0008;
        TRecordBytes data;
        data.Word(static_cast<uint16_t>(std::nearbyint(font->GetSize() * 20)))
            .Word(options)
            .Word(static_cast<uint16_t>(color))
            .Word((font->GetStyle() & xfsBold) ? 700 : 400)
            .Word(static_cast<uint16_t>(font->GetSubSuperscript()))
            .Byte(UnderlineCode(font->GetUnderline()))
            .Byte(static_cast<uint8_t>(font->GetFamily()))
            .Byte(static_cast<uint8_t>(font->GetCharset()))
            .Byte(0);
        AppendText(data, name);
        WriteRecordData(BIFFRECID_FONT, data);
    }
}

void TXLSWriteBIFF::WriteFormats() {
    const TXc12NumberFormats& formats = Manager_.StyleSheet().NumFmts();
    for (int i = 0; i < formats.Count(); ++i) {
        const TXc12NumberFormat* format = formats.GetItems(i);
        if (!format || format->GetFormatString().empty()) continue;
        if (i < Xc12BuiltInNumFmtCount && !format->Changed()) continue;
        if (i > 0xFFFF) throw EBIFFError("Too many number formats");
        const std::u16string& text = format->GetFormatString();
        TRecordBytes data;
        data.Word(static_cast<uint16_t>(i));
        // BIFF5 counts its 8-bit characters in a byte.
        AppendText(data, text, !Biff5_);
        WriteRecordData(BIFFRECID_FORMAT, data);
    }
}

void TXLSWriteBIFF::WriteXFs() {
    const TXc12XFs& xfs = Manager_.StyleSheet().XFs();
    const TXc12XF* defaultXF = xfs.GetItems(0);
    if (!defaultXF) throw EBIFFError("The style sheet has no default cell format");
    int written = 0;
    for (int i = 1; i < xfs.Count(); ++i, ++written) {
        const TXc12XF* xf = xfs.GetItems(i);
        if (!xf) xf = defaultXF;
        const TXFFields fields = XFFields(*xf, FontIndex(xf->GetFont()), xf->BIFFOptions);
        WriteRecordData(BIFFRECID_XF, Biff5_ ? PackXF5(fields) : PackXF(fields));
    }
    // Cells without a format of their own point at XF 15: a style sheet with fewer formats
    // gets the default format's copies up to it (style formats before it, as the format has them).
    for (; written <= DefaultCellXF; ++written) {
        const uint16_t typeWord = written < DefaultCellXF ? StyleXFWord : 0;
        const TXFFields fields = XFFields(*defaultXF, FontIndex(defaultXF->GetFont()), typeWord);
        WriteRecordData(BIFFRECID_XF, Biff5_ ? PackXF5(fields) : PackXF(fields));
    }
}

void TXLSWriteBIFF::WriteStyles() {
    if (Document_.DefaultStyles) {
        // Comma, Comma [0], Currency, Currency [0], Normal, Percent.
        static constexpr uint16_t BuiltIn[6][2] = {{0x10, 3}, {0x11, 6}, {0x12, 4}, {0x13, 7}, {0x00, 0}, {0x14, 5}};
        for (const auto& style : BuiltIn) {
            TRecordBytes data;
            data.Word(static_cast<uint16_t>(style[0] | 0x8000)).Byte(static_cast<uint8_t>(style[1])).Byte(0xFF);
            WriteRecordData(BIFFRECID_STYLE, data);
        }
        return;
    }
    const TStyles& styles = Document_.Styles();
    for (int i = 0; i < styles.Count(); ++i) WriteRecordData(BIFFRECID_STYLE, styles.GetItems(i));
}

void TXLSWriteBIFF::WritePalette() {
    // BIFF5 readers take their colours from the file: it always carries its palette.
    bool changed = Biff5_;
    for (int i = 8; i < Xc12PaletteSize; ++i) changed = changed || Xc12CurrentPalette[i] != Xc12DefaultPalette[i];
    if (!changed) return;
    TRecordBytes data;
    data.Word(56);
    for (int i = 8; i < 64; ++i) data.Long(Xc12CurrentPalette[i]);
    WriteRecordData(BIFFRECID_PALETTE, data);
}

}  // namespace xls
