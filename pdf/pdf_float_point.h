#pragma once

namespace pdf {

// A point of floating coordinates, the result of the arc operations.
struct TFloatPoint {
    double X = 0;
    double Y = 0;
};

inline TFloatPoint FloatPoint(double x, double y) { return {x, y}; }

// Turns (x, y) about the origin by the angle in degrees.
TFloatPoint RotatePoint(double x, double y, double angle);

}  // namespace pdf
