#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/font_style.h"
#include "pdf/pdf_float_point.h"
#include "pdf/pdf_links.h"
#include "platform/metafile_canvas.h"

namespace pdf {

class TPDFDocument;
class TPDFFont;
class TPDFImage;

// One A4 page of a document: its content stream, kept as CR LF terminated operator lines,
// and the direct drawing operations. Coordinates of the device-unit operations are in
// 1/Resolution inch with y growing downwards from the top edge.
class TPDFPage {
public:
    // Reserves the page object's number and opens the page's first graphics state.
    explicit TPDFPage(TPDFDocument& owner);
    TPDFPage(const TPDFPage&) = delete;
    TPDFPage& operator=(const TPDFPage&) = delete;

    static constexpr int Width = 595;
    static constexpr int Height = 842;

    TPDFDocument& Owner() const { return Owner_; }
    int PageObjNumber() const { return PageObjNumber_; }
    int Resolution() const { return Resolution_; }
    double Scale() const { return Scale_; }
    int GStateDepth() const { return GStateDepth_; }
    bool PathPending() const { return PathPending_; }
    const std::string& DashPattern() const { return Dash_; }
    // The content text: every operator line ends in CR LF.
    const std::string& Content() const { return Content_; }

    double ToPointX(double x) const { return x / Scale_; }
    double ToPointY(double y) const { return Height - y / Scale_; }
    double ToDeviceX(double x) const { return x * Scale_; }
    double ToDeviceY(double y) const { return (Height - y) * Scale_; }

    void AppendOperator(std::string_view text);
    void GStateSave();
    void GStateRestore();

    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3);
    void Rectangle(double x1, double y1, double x2, double y2);
    void MoveToPt(double x, double y);
    void LineToPt(double x, double y);
    void CurveToPt(double x1, double y1, double x2, double y2, double x3, double y3);
    void RectanglePt(double x, double y, double width, double height);

    void ClosePath();
    void NewPath();
    void Stroke();
    void Fill();
    void EoFill();
    void FillAndStroke();
    void EoFillAndStroke();
    void Clip();

    void SetLineWidth(double width);
    void SetLineCap(int cap);
    void SetLineJoin(int join);
    void SetDash(const std::string& dash);
    void NoDash();
    void SetRGBFillColor(double r, double g, double b);
    void SetRGBStrokeColor(double r, double g, double b);
    void Concat(double a, double b, double c, double d, double e, double f);
    void Translate(double x, double y);
    void Rotate(double angle);
    // Draws a registered image into the device rectangle whose top-left corner is (x, y),
    // turned by angle degrees about its bottom-left corner; nothing for an empty size.
    void ShowImage(int index, double x, double y, double width, double height, double angle);
    // A link annotation over a device rectangle (any corner order) to a new URI action.
    void CreateURLLink(double left, double top, double right, double bottom, const std::string& url);
    const std::vector<TPDFActionAnnotation>& Annotations() const { return Annotations_; }
    // The images the page drew, for the resources.
    const std::vector<TPDFImage*>& Images() const { return Images_; }

