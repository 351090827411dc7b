#pragma once

#include <cstdint>
#include <memory>

#include "workbook/biff/chart/chart_formats.h"
#include "workbook/biff/chart/chart_series.h"

namespace xls {

// A chart group (ChartFormat record): its style record, legend, 3-D settings and the default
// formats of its points. The subclass follows the style record, the ChartFormat's first child.
class TChartStyle : public TRecordObject {
public:
    void Bind(TChartRecord* record) override;
    // 1 area, 3 bar or column; the other styles answer 0.
    virtual int GetChartType() const { return 0; }

    TChart3D& Chart3D() { return Chart3D_; }
    TChartLegend& Legend() { return Legend_; }
    TDataPoint& DefDataPoint() { return DefDataPoint_; }

    bool GetHasDefDataPoint() const { return DefDataPoint_.HasRecord(); }
    // True adds a DataFormat for all points with its default formats. False keeps the records
    // a group has (it only ever adds).
    void SetHasDefDataPoint(bool value);

private:
    TChart3D Chart3D_;
    TChartLegend Legend_;
    TDataPoint DefDataPoint_;
};

class TChartStyleBarColumn : public TChartStyle {
public:
    int GetChartType() const override { return 3; }
    // True: horizontal bars; False: columns.
    void SetHorizontal(bool value);
};

class TChartStyleLine : public TChartStyle {};
class TChartStylePie : public TChartStyle {};
class TChartStyleArea : public TChartStyle {
public:
    int GetChartType() const override { return 1; }
};
class TChartStyleScatter : public TChartStyle {};
class TChartStyleRadar : public TChartStyle {};
class TChartStyleSurface : public TChartStyle {};
class TChartStyleRadarArea : public TChartStyle {};
class TChartStyleBopPop : public TChartStyle {};

// The first axis group (AxisParent record): axes, the plot-area frame and the chart group.
class TChartPlotArea : public TRecordObject {
public:
    void Bind(TChartRecord* record) override;

    TCategoryAxis& CategoryAxis() { return CategoryAxis_; }
    TSerieAxis& SerieAxis() { return SerieAxis_; }
    TValueAxis& ValueAxis() { return ValueAxis_; }
    TPaintFrame& Frame() { return Frame_; }
    // The current chart group; nil while the plot area has none.
    TChartStyle* Style() const { return Style_.get(); }

    int GetChartType() const;
    // 1 area, 2 and 7 scatter, 3 bar or column, 4 line, 5 pie, 6 radar, 8 surface: the group's
    // records are replaced with the default ones of that type. Its own type changes nothing.
    void SetChartType(uint8_t value);
    bool GetHasLegend() const;
    void SetHasLegend(bool value);
    bool GetHas3D() const;
    void SetHas3D(bool value);

private:
    TChartStyle& NeedStyle() const;

    TCategoryAxis CategoryAxis_;
    TSerieAxis SerieAxis_;
    TValueAxis ValueAxis_;
    TPaintFrame Frame_;
    std::unique_ptr<TChartStyle> Style_;
};

}  // namespace xls
