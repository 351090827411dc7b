#include "workbook/api/formatted_obj.h"

namespace xls {

// --- TXLSFormattedObj ---

void TXLSFormattedObj::Edit(const std::function<void(TXc12XFEditor&)>& change) {
    TXc12XFEditor& editor = StyleSheet_.XFEditor();
    editor.BeginEdit(XF_);
    change(editor);
    XF_ = editor.EndEdit();
    ApplyXF();
}

void TXLSFormattedObj::AssignXF(TXc12XF* xf) {
    XF_ = xf;
    ApplyXF();
}

void TXLSFormattedObj::SetBorderBottomColor(uint32_t rgb) {
    Edit([&](TXc12XFEditor& e) { e.SetBorderBottomColor(rgb); });
}
void TXLSFormattedObj::SetBorderBottomStyle(TXc12CellBorderStyle style) {
    Edit([&](TXc12XFEditor& e) { e.SetBorderBottomStyle(style); });
}
void TXLSFormattedObj::SetBorderLeftColor(uint32_t rgb) {
    Edit([&](TXc12XFEditor& e) { e.SetBorderLeftColor(rgb); });
}
void TXLSFormattedObj::SetBorderLeftStyle(TXc12CellBorderStyle style) {
    Edit([&](TXc12XFEditor& e) { e.SetBorderLeftStyle(style); });
}
void TXLSFormattedObj::SetBorderRightColor(uint32_t rgb) {
    Edit([&](TXc12XFEditor& e) { e.SetBorderRightColor(rgb); });
}
void TXLSFormattedObj::SetBorderRightStyle(TXc12CellBorderStyle style) {
    Edit([&](TXc12XFEditor& e) { e.SetBorderRightStyle(style); });
}
void TXLSFormattedObj::SetBorderTopColor(uint32_t rgb) {
    Edit([&](TXc12XFEditor& e) { e.SetBorderTopColor(rgb); });
}
void TXLSFormattedObj::SetBorderTopStyle(TXc12CellBorderStyle style) {
    Edit([&](TXc12XFEditor& e) { e.SetBorderTopStyle(style); });
}
void TXLSFormattedObj::SetFillColor(uint32_t rgb) {
    Edit([&](TXc12XFEditor& e) { e.SetFillColor(rgb); });
}
void TXLSFormattedObj::SetFontName(std::u16string_view name) {
    Edit([&](TXc12XFEditor& e) { e.SetFontName(name); });
}
void TXLSFormattedObj::SetFontSize(double size) {
    Edit([&](TXc12XFEditor& e) { e.SetFontSize(size); });
}
void TXLSFormattedObj::SetFontStyle(TXc12FontStyles style) {
    Edit([&](TXc12XFEditor& e) { e.SetFontStyle(style); });
}
void TXLSFormattedObj::SetHorizAlignment(uint8_t value) {
    Edit([&](TXc12XFEditor& e) { e.SetHorizAlignment(value); });
}
void TXLSFormattedObj::SetVertAlignment(uint8_t value) {
    Edit([&](TXc12XFEditor& e) { e.SetVertAlignment(value); });
}

// --- TXLSCell ---

TXLSCell* TXLSCell::Locate(int col, int row) {
    Col_ = col;
    Row_ = row;
    TXLSMMUCell cell;
    Located_ = Cells_.FindCell(col, row, cell);
    if (!Located_) {
        XF_ = nullptr;
        return nullptr;
    }
    XF_ = StyleSheet_.XFs().GetItems(TXLSCellMMU::GetXF(cell));
    return this;
}

TXLSMMUCell TXLSCell::Cell() const {
    TXLSMMUCell cell;
    if (Located_) Cells_.FindCell(Col_, Row_, cell);
    return cell;
}

void TXLSCell::ApplyXF() {
    if (!Located_ || !XF_) return;
    Cells_.SetXF(Col_, Row_, XF_->Index());
}

// --- TXLSFormattedCell ---

TXLSFormattedCell& TXLSFormattedCell::Locate(int col, int row) {
    Col_ = col;
    Row_ = row;
    TXLSMMUCell cell;
    XF_ = StyleSheet_.XFs().GetItems(Cells_.FindCell(col, row, cell) ? TXLSCellMMU::GetXF(cell) : DefaultXF_(col, row));
    return *this;
}

void TXLSFormattedCell::ApplyXF() {
    if (!XF_) return;
    // A new blank takes its use of the format; a stored cell moves its use over.
    if (Cells_.IsEmpty(Col_, Row_))
        Cells_.StoreBlank(Col_, Row_, XF_->Index());
    else
        Cells_.SetXF(Col_, Row_, XF_->Index());
}

// --- TXLSRow ---

void TXLSRow::Locate(int row) {
    Row_ = row;
    Header_ = Cells_.GetRowHeader(row);
    XF_ = StyleSheet_.XFs().GetItems(Header_ ? Header_->XF() : 0);
}

int TXLSRow::GetHeight() const {
    return Header_ && Header_->Height() != XLSRowHeightNotGiven ? Header_->Height() : XLSDefaultRowHeight;
}

void TXLSRow::SetHeight(int height) {
    Header_ = Cells_.GetRowHeader(Row_);
    if (!Header_) {
        if (height == XLSDefaultRowHeight) return;
        Header_ = Cells_.AddRowHeader(Row_, 0);
        Header_->SetOptions(static_cast<uint8_t>(Header_->Options() | 2));
    }
    Header_->SetHeight(static_cast<uint16_t>(height));
}

void TXLSRow::ApplyXF() {
    if (!XF_) return;
    Header_ = Cells_.GetRowHeader(Row_);
    if (!Header_) {
        Header_ = Cells_.AddRowHeader(Row_, XF_->Index());
        return;
    }
    const int old = Header_->XF();
    if (old == XF_->Index()) return;
    TXc12XFEditor& editor = StyleSheet_.XFEditor();
    editor.AddRefXF(XF_->Index());
    editor.ReleaseXF(old);
    Header_->SetXF(static_cast<uint16_t>(XF_->Index()));
}

// --- TXLSColumn ---

namespace {

constexpr double DefaultColChars = XLSDefaultColWidth / 256.0;

void SetRecordWidth(TXc12Column& record, int width) {
    record.width = width / 256.0;
    if (width == XLSDefaultColWidth)
        record.Flags = static_cast<uint8_t>(record.Flags & ~xcfCustomWidth);
    else
        record.Flags = static_cast<uint8_t>(record.Flags | xcfCustomWidth);
}

}  // namespace

TXLSColumn::TXLSColumn(TXLSColumns& owner, TXc12DataStyleSheet& styleSheet)
    : TXLSFormattedObj(styleSheet), Owner_(owner) {}

void TXLSColumn::Locate(int col) {
    Col_ = col;
    const int index = Owner_.FindIndex(col);
    Record_ = index >= 0 ? Owner_.Records().GetItems(index) : nullptr;
    XF_ = Record_ && Record_->style ? Record_->style : StyleSheet_.XFs().GetDefault();
}

int TXLSColumn::GetWidth() const { return Record_ ? static_cast<int>(Record_->width * 256 + 0.5) : XLSDefaultColWidth; }

void TXLSColumn::SplitOff() {
    if (Record_->min == Col_ && Record_->max == Col_) return;
    TXc12Columns& records = Owner_.Records();
    TXc12Column* old = Record_;
    // The copy refers to the old record's XF, so it takes its use on that XF.
    TXc12Column* piece = records.Add(nullptr);
    piece->Assign(*old);
    if (piece->style) StyleSheet_.XFEditor().UseXF(*piece->style);
    if (Col_ == old->min) {
        old->min = Col_ + 1;
    } else if (Col_ == old->max) {
        old->max = Col_ - 1;
    } else {
        TXc12Column* right = records.Add(nullptr);
        right->Assign(*old);
        if (right->style) StyleSheet_.XFEditor().UseXF(*right->style);
        old->max = Col_ - 1;
        right->min = Col_ + 1;
    }
    piece->min = piece->max = Col_;
    Record_ = piece;
}

void TXLSColumn::Changed() {
    if (!Owner_.OnChange) return;
    const int index = Owner_.FindIndex(Col_);
    if (index < 0) return;
    const TXc12Column* record = Owner_.Records().GetItems(index);
    Owner_.OnChange(record->min, record->max);
}

void TXLSColumn::SetWidth(int width) {
    Locate(Col_);
    if (!Record_ && width == XLSDefaultColWidth) return;
    if (Record_ && Record_->min == Col_ && Record_->max == Col_) {
        SetRecordWidth(*Record_, width);
    } else {
        if (!Record_) {
            Record_ = Owner_.Records().Add(StyleSheet_.XFEditor().UseDefaultXF());
            Record_->min = Record_->max = Col_;
            Record_->width = DefaultColChars;
        } else if (width / 256.0 != Record_->width) {
            SplitOff();
        }
        SetRecordWidth(*Record_, width);
        Owner_.Sort();
        Owner_.Merge();
    }
    Changed();
    Locate(Col_);
}

void TXLSColumn::ApplyXF() {
    if (!XF_) return;
    TXc12XFEditor& editor = StyleSheet_.XFEditor();
    const int index = Owner_.FindIndex(Col_);
    Record_ = index >= 0 ? Owner_.Records().GetItems(index) : nullptr;
    if (!Record_ && XF_->Index() == 0) return;
    if (Record_ && Record_->style == XF_) return;
    if (Record_) {
        SplitOff();
        if (Record_->style) editor.ReleaseXF(Record_->style->Index());
        Record_->style = XF_;
    } else {
        Record_ = Owner_.Records().Add(XF_);
        Record_->min = Record_->max = Col_;
        Record_->width = DefaultColChars;
    }
    editor.UseXF(*XF_);
    Owner_.Sort();
    Changed();
}

// --- TXLSColumns ---

TXLSColumns::TXLSColumns(TXc12Columns& records, TXc12DataStyleSheet& styleSheet)
    : Records_(records), StyleSheet_(styleSheet), Column_(*this, styleSheet) {}

int TXLSColumns::FindIndex(int col) const {
    int lo = 0, hi = Records_.Count() - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const TXc12Column* record = Records_.GetItems(mid);
        if (col >= record->min && col <= record->max) return mid;
        if (col < record->max)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return -1;
}

void TXLSColumns::Sort() { Records_.Sort(); }

void TXLSColumns::Merge() {
    int i = 1;
    while (i < Records_.Count()) {
        TXc12Column* previous = Records_.GetItems(i - 1);
        TXc12Column* record = Records_.GetItems(i);
        if (previous->max + 1 == record->min && previous->Equal(*record)) {
            previous->max = record->max;
            // The absorbed record's use of its XF goes with it.
            if (record->style) StyleSheet_.XFEditor().ReleaseXF(record->style->Index());
            Records_.Delete(i);
        } else {
            ++i;
        }
    }
}

void TXLSColumns::Clear() {
    for (int i = 0; i < Records_.Count(); ++i)
        if (const TXc12Column* record = Records_.GetItems(i); record->style)
            StyleSheet_.XFEditor().ReleaseXF(record->style->Index());
    Records_.Clear();
}

}  // namespace xls
