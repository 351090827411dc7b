// Records and record layouts of BIFF2 to BIFF4 worksheet files that later versions replaced:
// the cell attributes of BIFF2, its column widths and column formats, and the shorter forms of
// the array-formula records.
#include <algorithm>

#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_read.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/cell_format.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr uint8_t PtgExp = 0x01;
constexpr uint8_t Biff2ExtendedXFIndex = 0x3F;
constexpr size_t Biff2CellAttributes = 3;
constexpr int Biff2Columns = 256;
// Padding a column has beyond its characters: two pixels each side and the grid line.
constexpr int ColumnPaddingPixels = 5;

}  // namespace

uint16_t DefaultColumnWidth(int characters, int digitPixels) {
    const int digit = std::max(1, digitPixels);
    return static_cast<uint16_t>(std::clamp((characters * digit + ColumnPaddingPixels) * 256 / digit, 0, 65535));
}

TXc12NumberFormat* TXLSReadBIFF::OldNumberFormat(int position) {
    RegisterOldFormats();
    TXc12NumberFormats& formats = Manager_.StyleSheet().NumFmts();
    const int id = FormatBase_ + position;
    return id < formats.Count() ? formats.GetItems(id) : formats.GetDefaultFormat();
}

std::unique_ptr<TXc12XF> TXLSReadBIFF::Biff2Format(int font, int format, uint8_t look, uint8_t protection) {
    TXc12DataStyleSheet& styles = Manager_.StyleSheet();
    auto xf = std::make_unique<TXc12XF>();
    xf->SetFont(XFFont(font));
    xf->SetNumberFormat(OldNumberFormat(format));
    xf->SetProtection(protection);
    xf->GetAlignment().SetHorizAlignment(look & 0x07);
    if (look & 0x78) {
        TXc12Border* border = styles.Borders().Add();
        const std::pair<TXc12BorderLine, int> sides[] = {
            {xblLeft, 0x08}, {xblRight, 0x10}, {xblTop, 0x20}, {xblBottom, 0x40}};
        for (const auto& [line, bit] : sides)
            if (look & bit) border->SetLineStyle(line, cbsThin);
        xf->SetBorder(border);
    } else {
        xf->SetBorder(styles.Borders().GetDefaultBorder());
    }
    if (look & 0x80) {
        // A shaded cell: a sparse black dot pattern on white.
        TXc12Fill* fill = styles.Fills().Add();
        fill->SetPatternType(efpGray125);
        fill->SetFgColor(Xc12ColorFromIndex(8));
        fill->SetBgColor(Xc12ColorFromIndex(9));
        xf->SetFill(fill);
    } else {
        xf->SetFill(styles.Fills().GetDefaultFill());
    }
    return xf;
}

int TXLSReadBIFF::Biff2AttrXF(std::span<const uint8_t> attributes) {
    if (!Biff2XFsRead_) {
        // A file without XF records (the first BIFF2 files): the attributes are the format
        // (protection bits, then number format and font, then alignment, borders and shade).
        const uint32_t key = (attributes[0] & 0xC0u) << 16 | attributes[1] << 8 | attributes[2];
        const auto found = Biff2AttributeXFs_.find(key);
        if (found != Biff2AttributeXFs_.end()) return found->second;
        PadFonts();
        AddXF(Biff2Format(attributes[1] >> 6, attributes[1] & 0x3F, attributes[2], attributes[0] >> 6), false);
        const int xf = Manager_.StyleSheet().XFs().Count() - 1;
        Biff2AttributeXFs_.emplace(key, xf);
        return xf;
    }
    // XF index 63 stands for the one the last IXFE record names.
    const uint8_t index = attributes[0] & Biff2ExtendedXFIndex;
    return ModelXF(index == Biff2ExtendedXFIndex ? Biff2ExtendedXF_ : index);
}

bool TXLSReadBIFF::ExpAnchor(std::span<const uint8_t> tokens, uint16_t& row, uint16_t& col) const {
    // BIFF2 names the anchor's column in one byte, later versions in two.
    const size_t size = Version_ == xvExcel21 ? 4 : 5;
    if (tokens.size() < size || tokens[0] != PtgExp) return false;
    row = base::LoadLE16(tokens.data() + 1);
    col = size == 4 ? tokens[3] : base::LoadLE16(tokens.data() + 3);
    return true;
}

uint16_t TXLSReadBIFF::ArrayRecordId() const { return Version_ == xvExcel21 ? BIFFRECID_ARRAY_BIFF2 : BIFFRECID_ARRAY; }

TXLSReadBIFF::TArrayTokens TXLSReadBIFF::ArrayTokens(const base::TByteReader& array) const {
    // After the range: BIFF2 has a flag byte and a length byte, BIFF3 and BIFF4 a flag word and
    // a length word, BIFF5 and later four more unused bytes before the length.
    if (Version_ == xvExcel21) return {8, array.U8At(7)};
    if (OldBiff()) return {10, array.U16LEAt(8)};
    return {14, array.U16LEAt(12)};
}

void TXLSReadBIFF::ReadColWidth() {
    const base::TByteReader r = Reader();
    const int last = std::min<int>(r.U8At(1), Biff2Columns - 1);
    for (int col = r.U8At(0); col <= last; ++col) Biff2Columns_[static_cast<size_t>(col)].Width = r.U16LEAt(2);
    Biff2ColumnsRead_ = true;
}

void TXLSReadBIFF::ReadColumnDefault() {
    const base::TByteReader r = Reader();
    // The second column is the one after the last the record formats.
    const int first = r.U16LEAt(0);
    const int end = std::min<int>(r.U16LEAt(2), Biff2Columns);
    for (int col = first; col < end; ++col) {
        const size_t at = 4 + Biff2CellAttributes * static_cast<size_t>(col - first);
        Biff2Columns_[static_cast<size_t>(col)].XF = Biff2AttrXF(r.BytesAt(at, Biff2CellAttributes));
    }
    Biff2ColumnsRead_ = true;
}

void TXLSReadBIFF::FlushBiff2Columns() {
    if (!Biff2ColumnsRead_) return;
    Biff2ColumnsRead_ = false;
    TXc12DataStyleSheet& styles = Manager_.StyleSheet();
    TXc12DataWorksheet& sheet = Worksheet();
    // A column that has a format but no width of its own keeps the sheet's default width.
    const uint16_t defaultWidth =
        DefaultColumnWidth(sheet.sheetFormatPr.baseColWidth, styles.Fonts().DefaultCharWidth());
    for (int col = 0; col < Biff2Columns;) {
        const TBiff2Column column = Biff2Columns_[static_cast<size_t>(col)];
        int last = col;
        while (last + 1 < Biff2Columns && Biff2Columns_[static_cast<size_t>(last + 1)].Width == column.Width &&
               Biff2Columns_[static_cast<size_t>(last + 1)].XF == column.XF)
            ++last;
        if (column.Width > 0 || column.XF >= 0) {
            TXc12XF* style = column.XF >= 0 ? styles.XFs().GetItems(column.XF) : styles.XFs().GetDefault();
            if (!style) throw EBIFFError("Invalid XF index in COLUMNDEFAULT");
            styles.XFEditor().UseXF(*style);
            AddColumns(col, last, column.Width > 0 ? column.Width : defaultWidth, style, 0);
        }
        col = last + 1;
    }
    Biff2Columns_.fill({});
}

}  // namespace xls
