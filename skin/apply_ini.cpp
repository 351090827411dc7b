#include <algorithm>

#include "skin/img_util.h"
#include "skin/quick_ini.h"
#include "skin/skin_data.h"
#include "skin/skin_ini_values.h"
#include "skin/skin_reader.h"
#include "skin/skin_text.h"

namespace skin {

namespace {

// Reads the skin INI's sections into skin data objects.
class TIniApplier {
public:
    TIniApplier(const TQuickIni& ini, const TSkinReader& package, TColor buttonText)
        : Ini(ini), Package(package), ButtonText(buttonText) {}

    int32_t Int(std::string_view section, std::string_view key, int32_t defaultValue) const {
        return Ini.ReadInteger(section, key, defaultValue);
    }
    std::string Str(std::string_view section, std::string_view key) const { return Ini.ReadString(section, key, ""); }
    QImage Bitmap(std::string_view section, std::string_view key) const {
        return LoadEntryBitmap(Package, Str(section, key));
    }

    void ReadMargins(TDataSkinObject& e, std::string_view section) const {
        e.LeftWidth = Int(section, "LeftWidth", 0);
        e.RightWidth = Int(section, "RightWidth", 0);
        e.TopHeight = Int(section, "TopHeight", 0);
        e.BottomHeight = Int(section, "BottomHeight", 0);
    }

    void ReadColours(TDataSkinObject& e, std::string_view section) const {
        e.NormalColour = Int(section, "NormalColour", -1);
        e.MouseOverColour = Int(section, "MouseOverColour", -1);
        e.PressedColour = Int(section, "PressedColour", -1);
        e.NormalColour2 = ReadRGB(Str(section, "NormalColour2"), ButtonText);
        e.MouseOverColour2 = ReadRGB(Str(section, "MouseOverColour2"), ButtonText);
        e.PressedColour2 = ReadRGB(Str(section, "PressedColour2"), ButtonText);
    }

    // The element of a section whose "Image" names a bitmap; none when the key has no value.
    template <class T>
    std::unique_ptr<T> Element(std::string_view section, bool readFrame) const {
        const std::string value = Str(section, "Image");
        if (value.empty()) return nullptr;
        auto e = std::make_unique<T>(std::string(section));
        e->Image = LoadEntryBitmap(Package, value);
        e->Style = Int(section, "Style", 0);
        ReadMargins(*e, section);
        if (readFrame) e->FrameCount = Int(section, "Frame", 0);
        e->Trans = Int(section, "Trans", 0);
        e->Tile = Int(section, "Tile", 0);
        ReadColours(*e, section);
        if (e->Tile > 1) e->Tile = 0;
        return e;
    }

    std::unique_ptr<TDataSkinBorder> ElementWithGlyph(std::string_view section, std::string_view glyphKey) const {
        auto e = Element<TDataSkinBorder>(section, false);
        if (e && !glyphKey.empty()) e->Glyph = Bitmap(section, glyphKey);
        return e;
    }

    std::unique_ptr<TDataSkinBorder> Progress() const {
        const std::string value = Str("Progress", "Bitmap");
        if (value.empty()) return nullptr;
        auto e = std::make_unique<TDataSkinBorder>("Progress");
        e->Image = LoadEntryBitmap(Package, value);
        e->Style = Int("Progress", "Style", 0);
        ReadMargins(*e, "Progress");
        e->Trans = Int("Progress", "Trans", 0);
        e->Tile = std::min(Int("Progress", "Tile", 0), 1);
        return e;
    }

    std::unique_ptr<TDataSkinBoxLabel> GroupBox() const {
        auto e = Element<TDataSkinBoxLabel>("GroupBox", false);
        if (!e) return e;
        e->BackgroundAlignment = Int("GroupBox", "BackgroundAlignment", 0);
        e->BackgroundLeftShift = Int("GroupBox", "BackgroundLeftShift", 0);
        e->BackgroundRightShift = Int("GroupBox", "BackgroundRightShift", 0);
        return e;
    }

