#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "workbook/model/exceptions.h"
#include "workbook/model/style_sheet.h"
#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

TEST(StyleSheet, NewSheetHoldsTheBuiltIns) {
    TXc12DataStyleSheet sheet;
    EXPECT_EQ(sheet.NumFmts().Count(), 50);
    ASSERT_EQ(sheet.Fonts().Count(), 1);
    EXPECT_EQ(test::U8(sheet.Fonts().GetDefaultFont()->GetName()), "Calibri");
    EXPECT_EQ(sheet.Fonts().GetDefaultFont()->GetSize(), 11);
    ASSERT_EQ(sheet.Fills().Count(), 2);
    EXPECT_EQ(sheet.Fills().GetItems(1)->GetPatternType(), efpGray125);
    EXPECT_EQ(sheet.Borders().Count(), 1);
    ASSERT_EQ(sheet.XFs().Count(), 1);
    EXPECT_EQ(sheet.XFs().GetDefault()->GetFont(), sheet.Fonts().GetDefaultFont());
    EXPECT_EQ(sheet.XFs().GetDefault()->GetProtection(), 1);
    EXPECT_EQ(test::U8(sheet.CellStyles().GetItems(0)->Name), "Normal");
    EXPECT_EQ(test::U8(sheet.NumFmts().GetItems(49)->GetFormatString()), "@");
    EXPECT_EQ(test::U8(sheet.NumFmts().GetItems(13)->GetFormatString()), "# ?\?/??");
}

TEST(NumberFormats, SetFormatByIdAndIsCustom) {
    TXc12DataStyleSheet sheet;
    TXc12NumberFormats& formats = sheet.NumFmts();
    TXc12NumberFormat* custom = formats.SetFormatById(u"0.000", 164);
    EXPECT_EQ(formats.Count(), 165);
    EXPECT_EQ(custom->Index(), 164);
    EXPECT_TRUE(custom->IsCustom());
    EXPECT_FALSE(formats.GetItems(100)->IsCustom());  // empty
    formats.SetFormatById(u"text", 49);
    EXPECT_TRUE(formats.GetItems(49)->Changed());
    EXPECT_EQ(formats.Count(), 165);
    EXPECT_FALSE(formats.GetItems(14)->IsCustom());
    formats.SetFormatById(u"yyyy-mm-dd", 14);
    EXPECT_TRUE(formats.GetItems(14)->IsCustom());
    // Ids are 16-bit in every file; a larger one must not grow the list without bound.
    EXPECT_THROW(formats.SetFormatById(u"x", 70000), EXLSError);
    EXPECT_THROW(formats.SetFormatById(u"x", -1), EXLSError);
    // A built-in format's string is not overwritten by Assign.
    TXc12NumberFormat other;
    other.SetFormatString(u"0.0");
    formats.GetItems(1)->Assign(other);
    EXPECT_EQ(test::U8(formats.GetItems(1)->GetFormatString()), "0");
}

TEST(StyleItems, EqualityAndHashAgree) {
    TXc12Font a, b;
    a.SetName(u"arial");
    b.SetName(u"ARIAL");
    a.SetSize(10);
    b.SetSize(10);
    a.SetColor(Xc12ColorFromTheme(1, 0.50014));
    b.SetColor(Xc12ColorFromTheme(1, 0.50016));  // equal within the tint tolerance
    EXPECT_TRUE(a.Equal(b));
    EXPECT_EQ(a.GetHash(), b.GetHash());  // lookups reject on the hash first
    b.SetSize(10.000001);
    EXPECT_FALSE(a.Equal(b));

    TXc12Fill g1, g2;
    g1.SetIsGradientFill(true);
    g2.SetIsGradientFill(true);
    g1.GetGradient()->AddStop(Xc12ColorFromRGB(5), 0.5);
    g2.GetGradient()->AddStop(Xc12ColorFromRGB(5), 0.5 + 1e-7);
    EXPECT_TRUE(g1.Equal(g2));
    TXc12Fill plain;
    EXPECT_FALSE(g1.Equal(plain));

    // A changed field gives a fresh hash: cached hashes follow their objects.
    TXc12Fill f;
    const int32_t before = f.GetHash();
    f.SetFgColor(Xc12ColorFromRGB(0x123456));
    EXPECT_NE(f.GetHash(), before);
    TXc12XF xf;
    xf.GetAlignment().SetHorizAlignment(2);
    const int32_t aligned = xf.GetAlignment().GetHash();
    xf.GetAlignment().SetVertAlignment(0);
    EXPECT_NE(xf.GetAlignment().GetHash(), aligned);
}

