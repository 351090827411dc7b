#include "workbook/api/drawing.h"

#include <algorithm>
#include <cmath>

#include "base/file_stream.h"
#include "base/format.h"
#include "base/text_encoding.h"
#include "workbook/api/formatted_obj.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int64_t EmuPerPixel = 9525;  // at 96 pixels per inch
constexpr int64_t EmuPerTwip = 635;
constexpr int FallbackDigitWidth = 7;

int32_t ToEmu(double fraction, int64_t cellEmu) {
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    return static_cast<int32_t>(std::llround(clamped * static_cast<double>(cellEmu)));
}

}  // namespace

TXLSDrawing::TXLSDrawing(TXc12Manager& manager, TXc12DrawingDocument* drawing) : Manager_(manager), Drawing_(drawing) {}

void TXLSDrawing::Raise(int id) { HighestShapeId_ = std::max(HighestShapeId_, id); }

void TXLSDrawing::Rescan() {
    Images_.Clear();
    if (!Drawing_) return;
    for (int i = 0; i < Drawing_->TwoCellAnchorCount(); ++i) {
        TXc12TwoCellAnchor* anchor = Drawing_->TwoCellAnchor(i);
        if (!anchor->HasPicture) continue;
        Raise(anchor->Picture.Id);
        if (Drawing_->WasRead() && anchor->Picture.Image) Images_.Add(*this)->SetAnchor(anchor);
    }
    for (int i = 0; i < Drawing_->OneCellAnchorCount(); ++i)
        if (const TXc12OneCellAnchor* anchor = Drawing_->OneCellAnchor(i); anchor->HasPicture)
            Raise(anchor->Picture.Id);
    for (int i = 0; i < Drawing_->AbsoluteAnchorCount(); ++i)
        if (const TXc12AbsoluteAnchor* anchor = Drawing_->AbsoluteAnchor(i); anchor->HasPicture)
            Raise(anchor->Picture.Id);
}

int32_t TXLSDrawing::ColOffsetEmu(int col, double fraction) const {
    const int width = Columns_ ? Columns_->GetItems(col).GetWidth() : XLSDefaultColWidth;
    int digit = Manager_.StyleSheet().Fonts().DefaultCharWidth();
    if (digit <= 0) digit = FallbackDigitWidth;
    const int64_t pixels = std::llround(width / 256.0 * digit);
    return ToEmu(fraction, pixels * EmuPerPixel);
}

int32_t TXLSDrawing::RowOffsetEmu(int row, double fraction) const {
    const int height = Rows_ ? Rows_->GetItems(row).GetHeight() : XLSDefaultRowHeight;
    return ToEmu(fraction, height * EmuPerTwip);
}

bool TXLSDrawing::IdInUse(int id) const {
    for (int i = 0; i < Drawing_->TwoCellAnchorCount(); ++i)
        if (const TXc12TwoCellAnchor* anchor = Drawing_->TwoCellAnchor(i);
            anchor->HasPicture && anchor->Picture.Id == id)
            return true;
    return false;
}

TXLSDrawingImage* TXLSDrawing::AddImage(std::u16string_view fileName, base::TStream& data,
                                        const TXLSDrawingAnchor& anchor) {
    if (!Drawing_) return nullptr;
    TXc12GraphicImage* image = Manager_.GraphicManager().Images().AddFromFile(data, fileName);
    if (!image) return nullptr;
    TXc12TwoCellAnchor* added = Drawing_->AddTwoCellAnchor();
    added->From = {anchor.Col1, ColOffsetEmu(anchor.Col1, anchor.Col1Offset), anchor.Row1,
                   RowOffsetEmu(anchor.Row1, anchor.Row1Offset)};
    added->To = {anchor.Col2, ColOffsetEmu(anchor.Col2, anchor.Col2Offset), anchor.Row2,
                 RowOffsetEmu(anchor.Row2, anchor.Row2Offset)};
    // The image's number names the picture; a second picture of the same image takes the next
    // free id so that shape ids stay unique on the sheet.
    int id = image->Index() + 1;
    if (IdInUse(id)) {
        int highest = HighestShapeId_;
        for (int i = 0; i < Drawing_->TwoCellAnchorCount(); ++i)
            if (const TXc12TwoCellAnchor* other = Drawing_->TwoCellAnchor(i); other->HasPicture)
                highest = std::max(highest, other->Picture.Id);
        id = highest + 1;
    }
    Raise(id);
    added->HasPicture = true;
    added->Picture.Id = id;
    added->Picture.Name = base::Utf8ToUtf16(base::Format("Picture %d", {id}));
    added->Picture.Descr = image->FileName;
    added->Picture.NoChangeAspect = 1;
    added->Picture.Image = image;
    TXLSDrawingImage* wrapped = Images_.Add(*this);
    wrapped->SetAnchor(added);
    return wrapped;
}

TXLSDrawingImage* TXLSDrawing::AddPicture(const std::string& fileName, const TXLSDrawingAnchor& anchor) {
    base::TFileStream file(fileName, base::fmOpenRead | base::fmShareDenyNone);
    TXLSDrawingImage* image = AddImage(base::Utf8ToUtf16(fileName), file, anchor);
    if (image && OnPictureAdded) OnPictureAdded({fileName, anchor});
    return image;
}

}  // namespace xls
