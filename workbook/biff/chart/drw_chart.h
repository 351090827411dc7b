#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/biff/chart/chart_formats.h"
#include "workbook/biff/chart/chart_series.h"
#include "workbook/biff/chart/chart_style.h"
#include "workbook/biff/drawing/drawing_anchor.h"

namespace xls {

class TChartRecord;
class TXc12Font;
class TChartSheetDrawing;
class TChartWorkbook;

// A free text of a chart (a title or an attached label): a Text record under the Chart record
// with its position, link and text children (nil when absent).
class TChartLabel {
public:
    void Bind(TChartRecord& text);
    TChartRecord* Text() const { return Text_; }
    TChartRecord* Pos() const { return Pos_; }
    TChartRecord* Link() const { return Link_; }
    TChartRecord* ObjectLink() const { return ObjectLink_; }
    TChartRecord* SeriesText() const { return SeriesText_; }

private:
    TChartRecord* Text_ = nullptr;
    TChartRecord* Pos_ = nullptr;
    TChartRecord* Link_ = nullptr;
    TChartRecord* ObjectLink_ = nullptr;
    TChartRecord* SeriesText_ = nullptr;
};

class TChartLabels {
public:
    TChartLabel& Add();
    int Count() const { return static_cast<int>(Items_.size()); }
    TChartLabel& GetItems(int index) const;
    void Clear() { Items_.clear(); }

private:
    std::vector<std::unique_ptr<TChartLabel>> Items_;
};

// Sheet options of a chart, bits of ShtProps.
enum TChartSheetOption : uint8_t { csoOnlyVisibleCells = 1, csoDoNotSize = 2 };
using TChartSheetOptions = uint8_t;

// The programming interface of an embedded chart: views over the record tree that the chart's
// shape owns. It keeps no chart data of its own.
class TDrwChart {
public:
    explicit TDrwChart(TChartWorkbook& workbook);

    // Binds the views to a tree ("Can not find CHART record." for nil).
    void Bind(TChartRecord* root);

    TChartRecord* Rec() const { return Rec_; }
    TChartRecord* ChartRecord() const { return Chart_; }
    const std::u16string& Name() const { return Name_; }
    void SetName(std::u16string name) { Name_ = std::move(name); }

    TChartText& DefaultTextA() { return DefaultTextA_; }
    TChartText& DefaultTextB() { return DefaultTextB_; }
    TChartLabels& Labels() { return Labels_; }
    TXLSChartSeries& Series() { return Series_; }
    TChartPlotArea& PlotArea() { return PlotArea_; }
    TPaintFrame& Frame() { return Frame_; }
    // Where the chart's shape sits on the sheet; unbound for a chart without a sheet drawing.
    TDrwAnchor& Anchor() { return Anchor_; }

    // "Property has no data" without a ShtProps record.
    TChartSheetOptions SheetOptions() const;
    void SetSheetOptions(TChartSheetOptions value);

private:
    TChartRecord* Rec_ = nullptr;
    TChartRecord* Chart_ = nullptr;
    TChartRecord* SheetProperties_ = nullptr;
    std::u16string Name_;
    TChartText DefaultTextA_;
    TChartText DefaultTextB_;
    TChartLabels Labels_;
    TXLSChartSeries Series_;
    TChartPlotArea PlotArea_;
    TPaintFrame Frame_;
    TDrwAnchor Anchor_;
};

// The embedded charts of one sheet.
class TDrwCharts {
public:
    TDrwCharts(TChartSheetDrawing& drawing, TChartWorkbook& workbook) : Drawing_(drawing), Workbook_(workbook) {}

    // A new chart: a chart shape in the sheet's drawing holding the tree of a new chart (one
    // series over A1:A10, a column chart with a legend).
    TDrwChart& Add(int sheetIndex);
    // A chart for a shape read from a file, bound to its tree.
    TDrwChart& AddFromShape(TChartRecord& root);
    // Removes every chart and its shape, and the fonts that the charts made for their texts, so
    // that a chart cleared and added again leaves the workbook's font list as it was.
    void Clear();
    // Lets go of every chart without touching shapes or fonts: for a drawing that is cleared
    // whole with its workbook.
    void Forget();
    int Count() const { return static_cast<int>(Items_.size()); }
    TDrwChart& GetItems(int index) const;

private:
    TDrwChart& AddBound(TChartRecord& root);

    TChartSheetDrawing& Drawing_;
    TChartWorkbook& Workbook_;
    int NextId_ = 0;
    std::vector<std::unique_ptr<TDrwChart>> Items_;
    std::vector<TXc12Font*> MadeFonts_;
};

}  // namespace xls
