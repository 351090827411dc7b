#include <gtest/gtest.h>

#include "workbook/biff/biff_error.h"
#include "workbook/biff/wide_string_list.h"

namespace xls {
namespace {

TEST(WideStringListTest, AddsTextsWithValues) {
    TXLSWideStringList list;
    int changes = 0;
    list.OnChange = [&changes](TXLSWideStringList&) { ++changes; };
    EXPECT_EQ(list.Add(u"Sheet1"), 0);
    EXPECT_EQ(list.AddValue(u"隐藏", 2), 1);
    EXPECT_EQ(list.GetString(1), u"隐藏");
    EXPECT_EQ(list.GetValue(1), 2);
    EXPECT_EQ(list.GetValue(0), 0);
    EXPECT_EQ(changes, 2);
    list.SetUpdateLock(true);
    list.Clear();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(list.GetCount(), 0);
    for (int index : {-1, 0}) {
        EXPECT_THROW(list.GetString(index), EBIFFError);
        EXPECT_THROW(list.GetValue(index), EBIFFError);
    }
}

TEST(WideStringListTest, AddAfterBlank) {
    const struct {
        std::u16string Text, Expected;
    } cases[] = {{u"Attribute  VB_Name = \"M\" ", u"VB_Name = \"M\""},
                 {u"word  second ", u"second"},
                 {u" leading", u" leading"},
                 {u"none", u"none"},
                 {u"end \t", u""}};
    TXLSValueWideStringList list;
    EXPECT_EQ(list.Separator(), u'=');
    for (const auto& c : cases) EXPECT_EQ(list.GetString(list.AddAfterBlank(c.Text)), c.Expected);
}

}  // namespace
}  // namespace xls
