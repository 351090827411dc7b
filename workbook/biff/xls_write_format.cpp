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

// The 20-byte XF record body of [MS-XLS] from a model XF.
std::vector<uint8_t> PackXF(const TXc12XF& xf, uint16_t font, uint16_t typeWord) {
    const TXc12CellAlignment& align = xf.GetAlignment();
    const int numFmt = xf.GetNumberFormat() ? xf.GetNumberFormat()->Index() : 0;
    const uint8_t wrap = (align.GetOptions() & 0x01) ? 1 : 0;
    const uint8_t shrink = (align.GetOptions() & 0x02) ? 1 : 0;
    const uint8_t horiz = align.GetHorizAlignment() & 0x07;
    const uint8_t vert = align.GetVertAlignment() & 0x07;
    const int rotation = align.GetRotation();

    int styles[5] = {};
    int colors[5] = {AutomaticColor, AutomaticColor, AutomaticColor, AutomaticColor, AutomaticColor};
    uint8_t diagonal = 0;
    if (const TXc12Border* border = xf.GetBorder()) {
        for (int line = 0; line < 5; ++line) {
            const TXc12BorderPr& pr = border->Line(static_cast<TXc12BorderLine>(line));
            styles[line] = pr.Style & 0x0F;
            colors[line] = PaletteIndex(pr.Color, AutomaticColor) & 0x7F;
        }
        diagonal = border->GetOptions() & 0x03;
    }
    int pattern = 0, fg = AutomaticColor, bg = AutomaticBackground;
    if (const TXc12Fill* fill = xf.GetFill()) {
        pattern = fill->GetPatternType() & 0x3F;
        fg = PaletteIndex(fill->GetFgColor(), AutomaticColor) & 0x7F;
        bg = PaletteIndex(fill->GetBgColor(), AutomaticBackground) & 0x7F;
    }

    uint8_t used = 0;
    if (wrap || horiz || vert) used |= 0x10;
    if (styles[xblLeft] || styles[xblTop] || styles[xblRight] || styles[xblBottom] || styles[xblDiagonal]) used |= 0x20;
    // The automatic pair (64 and 64, or 64 with the window background 65) is no fill of its own.
    if (pattern != 0 || fg != AutomaticColor || (bg != AutomaticColor && bg != AutomaticBackground)) used |= 0x40;

    const uint32_t lines = static_cast<uint32_t>(styles[xblLeft]) | static_cast<uint32_t>(styles[xblRight]) << 4 |
                           static_cast<uint32_t>(styles[xblTop]) << 8 | static_cast<uint32_t>(styles[xblBottom]) << 12 |
                           static_cast<uint32_t>(colors[xblLeft]) << 16 |
                           static_cast<uint32_t>(colors[xblRight]) << 23 |
                           // Which diagonals the diagonal style draws: down, up.
                           static_cast<uint32_t>(diagonal & 1) << 30 | static_cast<uint32_t>(diagonal >> 1) << 31;
    const uint32_t more = static_cast<uint32_t>(colors[xblTop]) | static_cast<uint32_t>(colors[xblBottom]) << 7 |
                          static_cast<uint32_t>(colors[xblDiagonal]) << 14 |
                          static_cast<uint32_t>(styles[xblDiagonal]) << 21 | static_cast<uint32_t>(pattern) << 26;
    TRecordBytes data;
    data.Word(font)
        .Word(static_cast<uint16_t>(numFmt))
        .Word(static_cast<uint16_t>((typeWord & ~0x0003) | (xf.GetProtection() & 0x03)))
        .Byte(static_cast<uint8_t>(horiz | wrap << 3 | vert << 4))
        .Byte(static_cast<uint8_t>(rotation))
        .Byte(static_cast<uint8_t>((align.GetIndent() & 0x0F) | shrink << 4))
        .Byte(used)
        .Long(lines)
        .Long(more)
        .Word(static_cast<uint16_t>(fg | bg << 7));
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
            .Byte(0)
            .Byte(static_cast<uint8_t>(name.size()))
            .Wide(name);
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
        data.Word(static_cast<uint16_t>(i)).Word(static_cast<uint16_t>(text.size())).Wide(text);
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
        WriteRecordData(BIFFRECID_XF, PackXF(*xf, FontIndex(xf->GetFont()), xf->BIFFOptions));
    }
    // Cells without a format of their own point at XF 15: a style sheet with fewer formats
    // gets the default format's copies up to it (style formats before it, as the format has them).
    for (; written <= DefaultCellXF; ++written) {
        const uint16_t typeWord = written < DefaultCellXF ? StyleXFWord : 0;
        WriteRecordData(BIFFRECID_XF, PackXF(*defaultXF, FontIndex(defaultXF->GetFont()), typeWord));
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
    bool changed = false;
    for (int i = 8; i < Xc12PaletteSize; ++i) changed = changed || Xc12CurrentPalette[i] != Xc12DefaultPalette[i];
    if (!changed) return;
    TRecordBytes data;
    data.Word(56);
    for (int i = 8; i < 64; ++i) data.Long(Xc12CurrentPalette[i]);
    WriteRecordData(BIFFRECID_PALETTE, data);
}

}  // namespace xls
