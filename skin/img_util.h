#pragma once

#include <QImage>
#include <QRect>
#include <vector>

#include "skin/skin_colours.h"

class QPainter;

namespace skin {

// Bitmap and colour utilities shared by the skin data and the skinners.

// Makes the image 24-bit colour and paints every magenta pixel in the colour's own bytes.
void ReplaceKeyColour(QImage& image, TColor colour);
// Exchanges left and right.
void MirrorBitmap(QImage& image);
// Exchanges top and bottom.
void FlipBitmap(QImage& image);
// Turned a quarter anticlockwise: new (x, y) = old (old width - 1 - y, x).
void RotateBitmapLeft(QImage& image);
// Turned a quarter clockwise: new (x, y) = old (y, old height - 1 - x).
void RotateBitmapRight(QImage& image);
// Weight W of A against B: in per cent below 100, in per mille from 100 on (150 is 15 %).
TColor BlendColours(TColor a, TColor b, int weight);
// 0 to 255; 200 for a colour whose three bytes are all below 160.
int ColourSaturation(TColor colour);

// count colours from c1 to c2 (one per line of a gradient), kept in a small cache of 16 slots
// reused round robin, so repeated paints of the same bar compute nothing. The slot's colours
// stay valid until 16 further gradients have been made.
const std::vector<TColor>& GetGradient(int count, TColor c1, TColor c2);
// Fills the rectangle line by line from c1 (top or left) to c2.
void GradientFillRect(QPainter& painter, const QRect& rect, TColor c1, TColor c2, bool vertical);

QColor ToQColor(TColor colour);

}  // namespace skin
