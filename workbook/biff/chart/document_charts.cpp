#include "workbook/biff/chart/document_charts.h"

#include <memory>

#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/chart/chart_host.h"
#include "workbook/biff/chart/chart_record.h"
#include "workbook/biff/chart/drw_chart.h"
#include "workbook/biff/chart/sheet_charts.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/drawing/shapes.h"
#include "workbook/biff/font_file_order.h"
#include "workbook/formula/biff_decode_formula.h"
#include "workbook/model/document_root.h"
#include "workbook/model/exceptions.h"

namespace xls {

namespace {

// The document as its charts see it: the model's font list numbered as the writer numbers it,
// the EXTERNSHEET table and the formula handler.
class TDocumentChartWorkbook : public TChartWorkbook {
public:
    explicit TDocumentChartWorkbook(TBIFF5& document) : Document_(document) {}

    TXc12Fonts& Fonts() override { return Document_.Manager().StyleSheet().Fonts(); }

    int FontFileIndex(const TXc12Font& font) override {
        const TXc12Fonts& fonts = Fonts();
        const TFontFileOrder order = FontFileOrder(fonts);
        for (int i = 0; i < fonts.Count(); ++i)
            if (fonts.GetItems(i) == &font && order.AtFileIndex(order.FileIndex[static_cast<size_t>(i)]) == &font)
                return order.FileIndex[static_cast<size_t>(i)];
        throw EXLSError("Font is not in the list");
    }

    TXc12Font& FontAtFileIndex(int index) override {
        const TXc12Font* wanted = FontFileOrder(Fonts()).AtFileIndex(index);
        for (int i = 0; wanted && i < Fonts().Count(); ++i)
            if (Fonts().GetItems(i) == wanted) return *Fonts().GetItems(i);
        throw EListError::IndexOutOfBounds(index);
    }

    void DropFont(TXc12Font& font) override { Document_.Manager().StyleSheet().XFEditor().DropFont(&font); }

    void UseSheet(int sheetIndex) override {
        Document_.FormulaHandler().ExternalNames().GetInternalSheetRef(sheetIndex,
                                                                       Document_.Manager().Worksheets().Count());
    }

    int EncodeFormula(std::u16string_view text, uint8_t* buf, int bufSize) override {
        return Document_.FormulaHandler().EncodeFormula(std::u16string(text), 0, bufSize, buf);
    }

    std::u16string DecodeFormula(std::span<const uint8_t> tokens) override {
        return Document_.FormulaHandler().DecodeFormula(tokens);
    }

private:
    TBIFF5& Document_;
};

// The drawing group as the writer sees it, with the charts' view of the document.
class TGroupPart : public TDrawingGroupPart {
public:
    explicit TGroupPart(TBIFF5& document) : Workbook(document) {}
    bool HasProperties() const override { return Group.HasProperties(); }
    void SaveToStream(TXLSStream& stream) override { Group.SaveToStream(stream); }
    void Clear() override { Group.Clear(); }
    void LoadFromStream(TXLSStream& stream, uint16_t length) override { Group.LoadFromStream(stream, length); }

    TEscherGroup Group;
    TDocumentChartWorkbook Workbook;
};

// A chart shape's substream: the chart's record tree, from its BOF to its EOF.
class TChartTree : public TChartSubstream {
public:
    void LoadFromStream(TXLSStream& stream) override { Root->LoadFromStream(stream); }
    void SaveToStream(TXLSStream& stream) const override { Root->SaveToStream(stream); }
    std::unique_ptr<TChartSubstream> Clone() const override { throw EXLSError("Charts are not copied"); }
    std::unique_ptr<TChartRecord> Root;
};

// A sheet's drawing with its embedded charts; each chart's tree belongs to its shape.
class TSheetDrawing : public TSheetDrawingPart, public TChartOwner, public TChartSheetDrawing {
public:
    TSheetDrawing(TEscherGroup& group, TChartWorkbook& workbook)
        : Drawing_(group), Workbook_(workbook), Charts_(*this, workbook) {
        Drawing_.OnNewChart = [this] {
            auto tree = std::make_unique<TChartTree>();
            tree->Root = TChartRecord::CreateRoot(*this);
            NewRoot_ = tree->Root.get();
            return std::unique_ptr<TChartSubstream>(std::move(tree));
        };
    }

    void LoadFromStream(TXLSStream& stream, uint16_t length) override {
        // Charts read join the sheet's chart collection with their trees.
        Drawing_.OnChartForReading = [this] {
            auto tree = std::make_unique<TChartTree>();
            tree->Root = TChartRecord::CreateRoot(*this);
            return std::unique_ptr<TChartSubstream>(std::move(tree));
        };
        Drawing_.OnAfterShape = [this](TEscherDrawing&, TShape& shape) {
            if (TChartTree* tree = ChartTree(shape)) Charts_.AddFromShape(*tree->Root);
        };
        Drawing_.LoadFromStream(stream, length);
    }

    void LoadNote(TXLSStream& stream, uint16_t length) override { Drawing_.LoadNote(stream, length); }

    void AfterRead() override {
        std::vector<int> indexes;
        Drawing_.Group().GetFileIndexes(indexes);
        Drawing_.RemapBlipIds(indexes);
        Drawing_.CountPictureRefs();
    }

    TEscherDrawing& Escher() { return Drawing_; }

