// ApplyIni: every section read into its element, the frame-count table and the composed
// elements, on small packages written here.
#include <gtest/gtest.h>

#include <memory>

#include "skin/skin_data.h"
#include "skin/tests/skin_test_support.h"

namespace skin {
namespace {

using namespace skin::testing;

std::unique_ptr<TSkinData> Load(const std::string& ini, std::vector<skinpack::TPackageEntry> bitmaps = {}) {
    bitmaps.push_back({"skin.ini", TextBytes(ini)});
    auto data = std::make_unique<TSkinData>();
    data->SetSkinStreamBytes(Package(bitmaps));
    EXPECT_TRUE(data->LoadSkin()) << data->LoadError();
    return data;
}

// The shape of the form's skin: no sunken edge, so the combo arrow is the recoloured button.
const char* const FormLikeIni =
    "[TitlebarSkin]\r\nName=x\r\n"
    "[Buttons]\r\nBitmap=buttons.bmp\r\nCheckButton=checkbox.bmp\r\nCheckButtonFrame=12\r\n"
    "RadioButton=radiobutton.bmp\r\nRadioButtonFrame=8\r\nLeftWidth=3\r\nTile=7\r\nNormalColour2=1 2 3\r\n"
    "[Progress]\r\nBitmap=progress.bmp\r\nTile=5\r\n"
    "[Tab.Pane]\r\nImage=tabsheet.bmp\r\nLeftWidth=7\r\nTopHeight=7\r\nRightWidth=2\r\nBottomHeight=9\r\n"
    "[ComboButton]\r\nImage=comboboxbtn.bmp\r\n"
    "[Headerbar]\r\nImage=header.bmp\r\nFrame=9\r\n"
    "[Scrollbar]\r\nImage=scrollbar.bmp\r\nFrame=2\r\n"
    "[HorzScrollThumb]\r\nImage=thumb.bmp\r\nFrameCount=4\r\n"
    "[VertScrollThumb]\r\nImage=thumb.bmp\r\n"
    "[Tabs]\r\nImage=missing.bmp\r\nBorder=thumb.bmp\r\n"
    "[Button0]\r\nAction=0\r\nAlign=1\r\nButtonImage=close.bmp\r\n"
    "[Button1]\r\nAction=1\r\nVisibility=2\r\nXcoord=40\r\nYcoord=3\r\nButtonImage=wide.bmp\r\n"
    "[Button2]\r\nAction=4\r\nXcoord=99\r\nButtonImage=close.bmp\r\nframe=2\r\n"
    "[Button3]\r\nAction=3\r\nButtonImage=close.bmp\r\n"
    "[Button4]\r\nAction=2\r\n"
    "[Button5]\r\nAction=-1\r\nVisibility=3\r\n"
    "[button.radio]\r\nAction=1\r\n"
    "[MDICONTROLS]\r\nImage=mdi.bmp\r\n"
    "[Personality]\r\nLeft=left.bmp\r\nLeftFrame=2\r\nLeftTopHeight=5\r\nLeftBotHeight=6\r\nLeftStretch=4\r\n"
    "Top=top.bmp\r\nTopTopHeight=30\r\nTopBotHeight=31\r\nTopFrame=2\r\nActiveTextR=1\r\nActiveTextG=2\r\n"
    "ActiveTextB=3\r\nInActiveTextR=1\r\n"
    "[MinCaption]\r\nImage=none.bmp\r\n"
    "[Colours]\r\nButtonFace=227 238 253\r\nButtonText=10 20 30\r\n";

std::vector<skinpack::TPackageEntry> FormLikeBitmaps() {
    return {{"buttons.bmp", BmpBytes(100, 20)},     {"checkbox.bmp", BmpBytes(156, 13)},
            {"radiobutton.bmp", BmpBytes(104, 13)}, {"progress.bmp", BmpBytes(20, 10)},
            {"tabsheet.bmp", BmpBytes(30, 30)},     {"comboboxbtn.bmp", BmpBytes(68, 21)},
            {"header.bmp", BmpBytes(50, 20)},       {"scrollbar.bmp", BmpBytes(46, 17)},
            {"thumb.bmp", BmpBytes(30, 17)},        {"close.bmp", BmpBytes(60, 20)},
            {"wide.bmp", BmpBytes(120, 20)},        {"mdi.bmp", BmpBytes(120, 10)},
            {"left.bmp", BmpBytes(8, 40)},          {"top.bmp", BmpBytes(90, 60, qRgb(10, 200, 30))}};
}

TEST(ApplyIniTest, FormLikeSkin) {
    const auto data = Load(FormLikeIni, FormLikeBitmaps());
    const TDataSkinButton& b = *data->Buttons;
    EXPECT_EQ(b.FrameCount, 5);
    EXPECT_EQ(b.CheckButtonFrame, 12);
    EXPECT_EQ(b.RadioButtonFrame, 8);
    EXPECT_EQ(b.LeftWidth, 3);
    EXPECT_EQ(b.Tile, 0);
    EXPECT_TRUE(b.NormalColour2Given);
    EXPECT_FALSE(b.PressedColour2Given);
    EXPECT_EQ(b.NormalColour2, RGB(1, 2, 3));
    EXPECT_EQ(b.PressedColour2, RGB(10, 20, 30));  // the ButtonText colour

    EXPECT_EQ(data->Progress->Tile, 1);  // above 1 becomes 1 here, not 0
    EXPECT_EQ(data->Progress->FrameCount, 2);
    EXPECT_EQ(data->TabPane->Margins().Left, 4);
    EXPECT_EQ(data->TabPane->Margins().Right, 2);
    EXPECT_EQ(data->TabPane->Margins().Bottom, 4);
    EXPECT_EQ(data->Headerbar->FrameCount, 9);  // its own count when given
    EXPECT_EQ(data->Scrollbar->FrameCount, 23);
    EXPECT_EQ(data->HorzScrollThumb->FrameCount, 4);
    EXPECT_EQ(data->VertScrollThumb->FrameCount, 3);
    // A named bitmap that is missing still makes the element, with an empty image.
    ASSERT_NE(data->Tabs, nullptr);
    EXPECT_TRUE(data->Tabs->Image.isNull());
    EXPECT_EQ(data->Tabs->Glyph.width(), 30);
    EXPECT_EQ(data->SunkEdge, nullptr);
    EXPECT_EQ(data->GroupBox, nullptr);
    EXPECT_EQ(data->MenuBar, nullptr);
    EXPECT_TRUE(data->Title->Image.isNull());

    // Without a sunken edge the arrow is the button image on the button face.
    ASSERT_NE(data->ComboxArrow, nullptr);
    EXPECT_EQ(data->ComboxArrow->FrameCount, 4);
    EXPECT_EQ(data->ComboxArrow->Image.pixel(0, 0), qRgb(227, 238, 253));
    EXPECT_EQ(data->ComboxArrow->Image.pixel(1, 0), qRgb(40, 120, 200));
    EXPECT_EQ(data->ComboButton->Glyph.pixel(67, 0), qRgb(255, 0, 255));  // mirrored copy

    EXPECT_EQ(data->Colours[scButtonFace], RGB(227, 238, 253));
    EXPECT_TRUE(data->ColourSet[scButtonFace]);
    EXPECT_EQ(data->Colours[scButtonlight], SystemColour(20));
    EXPECT_FALSE(data->ColourSet[scButtonlight]);
    EXPECT_EQ(data->Colours[scMenubar], RGB(227, 238, 253));  // follows ButtonFace
    EXPECT_FALSE(data->ColourSet[scMenubar]);
    // The frame colour is the top border's pixel at a third of its width and frame height.
    EXPECT_EQ(data->Colours[scFrame], RGB(10, 200, 30));

    const TDataSkinBorder& left = *data->Borders[0];
    EXPECT_EQ(left.TopHeight, 5);
    EXPECT_EQ(left.BottomHeight, 6);
    EXPECT_EQ(left.FrameCount, 2);
    EXPECT_EQ(left.Tile, 1);
    EXPECT_EQ(left.Trans, 1);
    const TDataSkinBorder& top = *data->Borders[2];
    EXPECT_EQ(top.LeftWidth, 30);
    EXPECT_EQ(top.RightWidth, 31);
    EXPECT_EQ(top.TopHeight, 0);
    EXPECT_TRUE(data->Borders[3]->Image.isNull());
    EXPECT_EQ(data->Borders[3]->FrameCount, 1);
    EXPECT_EQ(data->Title->ActiveText, RGB(1, 2, 3));
    EXPECT_EQ(data->Title->InActiveText, TitleColourNotGiven);
    EXPECT_EQ(data->Title->FontHeight, 14);
    EXPECT_EQ(data->Title->FrameCount, 2);
}

TEST(ApplyIniTest, CaptionButtons) {
    const auto data = Load(FormLikeIni, FormLikeBitmaps());
    const auto& buttons = data->CaptionButtons;
    ASSERT_EQ(buttons.size(), 8u);  // Button0 to Button4 and three MDI buttons; Button5 is dropped
    EXPECT_EQ(buttons[0]->Name, "BUTTON0");
    EXPECT_EQ(buttons[0]->FrameCount, 3);  // 60 / 20 is at most 3.8
    EXPECT_EQ(buttons[1]->FrameCount, 6);  // 120 / 20 is more
    EXPECT_EQ(buttons[2]->Xcoord, 40);     // the restore button takes the maximise button's place
    EXPECT_EQ(buttons[2]->Ycoord, 3);
    EXPECT_EQ(buttons[2]->FrameCount, 2);
    EXPECT_TRUE(buttons[3]->Image.isNull());  // the icon button's image is cleared
    EXPECT_EQ(buttons[3]->FrameCount, 3);
    EXPECT_TRUE(buttons[4]->Image.isNull());  // no ButtonImage: empty with six frames
    EXPECT_EQ(buttons[4]->FrameCount, 6);
    EXPECT_EQ(buttons[4]->CombineOp, -1);
    for (int i = 0; i < 3; ++i) {
        const TDataSkinSysButton& mdi = *buttons[5 + static_cast<size_t>(i)];
        EXPECT_EQ(mdi.Action, 7 + i);
        EXPECT_EQ(mdi.Visibility1, 100);
        EXPECT_EQ(mdi.FrameCount, 4);
        EXPECT_EQ(mdi.Image.size(), QSize(40, 10));
        EXPECT_EQ(mdi.Xcoord, 14 * (3 - i));
    }
}

TEST(ApplyIniTest, CaptionButtonWithoutEarlierMaximiseSitsAtOrigin) {
    const auto data = Load(
        "[Button0]\r\nAction=4\r\nXcoord=50\r\nYcoord=7\r\n"
        "[ButtonX]\r\nAction=-1\r\nVisibility=0\r\n");
    ASSERT_EQ(data->CaptionButtons.size(), 5u);
    EXPECT_EQ(data->CaptionButtons[0]->Xcoord, 0);
    EXPECT_EQ(data->CaptionButtons[0]->Ycoord, 0);
    EXPECT_EQ(data->CaptionButtons[1]->Visibility1, -1);
    EXPECT_EQ(data->CaptionButtons[1]->FrameCount, 6);
}

TEST(ApplyIniTest, ComposedComboFramesWithSunkenEdge) {
    const auto data = Load(
        "[ComboButton]\r\nImage=btn.bmp\r\nTrans=1\r\n"
        "[SunkEdge]\r\nImage=edge.bmp\r\nLeftWidth=2\r\nTopHeight=3\r\nBottomHeight=2\r\nRightWidth=2\r\n"
        "[ExtraImages]\r\nImage=glyph.bmp\r\n",
        {{"btn.bmp", BmpBytes(68, 21, qRgb(0, 0, 200))},
         {"edge.bmp", BmpBytes(120, 21, qRgb(0, 200, 0))},
         {"glyph.bmp", BmpBytes(45, 6, qRgb(200, 0, 0))}});
    const TDataSkinBorder& button = *data->ComboButton;
    EXPECT_EQ(button.Style, 2);
    EXPECT_EQ(button.Image.size(), QSize(200, 21));
    EXPECT_EQ(button.Margins().Left, 2);
    EXPECT_EQ(button.Margins().Top, 3);
    EXPECT_EQ(button.Margins().Right, 21);
    const TDataSkinObject& edge = *data->SunkEdge;
    EXPECT_EQ(edge.Image.size(), QSize(200, 21));
    EXPECT_EQ(edge.Margins().Left, 21);
    EXPECT_EQ(edge.Margins().Right, 2);
    // Frame 1: the edge at the left, the button at the right, see-through inside.
    EXPECT_EQ(button.Image.pixel(0, 10), qRgb(0, 200, 0));
    EXPECT_EQ(button.Image.pixel(10, 10), qRgb(255, 0, 255));
    EXPECT_EQ(button.Image.pixel(40, 3), qRgb(0, 0, 200));
    EXPECT_EQ(button.Image.pixel(40, 10), qRgb(200, 0, 0));  // the glyph centred on the button
    EXPECT_EQ(edge.Image.pixel(199 - 40, 3), qRgb(0, 0, 200));
    const TDataSkinObject& arrow = *data->ComboxArrow;
    EXPECT_EQ(arrow.Image.size(), QSize(68, 17));
    EXPECT_EQ(arrow.FrameCount, 4);
    EXPECT_EQ(arrow.Image.pixel(9, 8), qRgb(200, 0, 0));
}

TEST(ApplyIniTest, NarrowComboFrameIsClippedToItsOwnPixels) {
    TSkinData data;
    data.SunkEdge = std::make_unique<TDataSkinObject>("SunkEdge");
    data.SunkEdge->FrameCount = 2;
    data.ComboButton = std::make_unique<TDataSkinBorder>("ComboButton");
    data.ComboButton->Style = 2;
    data.ComboButton->Image = QImage(20, 21, QImage::Format_RGB32);
    data.ComboButton->Image.fill(qRgb(1, 2, 3));
    data.ComboButton->Image.setPixel(10, 5, qRgb(9, 9, 9));  // first pixel of frame 2
    data.MakeComboArrow();
    const QImage& arrow = data.ComboxArrow->Image;
    ASSERT_EQ(arrow.size(), QSize(34, 17));
    EXPECT_EQ(arrow.pixel(0, 0), qRgb(255, 0, 255));  // nothing left of the image
    EXPECT_EQ(arrow.pixel(8, 0), qRgb(255, 0, 255));
    EXPECT_EQ(arrow.pixel(9, 0), qRgb(1, 2, 3));  // frame 1's own columns 0 to 7
    EXPECT_EQ(arrow.pixel(16, 0), qRgb(1, 2, 3));
    EXPECT_EQ(arrow.pixel(17 + 9, 3), qRgb(9, 9, 9));  // frame 2 from its own first column
    EXPECT_EQ(arrow.pixel(17 + 8, 3), qRgb(255, 0, 255));
}

// A skin that leaves the button face to the system still gets that colour behind its arrow, not
// the system colour's index bytes.
TEST(ApplyIniTest, ComboArrowUsesTheResolvedSystemFace) {
    const auto data = Load("[ComboButton]\r\nImage=btn.bmp\r\n", {{"btn.bmp", BmpBytes(68, 21)}});
    EXPECT_EQ(data->Colours[scButtonFace], SystemColour(15));
    const TColor face = SysColour(15);
    EXPECT_EQ(data->ComboxArrow->Image.pixel(0, 0), qRgb(RedOf(face), GreenOf(face), BlueOf(face)));
}

TEST(ApplyIniTest, TrackFallsBackToTheBuiltInGroove) {
    const auto data = Load("[Track]\r\nImage=missing.bmp\r\nLeftWidth=9\r\n");
    EXPECT_EQ(data->Track->Image.size(), QSize(16, 4));
    EXPECT_EQ(data->Track->LeftWidth, 3);
    EXPECT_EQ(data->Track->FrameCount, 1);
    EXPECT_EQ(data->TrackVert->Image.size(), QSize(4, 16));
}

TEST(ApplyIniTest, EachLoadReplacesTheElements) {
    TSkinData data;
    data.SetSkinStreamBytes(
        Package({{"tab.bmp", BmpBytes(50, 20)}, {"a.ini", TextBytes("[Tabs]\r\nImage=tab.bmp\r\n")}}));
    ASSERT_TRUE(data.LoadSkin());
    ASSERT_NE(data.Tabs, nullptr);
    TDataSkinButton* buttons = data.Buttons.get();
    data.SetSkinStreamBytes(Package({{"a.ini", TextBytes("[Colours]\r\nMenu=1 1 1\r\n")}}));
    ASSERT_TRUE(data.LoadSkin());
    EXPECT_EQ(data.Tabs, nullptr);
    EXPECT_EQ(data.Buttons.get(), buttons);  // the fixed objects keep their identity
}

TEST(ApplyIniTest, PackageWithoutIniGivesDefaults) {
    TSkinData data;
    data.SetSkinStreamBytes(Package({{"tab.bmp", BmpBytes(5, 5)}}));
    ASSERT_TRUE(data.LoadSkin());
    EXPECT_FALSE(data.Loading());
    EXPECT_EQ(data.Progress, nullptr);
    EXPECT_EQ(data.Colours[scButtonFace], SystemColour(15));
    EXPECT_EQ(data.Colours[scFrame], SystemColour(15));
    EXPECT_EQ(data.CaptionButtons.size(), 3u);
    EXPECT_NE(data.Toolbar, nullptr);
    EXPECT_NE(data.ComboxArrow, nullptr);
    EXPECT_EQ(data.Title->FontHeight, 14);
}

}  // namespace
}  // namespace skin
