#include <vector>

#include "base/format.h"
#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/chart/document_charts.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/drawing/shape_text.h"
#include "workbook/component/workbook_component.h"
#include "workbook/model/style_sheet.h"

namespace xls {

namespace {

// The file extension of a stored picture; nullptr for the kinds the interface does not take.
const char* PictureExtension(uint8_t blipType) {
    switch (blipType) {
        case msoblipEMF: return ".emf";
        case msoblipWMF: return ".wmf";
        case msoblipJPEG: return ".jpg";
        case msoblipPNG: return ".png";
        case msoblipDIB: return ".bmp";
        default: return nullptr;
    }
}

// The picture frames among the drawing's top-level shapes, in drawing order.
std::vector<TShapeClientAnchor*> PictureShapes(const TEscherDrawing& drawing) {
    std::vector<TShapeClientAnchor*> pictures;
    for (int i = 0; i < drawing.ShapeCount(); ++i) {
        auto* shape = dynamic_cast<TShapeClientAnchor*>(&drawing.Shapes(i));
        if (shape && shape->ShapeType == MSOSPT_PICTUREFRAME) pictures.push_back(shape);
    }
    return pictures;
}

TXLSDrawingAnchor InterfaceAnchor(TShapeClientAnchor& shape) {
    TDrwAnchor anchor;
    anchor.SetShape(&shape);
    return {anchor.Col1(), anchor.Col1Offset(), anchor.Row1(), anchor.Row1Offset(),
            anchor.Col2(), anchor.Col2Offset(), anchor.Row2(), anchor.Row2Offset()};
}

}  // namespace

void TVUZAzurEruraWorkbook::ImportBIFFPictures() {
    TEscherGroup* group = DrawingGroup(*Biff_);
    if (!group) return;
    for (int s = 0; s < SheetCount() && s < Biff_->Sheets().Count(); ++s) {
        const TEscherDrawing* drawing = SheetDrawing(Biff_->GetSheet(s));
        if (!drawing) continue;
        const std::vector<TShapeClientAnchor*> pictures = PictureShapes(*drawing);
        for (size_t p = 0; p < pictures.size(); ++p) {
            const int32_t id = pictures[p]->Properties.GetValue(MSOPROP_PIB);
            if (id <= 0 || id > group->Count()) continue;
            const TMSOPicture& picture = group->GetItems(id - 1);
            const char* extension = PictureExtension(picture.BlipType);
            if (!extension) continue;
            const std::vector<uint8_t> bytes = picture.FileBytes();
            base::TMemoryStream stream;
            stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
            stream.SetPosition(0);
            const std::string name = base::Format("Pict%d_%d", {s + 1, static_cast<int>(p + 1)}) + extension;
            GetSheets(s)->GetDrawing().AddImage(base::Utf8ToUtf16(name), stream, InterfaceAnchor(*pictures[p]));
        }
    }
}

void TVUZAzurEruraWorkbook::ImportBIFFNotes() {
    // The notes keep their own formatting in the drawing, which is what the file is written
    // from: the comments take the text alone. The comment fonts that adding them brought into
    // the font list would otherwise be written as FONT records, one more on every read.
    TXc12Fonts& fonts = Manager_->StyleSheet().Fonts();
    const int fontCount = fonts.Count();
    for (int i = 0; i < SheetCount() && i < Biff_->Sheets().Count(); ++i) {
        const TEscherDrawing* drawing = SheetDrawing(Biff_->GetSheet(i));
        if (!drawing) continue;
        for (int n = 0; n < drawing->ShapeCount(); ++n) {
            const auto* note = dynamic_cast<const TShapeOutsideMsoNote*>(drawing->Shapes(n).ObjPart.get());
            if (note) GetSheets(i)->GetComments().Add(note->Col, note->Row, note->Text())->SetText(note->Text());
        }
    }
    for (int i = fonts.Count() - 1; i >= fontCount; --i) fonts.Delete(i);
}

bool TVUZAzurEruraWorkbook::AddPictureToBiff(const TXLSPictureSource& picture, int sheetIndex, double row2Offset,
                                             double col2Offset) {
    if (!Biff_) return false;
    TEscherGroup* group = DrawingGroup(*Biff_);
    TSheet& sheet = Biff_->GetSheet(sheetIndex);
    sheet.DrawingLayer();
    TEscherDrawing* drawing = SheetDrawing(sheet);
    if (!group || !drawing) return false;
    // One stored picture per file, however often it is placed.
    int index = group->IndexOfName(base::Utf8ToUtf16(picture.FileName));
    if (index < 0) {
        TMSOPicture& stored = group->Add();
        try {
            stored.LoadFromFile(picture.FileName);
        } catch (...) {
            group->Delete(group->Count() - 1);
            throw;
        }
        index = group->Count() - 1;
    }
    TMSOPicture& stored = group->GetItems(index);
    TShapeClientAnchor& shape = drawing->AddPicture();
    shape.Properties.SetBlipId(index + 1);
    // The file's own name, not where it lay on this computer.
    const size_t slash = stored.Name.find_last_of(u'/');
    shape.Properties.SetString(MSOPROP_PIBNAME,
                               slash == std::u16string::npos ? stored.Name : stored.Name.substr(slash + 1));
    ++stored.RefCount;
    TDrwAnchor anchor;
    anchor.SetShape(&shape);
    anchor.SetCol1(picture.Anchor.Col1);
    anchor.SetCol1Offset(picture.Anchor.Col1Offset);
    anchor.SetRow1(picture.Anchor.Row1);
    anchor.SetRow1Offset(picture.Anchor.Row1Offset);
    anchor.SetCol2(picture.Anchor.Col2);
    anchor.SetCol2Offset(col2Offset);
    anchor.SetRow2(picture.Anchor.Row2);
    anchor.SetRow2Offset(row2Offset);
    return true;
}

}  // namespace xls
