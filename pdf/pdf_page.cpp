#include "pdf/pdf_page.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "pdf/emf_parser.h"
#include "pdf/pdf_deflate.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_font.h"
#include "pdf/pdf_image.h"
#include "pdf/pdf_number_format.h"

namespace pdf {

TPDFPage::TPDFPage(TPDFDocument& owner)
    : Owner_(owner),
      PageObjNumber_(owner.Writer().NextObjectNumber()),
      Resolution_(owner.Resolution()),
      Scale_(owner.Resolution() / 72.0) {
    GStateSave();
}

void TPDFPage::CreateCanvas() {
    const int dpi = TEMWParser::ReferencePixelsPerInch;
    Canvas_ = std::make_unique<platform::TMetafileCanvas>((Width * dpi + 36) / 72, (Height * dpi + 36) / 72);
}

void TPDFPage::CloseCanvas() {
    if (!Canvas_) return;
    const std::string metafile = Canvas_->Finish();
    Canvas_.reset();
    TEMWParser parser(*this);
    parser.LoadMetafile(metafile);
    int width = 0, height = 0;
    parser.GetMetafileSize(width, height);
    if (width < 1 || height < 1) return;
    EndText();
    std::string own = std::move(Content_);
    Content_.clear();
    FontChanged_ = true;
    parser.Execute();
    EndText();
    Content_ += "\r\n";
    Content_ += own;
}

void TPDFPage::AddLine(std::initializer_list<double> values, std::string_view op) {
    EndText();
    for (double value : values) {
        AppendPDFFloat(Content_, value);
        Content_ += ' ';
    }
    Content_ += op;
    Content_ += "\r\n";
}

void TPDFPage::AppendOperator(std::string_view text) {
    EndText();
    Content_ += text;
    Content_ += "\r\n";
}

void TPDFPage::GStateSave() {
    AppendOperator("q");
    ++GStateDepth_;
}

void TPDFPage::GStateRestore() {
    // The page's own first "q" is closed only when the page is written.
    if (GStateDepth_ <= 1) return;
    AppendOperator("Q");
    --GStateDepth_;
    if (GStateDepth_ < FontDepth_) FontChanged_ = true;
}

void TPDFPage::MoveTo(double x, double y) {
    MoveToPt(ToPointX(x), ToPointY(y));
    PathPending_ = true;
}

void TPDFPage::LineTo(double x, double y) {
    LineToPt(ToPointX(x), ToPointY(y));
    PathPending_ = true;
}

void TPDFPage::CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) {
    CurveToPt(ToPointX(x1), ToPointY(y1), ToPointX(x2), ToPointY(y2), ToPointX(x3), ToPointY(y3));
    PathPending_ = true;
}

void TPDFPage::Rectangle(double x1, double y1, double x2, double y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    RectanglePt(ToPointX(x1), ToPointY(y2), (x2 - x1) / Scale_, (y2 - y1) / Scale_);
    PathPending_ = true;
}

void TPDFPage::MoveToPt(double x, double y) { AddLine({x, y}, "m"); }

void TPDFPage::LineToPt(double x, double y) { AddLine({x, y}, "l"); }

void TPDFPage::CurveToPt(double x1, double y1, double x2, double y2, double x3, double y3) {
    AddLine({x1, y1, x2, y2, x3, y3}, "c");
}

void TPDFPage::RectanglePt(double x, double y, double width, double height) { AddLine({x, y, width, height}, "re"); }

void TPDFPage::ClosePath() { AppendOperator("h"); }

void TPDFPage::NewPath() { AppendOperator("n"); }

void TPDFPage::Paint(std::string_view op) {
    AppendOperator(op);
    PathPending_ = false;
}

void TPDFPage::Stroke() { Paint("S"); }

void TPDFPage::Fill() { Paint("f"); }

void TPDFPage::EoFill() { Paint("f*"); }

void TPDFPage::FillAndStroke() { Paint("B"); }

void TPDFPage::EoFillAndStroke() { Paint("B*"); }

void TPDFPage::Clip() {
    if (PathPending_) AppendOperator("W");
}

void TPDFPage::SetLineWidth(double width) { AddLine({width / Scale_}, "w"); }

void TPDFPage::SetLineCap(int cap) {
    EndText();
    AppendPDFInt(Content_, cap);
    Content_ += " J\r\n";
}

void TPDFPage::SetLineJoin(int join) {
    EndText();
    AppendPDFInt(Content_, join);
    Content_ += " j\r\n";
}

void TPDFPage::SetDash(const std::string& dash) {
    if (dash == Dash_) return;
    Dash_ = dash;
    EndText();
    Content_ += dash;
    Content_ += " d\r\n";
}

void TPDFPage::NoDash() { SetDash("[] 0"); }

void TPDFPage::SetRGBFillColor(double r, double g, double b) { AddLine({r, g, b}, "rg"); }

void TPDFPage::SetRGBStrokeColor(double r, double g, double b) { AddLine({r, g, b}, "RG"); }

void TPDFPage::Concat(double a, double b, double c, double d, double e, double f) { AddLine({a, b, c, d, e, f}, "cm"); }

void TPDFPage::Translate(double x, double y) { Concat(1, 0, 0, 1, x, y); }

