#include "workbook/biff/chart/tests/report_workbook.h"

#include <cstdio>

#include "base/text_encoding.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/tests/chart_test_support.h"
#include "workbook/biff/drawing/drawing_anchor.h"
#include "workbook/formula/biff_decode_formula.h"
#include "workbook/model/exceptions.h"

namespace xls::testing {
namespace {

// The drawing group as the writer sees it.
class TGroupPart : public TDrawingGroupPart {
public:
    bool HasProperties() const override { return Group.HasProperties(); }
    void SaveToStream(TXLSStream& stream) override { Group.SaveToStream(stream); }
    void Clear() override { Group.Clear(); }
    TEscherGroup Group;
};

// The sheet's drawing as the writer sees it.
class TDrawingPart : public TSheetDrawingPart {
public:
    explicit TDrawingPart(TEscherGroup& group) : Drawing(group) {}
    int ShapeCount() const override { return Drawing.ShapeCount(); }
    void SaveToStream(TXLSStream& stream) override { Drawing.SaveToStream(stream); }
    void Clear() override { Drawing.Clear(); }
    TEscherDrawing Drawing;
};

// A chart shape's substream: the chart's record tree, from its BOF to its EOF.
class TChartTree : public TChartSubstream {
public:
    void LoadFromStream(TXLSStream& stream) override { Root->LoadFromStream(stream); }
    void SaveToStream(TXLSStream& stream) const override { Root->SaveToStream(stream); }
    std::unique_ptr<TChartSubstream> Clone() const override { throw EXLSError("Charts are not copied"); }
    std::unique_ptr<TChartRecord> Root;
};

}  // namespace

TReportWorkbook::TReportWorkbook() : Charts_(*this, *this) {
    auto group = std::make_unique<TGroupPart>();
    Group_ = &group->Group;
    auto drawing = std::make_unique<TDrawingPart>(*Group_);
    Drawing_ = &drawing->Drawing;
    Book.Document->PictureGroup = std::move(group);
    Book.Document->GetSheet(0).EscherDrawing = std::move(drawing);
}

TReportWorkbook::~TReportWorkbook() = default;

void TReportWorkbook::FillRows(int rows) {
    TXLSCellMMU& cells = Book.Cells(0);
    // The console's column widths, which give the chart over columns A to E its size.
    for (int c = 0; c < 4; ++c) {
        TXc12Column* col = Book.Sheet(0).cols.Add(nullptr);
        col->min = col->max = c;
        col->width = c == 3 ? 8800 : 4400;
    }
    const char16_t* heads[4] = {u"序号", u"温度", u"湿度", u"记录时间"};
    for (int c = 0; c < 4; ++c) cells.StoreString(c, 27, 0, heads[c]);
    char text[64];
    for (int r = 0; r < rows; ++r) {
        cells.StoreFloat(0, 28 + r, 0, r + 1);
        cells.StoreFloat(1, 28 + r, 0, (200 + r % 100) / 10.0);
        cells.StoreFloat(2, 28 + r, 0, (500 + r % 300) / 10.0);
        std::snprintf(text, sizeof text, "2026-%.2d-%.2d %.2d:%.2d:00", 1 + r / 2880 % 12, 1 + r / 96 % 28, r / 4 % 24,
                      r % 4 * 15);
        cells.StoreString(3, 28 + r, 0, base::Utf8ToUtf16(text));
    }
}

TDrwChart& TReportWorkbook::AddReportChart(int lastRow) {
    TDrwChart& chart = ReportChart(Charts_, 1, lastRow);
    TDrwAnchor anchor;
    anchor.SetShape(LastChartShape_);
    anchor.SetCol1(0);
    anchor.SetRow1(9);
    anchor.SetCol2(4);
    anchor.SetRow2(26);
    return chart;
}

void TReportWorkbook::Write(const std::string& path) {
    Book.Document->SetFilename(path);
    Book.Document->Write();
}

TXc12Fonts& TReportWorkbook::Fonts() { return Book.Root.StyleSheet().Fonts(); }

// The test workbook's font list writes model font f + 1 as file font f: its fonts 1 to 4 repeat
// the default font 0, and model font 5 is the placeholder of the missing file font 4.
int TReportWorkbook::FontFileIndex(const TXc12Font& font) {
    for (int i = 1; i < Fonts().Count(); ++i)
        if (Fonts().GetItems(i) == &font) return i - 1;
    throw EXLSError("Font is not in the list");
}

TXc12Font& TReportWorkbook::FontAtFileIndex(int index) {
    if (index < 0 || index + 1 >= Fonts().Count()) throw EListError::IndexOutOfBounds(index);
    return *Fonts().GetItems(index + 1);
}

void TReportWorkbook::UseSheet(int sheetIndex) {
    Book.Document->FormulaHandler().ExternalNames().GetInternalSheetRef(sheetIndex, Book.Root.Worksheets().Count());
}

int TReportWorkbook::EncodeFormula(std::u16string_view text, uint8_t* buf, int bufSize) {
    return Book.Document->FormulaHandler().EncodeFormula(std::u16string(text), 0, bufSize, buf);
}

std::u16string TReportWorkbook::DecodeFormula(std::span<const uint8_t> tokens) {
    const TFormulaHandler& handler = Book.Document->FormulaHandler();
    return DecodeBiffFormula(
        tokens, 0, u',',
        [&handler](TBiffDecodeKind kind, int index, int a, int b, int nameIndex) {
            std::u16string text;
            handler.GetNameText(static_cast<int>(kind), index, text, a, b, nameIndex);
            return text;
        },
        0, 0);
}

void TReportWorkbook::ReadDrawing(TXLSStream&, uint16_t) {
    throw EXLSError("Chart record parent is not of excpected type");
}

void TReportWorkbook::WriteDrawing(TXLSStream&) { throw EXLSError("Chart record parent is not of excpected type"); }

TChartRecord& TReportWorkbook::AddChartShape() {
    TChartRecord* root = nullptr;
    Drawing_->OnNewChart = [this, &root] {
        auto tree = std::make_unique<TChartTree>();
        tree->Root = TChartRecord::CreateRoot(*this);
        root = tree->Root.get();
        return std::unique_ptr<TChartSubstream>(std::move(tree));
    };
    LastChartShape_ = &Drawing_->AddChart();
    Drawing_->OnNewChart = nullptr;
    return *root;
}

void TReportWorkbook::DeleteChartShape(TChartRecord& root) {
    for (int i = 0; i < Drawing_->ShapeCount(); ++i) {
        TShape& shape = Drawing_->Shapes(i);
        auto* chart = dynamic_cast<TShapeOutsideMsoChart*>(shape.ObjPart.get());
        auto* tree = chart ? dynamic_cast<TChartTree*>(&chart->Chart()) : nullptr;
        if (tree && tree->Root.get() == &root) {
            if (LastChartShape_ == &shape) LastChartShape_ = nullptr;
            Drawing_->DeleteShape(shape.ShapeId);
            return;
        }
    }
}

}  // namespace xls::testing