    // Curves and shapes (pdf_page_curves.cpp). Boxes are in device units; the arcs return
    // their start point in device units.
    TFloatPoint ArcByAngles(double x1, double y1, double x2, double y2, double angle1, double angle2);
    TFloatPoint Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);
    void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);
    void Ellipse(double x1, double y1, double x2, double y2);
    void RoundRect(int x1, int y1, int x2, int y2, int width, int height);

    // Text (pdf_page_text.cpp). Positions are in device units, angles in degrees
    // counter-clockwise, advances in device units (one per character, or none).
    void SetActiveFont(const std::string& name, TFontStyles style, double size, uint8_t charset = 0);
    void SetTextBaseline(bool baseline) { Baseline_ = baseline; }
    void SetHorizontalScaling(double percent);
    void SetCharacterSpacing(double spacing);
    void SetWordSpacing(double spacing);
    void SetRawCharacterSpacing(double spacing);
    void SetTextMatrix(double x, double y, double angle);
    void BeginText();
    void EndText();
    void TextOut(std::string_view text, double x, double y, double angle = 0);
    void WideTextOut(std::u16string_view text, double x, double y, double angle = 0);
    void ExtTextOut(std::string_view text, const double* advances, double x, double y, double angle = 0);
    void ExtWideTextOut(std::u16string_view text, const double* advances, double x, double y, double angle = 0);
    void GlyphTextOut(const uint16_t* glyphs, size_t count, const double* advances, double x, double y,
                      double angle = 0);
    void ShowText(std::string_view text);
    void ShowWideText(std::u16string_view text);
    // Advances here are in units of the font size.
    void ShowTextWithAdvances(std::string_view text, const double* advances);
    void ShowWideTextWithAdvances(std::u16string_view text, const double* advances);
    void ShowGlyphs(const uint16_t* glyphs, size_t count, const double* advances);
    // The same at a text matrix set first (x, y in points).
    void ShowTextAt(std::string_view text, double x, double y, double angle = 0);
    void ShowWideTextAt(std::u16string_view text, double x, double y, double angle = 0);
    void ShowTextWithAdvancesAt(std::string_view text, const double* advances, double x, double y, double angle = 0);
    void ShowWideTextWithAdvancesAt(std::u16string_view text, const double* advances, double x, double y,
                                    double angle = 0);
    void ShowGlyphsAt(const uint16_t* glyphs, size_t count, const double* advances, double x, double y,
                      double angle = 0);
    double TextWidth(std::string_view text);
    double WideTextWidth(std::u16string_view text);
    double TextWidthDevice(std::string_view text) { return TextWidth(text) * Scale_; }
    double WideTextWidthDevice(std::u16string_view text) { return WideTextWidth(text) * Scale_; }
    double TextRise();
    // Links over the words of a text at (x, y) that begin with a URL prefix, when the
    // document asks for them and the text is not turned. widthBefore gives the device width
    // of the text's first n characters; linkText the caller's characters of a span.
    void AddURLLinks(std::string_view lowered, double x, double y, double angle,
                     const std::function<double(size_t)>& widthBefore,
                     const std::function<std::string(size_t, size_t)>& linkText);
    bool InText() const { return InText_; }
    // The fonts the page's text selected, for the resources.
    const std::vector<TPDFFont*>& Fonts() const { return Fonts_; }

    // Writes the resources, the content stream and the page object, then drops the content.
    void Save();

    // The page's metafile canvas, in pixels of the 96-per-inch reference device; null once
    // closed. Closing converts its drawing into operators that lie under everything drawn
    // directly on the page.
    platform::TMetafileCanvas* Canvas() const { return Canvas_.get(); }
    void CreateCanvas();
    void CloseCanvas();

private:
    // One operator line: the values blank-separated, then the operator.
    void AddLine(std::initializer_list<double> values, std::string_view op);
    // A painting operator ends the pending path.
    void Paint(std::string_view op);
    void AppendText(std::string_view text);
    void SelectFont(bool unicode);
    TPDFFont& WinAnsiFont();
    TPDFFont& UnicodeFont();
    std::u16string ToWide(std::string_view text) const;
    double MeasuredWidth(double units, int blanks, int characters) const;
    void PlaceText(double x, double y, double angle);
    void DrawTextDecoration(double width);
    void SlantedBar(double x, double y, double length, double thickness, double angle);
    void WriteRun(const std::string& run, bool unicode);
    void ArcPt(double cx, double cy, double rx, double ry, double start, double sweep);
    void ArcSegment(double cx, double cy, double rx, double ry, double start, double sweep, bool first);
    TFloatPoint ArcPointsInPt(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4,
                              TFloatPoint& centre);

    TPDFDocument& Owner_;
    int PageObjNumber_ = 0;
    int ResourcesObjNumber_ = 0;
    int ContentsObjNumber_ = 0;
    int Resolution_;
    double Scale_;
    int GStateDepth_ = 0;
    bool PathPending_ = false;
    std::string Dash_ = "[] 0";
    std::string Content_;

    std::string FontName_ = "Helvetica";
    TFontStyles FontStyle_ = 0;
    double FontSize_ = 8;
    uint8_t Charset_ = 0;
    bool FontChanged_ = true;
    TPDFFont* CurrentFont_ = nullptr;
    bool CurrentUnicode_ = false;
    int FontDepth_ = 0;
    double Tc_ = 0, Tw_ = 0, Tz_ = 100;
    bool Baseline_ = false;
    double TextX_ = 0, TextY_ = 0, TextAngle_ = 0;
    bool InText_ = false;
    bool TextShown_ = false;
    std::vector<TPDFFont*> Fonts_;
    std::vector<TPDFImage*> Images_;
    std::vector<TPDFActionAnnotation> Annotations_;
    bool GrayImage_ = false;
    bool ColourImage_ = false;
    std::unique_ptr<platform::TMetafileCanvas> Canvas_;
};

}  // namespace pdf