void TPDFPage::Rotate(double angle) {
    const double radians = angle * std::numbers::pi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    Concat(c, s, -s, c, 0, 0);
}

namespace {

template <typename TResource>
void NumberResources(TPDFObjectWriter& writer, const std::vector<TResource*>& resources) {
    for (TResource* resource : resources)
        if (resource->ObjNumber < 1) resource->ObjNumber = writer.NextObjectNumber();
}

// "/Name N 0 R" lines of fonts or images under their heading; nothing for none.
template <typename TResource>
void WriteResourceDictionary(TPDFObjectWriter& writer, std::string_view heading,
                             const std::vector<TResource*>& resources) {
    if (resources.empty()) return;
    writer.WriteLine(heading);
    for (TResource* resource : resources) {
        std::string entry = "/" + resource->ResourceName + " ";
        AppendPDFInt(entry, resource->ObjNumber);
        entry += " 0 R";
        writer.WriteLine(entry);
    }
    writer.WriteLine(">>");
}

}  // namespace

void TPDFPage::ShowImage(int index, double x, double y, double width, double height, double angle) {
    if (width == 0 || height == 0) return;
    if (index < 0 || index >= Owner_.Images().Count()) throw TPDFException("Out of range");
    TPDFImage& image = Owner_.Images().GetImage(index);
    (image.Gray() ? GrayImage_ : ColourImage_) = true;
    GStateSave();
    Translate(ToPointX(x), ToPointY(y) - height / Scale_);
    if (std::fabs(angle) > 0.001) Rotate(angle);
    Concat(width / Scale_, 0, 0, height / Scale_, 0, 0);
    AppendOperator("/" + image.ResourceName + " Do");
    GStateRestore();
    if (std::find(Images_.begin(), Images_.end(), &image) == Images_.end()) Images_.push_back(&image);
}

void TPDFPage::CreateURLLink(double left, double top, double right, double bottom, const std::string& url) {
    if (url.empty()) throw TPDFException("URL cannot be empty");
    TPDFActionAnnotation annotation;
    annotation.ObjNumber = Owner_.Writer().NextObjectNumber();
    annotation.Left = int(std::lround(ToPointX(std::min(left, right))));
    annotation.Right = int(std::lround(ToPointX(std::max(left, right))));
    annotation.Top = int(std::lround(ToPointY(std::min(top, bottom))));
    annotation.Bottom = int(std::lround(ToPointY(std::max(top, bottom))));
    annotation.Action = &Owner_.AddURLAction(url);
    Annotations_.push_back(annotation);
}

void TPDFPage::Save() {
    EndText();
    while (GStateDepth_ > 1) GStateRestore();
    TPDFObjectWriter& writer = Owner_.Writer();
    ResourcesObjNumber_ = writer.NextObjectNumber();
    ContentsObjNumber_ = writer.NextObjectNumber();
    GStateDepth_ = 2;
    GStateRestore();

    // Fonts and images get their numbers now, so that pages can refer to them before they are written.
    NumberResources(writer, Fonts_);
    NumberResources(writer, Images_);
    writer.BeginObject(ResourcesObjNumber_);
    writer.WriteLine(" /ProcSet [/PDF ", false);
    if (!Fonts_.empty()) writer.WriteLine("/Text ", false);
    if (GrayImage_) writer.WriteLine("/ImageB ", false);
    if (ColourImage_) writer.WriteLine("/ImageC ", false);
    writer.WriteLine("]");
    WriteResourceDictionary(writer, "/Font <<", Fonts_);
    WriteResourceDictionary(writer, " /XObject <<", Images_);
    writer.EndDictionary();
    writer.EndObject();

    if (Owner_.Compression() == TCompressionType::ctFlate)
        writer.WriteStreamObject(ContentsObjNumber_, Deflate(Content_), "/Filter /FlateDecode");
    else
        writer.WriteStreamObject(ContentsObjNumber_, Content_, {});
    std::string().swap(Content_);

    std::string line;
    writer.BeginObject(PageObjNumber_);
    writer.WriteLine("/Type /Page");
    line = "/Parent ";
    AppendPDFInt(line, Owner_.PagesObjNumber());
    line += " 0 R";
    writer.WriteLine(line);
    line = "/Resources ";
    AppendPDFInt(line, ResourcesObjNumber_);
    line += " 0 R";
    writer.WriteLine(line);
    line = "/Contents [";
    AppendPDFInt(line, ContentsObjNumber_);
    line += " 0 R]";
    writer.WriteLine(line);
    line = "/MediaBox [0 0 ";
    AppendPDFInt(line, Width);
    line += ' ';
    AppendPDFInt(line, Height);
    line += ']';
    writer.WriteLine(line);
    if (!Annotations_.empty()) {
        writer.WriteLine("/Annots [");
        for (const TPDFActionAnnotation& annotation : Annotations_)
            writer.WriteLine(FormatPDFInt(annotation.ObjNumber) + " 0 R");
        writer.WriteLine("]");
    }
    writer.EndDictionary();
    writer.EndObject();
    for (const TPDFActionAnnotation& annotation : Annotations_) annotation.Save(writer);
}

}  // namespace pdf
