#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "pdf/pdf_float_point.h"

namespace pdf {

class TPDFDocument;

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

    // Curves and shapes (pdf_page_curves.cpp). Boxes are in device units; the arcs return
    // their start point in device units.
    TFloatPoint ArcByAngles(double x1, double y1, double x2, double y2, double angle1, double angle2);
    TFloatPoint Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);
    void Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4);
    void Ellipse(double x1, double y1, double x2, double y2);
    void RoundRect(int x1, int y1, int x2, int y2, int width, int height);

    // Writes the resources, the content stream and the page object, then drops the content.
    void Save();

private:
    // One operator line: the values blank-separated, then the operator.
    void AddLine(std::initializer_list<double> values, std::string_view op);
    // A painting operator ends the pending path.
    void Paint(std::string_view op);
    void ArcPt(double cx, double cy, double rx, double ry, double start, double sweep);
    void ArcSegment(double cx, double cy, double rx, double ry, double start, double sweep, bool first);
    TFloatPoint ArcPointsInPt(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                              double y4, TFloatPoint& centre);

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
};

}  // namespace pdf