    int ShapeCount() const override { return Drawing_.ShapeCount(); }
    void SaveToStream(TXLSStream& stream) override { Drawing_.SaveToStream(stream); }
    // The sheet is cleared with its workbook, whose fonts are new by now: the charts are
    // forgotten, not cleared, so that no font of the old list is looked for.
    void Clear() override {
        Charts_.Forget();
        NewShape_ = nullptr;
        Drawing_.Clear();
    }
    TDrwCharts& Charts() override { return Charts_; }
    TDrwChart& AddChart(int sheetIndex) override {
        TDrwChart& chart = Charts_.Add(sheetIndex);
        chart.Anchor().SetShape(NewShape_);
        return chart;
    }

    TChartWorkbook& Workbook() override { return Workbook_; }
    // An embedded chart's drawing is the sheet's: its tree holds none of its own.
    bool HoldsDrawing() const override { return false; }
    void ReadDrawing(TXLSStream&, uint16_t) override { throw EBIFFError("An embedded chart holds no drawing"); }
    void WriteDrawing(TXLSStream&) override { throw EBIFFError("An embedded chart holds no drawing"); }

    TChartRecord& AddChartShape() override {
        NewShape_ = &Drawing_.AddChart();
        return *NewRoot_;
    }

    void DeleteChartShape(TChartRecord& root) override {
        for (int i = 0; i < Drawing_.ShapeCount(); ++i) {
            TShape& shape = Drawing_.Shapes(i);
            TChartTree* tree = ChartTree(shape);
            if (tree && tree->Root.get() == &root) {
                if (NewShape_ == &shape) NewShape_ = nullptr;
                Drawing_.DeleteShape(shape.ShapeId);
                return;
            }
        }
    }

private:
    static TChartTree* ChartTree(TShape& shape) {
        auto* chart = dynamic_cast<TShapeOutsideMsoChart*>(shape.ObjPart.get());
        return chart ? dynamic_cast<TChartTree*>(&chart->Chart()) : nullptr;
    }

    TEscherDrawing Drawing_;
    TChartWorkbook& Workbook_;
    TDrwCharts Charts_;
    TShapeClientAnchor* NewShape_ = nullptr;
    TChartRecord* NewRoot_ = nullptr;
};

// The drawing over a chart sheet: shapes on the workbook's drawing group.
class TChartSheetEscher : public TChartDrawing {
public:
    explicit TChartSheetEscher(TEscherGroup& group) : Drawing(group) {}
    void LoadFromStream(TXLSStream& stream, uint16_t length) override { Drawing.LoadFromStream(stream, length); }
    void SaveToStream(TXLSStream& stream) override { Drawing.SaveToStream(stream); }
    TEscherDrawing Drawing;
};

// The workbook's chart sheets, with the charts' view of the document.
class TChartSheetsLayer : public TChartSheetsPart {
public:
    TChartSheetsLayer(TEscherGroup& group, TChartWorkbook& workbook)
        : Sheets(workbook, [&group] { return std::make_unique<TChartSheetEscher>(group); }) {}

    int Count() const override { return Sheets.Count(); }
    int SheetIndex(int index) const override { return Sheets.GetItems(index).SheetIndex(); }
    std::u16string Name(int index) const override { return Sheets.GetItems(index).Name(); }
    void LoadChartSheet(TXLSStream& stream, std::u16string name, int sheetIndex,
                        std::span<const uint8_t> bofData) override {
        Sheets.LoadChartSheet(stream, std::move(name), sheetIndex, bofData);
    }
    void SaveChartSheet(int index, TXLSStream& stream) override { Sheets.SaveChartSheet(index, stream); }
    void AfterRead() override {
        for (int i = 0; i < Sheets.Count(); ++i) {
            auto* drawing = dynamic_cast<TChartSheetEscher*>(Sheets.GetItems(i).Drawing());
            if (!drawing) continue;
            std::vector<int> indexes;
            drawing->Drawing.Group().GetFileIndexes(indexes);
            drawing->Drawing.RemapBlipIds(indexes);
            drawing->Drawing.CountPictureRefs();
        }
    }
    void Clear() override { Sheets.Clear(); }

    TSheetCharts Sheets;
};

}  // namespace

TSheetCharts* ChartSheets(TBIFF5& document) {
    auto* part = dynamic_cast<TChartSheetsLayer*>(document.ChartSheets.get());
    return part ? &part->Sheets : nullptr;
}

TEscherGroup* DrawingGroup(TBIFF5& document) {
    auto* part = dynamic_cast<TGroupPart*>(document.PictureGroup.get());
    return part ? &part->Group : nullptr;
}

TEscherDrawing* SheetDrawing(TSheet& sheet) {
    auto* part = dynamic_cast<TSheetDrawing*>(sheet.EscherDrawing.get());
    return part ? &part->Escher() : nullptr;
}

void AttachDrawingLayer(TBIFF5& document) {
    auto group = std::make_unique<TGroupPart>(document);
    TGroupPart& part = *group;
    document.PictureGroup = std::move(group);
    document.NewSheetDrawing = [&part](TSheet&) { return std::make_unique<TSheetDrawing>(part.Group, part.Workbook); };
    document.ChartSheets = std::make_unique<TChartSheetsLayer>(part.Group, part.Workbook);
}

}  // namespace xls
