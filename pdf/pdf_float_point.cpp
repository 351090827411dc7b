#include "pdf/pdf_float_point.h"

#include <cmath>
#include <numbers>

namespace pdf {

TFloatPoint RotatePoint(double x, double y, double angle) {
    const double radians = angle * std::numbers::pi / 180.0;
    const double c = std::cos(radians), s = std::sin(radians);
    return {x * c - y * s, x * s + y * c};
}

}  // namespace pdf