    void Buttons(TDataSkinButton& b) const {
        constexpr std::string_view s = "Buttons";
        ReadMargins(b, s);
        b.Trans = Int(s, "Trans", 0);
        b.Tile = Int(s, "Tile", 0);
        b.Image = Bitmap(s, "Bitmap");
        b.CheckImage = Bitmap(s, "CheckButton");
        b.RadioImage = Bitmap(s, "RadioButton");
        b.NormalColour = Int(s, "NormalColour", -1);
        b.MouseOverColour = Int(s, "MouseOverColour", -1);
        b.PressedColour = Int(s, "PressedColour", -1);
        b.RadioButtonFrame = Int(s, "RadioButtonFrame", 0);
        b.CheckButtonFrame = Int(s, "CheckButtonFrame", 0);
        if (b.Tile > 1) b.Tile = 0;
        const std::string normal = Str(s, "NormalColour2"), over = Str(s, "MouseOverColour2"),
                          pressed = Str(s, "PressedColour2");
        b.NormalColour2Given = !normal.empty();
        b.MouseOverColour2Given = !over.empty();
        b.PressedColour2Given = !pressed.empty();
        b.NormalColour2 = ReadRGB(normal, ButtonText);
        b.MouseOverColour2 = ReadRGB(over, ButtonText);
        b.PressedColour2 = ReadRGB(pressed, ButtonText);
    }

    void Border(TDataSkinBorder& b, const std::string& n, bool sideBorder) const {
        constexpr std::string_view s = "Personality";
        const int32_t first = Int(s, n + "TopHeight", 0), second = Int(s, n + "BotHeight", 0);
        if (sideBorder) {
            b.TopHeight = first;
            b.BottomHeight = second;
            b.LeftWidth = b.RightWidth = 0;
        } else {
            b.LeftWidth = first;
            b.RightWidth = second;
            b.TopHeight = b.BottomHeight = 0;
        }
        b.FrameCount = Int(s, n + "Frame", 1);
        b.Tile = std::min(Int(s, n + "Stretch", 1), 1);
        b.Trans = Int(s, n + "Trans", 1);
        b.Image = Bitmap(s, n);
    }

    std::unique_ptr<TDataSkinObject> MenuBar() const {
        constexpr std::string_view s = "Personality";
        const std::string value = Str(s, "menuBar");
        if (value.empty()) return nullptr;
        auto e = std::make_unique<TDataSkinObject>("Personality");
        e->Image = LoadEntryBitmap(Package, value);
        e->TopHeight = e->BottomHeight = 0;
        e->Tile = std::min(Int(s, "TileMenu", 1), 1);
        e->LeftWidth = Int(s, "TileLeftMenu", 1);
        e->RightWidth = Int(s, "TileRightMenu", 1);
        return e;
    }

    void Title(TDataSkinTitle& t) const {
        constexpr std::string_view s = "Personality";
        t.Image = Bitmap(s, "TextBack");
        t.LeftWidth = Int(s, "TextShift", 0);
        t.TopHeight = Int(s, "TextShiftVert", 0);
        t.RightWidth = Int(s, "TextRightClip", 0);
        t.BottomHeight = 0;
        t.TextAlignment = Int(s, "TextAlignment", 0);
        t.Textbackground = Int(s, "Textbackground", 0);
        t.TXTBackleft = Int(s, "TXTBackleft", 0);
        t.TXTBackRight = Int(s, "TXTBackRight", 0);
        t.FontHeight = Int("Fonts", "FontHeight", 14);
        t.ActiveText = t.InActiveText = TitleColourNotGiven;
        ReadRGBTriple(Ini, s, "ActiveText", t.ActiveText);
        ReadRGBTriple(Ini, s, "InActiveText", t.InActiveText);
    }

    std::vector<std::unique_ptr<TDataSkinSysButton>> CaptionButtons(const std::vector<std::string>& sections) const;
    void MDIButtons(std::vector<std::unique_ptr<TDataSkinSysButton>>& buttons) const;

