#include <algorithm>
#include <cmath>
#include <numbers>

#include "pdf/pdf_encoding.h"
#include "pdf/pdf_page.h"

namespace pdf {
namespace {

constexpr double Kappa = 0.5522847498;  // control distance of a quarter ellipse
constexpr double HalfPi = std::numbers::pi / 2;
// Curve points are nudged by this much, as the page's arcs always were.
constexpr double Nudge = 0.0001;

double Radius(double a, double b) { return std::max(0.0, (std::fabs(a - b) - 1) / 2); }

TFloatPoint PointAt(double cx, double cy, double rx, double ry, double angle) {
    return {cx + rx * std::cos(angle), cy - ry * std::sin(angle)};
}

}  // namespace

void TPDFPage::ArcSegment(double cx, double cy, double rx, double ry, double start, double sweep, bool first) {
    if (sweep == 0) {
        const TFloatPoint p = PointAt(cx, cy, rx, ry, start);
        if (first) MoveToPt(p.X, p.Y);
        LineToPt(p.X, p.Y);
        return;
    }
    const double h = sweep / 2;
    const double ch = std::cos(h), sh = std::sin(h);
    const double cx1 = (4 - ch) / 3;
    const double t = sh - (4.0 / 3.0) * (1 - ch) * ch / sh;
    const double phi = start + h;
    const double cp = std::cos(phi), sp = std::sin(phi);
    auto place = [&](double x, double y) {
        return TFloatPoint{cx + rx * (x * cp + y * sp) - Nudge, cy + ry * (y * cp - x * sp) - Nudge};
    };
    if (first) {
        const TFloatPoint p0 = place(ch, sh);
        MoveToPt(p0.X, p0.Y);
    }
    const TFloatPoint p1 = place(cx1, t), p2 = place(cx1, -t), p3 = place(ch, -sh);
    CurveToPt(p1.X, p1.Y, p2.X, p2.Y, p3.X, p3.Y);
}

void TPDFPage::ArcPt(double cx, double cy, double rx, double ry, double start, double sweep) {
    bool first = true;
    while (sweep > HalfPi) {
        ArcSegment(cx, cy, rx, ry, start, HalfPi, first);
        first = false;
        start += HalfPi;
        sweep -= HalfPi;
    }
    ArcSegment(cx, cy, rx, ry, start, sweep, first);
}

TFloatPoint TPDFPage::ArcPointsInPt(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                    double y4, TFloatPoint& centre) {
    x1 = ToPointX(x1), x2 = ToPointX(x2), x3 = ToPointX(x3), x4 = ToPointX(x4);
    y1 = ToPointY(y1), y2 = ToPointY(y2), y3 = ToPointY(y3), y4 = ToPointY(y4);
    centre = {(x1 + x2) / 2, (y1 + y2) / 2};
    const double rx = Radius(x1, x2), ry = Radius(y1, y2);
    const double start = std::atan2(rx * (centre.Y - y4), ry * (x4 - centre.X));
    const double end = std::atan2(rx * (centre.Y - y3), ry * (x3 - centre.X));
    double sweep = end - start;
    if (sweep <= 0) sweep += 2 * std::numbers::pi;
    ArcPt(centre.X, centre.Y, rx, ry, start, sweep);
    return PointAt(centre.X, centre.Y, rx, ry, start);
}

TFloatPoint TPDFPage::ArcByAngles(double x1, double y1, double x2, double y2, double angle1, double angle2) {
    x1 = ToPointX(x1), x2 = ToPointX(x2), y1 = ToPointY(y1), y2 = ToPointY(y2);
    const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
    const double rx = Radius(x1, x2), ry = Radius(y1, y2);
    const double start = -angle2 * std::numbers::pi / 180;
    const double end = -angle1 * std::numbers::pi / 180;
    double sweep = end - start;
    if (sweep < 0) sweep += 2 * std::numbers::pi;
    ArcPt(cx, cy, rx, ry, start, sweep);
    PathPending_ = true;
    const TFloatPoint p = PointAt(cx, cy, rx, ry, start);
    return {ToDeviceX(p.X), ToDeviceY(p.Y)};
}

TFloatPoint TPDFPage::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    TFloatPoint centre;
    const TFloatPoint p = ArcPointsInPt(x1, y1, x2, y2, x3, y3, x4, y4, centre);
    PathPending_ = true;
    return {ToDeviceX(p.X), ToDeviceY(p.Y)};
}

void TPDFPage::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4, double y4) {
    TFloatPoint centre;
    const TFloatPoint start = ArcPointsInPt(x1, y1, x2, y2, x3, y3, x4, y4, centre);
    // The first subpath closes back to the start when filled; the second draws the other
    // radius when stroked.
    LineToPt(centre.X, centre.Y);
    MoveToPt(start.X, start.Y);
    LineToPt(centre.X, centre.Y);
}

void TPDFPage::Ellipse(double x1, double y1, double x2, double y2) {
    x1 = ToPointX(x1), x2 = ToPointX(x2), y1 = ToPointY(y1), y2 = ToPointY(y2);
    const double cx = (x1 + x2) / 2, cy = (y1 + y2) / 2;
    const double rx = (x2 - x1) / 2, ry = (y2 - y1) / 2;
    const double kx = Kappa * rx, ky = Kappa * ry;
    MoveToPt(cx + rx, cy);
    CurveToPt(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
    CurveToPt(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
    CurveToPt(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
    CurveToPt(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
    PathPending_ = true;
}

void TPDFPage::RoundRect(int x1, int y1, int x2, int y2, int width, int height) {
    OrderRect(x1, y1, x2, y2);
    const double a = width / 2.0, b = height / 2.0;
    const double ka = Kappa * a, kb = Kappa * b;
    MoveTo(x1 + a, y1);
    LineTo(x2 - a, y1);
    CurveTo(x2 - a + ka, y1, x2, y1 + b - kb, x2, y1 + b);
    LineTo(x2, y2 - b);
    CurveTo(x2, y2 - b + kb, x2 - a + ka, y2, x2 - a, y2);
    LineTo(x1 + a, y2);
    CurveTo(x1 + a - ka, y2, x1, y2 - b + kb, x1, y2 - b);
    LineTo(x1, y1 + b);
    CurveTo(x1, y1 + b - kb, x1 + a - ka, y1, x1 + a, y1);
    ClosePath();
}

}  // namespace pdf
