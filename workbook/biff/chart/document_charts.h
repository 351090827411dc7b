#pragma once

namespace xls {

class TBIFF5;
class TEscherDrawing;
class TEscherGroup;
class TSheet;

// Gives the document its drawing layer: the drawing group that the writer writes among the
// globals, and for each sheet that asks for one (TSheet::Charts, TSheet::AddChart) a drawing
// with its embedded charts, written behind the sheet's cells with each chart's substream.
// The charts take their fonts and formulas from the document.
void AttachDrawingLayer(TBIFF5& document);

// The drawing group and a sheet's drawing of a document with the drawing layer; nullptr
// without the layer, or for a sheet that has no drawing yet.
TEscherGroup* DrawingGroup(TBIFF5& document);
TEscherDrawing* SheetDrawing(TSheet& sheet);

}  // namespace xls
