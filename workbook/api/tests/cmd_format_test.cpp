// The workbook's formatting command: its reset state from the style sheet, the colour-change
// callbacks of its sub-commands and the XF with parts of its own.
#include <gtest/gtest.h>

#include "workbook/api/tests/api_fixture.h"

namespace xls::test {
namespace {

using CmdFormatTest = ApiTest;

TEST_F(CmdFormatTest, ResetTakesTheStyleSheetsDefaultsAndLowersEveryFlag) {
    TXLSCmdFormat& cmd = Workbook->CmdFormat();
    // The defaults change after the command was made: a reset takes them as they are now.
    Styles().Fonts().GetDefaultFont()->SetName(u"宋体");
    Styles().XFs().GetDefault()->GetAlignment().SetHorizAlignment(3);
    cmd.Font.Font.SetSize(30);
    cmd.Font.Color.SetColor(Xc12ColorFromIndex(10));
    cmd.Fill.BgColor.SetColor(Xc12ColorFromIndex(12));
    cmd.Border.Sides[cblLeft] = 1;
    cmd.Protection.Locked = 0;
    cmd.Number.Values[2] = 1;
    cmd.Flags = 5;
    cmd.AlignmentChanged = cmd.ProtectionChanged = cmd.NumberChanged = cmd.BorderChanged = true;

    Workbook->ClearSheets();  // the workbook resets its command with its sheets

    EXPECT_EQ(cmd.Font.Font.GetName(), u"宋体");
    EXPECT_EQ(cmd.Font.Font.GetSize(), Styles().Fonts().GetDefaultFont()->GetSize());
    EXPECT_EQ(cmd.Font.Color.GetColor().Kind, xc12ckAutomatic);
    EXPECT_EQ(cmd.Font.Color.GetColor().CachedRGB, 0u);
    EXPECT_EQ(cmd.Alignment.XF.GetAlignment().GetHorizAlignment(), 3);
    EXPECT_TRUE(cmd.Fill.Fill.Equal(*Styles().Fills().GetDefaultFill()));
    EXPECT_EQ(cmd.Number.Format.GetFormatString(), Styles().NumFmts().GetDefaultFormat()->GetFormatString());
    EXPECT_EQ(cmd.Number.Values, (std::array<int32_t, 5>{0, 0, 536870912, 0, -1}));
    for (uint8_t side : cmd.Border.Sides) EXPECT_EQ(side, XLSCmdStateUnset);
    EXPECT_EQ(cmd.Protection.Locked, XLSCmdStateUnset);
    EXPECT_EQ(cmd.Protection.Hidden, XLSCmdStateUnset);
    EXPECT_TRUE(cmd.ScratchXF.Equal(*Styles().XFs().GetDefault()));
    EXPECT_EQ(cmd.ScratchXF.GetFont(), Styles().XFs().GetDefault()->GetFont());  // the same parts
    EXPECT_EQ(cmd.Flags, 0);
    EXPECT_FALSE(cmd.AlignmentChanged || cmd.ProtectionChanged || cmd.NumberChanged || cmd.FillChanged ||
                 cmd.FontChanged || cmd.BorderChanged);
    for (bool changed : cmd.Font.Changed) EXPECT_FALSE(changed);
    for (bool changed : cmd.Fill.Changed) EXPECT_FALSE(changed);
}

TEST_F(CmdFormatTest, ColourChangesRaiseTheirFlags) {
    TXLSCmdFormat& cmd = Workbook->CmdFormat();
    struct TCase {
        const char* Name;
        TXc12FillPattern PatternBefore;
        bool Background;
        TXc12FillPattern PatternAfter;
        std::array<bool, 3> FillFlags;  // foreground, background, pattern
    };
    const TCase cases[] = {
        {"foreground without a pattern", efpNone, false, efpSolid, {true, false, true}},
        {"foreground over a pattern", efpDarkGray, false, efpDarkGray, {true, false, false}},
        {"background", efpNone, true, efpNone, {true, true, true}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        cmd.Reset();
        cmd.Fill.Fill.SetPatternType(c.PatternBefore);
        TXLSCmdFormatColor& color = c.Background ? cmd.Fill.BgColor : cmd.Fill.FgColor;
        color.SetColor(Xc12ColorFromIndex(10));
        EXPECT_EQ(cmd.Fill.Fill.GetPatternType(), c.PatternAfter);
        EXPECT_EQ(cmd.Fill.Changed, c.FillFlags);
        EXPECT_TRUE(cmd.FillChanged);
        EXPECT_EQ((c.Background ? cmd.Fill.Fill.GetBgColor() : cmd.Fill.Fill.GetFgColor()).Index, 10);
        EXPECT_FALSE(cmd.FontChanged);
    }

    cmd.Reset();
    cmd.Font.Color.SetColor(Xc12ColorFromIndex(2));
    EXPECT_EQ(cmd.Font.Font.GetColor().Index, 2);
    EXPECT_TRUE(cmd.Font.Changed[cffColor]);
    EXPECT_FALSE(cmd.Font.Changed[cffName]);
    EXPECT_TRUE(cmd.FontChanged);
    EXPECT_FALSE(cmd.FillChanged);

    // The border's colour has no callback: only its record changes.
    cmd.Border.Color.SetColor(Xc12ColorFromIndex(3));
    EXPECT_EQ(cmd.Border.ColorRec.Index, 3);
    EXPECT_FALSE(cmd.BorderChanged);
}

TEST_F(CmdFormatTest, SecondXFOwnsItsPartsAndDefaultFormatsOwnTheirs) {
    TXLSCmdFormat& cmd = Workbook->CmdFormat();
    const TXc12XF& own = cmd.OwnPartsXF();
    const TXc12XF& xf0 = *Styles().XFs().GetDefault();
    ASSERT_NE(own.GetFont(), nullptr);
    EXPECT_NE(own.GetFont(), xf0.GetFont());
    EXPECT_NE(own.GetFill(), xf0.GetFill());
    EXPECT_NE(own.GetBorder(), xf0.GetBorder());
    EXPECT_NE(own.GetNumberFormat(), xf0.GetNumberFormat());
    EXPECT_TRUE(own.GetFont()->Equal(*xf0.GetFont()));
    const int fontUses = xf0.GetFont()->UseCount();
    cmd.Reset();
    EXPECT_EQ(xf0.GetFont()->UseCount(), fontUses);  // the command takes no uses of the style sheet's parts

    TXLSDefaultFormats& formats = cmd.DefaultFormats;
    EXPECT_EQ(formats.Count(), 0);
    TXc12XF* first = formats.Add(u"Title", std::make_unique<TXc12XF>());
    EXPECT_EQ(formats.Find(u"Title"), first);
    TXc12XF* second = formats.Add(u"Title", std::make_unique<TXc12XF>());
    EXPECT_EQ(formats.Count(), 1);
    EXPECT_EQ(formats.Find(u"Title"), second);
    EXPECT_EQ(formats.Find(u"title"), nullptr);
}

}  // namespace
}  // namespace xls::test