TEST(Fonts, CommentFontAndFaceNameCut) {
    TXc12DataStyleSheet sheet;
    TXc12Font* bold = sheet.Fonts().AddCommentFont(true);
    EXPECT_EQ(sheet.Fonts().AddCommentFont(true), bold);
    EXPECT_NE(sheet.Fonts().AddCommentFont(false), bold);
    EXPECT_TRUE(bold->BuiltIn());

    TXc12Font font;
    // 40 characters, the last ones two-byte in UTF-8: the 31-byte field must not split one.
    font.SetName(u"ABCDEFGHIJKLMNOPQRSTUVWXYZABCD\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9");
    font.SetSize(11);
    font.SetStyle(xfsBold | xfsItalic);
    TXc12LogFont logFont;
    uint32_t color = 1;
    font.ToLogFont(logFont, color);
    const std::string face(logFont.FaceName.data());
    EXPECT_EQ(face, "ABCDEFGHIJKLMNOPQRSTUVWXYZABCD");
    EXPECT_EQ(logFont.FaceName.back(), 0);
    EXPECT_EQ(logFont.Height, 220);
    EXPECT_EQ(logFont.Weight, 700);
    EXPECT_EQ(logFont.Italic, 1);
}

TEST(Fonts, DigitWidthFromTheMeasurerOrTheFallback) {
    TXc12DataStyleSheet sheet;
    EXPECT_EQ(sheet.Fonts().DefaultCharWidth(), 7);
    EXPECT_EQ(sheet.Fonts().DefaultFontHeight(), -15);
    int calls = 0;
    sheet.Fonts().SetMeasurer([&](const TXc12Font& font, int ppi) {
        ++calls;
        return static_cast<int>(font.GetSize() * ppi / 72.0 * 0.6);
    });
    EXPECT_EQ(sheet.Fonts().DefaultCharWidth(), 8);
    sheet.Fonts().GetDefaultFont()->SetSize(20);  // font 0 measures again
    EXPECT_EQ(sheet.Fonts().DefaultCharWidth(), 16);
    EXPECT_EQ(sheet.Fonts().DefaultFontHeight(), -27);
    EXPECT_EQ(calls, 2);
}

TEST(DXF, PartsAreCreatedOnce) {
    TXc12DXF dxf;
    dxf.CreateFont();
    try {
        dxf.CreateFont();
        FAIL();
    } catch (const EXLSError& e) {
        EXPECT_STREQ(e.what(), "DXF->Font is allready set");
    }
    EXPECT_EQ(dxf.GetFill(), nullptr);
}

// Applies one change to a cell format the way cells do: edit, then move the uses.
int Apply(TXc12DataStyleSheet& sheet, int oldIndex, const std::function<void(TXc12XFEditor&)>& change) {
    TXc12XFEditor& editor = sheet.XFEditor();
    editor.BeginEdit(sheet.XFs().GetItems(oldIndex));
    change(editor);
    const int index = editor.EndEdit()->Index();
    editor.AddRefXF(index);
    editor.ReleaseXF(oldIndex);
    return index;
}

TEST(XFEditor, EqualFormatsShareOneXF) {
    TXc12DataStyleSheet sheet;
    sheet.XFEditor().AddRefXF(0);
    sheet.XFEditor().AddRefXF(0);
    const int first = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFillColor(12632256); });
    const int second = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFillColor(12632256); });
    EXPECT_EQ(first, second);
    EXPECT_NE(first, 0);
    const TXc12XF* xf = sheet.XFs().GetItems(first);
    EXPECT_EQ(xf->GetFill()->GetPatternType(), efpSolid);
    EXPECT_EQ(Xc12ColorToRGB(xf->GetFill()->GetFgColor()), 12632256u);
    EXPECT_EQ(xf->GetApply(), xfaFill);
    EXPECT_EQ(xf->UseCount(), 2);
    EXPECT_EQ(sheet.XFs().GetDefault()->UseCount(), 0);
    // Black on an empty fill is a change too.
    EXPECT_NE(Apply(sheet, first, [](TXc12XFEditor& e) { e.SetFillColor(0); }), first);
    // A value equal to the current one leaves the XF as it is.
    EXPECT_EQ(Apply(sheet, second, [](TXc12XFEditor& e) { e.SetHorizAlignment(0); }), second);
    // Font names compare without case.
    EXPECT_EQ(Apply(sheet, second, [](TXc12XFEditor& e) { e.SetFontName(u"CALIBRI"); }), second);
}

