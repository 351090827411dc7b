#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "skin/element_paint.h"
#include "skin/skin_colours.h"

namespace skin {

// One skin element: a strip of FrameCount frames with fixed margins and drawing flags.
class TDataSkinObject {
public:
    explicit TDataSkinObject(std::string name = {}) : Name(std::move(name)) {}
    virtual ~TDataSkinObject() = default;

    TMargins Margins() const { return {LeftWidth, TopHeight, RightWidth, BottomHeight}; }

    int32_t LeftWidth = 0;
    int32_t TopHeight = 0;
    int32_t RightWidth = 0;
    int32_t BottomHeight = 0;
    QImage Image;
    int32_t Trans = 0;  // non-zero: magenta pixels are see-through
    int32_t Tile = 0;   // centre tiled (1) or stretched (0); a border's stretch flag
    std::string Name;
    int32_t FrameCount = 0;
    int32_t Style = 0;
    int32_t NormalColour = -1;
    int32_t MouseOverColour = -1;
    int32_t PressedColour = -1;
    TColor NormalColour2 = 0;  // text colours of the three states
    TColor MouseOverColour2 = 0;
    TColor PressedColour2 = 0;
};

// An element with a second image: the tab glyphs, the up-down arrows, the combo button's
// mirrored image; empty for the frame borders and the progress bar.
class TDataSkinBorder : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    QImage Glyph;
};

inline constexpr TColor TitleColourNotGiven = 0x1FFFFFFF;

// The caption text settings; the margins hold TextShift (left), TextShiftVert (top) and
// TextRightClip (right), and Image the text background.
class TDataSkinTitle : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t TextAlignment = 0;
    int32_t Textbackground = 0;
    int32_t FontHeight = 0;
    int32_t TXTBackleft = 0;
    int32_t TXTBackRight = 0;
    TColor ActiveText = TitleColourNotGiven;
    TColor InActiveText = TitleColourNotGiven;
};

class TDataSkinButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    QImage CheckImage;
    QImage RadioImage;
    int32_t RadioButtonFrame = 0;
    int32_t CheckButtonFrame = 0;
    bool NormalColour2Given = false;
    bool MouseOverColour2Given = false;
    bool PressedColour2Given = false;
};

// One caption button.
class TDataSkinSysButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t Action = 0;
    int32_t Align = 0;
    int32_t Xcoord = 0;
    int32_t Ycoord = 0;
    int32_t CombineOp = 0;
    int32_t Visibility = 0;
    int32_t Visibility1 = 0;
};

// The group box caption's background.
class TDataSkinBoxLabel : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t BackgroundLeftShift = 0;
    int32_t BackgroundRightShift = 0;
    int32_t BackgroundAlignment = 0;
};

}  // namespace skin
