#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/biff/chart/chart_formats.h"

namespace xls {

class TChartRecord;
class TChartWorkbook;

// A DataFormat record (the formats of one point, a series' points or a chart group's points)
// with its format views.
class TDataPoint : public TRecordObject {
public:
    // "DATAFORMAT has no child records" for a DataFormat without children.
    void Bind(TChartRecord* record) override;
    TLineFormat& LineFormat() { return LineFormat_; }
    TAreaFormat& AreaFormat() { return AreaFormat_; }
    TMarkerFormat& MarkerFormat() { return MarkerFormat_; }
    TChartRecord* PieFormat() const { return PieFormat_; }
    TChartRecord* AttachedLabel() const { return AttachedLabel_; }

private:
    TLineFormat LineFormat_;
    TAreaFormat AreaFormat_;
    TMarkerFormat MarkerFormat_;
    TChartRecord* PieFormat_ = nullptr;
    TChartRecord* AttachedLabel_ = nullptr;
};

class TDataPoints {
public:
    TDataPoint& Add();
    int Count() const { return static_cast<int>(Items_.size()); }
    TDataPoint& GetItems(int index) const;
    void Clear() { Items_.clear(); }

private:
    std::vector<std::unique_ptr<TDataPoint>> Items_;
};

// The bar shape of a series' points in 3-D bar charts.
enum TSerieItemGeomtery { sigDefault, sigCylinder, sigPyramid, sigChoppedPyramid, sigCone, sigChoppedCone, sigLast };

// One series of a chart: a view over a Series record whose BRAI children link its values,
// categories, name and bubble sizes to cells.
class TXLSChartSerie {
public:
    explicit TXLSChartSerie(TChartWorkbook& workbook) : Workbook_(workbook) {}

    void Bind(TChartRecord& seriesRecord);
    TChartRecord* SeriesRecord() const { return Series_; }

    // The links as reference texts; each raises "Property has no data" without its link.
    std::u16string Values() const;
    // Also sets the series' value count to the number of cells of the area.
    void SetValues(std::u16string_view value);
    std::u16string Values2() const;
    void SetValues2(std::u16string_view value);
    std::u16string Category() const;
    void SetCategory(std::u16string_view value);
    // A reference text, or a literal in double quotes.
    std::u16string SerieName() const;
    void SetSerieName(std::u16string_view value);

    TSerieItemGeomtery Geomtery() const;
    void SetGeomtery(TSerieItemGeomtery value);
    // Whether the series' default DataFormat holds its format records.
    bool HasDefDataPoint() const;
    void SetHasDefDataPoint(bool value);

    TDataPoints& DataPoints() { return DataPoints_; }
    TDataPoint& DefDataPoint() { return DefDataPoint_; }

    // Sets the value count from the values link's area.
    void UpdateValueCount();

private:
    TChartRecord& Link(int index) const;
    std::u16string LinkText(int index) const;
    void StoreLink(int index, std::u16string_view text);
    void StoreLiteralName(std::u16string_view text);

    TChartWorkbook& Workbook_;
    TChartRecord* Series_ = nullptr;
    int ValuesLink_ = -1;
    int Values2Link_ = -1;
    int CategoryLink_ = -1;
    int NameLink_ = -1;
    TChartRecord* BarShape_ = nullptr;
    TChartRecord* DefDataFormat_ = nullptr;
    TDataPoint DefDataPoint_;
    TDataPoints DataPoints_;
};

class TXLSChartSeries {
public:
    explicit TXLSChartSeries(TChartWorkbook& workbook) : Workbook_(workbook) {}

    int Count() const { return static_cast<int>(Items_.size()); }
    // Raises the list's index error outside 0..Count-1.
    TXLSChartSerie& GetItems(int index) const;
    // A new series after the last one, with the default links (A1:A10 of EXTERNSHEET entry 0).
    TXLSChartSerie& Add();
    // A new item, not yet bound.
    TXLSChartSerie& AddItem();
    void Clear() { Items_.clear(); }

private:
    TChartWorkbook& Workbook_;
    std::vector<std::unique_ptr<TXLSChartSerie>> Items_;
};

}  // namespace xls
