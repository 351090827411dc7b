#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <string_view>

#include "base/format.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_read.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_format.h"
#include "workbook/model/color.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int PlaceholderFontIndex = 5;
constexpr int BuiltInXFCount = 22;
constexpr size_t MaxPaletteColors = Xc12PaletteSize - 8;

// The SST record and its CONTINUE records, read one record at a time into the same buffer: a
// string's characters restart with a width byte at a record boundary, its other parts do not.
class TSSTCursor {
public:
    // Reads the next CONTINUE record into the buffer; false when none follows.
    using TNext = std::function<bool(std::vector<uint8_t>&)>;

    TSSTCursor(std::vector<uint8_t>& record, TNext next) : Record_(record), Next_(std::move(next)) {}

    uint8_t Byte() {
        if (Pos_ == Record_.size()) Advance();
        return Record_[Pos_++];
    }
    uint16_t Word() {
        const uint8_t low = Byte();
        return static_cast<uint16_t>(low | Byte() << 8);
    }
    uint32_t Long() {
        const uint16_t low = Word();
        return low | static_cast<uint32_t>(Word()) << 16;
    }
    void Skip(uint64_t count) {
        while (count > 0) {
            if (Pos_ == Record_.size()) Advance();
            const size_t n = static_cast<size_t>(std::min<uint64_t>(count, Record_.size() - Pos_));
            Pos_ += n;
            count -= n;
        }
    }
    // count one-byte characters where they stand, when the record holds them all; nullptr
    // otherwise (Chars then reads them). Valid until the cursor moves on.
    const uint8_t* InPlace(size_t count) {
        if (count == 0 || count > Record_.size() - Pos_) return nullptr;
        const uint8_t* chars = Record_.data() + Pos_;
        Pos_ += count;
        return chars;
    }
    // count characters, the first part in the given width; appended to text as UTF-16.
    bool Chars(size_t count, bool wide, std::u16string& text) {
        bool anyWide = wide;
        while (count > 0) {
            if (Pos_ == Record_.size()) {
                // The characters go on in the next record, which begins with their width.
                Advance();
                wide = (Byte() & 1) != 0;
                anyWide = anyWide || wide;
            }
            const size_t width = wide ? 2 : 1;
            const size_t n = std::min(count, (Record_.size() - Pos_) / width);
            if (n == 0) Missing();
            const uint8_t* p = Record_.data() + Pos_;
            for (size_t i = 0; i < n; ++i)
                text.push_back(wide ? static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8)
                                    : static_cast<char16_t>(p[i]));
            Pos_ += n * width;
            count -= n;
        }
        return anyWide;
    }
    // Passes over the CONTINUE records the strings did not reach.
    void Finish() {
        while (Next_(Record_)) {
        }
    }

private:
    void Advance() {
        // An empty CONTINUE record holds nothing to read: the next one goes on.
        do {
            if (!Next_(Record_)) Missing();
        } while (Record_.empty());
        Pos_ = 0;
    }
    [[noreturn]] static void Missing() { throw EBIFFError("CONTINUE record is missing in SST"); }

    std::vector<uint8_t>& Record_;
    TNext Next_;
    size_t Pos_ = 0;
};

