#include "workbook/biff/chart/chart_style.h"

#include <cstdio>
#include <string>

#include "workbook/biff/chart/chart_defaults.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

constexpr uint16_t GroupPoints = 0xF000;
constexpr int DataFormatIss = 4;
constexpr int BarFlags = 4;

constexpr uint8_t NewLegend[] = {0x3c, 0x0e, 0x00, 0x00, 0xce, 0x06, 0x00, 0x00, 0x50, 0x01,
                                 0x00, 0x00, 0x5e, 0x01, 0x00, 0x00, 0x03, 0x01, 0x1f, 0x00};
constexpr uint8_t NewChart3D[] = {0x14, 0x00, 0x0f, 0x00, 0x1e, 0x00, 0x64, 0x00, 0x64, 0x00, 0x96, 0x00, 0x16, 0x00};
constexpr uint8_t NewGroupDataFormat[] = {0x00, 0x00, 0x00, 0x00, 0xfd, 0xff, 0x00, 0x00};

std::unique_ptr<TChartStyle> StyleFor(uint16_t styleRecord) {
    switch (styleRecord) {
        case CHARTRECID_BAR: return std::make_unique<TChartStyleBarColumn>();
        case CHARTRECID_LINE: return std::make_unique<TChartStyleLine>();
        case CHARTRECID_PIE: return std::make_unique<TChartStylePie>();
        case CHARTRECID_AREA: return std::make_unique<TChartStyleArea>();
        case CHARTRECID_SCATTER: return std::make_unique<TChartStyleScatter>();
        case CHARTRECID_RADAR: return std::make_unique<TChartStyleRadar>();
        case CHARTRECID_SURF: return std::make_unique<TChartStyleSurface>();
        case CHARTRECID_RADARAREA: return std::make_unique<TChartStyleRadarArea>();
        case CHARTRECID_BOPPOP: return std::make_unique<TChartStyleBopPop>();
        default: {
            char text[40];
            std::snprintf(text, sizeof text, "Unknown chart style %.4X", styleRecord);
            throw EXLSError(text);
        }
    }
}

// The style and the default set of each chart type (index: the type).
struct TTypeStyle {
    uint16_t StyleRecord;
    int DefaultSet;
};
constexpr TTypeStyle TypeStyles[] = {{0, 0},
                                     {CHARTRECID_AREA, 4},
                                     {CHARTRECID_SCATTER, 9},
                                     {CHARTRECID_BAR, 5},
                                     {CHARTRECID_LINE, 6},
                                     {CHARTRECID_PIE, 7},
                                     {CHARTRECID_RADAR, 8},
                                     {CHARTRECID_SCATTER, 9},
                                     {CHARTRECID_SURF, 10}};

}  // namespace

void TChartStyle::Bind(TChartRecord* record) {
    TRecordObject::Bind(record);
    Chart3D_.Bind(nullptr);
    Legend_.Bind(nullptr);
    DefDataPoint_.Bind(nullptr);
    if (!record) return;
    for (int i = 0; i < record->Count(); ++i) {
        TChartRecord& child = record->Items(i);
        switch (child.RecId()) {
            case CHARTRECID_DATAFORMAT:
                if (child.Word(DataFormatIss) > GroupPoints) DefDataPoint_.Bind(&child);
                break;
            case CHARTRECID_LEGEND: Legend_.Bind(&child); break;
            case CHARTRECID_CHART3D: Chart3D_.Bind(&child); break;
            default: break;
        }
    }
}

void TChartStyle::SetHasDefDataPoint(bool value) {
    if (!value || value == GetHasDefDataPoint()) return;
    TChartRecord& group = Need();
    TChartRecord& dataFormat = group.InsertRecord(-1, CHARTRECID_DATAFORMAT, false, 0);
    dataFormat.SetData(NewGroupDataFormat);
    dataFormat.AddDefaultRecords(3);
    DefDataPoint_.Bind(&dataFormat);
}

