#include "workbook/biff/chart/chart_formats.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

// Field offsets of the format records.
constexpr int LineRgb = 0, LineLns = 4, LineIcv = 10;
constexpr int AreaRgbFore = 0, AreaIcvFore = 12;
constexpr int MarkerImk = 8, MarkerFlags = 10;

constexpr int OptEntrySize = 6;
constexpr uint16_t OptComplex = 0x8000;
constexpr uint16_t OptVersion = 3;

[[noreturn]] void DamagedGelFrame() { throw EXLSError("GelFrame property table is damaged"); }

// Adds the count properties of an OPT body; a later property of an id replaces the former.
void LoadProperties(TGelProperties& properties, std::span<const uint8_t> body, int count) {
    base::TByteReader reader(body, [] { DamagedGelFrame(); });
    if (!reader.Has(static_cast<size_t>(count) * OptEntrySize)) DamagedGelFrame();
    base::TByteReader complex(body, [] { DamagedGelFrame(); });
    complex.Seek(static_cast<size_t>(count) * OptEntrySize);
    for (int i = 0; i < count; ++i) {
        TGelProperty property;
        property.Id = reader.U16LE();
        property.Value = reader.U32LE();
        if (property.Id & OptComplex) {
            const std::span<const uint8_t> bytes = complex.Bytes(property.Value);
            property.Complex.assign(bytes.begin(), bytes.end());
        }
        const uint16_t key = property.Id & 0x3FFF;
        auto same = std::find_if(properties.begin(), properties.end(),
                                 [key](const TGelProperty& p) { return (p.Id & 0x3FFF) == key; });
        if (same != properties.end())
            *same = std::move(property);
        else
            properties.push_back(std::move(property));
    }
}

}  // namespace

TChartRecord* LastChild(TChartRecord& list, uint16_t recId) {
    TChartRecord* found = nullptr;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i).RecId() == recId) found = &list.Items(i);
    return found;
}

void TRecordObject::Bind(TChartRecord* record) { Record_ = record; }

TChartRecord& TRecordObject::Need() const {
    if (!Record_) throw EXLSError("Property has no data.");
    return *Record_;
}

void TChartText::Bind(TChartRecord* record) {
    TRecordObject::Bind(record);
    TChartRecord* fontX = record ? LastChild(*record, CHARTRECID_FONTX) : nullptr;
    Font_ = fontX ? fontX->Font() : nullptr;
}

void TLineFormat::SetColorIndex(uint8_t index) {
    TChartRecord& record = Need();
    record.SetWord(LineIcv, index);
    record.SetLong(LineRgb, IndexColorToChartRGB(index));
}

uint16_t TLineFormat::ColorIndex() const { return Need().Word(LineIcv); }
uint32_t TLineFormat::Color() const { return Need().Long(LineRgb); }
void TLineFormat::SetLinePattern(uint8_t value) { Need().SetWord(LineLns, value); }
uint16_t TLineFormat::LinePattern() const { return Need().Word(LineLns); }

void TAreaFormat::SetForeColorIndex(uint8_t index) {
    TChartRecord& record = Need();
    record.SetWord(AreaIcvFore, index);
    record.SetLong(AreaRgbFore, IndexColorToChartRGB(index));
}

uint16_t TAreaFormat::ForeColorIndex() const { return Need().Word(AreaIcvFore); }
uint32_t TAreaFormat::ForeColor() const { return Need().Long(AreaRgbFore); }

void TMarkerFormat::SetMarkerType(uint8_t value) {
    TChartRecord& record = Need();
    record.SetWord(MarkerImk, value);
    record.SetWord(MarkerFlags, 0);
}

uint16_t TMarkerFormat::MarkerType() const { return Need().Word(MarkerImk); }

void TGelFrame::Bind(TChartRecord* record) {
    TRecordObject::Bind(record);
    Properties_ = std::make_shared<TGelProperties>();
    if (!record) return;
    auto* update = dynamic_cast<TChartRecordUpdate*>(record);
    // A record that an earlier view emptied gets its bytes back from that view's table first.
    if (update && update->BeforeWrite) update->BeforeWrite(*record);
    base::TByteReader reader(record->Data(), [] { DamagedGelFrame(); });
    bool first = true;
    while (!reader.AtEnd()) {
        const uint16_t verInstance = reader.U16LE();
        const uint16_t type = reader.U16LE();
        const uint32_t length = reader.U32LE();
        if (first && type != MSO_OPT) throw EXLSError("First MSO record in Gelframe is not OPT");
        first = false;
        const std::span<const uint8_t> body = reader.Bytes(length);
        if (type == MSO_OPT) LoadProperties(*Properties_, body, verInstance >> 4);
    }
    if (update) {
        update->BeforeWrite = [table = Properties_](TChartRecord& target) { UpdateRecord(target, *table); };
        update->SetData({});
    }
}

void TGelFrame::UpdateRecord(TChartRecord& record, const TGelProperties& properties) {
    std::vector<uint8_t> data;
    size_t bodyLength = 0;
    for (const TGelProperty& p : properties) bodyLength += OptEntrySize + p.Complex.size();
    base::AppendLE16(data, static_cast<uint16_t>(OptVersion | (properties.size() << 4)));
    base::AppendLE16(data, MSO_OPT);
    base::AppendLE32(data, static_cast<uint32_t>(bodyLength));
    for (const TGelProperty& p : properties) {
        base::AppendLE16(data, p.Id);
        base::AppendLE32(data, p.Value);
    }
    for (const TGelProperty& p : properties) data.insert(data.end(), p.Complex.begin(), p.Complex.end());
    record.SetData(data);
}

void TPaintFrame::Bind(TChartRecord* record) {
    TRecordObject::Bind(record);
    LineFormat_.Bind(record ? LastChild(*record, CHARTRECID_LINEFORMAT) : nullptr);
    AreaFormat_.Bind(record ? LastChild(*record, CHARTRECID_AREAFORMAT) : nullptr);
    GelFrame_.Bind(record ? LastChild(*record, BIFFRECID_GELFRAME) : nullptr);
}

void TChartAxis::Bind(TChartRecord* record) {
    TRecordObject::Bind(record);
    TickFormat_.Bind(record ? LastChild(*record, CHARTRECID_TICK) : nullptr);
}

void TCategoryAxis::Bind(TChartRecord* record) {
    TChartAxis::Bind(record);
    Scaling_.Bind(record ? LastChild(*record, CHARTRECID_CATSERRANGE) : nullptr);
}

void TValueAxis::Bind(TChartRecord* record) {
    TChartAxis::Bind(record);
    Scaling_.Bind(record ? LastChild(*record, CHARTRECID_VALUERANGE) : nullptr);
}

void TChartLegend::Bind(TChartRecord* record) {
    TRecordObject::Bind(record);
    Frame_.Bind(record ? LastChild(*record, CHARTRECID_FRAME) : nullptr);
}

}  // namespace xls