// The number formats a BIFF4 worksheet starts with, by position; a file's FORMAT records replace
// them in order.
constexpr std::u16string_view OldBuiltInFormats[] = {
    u"General",
    u"0",
    u"0.00",
    u"#,##0",
    u"#,##0.00",
    uR"(#,##0\ _$;\-#,##0\ _$)",
    uR"(#,##0\ _$;[Red]\-#,##0\ _$)",
    uR"(#,##0.00\ _$;\-#,##0.00\ _$)",
    uR"(#,##0.00\ _$;[Red]\-#,##0.00\ _$)",
    uR"(#,##0\ "kr";\-#,##0\ "kr")",
    uR"(#,##0\ "kr";[Red]\-#,##0\ "kr")",
    uR"(#,##0.00\ "kr";\-#,##0.00\ "kr")",
    uR"(#,##0.00\ "kr";[Red]\-#,##0.00\ "kr")",
    u"0%",
    u"0.00%",
    u"0.00E+00",
    uR"(#" "?/?)",
    uR"(#" "??/??)",
    u"yyyy/mm/dd",
    u"dd/mmm/yy",
    u"dd/mmm",
    u"mmm/yy",
    uR"(h:mm\ AM/PM)",
    uR"(h:mm:ss\ AM/PM)",
    u"hh:mm",
    u"hh:mm:ss",
    uR"(yyyy/mm/dd\ hh:mm)",
    u"##0.0E+0",
    u"mm:ss",
    u"@",
    uR"(_-* #,##0\ "$"_-;\-* #,##0\ "$"_-;_-* "-"\ "$"_-;_-@_-)",
    uR"(_-* #,##0\ _$_-;\-* #,##0\ _$_-;_-* "-"\ _$_-;_-@_-)",
    uR"(_-* #,##0.00\ "kr"_-;\-* #,##0.00\ "kr"_-;_-* "-"??\ "kr"_-;_-@_-)",
    uR"(_-* #,##0.00\ _$_-;\-* #,##0.00\ _$_-;_-* "-"??\ _$_-;_-@_-)",
};

// A palette index as the file gives it. The system colours above window text (65 the window
// background, then the chart and tooltip colours) stay what they are, so that they are written
// back as read: the indexed colour of the model would make them all window text, and a cell
// filled with the window background would come out black.
TXc12Color FileColor(int index) {
    TXc12Color color = Xc12ColorFromIndex(index);
    if (index > Xc12AutomaticIndex && index <= 0xFF) {
        color.Index = static_cast<uint8_t>(index);
        color.CachedRGB = Xc12PaletteEntry(index);
    }
    return color;
}

// A fill colour: the two system colours of BIFF5 and later stand for the automatic ones,
// window text in front and window behind.
TXc12Color FillColor(int index, int automatic) { return index == automatic ? Xc12ColorAutomatic() : FileColor(index); }

// Rotation of the model from the orientation of BIFF4 and BIFF5: stacked, or turned by 90
// degrees one way or the other.
int RotationOf(int orientation) {
    switch (orientation) {
        case 1: return 255;
        case 2: return 90;
        case 3: return 180;
        default: return 0;
    }
}

TXc12Underline UnderlineOf(uint8_t code) {
    switch (code) {
        case 0x01: return xulSingle;
        case 0x02: return xulDouble;
        case 0x21: return xulSingleAccount;
        case 0x22: return xulDoubleAccount;
        default: return xulNone;
    }
}

}  // namespace

void TXLSReadBIFF::ReadSST() {
    Extra_.resize(Header_.Length);
    if (Stream_.Read(Extra_.data(), Header_.Length) != Header_.Length) throw EBIFFError("Unexpected end of file");
    TSSTCursor cursor(Extra_, [this](std::vector<uint8_t>& record) {
        uint16_t id = 0;
        return Stream_.PeekRecordId() == BIFFRECID_CONTINUE && ReadNextRecord(id, record);
    });
    TXc12DataSST& sst = Manager_.SST();
    TXc12Fonts& fonts = Manager_.StyleSheet().Fonts();
    cursor.Long();
    const uint32_t unique = cursor.Long();
    // The count is the file's word: the strings themselves bound the work, not the count, and
    // the room taken ahead is what the rest of the stream can hold (three bytes at least each).
    const int64_t rest = std::max<int64_t>(0, Stream_.StreamSize() - Stream_.Position()) + Header_.Length;
    sst.Reserve(std::min<uint64_t>(unique, static_cast<uint64_t>(rest) / 3));
    std::u16string text;
    std::vector<TXc12FontRun> runs;
    for (uint32_t n = 0; n < unique; ++n) {
        const uint16_t count = cursor.Word();
        const uint8_t options = cursor.Byte();
        if (options & 0xF2) throw EBIFFError(base::Format("STT: Unhandled string type in Read (%.2X)", {options}));
        const uint16_t runCount = (options & 0x08) ? cursor.Word() : 0;
        const uint32_t extLength = (options & 0x04) ? cursor.Long() : 0;
        // Plain one-byte text inside one record, the common kind, goes to the table from where it stands.
        const uint8_t* inPlace = (options & 0x09) == 0 ? cursor.InPlace(count) : nullptr;
        if (inPlace) {
            sst.AppendAnsiChars(count, inPlace);
            cursor.Skip(extLength);
            continue;
        }
        text.clear();
        const bool wide = cursor.Chars(count, options & 0x01, text);
        runs.clear();
        for (uint16_t i = 0; i < runCount; ++i) {
            const uint16_t first = cursor.Word();
            const uint16_t font = cursor.Word();
            TXc12Font* model = font + 1 < fonts.Count() ? fonts.GetItems(font + 1) : fonts.GetDefaultFont();
            runs.push_back({first, model});
        }
        cursor.Skip(extLength);
        if (!runs.empty()) {
            sst.AppendRichString(text, runs);
        } else if (wide) {
            sst.AppendString(text);
        } else {
            Narrow_.assign(text.begin(), text.end());
            sst.AppendAnsiChars(static_cast<int>(Narrow_.size()), Narrow_.data());
        }
    }
    cursor.Finish();
}