TEST(XFEditor, CompactionFreesUnusedSlotsAndReusesThemClean) {
    TXc12DataStyleSheet sheet;
    TXc12XFEditor& editor = sheet.XFEditor();
    editor.AddRefXF(0);
    editor.AddRefXF(0);
    editor.AddRefXF(0);
    const int a = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFontName(u"Arial"); });
    const int b = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetBorderLeftStyle(cbsThin); });
    const int c = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetHorizAlignment(2); });
    ASSERT_EQ(sheet.XFs().Count(), 4);
    EXPECT_EQ(sheet.Fonts().Count(), 2);
    // a and c fall out of use; a's font "Arial" is then unused but is the last font.
    editor.ReleaseXF(a);
    editor.AddRefXF(0);
    editor.ReleaseXF(c);
    editor.AddRefXF(0);
    editor.Compact();
    EXPECT_EQ(sheet.XFs().Count(), 3);            // c at the end was deleted
    EXPECT_EQ(sheet.XFs().GetItems(a), nullptr);  // a in the middle became an empty slot
    EXPECT_NE(sheet.XFs().GetItems(b), nullptr);
    EXPECT_EQ(sheet.Fonts().Count(), 2);  // the last font stays
    // The next new XF takes a's slot, with nothing of a left in it.
    const int d = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFillColor(0xFF); });
    EXPECT_EQ(d, a);
    EXPECT_EQ(sheet.XFs().GetItems(d)->GetApply(), xfaFill);
    EXPECT_EQ(sheet.XFs().GetItems(d)->GetFont(), sheet.Fonts().GetDefaultFont());
    // Another font after "Arial" makes Arial deletable.
    const int e = Apply(sheet, 0, [](TXc12XFEditor& ed) { ed.SetFontName(u"Courier"); });
    EXPECT_EQ(sheet.Fonts().Count(), 3);
    editor.Compact();
    ASSERT_EQ(sheet.Fonts().Count(), 2);
    EXPECT_EQ(test::U8(sheet.Fonts().GetItems(1)->GetName()), "Courier");
    EXPECT_EQ(sheet.XFs().GetItems(e)->GetFont(), sheet.Fonts().GetItems(1));
}

TEST(XFEditor, EveryTwentyFifthEditCompacts) {
    TXc12DataStyleSheet sheet;
    TXc12XFEditor& editor = sheet.XFEditor();
    for (int i = 0; i < 24; ++i) {
        editor.BeginEdit(nullptr);
        editor.EndEdit();
    }
    EXPECT_EQ(editor.CompactCounter(), 24);
    editor.BeginEdit(nullptr);
    EXPECT_EQ(editor.CompactCounter(), 0);
}

TEST(XFEditor, BIFFPlaceholderFontSurvivesCompaction) {
    TXc12DataStyleSheet sheet;
    TXc12Fonts& fonts = sheet.Fonts();
    // As the BIFF reader fills the list: four fonts, the placeholder for index 4, then more.
    for (int i = 0; i < 4; ++i) fonts.Add()->SetName(u"F" + std::u16string(1, char16_t(u'0' + i)));
    fonts.AddPlaceholder();
    TXc12Font* later = fonts.Add();
    later->SetName(u"Later");
    TXc12Font* last = fonts.Add();
    last->SetName(u"Last");
    for (int i = 1; i <= 4; ++i) fonts.GetItems(i)->AddRef();
    later->AddRef();
    sheet.XFEditor().Compact();
    ASSERT_EQ(fonts.Count(), 8);  // nothing removed: the placeholder is exempt
    EXPECT_EQ(later->Index(), 6);
}

TEST(XFEditor, EditingAnUnusedXFNeverFreesIt) {
    TXc12DataStyleSheet sheet;
    TXc12XFEditor& editor = sheet.XFEditor();
    editor.AddRefXF(0);
    const int a = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFontName(u"Arial"); });
    editor.ReleaseXF(a);
    editor.AddRefXF(0);
    // a is out of use; an edit that starts from it must not see its slot reused under it.
    editor.BeginEdit(sheet.XFs().GetItems(a));
    editor.SetFillColor(0xFF);
    const TXc12XF* result = editor.EndEdit();
    EXPECT_NE(result->Index(), a);
    EXPECT_EQ(test::U8(result->GetFont()->GetName()), "Arial");
}

