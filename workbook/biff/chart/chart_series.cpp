#include "workbook/biff/chart/chart_series.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "workbook/biff/chart/chart_host.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/excel_version.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

// BRAI fields.
constexpr int BraiId = 0, BraiRt = 1, BraiCce = 6, BraiTokens = 8;
constexpr uint8_t RtLiteral = 1, RtReference = 2;
constexpr uint8_t PtgArea3dValue = 0x5B, PtgArea3dReference = 0x3B;
// Series fields.
constexpr int SeriesCValY = 6;
constexpr uint16_t AllPoints = 0xFFFF;
// The cch of a SeriesText is one byte.
constexpr size_t MaxLiteralName = 255;

constexpr uint16_t GeomteryValues[] = {0x0000, 0x0001, 0x0100, 0x0200, 0x0101, 0x0201};

[[noreturn]] void NoData() { throw EXLSError("Property has no data"); }

}  // namespace

void TDataPoint::Bind(TChartRecord* record) {
    if (record && record->Count() == 0) throw EXLSError("DATAFORMAT has no child records");
    TRecordObject::Bind(record);
    LineFormat_.Bind(record ? LastChild(*record, CHARTRECID_LINEFORMAT) : nullptr);
    AreaFormat_.Bind(record ? LastChild(*record, CHARTRECID_AREAFORMAT) : nullptr);
    MarkerFormat_.Bind(record ? LastChild(*record, CHARTRECID_MARKERFORMAT) : nullptr);
    PieFormat_ = record ? LastChild(*record, CHARTRECID_PIEFORMAT) : nullptr;
    AttachedLabel_ = record ? LastChild(*record, CHARTRECID_ATTACHEDLABEL) : nullptr;
}

TDataPoint& TDataPoints::Add() {
    Items_.push_back(std::make_unique<TDataPoint>());
    return *Items_.back();
}

TDataPoint& TDataPoints::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return *Items_[index];
}

void TXLSChartSerie::Bind(TChartRecord& seriesRecord) {
    Series_ = &seriesRecord;
    ValuesLink_ = Values2Link_ = CategoryLink_ = NameLink_ = -1;
    BarShape_ = nullptr;
    DefDataFormat_ = nullptr;
    DefDataPoint_.Bind(nullptr);
    DataPoints_.Clear();
    for (int i = 0; i < seriesRecord.Count(); ++i) {
        TChartRecord& child = seriesRecord.Items(i);
        if (child.RecId() == CHARTRECID_DATAFORMAT) {
            if (child.Word(0) == AllPoints) {
                DefDataFormat_ = &child;
                DefDataPoint_.Bind(&child);
                if (child.Items(0).RecId() == CHARTRECID_CHART3DBARSHAPE) BarShape_ = &child.Items(0);
            } else {
                DataPoints_.Add().Bind(&child);
            }
        } else if (child.RecId() == CHARTRECID_BRAI) {
            switch (child.Byte(BraiId)) {
                case 0: NameLink_ = i; break;
                case 1: ValuesLink_ = i; break;
                case 2: CategoryLink_ = i; break;
                case 3: Values2Link_ = i; break;
                default: break;
            }
        }
    }
}

TChartRecord& TXLSChartSerie::Link(int index) const {
    if (!Series_ || index < 0) NoData();
    return Series_->Items(index);
}

std::u16string TXLSChartSerie::LinkText(int index) const {
    const TChartRecord& link = Link(index);
    const int cce = link.Word(BraiCce);
    if (cce == 0) return {};
    if (link.Length() < BraiTokens + cce) throw EXLSError("BRAI record is too short");
    return Workbook_.DecodeFormula(link.Data().subspan(BraiTokens, cce));
}

void TXLSChartSerie::StoreLink(int index, std::u16string_view text) {
    TChartRecord& link = Link(index);
    // Tokens that would not fit one BIFF8 record with the BRAI's fields are refused by the
    // encoder ("Formula buffer overflow."), leaving the link as it was.
    std::vector<uint8_t> tokens(MAXRECSZ_97 - BraiTokens);
    const int n = Workbook_.EncodeFormula(text, tokens.data(), static_cast<int>(tokens.size()));
    if (n > 0 && tokens[0] == PtgArea3dValue) tokens[0] = PtgArea3dReference;
    std::vector<uint8_t> data(link.Data().begin(), link.Data().begin() + std::min(link.Length(), BraiTokens));
    data.resize(BraiTokens);
    data.insert(data.end(), tokens.begin(), tokens.begin() + n);
    base::StoreLE16(data.data() + BraiCce, static_cast<uint16_t>(n));
    data[BraiRt] = n > 0 ? RtReference : RtLiteral;
    link.SetData(data);
}

std::u16string TXLSChartSerie::Values() const { return LinkText(ValuesLink_); }

void TXLSChartSerie::SetValues(std::u16string_view value) {
    StoreLink(ValuesLink_, value);
    UpdateValueCount();
}

std::u16string TXLSChartSerie::Values2() const { return LinkText(Values2Link_); }
void TXLSChartSerie::SetValues2(std::u16string_view value) { StoreLink(Values2Link_, value); }
std::u16string TXLSChartSerie::Category() const { return LinkText(CategoryLink_); }
void TXLSChartSerie::SetCategory(std::u16string_view value) { StoreLink(CategoryLink_, value); }