void TXLSReadBIFF::ReadFont() {
    const base::TByteReader r = Reader();
    TXc12Fonts& fonts = Manager_.StyleSheet().Fonts();
    TXc12Font* font = fonts.Add();
    font->SetSize(r.U16LEAt(0) / 20.0);
    const uint16_t options = r.U16LEAt(2);
    uint8_t style = 0;
    if (Version_ >= xvExcel50) {
        if (r.U16LEAt(6) >= 700) style |= xfsBold;
        if (options & 0x0002) style |= xfsItalic;
        if (options & 0x0008) style |= xfsStrikeOut;
        const uint16_t color = r.U16LEAt(4);
        font->SetColor(FileColor(color < 256 ? color : 0));
        font->SetSubSuperscript(static_cast<TXc12SubSuperscript>(r.U16LEAt(8) & 0x03));
        font->SetUnderline(UnderlineOf(r.U8At(10)));
        font->SetFamily(r.U8At(11));
        font->SetCharset(r.U8At(12));
        const uint8_t length = r.U8At(14);
        font->SetName(Biff8() ? BIFFBufToWideStr(r.BytesAt(15, r.Size() - 15), length)
                              : ByteStrToWideStr(r.BytesAt(15, r.Size() - 15), length));
    } else {
        // BIFF2 to BIFF4: bold, italic, underline and strikeout are option bits.
        if (options & 0x0001) style |= xfsBold;
        if (options & 0x0002) style |= xfsItalic;
        if (options & 0x0008) style |= xfsStrikeOut;
        if (options & 0x0004) font->SetUnderline(xulSingle);
        size_t at = 4;
        if (Header_.RecID == BIFFRECID_FONT_BIFF3) {
            font->SetColor(Xc12ColorFromIndex(r.U16LEAt(4)));
            at = 6;
        }
        const uint8_t length = r.U8At(at);
        font->SetName(ByteStrToWideStr(r.BytesAt(at + 1, r.Size() - at - 1), length));
    }
    font->SetStyle(static_cast<TXc12FontStyles>(style));
    font->SetScheme(0);
    // The writer writes the model's default font as the file's font 0 unless font 1 equals it:
    // a workbook read gives it the file's font 0, as the file it came from had.
    if (fonts.Count() == 2) fonts.GetItems(0)->Assign(*font);
    if (fonts.Count() == PlaceholderFontIndex) fonts.AddPlaceholder();
}

void TXLSReadBIFF::PadFonts() {
    if (FontsPadded_) return;
    FontsPadded_ = true;
    TXc12Fonts& fonts = Manager_.StyleSheet().Fonts();
    while (fonts.Count() <= PlaceholderFontIndex) fonts.AddPlaceholder();
}

