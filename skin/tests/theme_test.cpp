// Our own skin package, as CI builds it: it loads completely, and its bitmaps open in PIL with
// the sizes the packer's dump reports.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "skin/skin_data.h"
#include "skin/skin_reader.h"
#include "skin/tests/skin_test_support.h"

namespace skin {
namespace {

using namespace skin::testing;

TEST(ThemeTest, OurSkinLoadsEveryElement) {
    TSkinData data;
    data.SetSkinStreamBytes(ReadFileBytes(OMBRIX_SKIN_PACKAGE));
    ASSERT_TRUE(data.LoadSkin()) << data.LoadError();
    EXPECT_FALSE(data.Loading());
    for (const auto& border : data.Borders) EXPECT_FALSE(border->Image.isNull()) << border->Name;
    const TDataSkinObject* elements[] = {
        data.Progress.get(),   data.ProgressChunk.get(), data.MenuBar.get(),         data.GroupBoxEdge.get(),
        data.GroupBox.get(),   data.Tabs.get(),          data.StatusBarEdges.get(),  data.TabPane.get(),
        data.ToolBars.get(),   data.ComboButton.get(),   data.SunkEdge.get(),        data.ExtraImages.get(),
        data.Headerbar.get(),  data.MenuItem.get(),      data.MenuBackground.get(),  data.Scrollbar.get(),
        data.HorzScroll.get(), data.VertScroll.get(),    data.HorzScrollThumb.get(), data.VertScrollThumb.get(),
        data.ThumbHorz.get(),  data.ThumbVert.get(),     data.UpDownHorz.get(),      data.UpDownVert.get(),
        data.Track.get(),      data.TrackVert.get(),     data.Toolbar.get(),         data.ComboxArrow.get()};
    for (const TDataSkinObject* e : elements) {
        ASSERT_NE(e, nullptr);
        EXPECT_FALSE(e->Image.isNull()) << e->Name;
        EXPECT_GT(e->FrameCount, 0) << e->Name;
        EXPECT_EQ(e->Image.width() % e->FrameCount == 0 || e->Image.height() % e->FrameCount == 0, true) << e->Name;
    }
    EXPECT_FALSE(data.UpDownVert->Glyph.isNull());
    EXPECT_EQ(data.Buttons->CheckButtonFrame, 12);
    EXPECT_EQ(data.Buttons->RadioButtonFrame, 8);
    // Close, maximise, restore, minimise, the icon and the three MDI buttons with their images.
    ASSERT_EQ(data.CaptionButtons.size(), 8u);
    EXPECT_EQ(data.CaptionButtons[2]->Xcoord, data.CaptionButtons[1]->Xcoord);
    for (size_t i = 5; i < 8; ++i) EXPECT_EQ(data.CaptionButtons[i]->Image.size(), QSize(64, 14));
    for (size_t i = 0; i < data.ColourSet.size(); ++i)
        EXPECT_EQ(data.ColourSet[i], i != 9 && i != 10 && i != scFrame) << i;
}

// Every bitmap entry, taken out of the package, opens in PIL with the size the dump gives.
TEST(ThemeTest, BitmapSizesAgreeWithPil) {
    const auto dump = RunCommand(std::string(OMBRIX_SKINPACK_COMMAND) + " dump " + OMBRIX_SKIN_PACKAGE);
    ASSERT_EQ(dump.ExitCode, 0) << dump.Output;
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(ReadFileBytes(OMBRIX_SKIN_PACKAGE)));
    const TTempDir dir;
    std::map<std::string, std::string> dumped;
    std::istringstream lines(dump.Output);
    std::string line, files;
    while (std::getline(lines, line)) {
        const size_t name = line.find("entry name="), bitmap = line.find(" bitmap=");
        if (name != 0 || bitmap == std::string::npos) continue;
        const std::string entry = line.substr(11, line.find(' ', 11) - 11);
        dumped[entry] = line.substr(bitmap + 8);
        const auto bytes = reader.GetEntry(entry);
        WriteFileBytes(dir / entry, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        (files += ' ') += dir / entry;
    }
    ASSERT_GT(dumped.size(), 30u);
    const auto pil = RunCommand(std::string(Python) +
                                " -c \"import os, sys\nfrom PIL import Image\nfor f in sys.argv[1:]:\n"
                                "    w, h = Image.open(f).size\n    print(os.path.basename(f), '%dx%d' % (w, h))\n\"" +
                                files);
    ASSERT_EQ(pil.ExitCode, 0) << "python3-pil is missing: " << pil.Output;
    std::istringstream pilLines(pil.Output);
    size_t compared = 0;
    std::string entry, size;
    while (pilLines >> entry >> size) {
        EXPECT_EQ(dumped[entry], size) << entry;
        ++compared;
    }
    EXPECT_EQ(compared, dumped.size());
}

}  // namespace
}  // namespace skin