void TXLSChartSerie::UpdateValueCount() {
    int col1, row1, col2, row2;
    if (!AreaStrToColRow(Values(), col1, row1, col2, row2)) return;
    // A range that ends above its first row (a report without data rows) has no values; a count
    // beyond the 16-bit field is held at its top instead of wrapping round to a small one.
    const long long cells = std::max(0LL, row2 - row1 + 1LL) * std::max(0LL, col2 - col1 + 1LL);
    Series_->SetWord(SeriesCValY, static_cast<uint16_t>(std::min<long long>(cells, 0xFFFF)));
}

std::u16string TXLSChartSerie::SerieName() const {
    const TChartRecord& link = Link(NameLink_);
    if (link.Byte(BraiRt) != RtLiteral) return LinkText(NameLink_);
    if (NameLink_ + 1 >= Series_->Count()) return {};
    const TChartRecord& text = Series_->Items(NameLink_ + 1);
    if (text.RecId() != CHARTRECID_SERIESTEXT) return {};
    base::TByteReader reader(text.Data(), [] { throw EXLSError("SeriesText record is too short"); });
    reader.Skip(2);
    const int cch = reader.U8();
    if (cch == 0) return {};
    const bool wide = reader.U8() & 1;
    std::u16string name;
    for (int i = 0; i < cch; ++i) name.push_back(wide ? reader.U16LE() : reader.U8());
    return u"\"" + name + u"\"";
}

void TXLSChartSerie::SetSerieName(std::u16string_view value) {
    if (!value.empty() && value.front() == u'"') {
        Link(NameLink_);
        std::u16string_view text = value.substr(1);
        if (!text.empty() && text.back() == u'"') text.remove_suffix(1);
        StoreLiteralName(text);
        return;
    }
    StoreLink(NameLink_, value);
}

void TXLSChartSerie::StoreLiteralName(std::u16string_view text) {
    if (NameLink_ + 1 >= Series_->Count()) return;
    if (text.size() > MaxLiteralName) throw EXLSError("A series name can not be longer than 255 characters");
    TChartRecord* seriesText = &Series_->Items(NameLink_ + 1);
    if (seriesText->RecId() != CHARTRECID_SERIESTEXT) {
        const int at = NameLink_ + 1;
        seriesText = &Series_->InsertRecord(at, CHARTRECID_SERIESTEXT, false, 3);
        for (int* link : {&ValuesLink_, &Values2Link_, &CategoryLink_})
            if (*link >= at) ++*link;
    }
    std::vector<uint8_t> data = {0, 0, static_cast<uint8_t>(text.size()), 1};
    for (char16_t c : text) base::AppendLE16(data, c);
    seriesText->SetData(data);
    Series_->Items(NameLink_).SetByte(BraiRt, RtLiteral);
}

TSerieItemGeomtery TXLSChartSerie::Geomtery() const {
    if (!BarShape_ || BarShape_->Length() < 2) return sigDefault;
    const uint16_t stored = BarShape_->Word(0);
    for (int i = 0; i < sigLast; ++i)
        if (GeomteryValues[i] == stored) return static_cast<TSerieItemGeomtery>(i);
    return sigDefault;
}

void TXLSChartSerie::SetGeomtery(TSerieItemGeomtery value) {
    const int index = value & 0x7F;
    if (!BarShape_ || index >= sigLast) return;
    BarShape_->SetWord(0, GeomteryValues[index]);
}

bool TXLSChartSerie::HasDefDataPoint() const { return DefDataFormat_ && DefDataFormat_->Count() > 2; }

void TXLSChartSerie::SetHasDefDataPoint(bool value) {
    // Only switching on is defined: it adds the format records. Switching off keeps them, since
    // removing formats a file carries would lose them.
    if (!value || value == HasDefDataPoint() || !DefDataFormat_) return;
    DefDataFormat_->AddDefaultRecords(3);
    DefDataPoint_.Bind(DefDataFormat_);
}

TXLSChartSerie& TXLSChartSeries::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return *Items_[index];
}

TXLSChartSerie& TXLSChartSeries::AddItem() {
    Items_.push_back(std::make_unique<TXLSChartSerie>(Workbook_));
    return *Items_.back();
}

TXLSChartSerie& TXLSChartSeries::Add() {
    TChartRecord* chart = GetItems(Count() - 1).SeriesRecord()->Parent();
    int last = -1;
    for (int i = 0; i < chart->Count(); ++i)
        if (chart->Items(i).RecId() == CHARTRECID_SERIES) last = i;
    if (last < 0) throw EXLSError("Can not find insertion point for serie");
    TChartRecord& series = chart->InsertRecord(last + 1, CHARTRECID_SERIES, false, 0);
    const uint8_t fields[] = {0x01, 0x00, 0x01, 0x00, 0x0a, 0x00, 0x0a, 0x00, 0x01, 0x00, 0x00, 0x00};
    series.SetData(fields);
    series.AddDefaultRecords(2);
    TXLSChartSerie& item = AddItem();
    item.Bind(series);
    item.UpdateValueCount();
    return item;
}

}  // namespace xls