void TXLSReadBIFF::ReadFormat() {
    const base::TByteReader r = Reader();
    if (OldBiff()) {
        // BIFF2-4 formats have no id: XFs select them by position.
        const size_t at = Header_.RecID == BIFFRECID_FORMAT ? 2 : 0;
        const uint8_t length = r.U8At(at);
        if (OldFormats_.empty()) OldFormats_.assign(std::begin(OldBuiltInFormats), std::end(OldBuiltInFormats));
        const size_t position = OldFormatCount_++;
        if (position >= OldFormats_.size()) OldFormats_.resize(position + 1);
        OldFormats_[position] = ByteStrToWideStr(r.BytesAt(at + 1, length), length);
        if (OldFormatsRegistered_)
            Manager_.StyleSheet().NumFmts().SetFormatById(OldFormats_[position],
                                                          FormatBase_ + static_cast<int>(position));
        return;
    }
    const uint16_t id = r.U16LEAt(0);
    std::u16string text;
    if (Biff8()) {
        text = BIFFBufToWideStr(r.BytesAt(4, r.Size() - 4), r.U16LEAt(2));
    } else {
        const uint8_t length = r.U8At(2);
        text = ByteStrToWideStr(r.BytesAt(3, r.Size() - 3), length);
    }
    Manager_.StyleSheet().NumFmts().SetFormatById(text, id);
}

void TXLSReadBIFF::ReadXF() {
    PadFonts();
    if (Header_.RecID != BIFFRECID_XF) {
        ReadOldXF();
    } else if (Biff8()) {
        ReadBiff8XF();
    } else if (Version_ == xvExcel50) {
        ReadBiff5XF();
    } else {
        TXc12DataStyleSheet& styles = Manager_.StyleSheet();
        auto xf = std::make_unique<TXc12XF>();
        xf->SetFont(styles.Fonts().GetDefaultFont());
        xf->SetNumberFormat(styles.NumFmts().GetDefaultFormat());
        xf->SetFill(styles.Fills().GetDefaultFill());
        xf->SetBorder(styles.Borders().GetDefaultBorder());
        styles.XFs().AddXF(std::move(xf));
    }
}

void TXLSReadBIFF::AddXF(std::unique_ptr<TXc12XF> xf, bool builtIn) {
    TXc12DataStyleSheet& styles = Manager_.StyleSheet();
    TXc12XF* added = xf.get();
    styles.XFs().AddXF(std::move(xf));
    if (builtIn && styles.XFs().Count() <= BuiltInXFCount) added->SetBuiltIn(true);
    styles.XFEditor().UseXF(*added);
}

TXc12Font* TXLSReadBIFF::XFFont(int fileIndex) const {
    const TXc12Fonts& fonts = Manager_.StyleSheet().Fonts();
    return fileIndex + 1 < fonts.Count() ? fonts.GetItems(fileIndex + 1) : fonts.GetDefaultFont();
}

void TXLSReadBIFF::RegisterOldFormats() {
    if (OldFormatsRegistered_) return;
    OldFormatsRegistered_ = true;
    if (OldFormats_.empty()) OldFormats_.assign(std::begin(OldBuiltInFormats), std::end(OldBuiltInFormats));
    for (size_t i = 0; i < OldFormats_.size(); ++i)
        Manager_.StyleSheet().NumFmts().SetFormatById(OldFormats_[i], FormatBase_ + static_cast<int>(i));
}