void TChartStyleBarColumn::SetHorizontal(bool value) {
    TChartRecord& group = Need();
    if (group.Count() == 0) throw EXLSError("Property has no data.");
    TChartRecord& bar = group.Items(0);
    const uint16_t flags = bar.Word(BarFlags);
    bar.SetWord(BarFlags, value ? flags | 1 : flags & ~1);
}

void TChartPlotArea::Bind(TChartRecord* record) {
    TRecordObject::Bind(record);
    CategoryAxis_.Bind(nullptr);
    SerieAxis_.Bind(nullptr);
    ValueAxis_.Bind(nullptr);
    Frame_.Bind(nullptr);
    Style_.reset();
    if (!record) return;
    for (int i = 0; i < record->Count(); ++i) {
        TChartRecord& child = record->Items(i);
        switch (child.RecId()) {
            case CHARTRECID_CHARTFORMAT: {
                if (child.Count() == 0) throw EXLSError("Chart style record is missing");
                std::unique_ptr<TChartStyle> style = StyleFor(child.Items(0).RecId());
                style->Bind(&child);
                Style_ = std::move(style);
                break;
            }
            case CHARTRECID_AXIS:
                switch (const uint16_t type = child.Word(0)) {
                    case 0: CategoryAxis_.Bind(&child); break;
                    case 1: ValueAxis_.Bind(&child); break;
                    case 2: SerieAxis_.Bind(&child); break;
                    default: throw EXLSError("Unknown axis type " + std::to_string(type));
                }
                break;
            case CHARTRECID_FRAME: Frame_.Bind(&child); break;
            default: break;
        }
    }
}

TChartStyle& TChartPlotArea::NeedStyle() const {
    if (!Style_) throw EXLSError("Property has no data.");
    return *Style_;
}

int TChartPlotArea::GetChartType() const { return NeedStyle().GetChartType(); }

void TChartPlotArea::SetChartType(uint8_t value) {
    if (value == 0 || value > 8) throw EXLSError("Invalid chart type");
    TChartStyle& current = NeedStyle();
    if (value == current.GetChartType()) return;
    TChartRecord& group = *current.Record();
    group.DeleteChildren();
    Style_.reset();
    std::unique_ptr<TChartStyle> style = StyleFor(TypeStyles[value].StyleRecord);
    group.AddDefaultRecords(TypeStyles[value].DefaultSet);
    style->Bind(&group);
    Style_ = std::move(style);
    if (auto* bar = dynamic_cast<TChartStyleBarColumn*>(Style_.get())) bar->SetHorizontal(false);
}

bool TChartPlotArea::GetHasLegend() const { return NeedStyle().Legend().HasRecord(); }

void TChartPlotArea::SetHasLegend(bool value) {
    TChartStyle& style = NeedStyle();
    if (value == GetHasLegend()) return;
    TChartRecord& group = *style.Record();
    if (value) {
        TChartRecord& legend = group.InsertRecord(-1, CHARTRECID_LEGEND, false, 0);
        legend.SetData(NewLegend);
        // Set 1 nests its records under the group's last record, the new legend.
        group.AddDefaultRecords(1);
        style.Legend().Bind(&legend);
    } else {
        group.DeleteRecord(CHARTRECID_LEGEND);
        style.Legend().Bind(nullptr);
    }
}

bool TChartPlotArea::GetHas3D() const { return NeedStyle().Chart3D().HasRecord(); }

void TChartPlotArea::SetHas3D(bool value) {
    TChartStyle& style = NeedStyle();
    if (value == GetHas3D()) return;
    TChartRecord& group = *style.Record();
    if (value) {
        if (group.Count() < 2) throw EXLSError("Invalid record");
        const int at = group.Items(1).RecId() == CHARTRECID_CRTLINK ? 2 : 1;
        TChartRecord& chart3D = group.InsertRecord(at, CHARTRECID_CHART3D, false, 0);
        chart3D.SetData(NewChart3D);
        style.Chart3D().Bind(&chart3D);
    } else {
        group.DeleteRecord(CHARTRECID_CHART3D);
        style.Chart3D().Bind(nullptr);
    }
}

}  // namespace xls
