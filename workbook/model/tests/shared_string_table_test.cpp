#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "workbook/model/exceptions.h"
#include "workbook/model/shared_string_table.h"
#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

class SSTTest : public ::testing::Test {
protected:
    TXc12DataStyleSheet StyleSheet;
    TXc12DataSST SST{StyleSheet};
};

TEST_F(SSTTest, EqualTextsShareAnEntryAndFreedSlotsAreReused) {
    const int abc = SST.AddString(u"abc");
    EXPECT_EQ(SST.AddString(u"abc"), abc);
    SST.AddRef(abc);
    SST.AddRef(abc);
    const int def = SST.AddString(u"def");
    SST.AddRef(def);
    SST.AddString(u"ghi");
    SST.Release(abc);
    EXPECT_NE(SST.GetStringRec(abc), nullptr);
    SST.Release(abc);
    EXPECT_EQ(SST.GetStringRec(abc), nullptr);
    EXPECT_EQ(SST.FreeSlots(), 1);
    EXPECT_EQ(SST.AddString(u"new"), abc);  // the lowest free slot
    EXPECT_EQ(SST.AddString(u"abc"), 3);    // "abc" left the hash with its entry
    // Freeing the last slot shrinks the count.
    SST.AddRef(3);
    SST.Release(3);
    EXPECT_EQ(SST.Count(), 3);
    EXPECT_THROW(SST.AddRef(7), EXLSError);
    EXPECT_THROW(SST.GetText(-1), EXLSError);
}

TEST_F(SSTTest, CharactersBelow256TakeOneByte) {
    const int latin = SST.AddString(u"\u00e9t\u00e9");
    const int han = SST.AddString(u"\u4e2d");
    EXPECT_FALSE(SST.GetStringRec(latin)->IsWide());
    EXPECT_EQ(SST.GetStringRec(latin)->Chars()[0], 0xE9);
    EXPECT_EQ(SST.GetText(latin), u"\u00e9t\u00e9");
    EXPECT_TRUE(SST.GetStringRec(han)->IsWide());
    EXPECT_EQ(SST.GetText(han), u"\u4e2d");
    // The narrow form of "é" is not the same text as a wide "é" by mistake.
    EXPECT_EQ(SST.AddString(u"\u00e9t\u00e9"), latin);
}

TEST_F(SSTTest, EscapingOfOpenXMLEscapeShapes) {
    struct Case {
        std::u16string In, Out;
    } cases[] = {
        {u"a_x0041_b_x0042_", u"a_x005F_x0041_b_x005F_x0042_"},
        {u"_x41_", u"_x41_"},  // two characters between: no escape shape
        {u"plain", u"plain"},
        {u"_x1234", u"_x1234"},
    };
    for (const Case& c : cases) EXPECT_EQ(test::U8(SST.GetText(SST.AddString(c.In))), test::U8(c.Out));
    SST.SetNoEscape(true);
    EXPECT_EQ(SST.GetText(SST.AddString(u"z_x0041_")), u"z_x0041_");
}

TEST_F(SSTTest, ReaderAppendsAreNotLookedUp) {
    const int a = SST.AppendString(u"same");
    const int b = SST.AppendString(u"same");
    EXPECT_NE(a, b);
    const uint8_t wide[] = {0x2D, 0x4E, 0x41, 0x00};
    EXPECT_EQ(SST.GetText(SST.AppendWideChars(2, wide)), u"\u4e2dA");
    const uint8_t ansi[] = {'h', 0xE9};
    EXPECT_EQ(SST.GetText(SST.AppendAnsiChars(2, ansi)), u"h\u00e9");
    TXc12Font* bold = StyleSheet.Fonts().Add();
    bold->SetName(u"Bold");
    const TXc12FontRun runs[] = {{1, bold}};
    const int rich = SST.AppendRichString(u"rich", runs);
    EXPECT_EQ(bold->UseCount(), 1);
    ASSERT_EQ(SST.GetStringRec(rich)->RunCount(), 1);
    EXPECT_EQ(SST.GetStringRec(rich)->Runs()[0].Font, bold);
    EXPECT_NE(SST.AddString(u"rich"), rich);  // rich texts are never found
    // The lookup after the appends sees a text appended by the reader once the hash is rebuilt.
    SST.Clear();
    EXPECT_EQ(StyleSheet.Fonts().Count(), 1);  // the run's font went back and left the list
    SST.AppendString(u"x");
    EXPECT_EQ(SST.AddString(u"x"), 0);
    // Appends after a lookup has built the hash are found too.
    const int late = SST.AppendString(u"late");
    EXPECT_EQ(SST.AddString(u"late"), late);
}