void TXLSReadBIFF::ReadOldXF() {
    const base::TByteReader r = Reader();
    if (Header_.RecID == BIFFRECID_XF_BIFF2) {
        // Font, an unused byte, the number format with the protection bits, then the byte of
        // alignment, borders and shade.
        Biff2XFsRead_ = true;
        const uint8_t formatByte = r.U8At(2);
        AddXF(Biff2Format(r.U8At(0), formatByte & 0x3F, r.U8At(3), (formatByte >> 6) & 0x03), false);
        return;
    }
    TXc12DataStyleSheet& styles = Manager_.StyleSheet();
    auto xf = std::make_unique<TXc12XF>();
    xf->SetFont(XFFont(r.U8At(0)));
    xf->SetNumberFormat(OldNumberFormat(r.U8At(1)));
    TXc12CellAlignment& alignment = xf->GetAlignment();
    xf->SetProtection(r.U8At(2) & 0x03);
    const uint8_t align = r.U8At(4);
    alignment.SetHorizAlignment(align & 0x07);
    alignment.SetOptions((align & 0x08) ? 1 : 0);
    // BIFF3 keeps the parent style in the upper bits of this byte.
    if (Header_.RecID == BIFFRECID_XF_BIFF4) {
        alignment.SetVertAlignment((align >> 4) & 0x03);
        if ((align >> 6) >= 2) alignment.SetRotation(RotationOf(align >> 6));
    }
    const uint16_t fillWord = r.U16LEAt(6);
    const int pattern = fillWord & 0x3F;
    const int fg = (fillWord >> 6) & 0x1F;
    const int bg = fillWord >> 11;
    if (fg > 23 && fillWord > 0xBFFF) {
        xf->SetFill(styles.Fills().GetDefaultFill());
    } else {
        TXc12Fill* fill = styles.Fills().Add();
        if (fg <= 23) fill->SetFgColor(Xc12ColorFromIndex(fg));
        if (bg <= 23) fill->SetBgColor(Xc12ColorFromIndex(bg));
        if (pattern <= 18) fill->SetPatternType(static_cast<TXc12FillPattern>(pattern));
        xf->SetFill(fill);
    }
    const std::span<const uint8_t> lines = r.BytesAt(8, 4);
    if (lines[0] || lines[1] || lines[2] || lines[3]) {
        TXc12Border* border = styles.Borders().Add();
        const TXc12BorderLine sides[] = {xblTop, xblLeft, xblBottom, xblRight};
        for (size_t i = 0; i < 4; ++i) {
            if (!lines[i]) continue;
            border->SetLineStyle(sides[i], static_cast<TXc12CellBorderStyle>(lines[i] & 0x07));
            border->SetLineColor(sides[i], Xc12ColorFromIndex(lines[i] >> 3));
        }
        xf->SetBorder(border);
    } else {
        xf->SetBorder(styles.Borders().GetDefaultBorder());
    }
    AddXF(std::move(xf), false);
}

void TXLSReadBIFF::ReadBiff5XF() {
    const base::TByteReader r = Reader();
    TXc12DataStyleSheet& styles = Manager_.StyleSheet();
    auto xf = std::make_unique<TXc12XF>();
    const uint16_t typeWord = r.U16LEAt(4);
    xf->BIFFOptions = typeWord;
    xf->SetFont(XFFont(r.U16LEAt(0)));
    const uint16_t formatId = r.U16LEAt(2);
    xf->SetNumberFormat(formatId < styles.NumFmts().Count() ? styles.NumFmts().GetItems(formatId)
                                                            : styles.NumFmts().GetDefaultFormat());
    xf->SetProtection(typeWord & 0x03);
    const uint8_t align = r.U8At(6);
    TXc12CellAlignment& alignment = xf->GetAlignment();
    alignment.SetHorizAlignment(align & 0x07);
    alignment.SetVertAlignment((align >> 4) & 0x07);
    alignment.SetOptions((align & 0x08) ? 1 : 0);
    alignment.SetRotation(RotationOf(r.U8At(7) & 0x03));
    // Fill and bottom line in the first long word, the other lines in the second.
    const uint32_t fillWord = r.U32LEAt(8);
    const uint32_t lineWord = r.U32LEAt(12);
    TXc12Fill* fill = styles.Fills().Add();
    fill->SetFgColor(FillColor(fillWord & 0x7F, Xc12AutomaticIndex));
    fill->SetBgColor(FillColor((fillWord >> 7) & 0x7F, Xc12AutomaticIndex + 1));
    fill->SetPatternType(static_cast<TXc12FillPattern>((fillWord >> 16) & 0x3F));
    xf->SetFill(fill);
    TXc12Border* border = styles.Borders().Add();
    const std::pair<TXc12BorderLine, std::pair<uint32_t, uint32_t>> sides[] = {
        {xblTop, {lineWord & 0x07, (lineWord >> 9) & 0x7F}},
        {xblLeft, {(lineWord >> 3) & 0x07, (lineWord >> 16) & 0x7F}},
        {xblRight, {(lineWord >> 6) & 0x07, (lineWord >> 23) & 0x7F}},
        {xblBottom, {(fillWord >> 22) & 0x07, (fillWord >> 25) & 0x7F}},
    };
    for (const auto& [line, side] : sides) {
        border->SetLineStyle(line, static_cast<TXc12CellBorderStyle>(side.first));
        border->SetLineColor(line, FileColor(static_cast<int>(side.second)));
    }
    xf->SetBorder(border);
    AddXF(std::move(xf), false);
}