TEST(XFEditor, ARunFontStaysWhileAnXFStillPointsAtIt) {
    TXc12DataStyleSheet sheet;
    TXc12XFEditor& editor = sheet.XFEditor();
    editor.AddRefXF(0);
    const int a = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFontName(u"Arial"); });
    TXc12Font* arial = sheet.XFs().GetItems(a)->GetFont();
    const TXc12FontRun runs[] = {{0, arial}};
    editor.AddRefFontRuns(runs, 1);
    editor.ReleaseXF(a);  // the cell went: the XF is unused but still in its slot
    editor.ReleaseFontRuns(runs, 1);
    ASSERT_EQ(sheet.Fonts().Count(), 2);
    // The next edit still compares against the unused XF and its font.
    EXPECT_EQ(Apply(sheet, a, [](TXc12XFEditor& e) { e.SetFontName(u"Arial"); }), a);
}

TEST(XFEditor, LookupsFollowPartsChangedInTheirLists) {
    TXc12DataStyleSheet sheet;
    sheet.XFEditor().AddRefXF(0);
    const int a = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFontName(u"Arial"); });
    ASSERT_EQ(sheet.XFs().Find(*sheet.XFs().GetItems(a)), sheet.XFs().GetItems(a));
    // A reader changes a font in place after the XF pointing at it was hashed.
    sheet.XFs().GetItems(a)->GetFont()->SetSize(20);
    EXPECT_EQ(Apply(sheet, a, [](TXc12XFEditor& e) { e.SetFontSize(20); }), a);
    EXPECT_EQ(sheet.Fonts().Count(), 2);
}

TEST(XFEditor, UseFontAndReleaseFont) {
    TXc12DataStyleSheet sheet;
    TXc12Font* arial = sheet.Fonts().Add();
    arial->SetName(u"Arial");
    arial->SetSize(10);
    TXc12Font probe;
    probe.SetName(u"ARIAL");
    probe.SetSize(10);
    EXPECT_EQ(sheet.XFEditor().UseFont(probe), arial);
    probe.SetSize(12);
    EXPECT_THROW(sheet.XFEditor().UseFont(probe), EXLSError);
    sheet.XFEditor().ReleaseFont(arial);
    EXPECT_EQ(sheet.Fonts().Count(), 1);
}

TEST(XFEditor, DropFontLeavesFontsThatSomethingStillHolds) {
    TXc12DataStyleSheet sheet;
    TXc12XFEditor& editor = sheet.XFEditor();
    auto added = [&sheet] {
        TXc12Font* font = sheet.Fonts().Add();
        font->SetName(u"Arial");
        font->SetBuiltIn(true);
        return font;
    };
    TXc12Font* plain = added();
    TXc12Font* used = added();
    used->AddRef();
    TXc12Font* inXF = added();
    sheet.XFs().GetItems(0)->SetFont(inXF);
    TXc12Font* inStyleXF = added();
    sheet.StyleXFs().GetItems(0)->SetFont(inStyleXF);
    TXc12Font outside;
    const int before = sheet.Fonts().Count();

    editor.DropFont(&outside);
    editor.DropFont(sheet.Fonts().GetItems(0));
    for (TXc12Font* font : {used, inXF, inStyleXF}) editor.DropFont(font);
    EXPECT_EQ(sheet.Fonts().Count(), before);

    editor.DropFont(plain);
    EXPECT_EQ(sheet.Fonts().Count(), before - 1);
    EXPECT_EQ(sheet.Fonts().IndexOf(plain), -1);
    for (TXc12Font* font : {used, inXF, inStyleXF}) EXPECT_EQ(sheet.Fonts().GetItems(font->Index()), font);
}

TEST(StyleSheet, PrepareWriteNumbersEveryItemByPosition) {
    TXc12DataStyleSheet sheet;
    sheet.XFEditor().AddRefXF(0);
    sheet.XFEditor().AddRefXF(0);
    const int a = Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFontName(u"A"); });
    Apply(sheet, 0, [](TXc12XFEditor& e) { e.SetFontName(u"B"); });
    sheet.XFEditor().ReleaseXF(a);
    sheet.PrepareWrite();
    for (TXLSStyleObjectList* list :
         {static_cast<TXLSStyleObjectList*>(&sheet.Fonts()), static_cast<TXLSStyleObjectList*>(&sheet.XFs()),
          static_cast<TXLSStyleObjectList*>(&sheet.NumFmts())})
        for (int i = 0; i < list->Count(); ++i)
            if (list->GetItems(i)) {
                EXPECT_EQ(list->GetItems(i)->Index(), i);
            }
    std::u16string dump;
    sheet.XFs().GetDefault()->DebugText(0, dump);
    EXPECT_NE(test::U8(dump).find("Name   : Calibri\r"), std::string::npos);
}

}  // namespace
}  // namespace xls
