#pragma once

namespace xls {

class TBIFF5;
class TEscherDrawing;
class TEscherGroup;
class TSheet;
class TSheetCharts;

// Gives the document its drawing layer: the drawing group that the writer writes among the
// globals, and for each sheet that asks for one (TSheet::Charts, TSheet::AddChart) a drawing
// with its embedded charts, written behind the sheet's cells with each chart's substream; and
// the chart sheets, each read and written as its substream at its place among the sheets.
// The charts take their fonts and formulas from the document.
void AttachDrawingLayer(TBIFF5& document);

// The drawing group and a sheet's drawing of a document with the drawing layer; nullptr
// without the layer, or for a sheet that has no drawing yet.
TEscherGroup* DrawingGroup(TBIFF5& document);
TEscherDrawing* SheetDrawing(TSheet& sheet);
// The chart sheets of a document with the drawing layer; nullptr without the layer.
TSheetCharts* ChartSheets(TBIFF5& document);

}  // namespace xls