void TXLSReadBIFF::ReadBiff8XF() {
    TXc12DataStyleSheet& styles = Manager_.StyleSheet();
    auto xf = std::make_unique<TXc12XF>();
    const base::TByteReader r = Reader();
    const uint16_t fontIndex = r.U16LEAt(0);
    const uint16_t formatId = r.U16LEAt(2);
    const uint16_t typeWord = r.U16LEAt(4);
    const uint16_t align = r.U16LEAt(6);
    const uint16_t indent = r.U16LEAt(8);
    const uint16_t lines = r.U16LEAt(10);
    const uint16_t lineColors = r.U16LEAt(12);
    const uint32_t more = r.U32LEAt(14);
    const uint16_t fillColors = r.U16LEAt(18);

    xf->BIFFOptions = typeWord;
    xf->SetFont(XFFont(fontIndex));
    TXc12NumberFormat* format = formatId < styles.NumFmts().Count() ? styles.NumFmts().GetItems(formatId) : nullptr;
    xf->SetNumberFormat(format ? format : styles.NumFmts().GetDefaultFormat());
    xf->SetProtection(typeWord & 0x03);

    TXc12CellAlignment& alignment = xf->GetAlignment();
    alignment.SetHorizAlignment(align & 0x07);
    alignment.SetVertAlignment((align >> 4) & 0x07);
    alignment.SetRotation(align >> 8);
    alignment.SetIndent(indent & 0x0F);
    alignment.SetOptions(static_cast<uint8_t>(((align & 0x08) ? 1 : 0) | ((indent & 0x10) ? 2 : 0)));

    TXc12Fill* fill = styles.Fills().Add();
    const int fg = fillColors & 0x7F;
    const int bg = (fillColors >> 7) & 0x7F;
    fill->SetFgColor(FillColor(fg, Xc12AutomaticIndex));
    fill->SetBgColor(FillColor(bg, Xc12AutomaticIndex + 1));
    fill->SetPatternType(static_cast<TXc12FillPattern>(more >> 26));
    xf->SetFill(fill);

    TXc12Border* border = styles.Borders().Add();
    const std::pair<TXc12BorderLine, std::pair<int, int>> sides[] = {
        {xblLeft, {lines & 0x0F, lineColors & 0x7F}},
        {xblRight, {(lines >> 4) & 0x0F, (lineColors >> 7) & 0x7F}},
        {xblTop, {(lines >> 8) & 0x0F, static_cast<int>(more & 0x7F)}},
        {xblBottom, {(lines >> 12) & 0x0F, static_cast<int>((more >> 7) & 0x7F)}},
        {xblDiagonal, {static_cast<int>((more >> 21) & 0x0F), static_cast<int>((more >> 14) & 0x7F)}},
    };
    for (const auto& [line, side] : sides) {
        border->SetLineStyle(line, static_cast<TXc12CellBorderStyle>(side.first));
        border->SetLineColor(line, FileColor(side.second));
    }
    border->SetOptions(static_cast<uint8_t>(lineColors >> 14));
    xf->SetBorder(border);

    AddXF(std::move(xf), true);
}

void TXLSReadBIFF::ReadPalette() {
    const base::TByteReader r = Reader();
    const size_t count = std::min<size_t>(r.U16LEAt(0), MaxPaletteColors);
    if (2 + 4 * count > r.Size()) throw EBIFFError("PALETTE record too short");
    TXc12IndexColorObjs& colors = Manager_.StyleSheet().IndexColors();
    for (size_t i = 0; i < count + 8; ++i) {
        TXc12IndexColorObj* entry = colors.Add();
        if (i < 8) continue;
        const uint32_t rgb = r.U32LEAt(2 + 4 * (i - 8));
        entry->SetRGB(rgb);
        Xc12CurrentPalette[i] = rgb;
    }
}

void TXLSReadBIFF::ReadStyle() { Document_.Styles().Add(Data()); }

}  // namespace xls
