#include "tools/skinpack/package_dump.h"

#include <QImage>
#include <cstdio>
#include <sstream>

#include "base/format.h"
#include "skin/skin_data.h"
#include "skin/skin_reader.h"
#include "skin/skin_text.h"

namespace skinpack {

namespace {

using skin::TDataSkinObject;

std::string Size(const QImage& image) {
    return image.isNull() ? std::string("none") : base::Format("%dx%d", {image.width(), image.height()});
}

std::string Colour(skin::TColor colour) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", colour);
    return text;
}

void Element(std::ostringstream& out, const char* kind, const TDataSkinObject* e) {
    if (!e) return;
    out << kind << " name=" << e->Name << " image=" << Size(e->Image) << " frames=" << e->FrameCount
        << " margins=" << e->LeftWidth << "," << e->TopHeight << "," << e->RightWidth << "," << e->BottomHeight
        << " trans=" << e->Trans << " tile=" << e->Tile << " style=" << e->Style << " colours=" << e->NormalColour
        << "," << e->MouseOverColour << "," << e->PressedColour << " textcolours=" << Colour(e->NormalColour2) << ","
        << Colour(e->MouseOverColour2) << "," << Colour(e->PressedColour2) << "\n";
}

constexpr const char* ColourNames[skin::SkinColourCount] = {
    "WindowText",  "TitleTextActive", "TitleTextNoActive", "ButtonFace", "ButtonText", "ButtonHilight",
    "Buttonlight", "ButtonShadow",    "ButtonDkShadow",    "-",          "-",          "HilightText",
    "Hilight",     "Menubar",         "MenuBarText",       "MenuText",   "Menu",       "Frame",
    "Scrollbar"};

}  // namespace

std::string DumpPackage(std::span<const uint8_t> package) {
    std::ostringstream out;
    skin::TSkinReader reader;
    if (!reader.LoadPackage(package)) throw base::Exception(reader.ErrorText());
    out << "package tag=" << reader.Tag() << " entries=" << reader.Names().size() << "\n";
    for (size_t i = 0; i < reader.Names().size(); ++i) {
        const std::string& name = reader.Names()[i];
        out << "entry name=" << name << " size=" << reader.Sizes()[i];
        if (skin::AsciiLower(name).ends_with(".bmp")) {
            const auto bytes = reader.GetEntry(name);
            QImage image;
            image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
            out << " bitmap=" << Size(image);
        }
        out << "\n";
    }

    skin::TSkinData data;
    data.SetSkinStreamBytes(std::vector<uint8_t>(package.begin(), package.end()));
    if (!data.LoadSkin()) throw base::Exception(data.LoadError());
    for (const auto& border : data.Borders) Element(out, "border", border.get());
    Element(out, "buttons", data.Buttons.get());
    out << "buttons check=" << Size(data.Buttons->CheckImage) << " checkframes=" << data.Buttons->CheckButtonFrame
        << " radio=" << Size(data.Buttons->RadioImage) << " radioframes=" << data.Buttons->RadioButtonFrame << "\n";
    const skin::TDataSkinTitle& title = *data.Title;
    Element(out, "title", &title);
    out << "title alignment=" << title.TextAlignment << " background=" << title.Textbackground
        << " fontheight=" << title.FontHeight << " active=" << Colour(title.ActiveText)
        << " inactive=" << Colour(title.InActiveText) << "\n";
    for (const TDataSkinObject* e : std::initializer_list<const TDataSkinObject*>{
             data.Progress.get(),   data.ProgressChunk.get(), data.MenuBar.get(),         data.GroupBoxEdge.get(),
             data.GroupBox.get(),   data.Tabs.get(),          data.StatusBarEdges.get(),  data.TabPane.get(),
             data.ToolBars.get(),   data.ComboButton.get(),   data.SunkEdge.get(),        data.ExtraImages.get(),
             data.Headerbar.get(),  data.MenuItem.get(),      data.MenuBackground.get(),  data.Scrollbar.get(),
             data.HorzScroll.get(), data.VertScroll.get(),    data.HorzScrollThumb.get(), data.VertScrollThumb.get(),
             data.ThumbHorz.get(),  data.ThumbVert.get(),     data.ThumbLeft.get(),       data.ThumbRight.get(),
             data.ThumbUp.get(),    data.ThumbDown.get(),     data.UpDownHorz.get(),      data.UpDownVert.get(),
             data.Track.get(),      data.TrackVert.get(),     data.Toolbar.get(),         data.ComboxArrow.get()})
        Element(out, "element", e);
    for (const auto& b : data.CaptionButtons)
        out << "captionbutton name=" << b->Name << " action=" << b->Action << " align=" << b->Align
            << " x=" << b->Xcoord << " y=" << b->Ycoord << " visibility=" << b->Visibility << "," << b->Visibility1
            << " image=" << Size(b->Image) << " frames=" << b->FrameCount << "\n";
    for (int i = 0; i < skin::SkinColourCount; ++i) {
        if (ColourNames[i][0] == '-') continue;
        out << "colour name=" << ColourNames[i] << " value=" << Colour(data.Colours[static_cast<size_t>(i)])
            << " given=" << (data.ColourSet[static_cast<size_t>(i)] ? 1 : 0) << "\n";
    }
    return out.str();
}

}  // namespace skinpack
