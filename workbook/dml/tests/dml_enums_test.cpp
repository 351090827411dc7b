#include "workbook/dml/dml_enums.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace xpg::dml {
namespace {

// Reads enumeration texts the way every generated class does, reports collected.
class EnumReader : public TXPGBase {
public:
    explicit EnumReader(TXPGDocBase& document) : TXPGBase(&document) {
        document.Errors.SetOnError([this](xls::TXpgPErrors& e) { Reports.push_back(e.Text()); });
    }
    uint8_t Read(std::span<const std::u16string_view> texts, std::u16string_view value, uint8_t start = 255) {
        uint8_t field = start;
        ReadEnum(texts, field, u"val", value);
        return field;
    }
    std::vector<std::u16string> Reports;
};

const TXPGEnumeration& Find(std::string_view name) {
    for (const auto& e : Enumerations)
        if (e.Name == name) return e;
    throw std::runtime_error("no enumeration " + std::string(name));
}

std::u16string Upper(std::u16string_view text) {
    std::u16string result(text);
    for (auto& c : result)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return result;
}

TEST(DmlEnums, EveryValueOfEveryTypeReadsToItsOrdinalAndWritesBack) {
    TXPGDocBase document;
    EnumReader reader(document);
    size_t values = 0;
    for (const auto& e : Enumerations) {
        SCOPED_TRACE(std::string(e.Name));
        ASSERT_LT(e.Texts.size(), 255u);
        for (size_t i = 0; i < e.Texts.size(); ++i) {
            const uint8_t ordinal = reader.Read(e.Texts, e.Texts[i]);
            ASSERT_EQ(ordinal, i);
            EXPECT_EQ(e.Texts[ordinal], e.Texts[i]);
            // Another case reads as the same value; writing gives the schema's case.
            EXPECT_EQ(reader.Read(e.Texts, Upper(e.Texts[i])), i);
        }
        values += e.Texts.size();
    }
    EXPECT_TRUE(reader.Reports.empty());
    // A lost or doubled value would shift the ordinals the workbook model sets.
    EXPECT_EQ(std::size(Enumerations), 72u);
    EXPECT_EQ(values, 930u);
}

TEST(DmlEnums, OrdinalsTheModelRelies) {
    struct Case {
        std::string_view type;
        std::u16string_view text;
        uint8_t ordinal;
    };
    const Case cases[] = {
        {"TST_TextAnchoringType", u"dist", sttatDist1},
        {"TST_TextAnchoringType", u"ctr", sttatCtr1},
        {"TST_TextAnchoringType", u"just", sttatJust1},
        {"TST_TextAlignType", u"dist", sttatDist},
        {"TST_SchemeColorVal", u"accent1", stscvAccent1},
        {"TST_SystemColorVal", u"scrollBar", stscvScrollBar},
        {"TST_ShapeType", u"rect", ststRect},
        {"TST_ShapeType", u"Rect", ststRect},
        {"TST_BlackWhiteMode", u"BLACK", stbwmBlack},
        {"TST_EditAs", u"twoCell", steatwoCell},
        {"TST_Shape", u"cone", stsCone},
        {"TST_SystemColorVal", u"3dDkShadow", stscv3dDkShadow},
    };
    const uint8_t expected[] = {4, 1, 3, 5, 4, 0, 4, 4, 8, 0, 0, 21};
    TXPGDocBase document;
    EnumReader reader(document);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(std::string(c.type));
        EXPECT_EQ(c.ordinal, expected[i]);
        const auto& e = Find(c.type);
        const uint8_t ordinal = reader.Read(e.Texts, c.text);
        EXPECT_EQ(ordinal, c.ordinal);
        EXPECT_EQ(Upper(e.Texts[ordinal]), Upper(c.text));
    }
    EXPECT_EQ(Find("TST_ShapeType").Texts[ststRect], u"rect");
}

TEST(DmlEnums, UnknownValueIsReportedAndLeavesTheFieldAsItWas) {
    struct Case {
        std::string_view type;
        std::u16string_view text;
    };
    // Values of a type that shares the prefix, registry names, blanks and the empty text are
    // none of the type's values.
    const Case cases[] = {
        {"TST_TextAnchoringType", u"justLow"},
        {"TST_TextAnchoringType", u"thaiDist"},
        {"TST_SystemColorVal", u"bg1"},
        {"TST_SchemeColorVal", u"menuBar"},
        {"TST_ShapeType", u"auto"},
        {"TST_ShapeType", u"ststRect"},
        {"TST_ShapeType", u"rect "},
        {"TST_ShapeType", u""},
        {"TST_EditAs", u"twocells"},
        {"TST_PresetColorVal", u"notAColour"},
    };
    TXPGDocBase document;
    EnumReader reader(document);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type));
        const auto& e = Find(c.type);
        reader.Reports.clear();
        EXPECT_EQ(reader.Read(e.Texts, c.text), 255);
        EXPECT_EQ(reader.Read(e.Texts, c.text, 2), 2);
        ASSERT_EQ(reader.Reports.size(), 2u);
        EXPECT_NE(reader.Reports[0].find(std::u16string(c.text)), std::u16string::npos);
    }
}

TEST(DmlEnums, RegistryNamesOfSharedPrefixesStayApart) {
    struct Case {
        std::u16string_view name;
        uint8_t ordinal;
    };
    const Case cases[] = {
        {u"stscvBg1", 0},  {u"stscv3dDkShadow", 21}, {u"sttatDist", 5},     {u"sttatDist1", 4},
        {u"sttatCtr1", 1}, {u"steatwoCell", 0},      {u"STEAABSOLUTE", 2},  {u"ststRect", 4},
        {u"ststVal", 4},   {u"sttstNoStrike", 0},    {u"sttstTextStop", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        EXPECT_EQ(Registry().StrToEnum(c.name), c.ordinal);
    }
}

}  // namespace
}  // namespace xpg::dml
