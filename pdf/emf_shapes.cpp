// Path brackets, lines, curves, polygons, boxes, arcs and pixels of a page's metafile.
#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "pdf/emf_parser.h"
#include "pdf/pdf_page.h"

namespace pdf {

using namespace platform::emf;

namespace {

// The nearest integer, kept inside the range every page coordinate can take.
int32_t Nearest(double value) { return int32_t(std::lround(std::clamp(value, -1e9, 1e9))); }

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

}  // namespace

std::vector<TEmfPoint> TEMWParser::ReadPoints(TReader& r, bool small) {
    r.Skip(16);  // bounds
    const uint32_t count = r.U32LE();
    if (count > r.Remaining() / (small ? 4 : 8)) RecordShort();
    std::vector<TEmfPoint> points(count);
    for (TEmfPoint& p : points) p = ReadPoint(r, small);
    return points;
}

void TEMWParser::DoShapeRecord(uint32_t type, TReader& r) {
    const bool small = type >= EMR_POLYBEZIER16 && type <= EMR_POLYDRAW16;
    switch (type) {
        case EMR_BEGINPATH:
            InPath_ = true;
            Page_.NewPath();
            Page_.MoveTo(MapX(CurrentPosition_.X), MapY(CurrentPosition_.Y));
            return;
        case EMR_ENDPATH: InPath_ = false; return;
        case EMR_ABORTPATH:
            Page_.NewPath();
            InPath_ = false;
            return;
        case EMR_CLOSEFIGURE: Page_.ClosePath(); return;
        case EMR_FILLPATH:
            InPath_ = false;
            // The device's fill mode decides between the even-odd and the winding rule.
            if (!BrushNull_) Dc_.State.PolyFillMode == ALTERNATE ? Page_.EoFill() : Page_.Fill();
            Page_.NewPath();
            return;
        case EMR_STROKEANDFILLPATH:
            InPath_ = false;
            PaintClosed();
            Page_.NewPath();
            return;
        case EMR_STROKEPATH:
            InPath_ = false;
            PaintOpen();
            Page_.NewPath();
            return;
        case EMR_POLYBEZIER:
        case EMR_POLYBEZIER16: return DoPolyBezier(ReadPoints(r, small));
        case EMR_POLYBEZIERTO:
        case EMR_POLYBEZIERTO16: return DoPolyBezierTo(ReadPoints(r, small));
        case EMR_POLYGON:
        case EMR_POLYGON16: return DoPolygon(ReadPoints(r, small));
        case EMR_POLYLINE:
        case EMR_POLYLINE16: return DoPolyline(ReadPoints(r, small));
        case EMR_POLYLINETO:
        case EMR_POLYLINETO16: return DoPolylineTo(ReadPoints(r, small));
        case EMR_POLYPOLYLINE:
        case EMR_POLYPOLYLINE16: return DoPolyPoly(r, small, false);
        case EMR_POLYPOLYGON:
        case EMR_POLYPOLYGON16: return DoPolyPoly(r, small, true);
        case EMR_POLYDRAW:
        case EMR_POLYDRAW16: return DoPolyDraw(r, small);
        case EMR_LINETO: {
            const TEmfPoint p = ReadPoint(r, false);
            if (!InPath_) Page_.MoveTo(MapX(CurrentPosition_.X), MapY(CurrentPosition_.Y));
            Page_.LineTo(MapX(p.X), MapY(p.Y));
            CurrentPosition_ = p;
            if (!InPath_) PaintOpen();
            return;
        }
        case EMR_RECTANGLE: {
            const TRect b = ReadRect(r);
            if (b.Left == b.Right || b.Top == b.Bottom) return Page_.NewPath();
            Page_.Rectangle(MapX(b.Left), MapY(b.Top), MapX(b.Right), MapY(b.Bottom));
            if (!InPath_) PaintBox();
            return;
        }
        case EMR_ELLIPSE: {
            const TRect b = ReadRect(r);
            Page_.Ellipse(MapX(b.Left), MapY(b.Top), MapX(b.Right), MapY(b.Bottom));
            if (!InPath_) PaintBox();
            return;
        }
        case EMR_ROUNDRECT: {
            const TRect b = ReadRect(r);
            const TEmfPoint corner = ReadPoint(r, false);
            Page_.RoundRect(Nearest(MapX(b.Left)), Nearest(MapY(b.Top)), Nearest(MapX(b.Right)),
                            Nearest(MapY(b.Bottom)), Nearest(MapX(corner.X)), Nearest(MapY(corner.Y)));
            if (!InPath_) PaintBox();
            return;
        }
        case EMR_ARC:
        case EMR_CHORD:
        case EMR_PIE: return DoArcRecord(type, r);
        case EMR_ARCTO: return DoArcTo(r);
        case EMR_ANGLEARC: return DoAngleArc(r);
        case EMR_SETPIXELV: return DoSetPixel(r);
        default: return;
    }
}

void TEMWParser::DoPolyBezier(const std::vector<TEmfPoint>& p) {
    if (p.size() < 4) return;
    Page_.MoveTo(MapX(p[0].X), MapY(p[0].Y));
    for (size_t i = 1; i + 2 < p.size(); i += 3)
        Page_.CurveTo(MapX(p[i].X), MapY(p[i].Y), MapX(p[i + 1].X), MapY(p[i + 1].Y), MapX(p[i + 2].X),
                      MapY(p[i + 2].Y));
    if (!InPath_) PaintOpen();
}

void TEMWParser::DoPolyBezierTo(const std::vector<TEmfPoint>& p) {
    if (p.size() < 3) return;
    if (!InPath_) Page_.MoveTo(MapX(CurrentPosition_.X), MapY(CurrentPosition_.Y));
    for (size_t i = 0; i + 2 < p.size(); i += 3) {
        Page_.CurveTo(MapX(p[i].X), MapY(p[i].Y), MapX(p[i + 1].X), MapY(p[i + 1].Y), MapX(p[i + 2].X),
                      MapY(p[i + 2].Y));
        CurrentPosition_ = p[i + 2];
    }
    if (!InPath_) PaintOpen();
}

void TEMWParser::DoPolygon(const std::vector<TEmfPoint>& p) {
    if (p.empty()) return;
    Page_.NewPath();
    Page_.MoveTo(MapX(p[0].X), MapY(p[0].Y));
    for (size_t i = 1; i < p.size(); ++i) Page_.LineTo(MapX(p[i].X), MapY(p[i].Y));
    if (InPath_) return;
    Page_.ClosePath();
    PaintClosed();
}

void TEMWParser::DoPolyline(const std::vector<TEmfPoint>& p) {
    if (p.empty()) return;
    Page_.NewPath();
    Page_.MoveTo(MapX(p[0].X), MapY(p[0].Y));
    for (size_t i = 1; i < p.size(); ++i) Page_.LineTo(MapX(p[i].X), MapY(p[i].Y));
    if (!InPath_) PaintOpen();
}

void TEMWParser::DoPolylineTo(const std::vector<TEmfPoint>& p) {
    if (p.empty()) return;
    if (!InPath_) {
        Page_.NewPath();
        Page_.MoveTo(MapX(CurrentPosition_.X), MapY(CurrentPosition_.Y));
    }
    for (const TEmfPoint& point : p) Page_.LineTo(MapX(point.X), MapY(point.Y));
    if (!InPath_) PaintOpen();
    CurrentPosition_ = p.back();
}

void TEMWParser::DoPolyPoly(TReader& r, bool small, bool closed) {
    r.Skip(16);  // bounds
    const uint32_t polys = r.U32LE(), total = r.U32LE();
    if (polys > r.Remaining() / 4) RecordShort();
    std::vector<uint32_t> counts(polys);
    uint64_t sum = 0;
    for (uint32_t& count : counts) sum += count = r.U32LE();
    if (sum > total || total > r.Remaining() / (small ? 4 : 8)) RecordShort();
    Page_.NewPath();
    for (uint32_t count : counts) {
        if (count == 0) continue;
        const TEmfPoint first = ReadPoint(r, small);
        Page_.MoveTo(MapX(first.X), MapY(first.Y));
        for (uint32_t i = 1; i < count; ++i) {
            const TEmfPoint p = ReadPoint(r, small);
            Page_.LineTo(MapX(p.X), MapY(p.Y));
        }
        if (closed) Page_.LineTo(MapX(first.X), MapY(first.Y));
    }
    if (closed)
        PaintClosed();
    else if (!InPath_)
        PaintOpen();
}

void TEMWParser::DoArcRecord(uint32_t type, TReader& r) {
    const TRect b = ReadRect(r);
    TEmfPoint start = ReadPoint(r, false), end = ReadPoint(r, false);
    if (!ArcCounterClockwise_) std::swap(start, end);
    const double x1 = MapX(b.Left), y1 = MapY(b.Top), x2 = MapX(b.Right), y2 = MapY(b.Bottom);
    if (type == EMR_PIE) {
        Page_.Pie(x1, y1, x2, y2, MapX(start.X), MapY(start.Y), MapX(end.X), MapY(end.Y));
        if (!InPath_) PaintClosed();
        return;
    }
    const TFloatPoint from = Page_.Arc(x1, y1, x2, y2, MapX(start.X), MapY(start.Y), MapX(end.X), MapY(end.Y));
    if (type == EMR_ARC) {
        if (!InPath_) PaintOpen();
        return;
    }
    Page_.LineTo(from.X, from.Y);
    if (!InPath_) PaintClosed();
}

void TEMWParser::DoArcTo(TReader& r) {
    const TRect b = ReadRect(r);
    TEmfPoint start = ReadPoint(r, false), end = ReadPoint(r, false);
    Page_.MoveTo(MapX(CurrentPosition_.X), MapY(CurrentPosition_.Y));
    if (!ArcCounterClockwise_) std::swap(start, end);
    const double cx = (double(b.Left) + b.Right) / 2, cy = (double(b.Top) + b.Bottom) / 2;
    const double rx = std::fabs(double(b.Right) - b.Left) / 2, ry = std::fabs(double(b.Bottom) - b.Top) / 2;
    auto angle = [&](const TEmfPoint& p) { return std::atan2(-(p.Y - cy) * rx, (p.X - cx) * ry); };
    const double a0 = angle(start), a1 = angle(end);
    Page_.LineTo(MapX(cx + rx * std::cos(a0)), MapY(cy - ry * std::sin(a0)));
    Page_.Arc(MapX(b.Left), MapY(b.Top), MapX(b.Right), MapY(b.Bottom), MapX(start.X), MapY(start.Y), MapX(end.X),
              MapY(end.Y));
    CurrentPosition_ = {Nearest(cx + rx * std::cos(a1)), Nearest(cy - ry * std::sin(a1))};
    if (!InPath_) PaintOpen();
}

void TEMWParser::DoAngleArc(TReader& r) {
    const TEmfPoint c = ReadPoint(r, false);
    const double radius = r.U32LE();
    double start = std::bit_cast<float>(r.U32LE());
    const double sweep = std::bit_cast<float>(r.U32LE());
    if (!std::isfinite(start) || !std::isfinite(sweep)) return;
    // Whole turns of the start change nothing and would cost the sweep its precision.
    start = std::fmod(start, 360);
    Page_.MoveTo(MapX(CurrentPosition_.X), MapY(CurrentPosition_.Y));
    Page_.LineTo(MapX(c.X + radius * std::cos(Radians(start))), MapY(c.Y - radius * std::sin(Radians(start))));
    const double x1 = MapX(c.X - radius), y1 = MapY(c.Y - radius), x2 = MapX(c.X + radius), y2 = MapY(c.Y + radius);
    if (std::fabs(sweep) >= 360)
        Page_.Ellipse(x1, y1, x2, y2);
    else
        Page_.ArcByAngles(x1, y1, x2, y2, start, start + sweep);
    CurrentPosition_ = {Nearest(c.X + radius * std::cos(Radians(start + sweep))),
                        Nearest(c.Y - radius * std::sin(Radians(start + sweep)))};
    if (!InPath_) PaintOpen();
}

void TEMWParser::DoPolyDraw(TReader& r, bool small) {
    r.Skip(16);  // bounds
    const uint32_t count = r.U32LE();
    if (count > r.Remaining() / (small ? 5 : 9)) RecordShort();
    std::vector<TEmfPoint> points(count);
    for (TEmfPoint& p : points) p = ReadPoint(r, small);
    const auto types = r.Bytes(count);
    if (small) {
        Page_.SetLineCap(2);
        Page_.SetLineJoin(2);
    }
    if (!InPath_) Page_.NewPath();
    Page_.MoveTo(MapX(CurrentPosition_.X), MapY(CurrentPosition_.Y));
    TEmfPoint figure = CurrentPosition_;
    bool lastMove = false;
    auto lineTo = [&](const TEmfPoint& p) { Page_.LineTo(MapX(p.X), MapY(p.Y)); };
    for (size_t i = 0; i < count; ++i) {
        const uint8_t kind = types[i];
        if (kind == PT_MOVETO) {
            figure = points[i];
            // The 16-bit record joins two moves in a row with a line.
            small&& lastMove ? lineTo(points[i]) : Page_.MoveTo(MapX(points[i].X), MapY(points[i].Y));
            CurrentPosition_ = points[i];
            lastMove = true;
            continue;
        }
        lastMove = false;
        if (kind & PT_LINETO) {
            lineTo(points[i]);
            CurrentPosition_ = points[i];
            if (kind & PT_CLOSEFIGURE) {
                lineTo(figure);
                CurrentPosition_ = figure;
            }
        } else if (kind & PT_BEZIERTO) {
            if (i + 2 >= count) break;
            Page_.CurveTo(MapX(points[i].X), MapY(points[i].Y), MapX(points[i + 1].X), MapY(points[i + 1].Y),
                          MapX(points[i + 2].X), MapY(points[i + 2].Y));
            CurrentPosition_ = points[i + 2];
            if (types[i + 2] & PT_CLOSEFIGURE) {
                lineTo(figure);
                CurrentPosition_ = figure;
            }
            i += 2;
        }
    }
    if (!InPath_) PaintOpen();
    if (small) Page_.SetLineCap(1);
}

void TEMWParser::DoSetPixel(TReader& r) {
    const TEmfPoint p = ReadPoint(r, false);
    const uint32_t color = r.U32LE() & 0xFFFFFF;
    Page_.NewPath();
    const bool recolour = color != KeptPen_.Color, rewidth = KeptPenWidth_ != 1;
    auto stroke = [&](uint32_t c) {
        Page_.SetRGBStrokeColor((c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
    };
    if (recolour) stroke(color);
    if (rewidth) Page_.SetLineWidth(1);
    const double x = MapX(p.X), y = MapY(p.Y);
    Page_.MoveTo(x, y);
    Page_.LineTo(x + 0.01, y + 0.01);
    PaintOpen();
    if (rewidth) Page_.SetLineWidth(DeviceFactorX_ * KeptPenWidth_);
    if (recolour) ApplyPenColor();
}

}  // namespace pdf