// A read's entries share memory: freed in any order, mixed with entries too large to share and
// with entries added one by one, each keeps its text until its last use goes, and whatever is
// left goes with the table (the sanitizers see a block freed early or never).
TEST_F(SSTTest, AppendedEntriesFreedInAnyOrderKeepTheirTexts) {
    std::mt19937 rng(11);
    std::map<int, std::u16string> live;
    for (int i = 0; i < 6000; ++i) {
        const std::string number = std::to_string(i);
        std::u16string text = u"row " + std::u16string(number.begin(), number.end());
        int index;
        if (i % 997 == 0) {
            text += std::u16string(9000, u'w');  // larger than a shared piece of memory
            index = SST.AppendString(text);
        } else if (i % 3 == 0) {
            text += u"\u6E29";
            index = SST.AppendString(text);
        } else if (i % 101 == 0) {
            index = SST.AddString(text);
        } else {
            const std::string narrow(text.begin(), text.end());
            index =
                SST.AppendAnsiChars(static_cast<int>(narrow.size()), reinterpret_cast<const uint8_t*>(narrow.data()));
        }
        SST.AddRef(index);
        live[index] = text;
    }
    std::vector<int> order;
    for (const auto& entry : live) order.push_back(entry.first);
    std::shuffle(order.begin(), order.end(), rng);
    for (size_t i = 0; i < order.size(); ++i) {
        if (i % 5 == 4) continue;  // every fifth stays with the table
        SST.Release(order[i]);
        EXPECT_TRUE(order[i] >= SST.Count() || SST.GetStringRec(order[i]) == nullptr);
        live.erase(order[i]);
        if (i % 1000 == 0) {
            for (const auto& [index, text] : live) ASSERT_EQ(SST.GetText(index), text) << index;
        }
    }
    for (const auto& [index, text] : live) ASSERT_EQ(SST.GetText(index), text) << index;
    // Appends after the frees start where the table ends and leave the survivors alone.
    const uint8_t more[] = {'m', 'o', 'r', 'e'};
    const int last = SST.AppendAnsiChars(4, more);
    EXPECT_EQ(last, SST.Count() - 1);
    EXPECT_EQ(SST.GetText(last), u"more");
    for (const auto& [index, text] : live) ASSERT_EQ(SST.GetText(index), text) << index;
}

TEST_F(SSTTest, LengthsBeyondSixteenBitsRaise) {
    const std::u16string huge(70000, u'a');
    EXPECT_THROW(SST.AddString(huge), EXLSError);
    EXPECT_THROW(SST.AppendString(huge), EXLSError);
    EXPECT_THROW(SST.AppendAnsiChars(-1, nullptr), EXLSError);
    // Escaping that pushes a text over the limit raises too, rather than cutting it.
    std::u16string shapes;
    while (shapes.size() < 65530) shapes += u"_x0041_";
    EXPECT_THROW(SST.AddString(shapes), EXLSError);
    EXPECT_EQ(SST.Count(), 0);
}

TEST_F(SSTTest, GrowsFrom255To510Slots) {
    for (int i = 0; i < 255; ++i) SST.AddString(u"s" + std::u16string(1, char16_t(0x100 + i)));
    EXPECT_EQ(SST.Capacity(), 255);
    SST.AddString(u"one more");
    EXPECT_EQ(SST.Capacity(), 510);
}

// Against a plain model: texts, references, slot reuse (lowest free first) and the count.
TEST_F(SSTTest, RandomisedAgainstAModel) {
    std::mt19937 rng(7);
    std::map<int, std::pair<std::u16string, int>> model;  // slot -> text, references
    for (int step = 0; step < 20000; ++step) {
        const int action = static_cast<int>(rng() % 3);
        if (action < 2) {
            const std::u16string text =
                u"t" + std::u16string(1, char16_t(u'a' + rng() % 26)) +
                std::u16string(1, char16_t(rng() % 2 ? 0x4E00 + rng() % 50 : u'0' + rng() % 10));
            int expected = -1;
            for (const auto& [slot, entry] : model)
                if (entry.first == text) expected = slot;
            if (expected < 0) {
                expected = 0;
                while (model.contains(expected)) ++expected;
            }
            const int index = SST.AddString(text);
            ASSERT_EQ(index, expected);
            SST.AddRef(index);
            auto& entry = model[index];
            entry.first = text;
            ++entry.second;
        } else if (!model.empty()) {
            auto it = model.begin();
            std::advance(it, rng() % model.size());
            SST.Release(it->first);
            if (--it->second.second == 0) model.erase(it);
        }
        if (step % 997 == 0) {
            for (const auto& [slot, entry] : model) ASSERT_EQ(SST.GetText(slot), entry.first);
        }
    }
}

}  // namespace
}  // namespace xls
