#pragma once

#include <QImage>
#include <vector>

namespace skin {

// The glyphs of the system-menu items, indexed as the items use them.
enum TMenuImageIndex { miRestore = 0, miMaximize = 1, miMinimize = 2, miClose = 3, MenuImageCount };

// A list of same-sized images with see-through backgrounds.
struct TSkinImageList {
    int Width = 16;
    int Height = 16;
    std::vector<QImage> Images;
};

// Our own 64 x 16 monochrome strip of the four glyphs: black on white.
QImage MenuImageStrip();
// The strip cut into 16 x 16 images, white made see-through.
TSkinImageList MakeMenuImages();

}  // namespace skin
