#include "workbook/biff/chart/drw_chart.h"

#include "base/text_encoding.h"
#include "workbook/biff/chart/chart_host.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

constexpr uint16_t DefaultTextIdA = 2, DefaultTextIdB = 3;
constexpr uint16_t ShtPropsOnlyVisible = 0x0002, ShtPropsDoNotSize = 0x0004;

}  // namespace

void TChartLabel::Bind(TChartRecord& text) {
    Text_ = &text;
    Pos_ = LastChild(text, CHARTRECID_POS);
    Link_ = LastChild(text, CHARTRECID_BRAI);
    ObjectLink_ = LastChild(text, CHARTRECID_OBJECTLINK);
    SeriesText_ = LastChild(text, CHARTRECID_SERIESTEXT);
}

TChartLabel& TChartLabels::Add() {
    Items_.push_back(std::make_unique<TChartLabel>());
    return *Items_.back();
}

TChartLabel& TChartLabels::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return *Items_[index];
}

TDrwChart::TDrwChart(TChartWorkbook& workbook) : Series_(workbook) {}

void TDrwChart::Bind(TChartRecord* root) {
    if (!root) throw EXLSError("Can not find CHART record.");
    Rec_ = root;
    TChartRecord* list = root;
    if (root->Count() > 0 && root->Items(0).RecId() == CHARTRECID_BOF) {
        const int chart = root->IndexOfRecord(CHARTRECID_CHART);
        if (chart >= 0) list = &root->Items(chart);
    }
    Chart_ = list;
    SheetProperties_ = nullptr;
    DefaultTextA_.Bind(nullptr);
    DefaultTextB_.Bind(nullptr);
    Labels_.Clear();
    Series_.Clear();
    PlotArea_.Bind(nullptr);
    Frame_.Bind(nullptr);
    for (int i = 0; i < list->Count(); ++i) {
        TChartRecord& child = list->Items(i);
        switch (child.RecId()) {
            case CHARTRECID_SERIES: Series_.AddItem().Bind(child); break;
            case CHARTRECID_DEFAULTTEXT: {
                if (i + 1 >= list->Count() || list->Items(i + 1).RecId() != CHARTRECID_TEXT)
                    throw EXLSError("Excpected Chart record missing: TEXT");
                TChartRecord& text = list->Items(++i);
                const uint16_t id = child.Word(0);
                if (id == DefaultTextIdA) DefaultTextA_.Bind(&text);
                if (id == DefaultTextIdB) DefaultTextB_.Bind(&text);
                break;
            }
            case CHARTRECID_TEXT: Labels_.Add().Bind(child); break;
            case CHARTRECID_FONTX: ++i; break;
            case CHARTRECID_FRAME: Frame_.Bind(&child); break;
            case CHARTRECID_AXISPARENT: PlotArea_.Bind(&child); break;
            case CHARTRECID_SHTPROPS: SheetProperties_ = &child; break;
            default: break;
        }
    }
}

TChartSheetOptions TDrwChart::SheetOptions() const {
    if (!SheetProperties_) throw EXLSError("Property has no data");
    const uint16_t flags = SheetProperties_->Word(0);
    TChartSheetOptions options = 0;
    if (flags & ShtPropsOnlyVisible) options |= csoOnlyVisibleCells;
    if (flags & ShtPropsDoNotSize) options |= csoDoNotSize;
    return options;
}

void TDrwChart::SetSheetOptions(TChartSheetOptions value) {
    if (!SheetProperties_) throw EXLSError("Property has no data");
    uint16_t flags = SheetProperties_->Word(0) & ~(ShtPropsOnlyVisible | ShtPropsDoNotSize);
    if (value & csoOnlyVisibleCells) flags |= ShtPropsOnlyVisible;
    if (value & csoDoNotSize) flags |= ShtPropsDoNotSize;
    SheetProperties_->SetWord(0, flags);
}

TDrwChart& TDrwCharts::AddBound(TChartRecord& root) {
    // Bound before it joins the collection: a tree the views refuse leaves no half-made item.
    auto chart = std::make_unique<TDrwChart>(Workbook_);
    chart->Bind(&root);
    chart->SetName(u"Chart " + base::Utf8ToUtf16(std::to_string(NextId_++)));
    Items_.push_back(std::move(chart));
    return *Items_.back();
}

TDrwChart& TDrwCharts::Add(int sheetIndex) {
    TChartRecord& root = Drawing_.AddChartShape();
    Workbook_.UseSheet(sheetIndex);
    root.AddDefaultRecords(0);
    for (int i = 0; i < root.Count(); ++i)
        if (root.Items(i).RecId() == CHARTRECID_FBI && root.Items(i).Font()) MadeFonts_.push_back(root.Items(i).Font());
    return AddBound(root);
}

TDrwChart& TDrwCharts::AddFromShape(TChartRecord& root) { return AddBound(root); }

void TDrwCharts::Clear() {
    for (const auto& chart : Items_)
        if (chart->Rec()) Drawing_.DeleteChartShape(*chart->Rec());
    Items_.clear();
    for (TXc12Font* font : MadeFonts_) Workbook_.DropFont(*font);
    MadeFonts_.clear();
}

void TDrwCharts::Forget() {
    Items_.clear();
    MadeFonts_.clear();
}

TDrwChart& TDrwCharts::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return *Items_[index];
}

}  // namespace xls