    const TQuickIni& Ini;
    const TSkinReader& Package;
    TColor ButtonText;
};

bool IsCaptionButtonSection(const TQuickIni& ini, const std::string& section) {
    const std::string upper = AsciiUpper(section);
    if (upper == "BUTTONS" || upper == "BUTTON.RADIO" || upper == "BUTTON.CHECKBOX" || upper == "BUTTON") return false;
    if (!upper.starts_with("BUTTON")) return false;
    return !(ini.ReadInteger(section, "Action", 0) == -1 && ini.ReadInteger(section, "Visibility", -1) != 0);
}

std::vector<std::unique_ptr<TDataSkinSysButton>> TIniApplier::CaptionButtons(
    const std::vector<std::string>& sections) const {
    std::vector<std::unique_ptr<TDataSkinSysButton>> buttons;
    bool remembered = false;
    int32_t sharedX = 0, sharedY = 0;
    for (const std::string& s : sections) {
        if (!IsCaptionButtonSection(Ini, s)) continue;
        auto b = std::make_unique<TDataSkinSysButton>(AsciiUpper(s));
        b->Action = Int(s, "Action", 0);
        b->Align = Int(s, "Align", 0);
        b->Xcoord = Int(s, "Xcoord", 0);
        b->Ycoord = Int(s, "Ycoord", 0);
        b->Visibility = Int(s, "Visibility", 0);
        b->Visibility1 = Int(s, "Visibility1", b->Action == -1 ? -1 : 0);
        b->CombineOp = Int(s, "CombineOp", -1);
        b->FrameCount = Int(s, "frame", 0);
        b->Image = Bitmap(s, "ButtonImage");
        // The restore button sits where the maximise button shows on a normal window.
        if (b->Action == 1 && b->Visibility == 2) {
            remembered = true;
            sharedX = b->Xcoord;
            sharedY = b->Ycoord;
        } else if (b->Action == 4) {
            b->Xcoord = remembered ? sharedX : 0;
            b->Ycoord = remembered ? sharedY : 0;
        }
        if (b->FrameCount == 0) {
            b->FrameCount = 6;
            if (!b->Image.isNull() && b->Image.height() > 0)
                b->FrameCount = static_cast<double>(b->Image.width()) / b->Image.height() <= 3.8 ? 3 : 6;
            if (b->Action < 0) b->FrameCount = 6;
            if (b->Action == 3 || b->Action == 11) b->Image = QImage();
        }
        buttons.push_back(std::move(b));
    }
    for (int32_t action : {7, 8, 9}) {
        auto b = std::make_unique<TDataSkinSysButton>();
        b->Action = action;
        b->Align = b->Visibility = b->Visibility1 = 100;
        b->FrameCount = 4;
        buttons.push_back(std::move(b));
    }
    MDIButtons(buttons);
    return buttons;
}

void TIniApplier::MDIButtons(std::vector<std::unique_ptr<TDataSkinSysButton>>& buttons) const {
    const QImage image = Bitmap("MDICONTROLS", "Image");
    if (image.isNull()) return;
    const int a = image.width() / 12;
    const size_t first = buttons.size() - 3;
    for (int i = 0; i < 3; ++i) {
        TDataSkinSysButton& b = *buttons[first + static_cast<size_t>(i)];
        b.Image = image.copy(4 * a * i, 0, a * 4, image.height());
        b.Xcoord = (a + 4) * (3 - i);
    }
}

// A built-in groove for track bars whose skin has none: light inside, shadowed above and left.
QImage BuiltInTrack(bool vertical) {
    QImage image(vertical ? 4 : 16, vertical ? 16 : 4, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    for (int i = 0; i < 16; ++i) {
        if (vertical) {
            image.setPixel(0, i, qRgb(160, 160, 160));
            image.setPixel(1, i, qRgb(105, 105, 105));
            image.setPixel(3, i, qRgb(227, 227, 227));
        } else {
            image.setPixel(i, 0, qRgb(160, 160, 160));
            image.setPixel(i, 1, qRgb(105, 105, 105));
            image.setPixel(i, 3, qRgb(227, 227, 227));
        }
    }
    return image;
}

void EnsureTrack(std::unique_ptr<TDataSkinObject>& track, const char* name, bool vertical) {
    if (track && !track->Image.isNull()) return;
    track = std::make_unique<TDataSkinObject>(name);
    track->Image = BuiltInTrack(vertical);
    track->LeftWidth = track->TopHeight = track->RightWidth = track->BottomHeight = 3;
    track->Tile = 0;
    track->FrameCount = 1;
}

struct TColourKey {
    const char* Key;
    TSkinColourIndex Index;
    int SystemIndex;  // -1: the ButtonFace entry
};

constexpr TColourKey ColourKeys[] = {
    {"WindowText", scWindowText, 8},
    {"ButtonFace", scButtonFace, 15},
    {"Scrollbar", scScrollbar, 0},
    {"HilightText", scHilightText, 14},
    {"Hilight", scHilight, 13},
    {"Menubar", scMenubar, -1},
    {"Menu", scMenu, 4},
    {"MenuText", scMenuText, 7},
    {"ButtonText", scButtonText, 18},
    {"ButtonHilight", scButtonHilight, 20},
    {"Buttonlight", scButtonlight, 20},
    {"ButtonShadow", scButtonShadow, 16},
    {"ButtonDkShadow", scButtonDkShadow, 21},
    {"MenuBarText", scMenuBarText, 7},
    {"TitleTextActive", scTitleTextActive, 9},
    {"TitleTextNoActive", scTitleTextNoActive, 19},
};

}  // namespace

void TSkinData::ApplyIni(const TQuickIni& ini, const TSkinReader& package) {
    const std::vector<std::string> sections = ini.ReadSections();

    TIniApplier borders(ini, package, 0);
    borders.Border(*Borders[0], "Left", true);
    borders.Border(*Borders[1], "Right", true);
    borders.Border(*Borders[2], "Top", false);
    borders.Border(*Borders[3], "Bottom", false);

    for (const TColourKey& key : ColourKeys) {
        const std::string value = ini.ReadString("Colours", key.Key, "");
        const TColor fallback = key.SystemIndex < 0 ? Colours[scButtonFace] : SystemColour(key.SystemIndex);
        ColourSet[key.Index] = !value.empty();
        Colours[key.Index] = value.empty() ? fallback : ParseRGBText(value);
    }

    const TIniApplier read(ini, package, Colours[scButtonText]);
    CaptionButtons = read.CaptionButtons(sections);
    read.Buttons(*Buttons);
    read.Title(*Title);

    Progress = read.Progress();
    ProgressChunk = read.Element<TDataSkinObject>("Progress.Chunk", true);
    MenuBar = read.MenuBar();
    GroupBoxEdge = read.Element<TDataSkinObject>("GroupBoxEdge", true);
    GroupBox = read.GroupBox();
    Tabs = read.ElementWithGlyph("Tabs", "Border");
    StatusBarEdges = read.Element<TDataSkinObject>("StatusBarEdges", true);
    TabPane = read.Element<TDataSkinObject>("Tab.Pane", true);
    if (TabPane) {
        for (int32_t* margin : {&TabPane->LeftWidth, &TabPane->TopHeight, &TabPane->RightWidth, &TabPane->BottomHeight})
            *margin = std::min(*margin, 4);
    }
    ToolBars = read.Element<TDataSkinObject>("ToolBars", true);
    ComboButton = read.ElementWithGlyph("ComboButton", "****");
    SunkEdge = read.Element<TDataSkinObject>("SunkEdge", true);
    if (ComboButton && !ComboButton->Image.isNull()) {
        ComboButton->Glyph = ComboButton->Image.convertToFormat(QImage::Format_RGB32);
        MirrorBitmap(ComboButton->Glyph);
    }
    ExtraImages = read.Element<TDataSkinObject>("ExtraImages", true);
    Headerbar = read.Element<TDataSkinObject>("Headerbar", true);
    MenuItem = read.Element<TDataSkinObject>("MenuItem", true);
    MenuBackground = read.Element<TDataSkinObject>("MenuBackground", true);
    Scrollbar = read.Element<TDataSkinObject>("Scrollbar", true);
    HorzScroll = read.Element<TDataSkinObject>("HorzScroll", true);
    VertScroll = read.Element<TDataSkinObject>("VertScroll", true);
    HorzScrollThumb = read.Element<TDataSkinObject>("HorzScrollThumb", true);
    VertScrollThumb = read.Element<TDataSkinObject>("VertScrollThumb", true);
    ThumbHorz = read.Element<TDataSkinObject>("Trackbar.ThumbHorz", true);
    ThumbVert = read.Element<TDataSkinObject>("Trackbar.ThumbVert", true);
    ThumbLeft = read.Element<TDataSkinObject>("Trackbar.ThumbLeft", true);
    ThumbRight = read.Element<TDataSkinObject>("Trackbar.ThumbRight", true);
    ThumbUp = read.Element<TDataSkinObject>("Trackbar.ThumbUp", true);
    ThumbDown = read.Element<TDataSkinObject>("Trackbar.ThumbDown", true);
    UpDownHorz = read.ElementWithGlyph("UpDown.Horz", "GlyphImage");
    UpDownVert = read.ElementWithGlyph("UpDown.Vert", "GlyphImage");
    Track = read.Element<TDataSkinObject>("Track", true);
    TrackVert = read.Element<TDataSkinObject>("TRACKVERT", true);
    EnsureTrack(Track, "Track", false);
    EnsureTrack(TrackVert, "TRACKVERT", true);

    Toolbar.reset();
    ComboxArrow.reset();
    SetFrameCounts(ini);
    MakeComboFrames();
    MakeComboArrow();
    MakeToolbarBackground();

    Colours[scFrame] = FrameColour();
    FaceBrush = QBrush(ToQColor(Colours[scButtonFace]));
    FLoading = false;
}

}  // namespace skin
