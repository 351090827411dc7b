#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "workbook/formula/iterate_ptgs.h"
#include "workbook/formula/ptg_tokens.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

TEST(PtgLengths, EveryOpcode) {
    // The widths by opcode as the walkers' users list them; every opcode not named is undefined.
    std::vector<std::pair<int32_t, std::vector<int>>> widths = {
        {1, {0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E,
             0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0xF0, 0xF1, 0xFE, 0xFF}},
        {2, {0x0F, 0x18, 0x1C, 0x1D, 0xA0}},
        {3, {0x1E, 0x81, 0x83}},
        {4, {0x82}},
        {5, {0x89}},
        {7, {0x80, 0x84, 0x87, 0xB8, 0xB9, 0xBB}},
        {8, {0xA2, 0xB0}},
        {9, {0x1F, 0xA3, 0xB1}},
        {10, {0xA4}},
        {11, {0xA5}},
        {13, {0x86, 0x88}},
        {14, {0xA6, 0xB2, 0xBA}},
        {15, {0xA7, 0xB3}},
        {16, {0xA8, 0xBE}},
        {17, {0xA9}},
        {18, {0xBD}},
        {19, {0xBC}},
    };
    // BIFF operand tokens in all three classes; the memory tokens count their head only.
    const std::pair<int32_t, std::vector<int>> operands[] = {{3, {0x21, 0x29}},
                                                             {4, {0x22}},
                                                             {5, {0x23, 0x24, 0x2A, 0x2C}},
                                                             {7, {0x26, 0x27, 0x39, 0x3A, 0x3C}},
                                                             {8, {0x20}},
                                                             {9, {0x25, 0x2B, 0x2D}},
                                                             {11, {0x3B, 0x3D}}};
    for (const auto& [width, ids] : operands) {
        std::vector<int> all;
        for (int id : ids) all.insert(all.end(), {id, id + 0x20, id + 0x40});
        widths.push_back({width, all});
    }
    std::set<int> named;
    for (const auto& [width, ids] : widths) {
        for (int id : ids) {
            EXPECT_EQ(PtgLengths[id], width) << std::hex << id;
            named.insert(id);
        }
    }
    for (int id = 0; id < 256; ++id) {
        if (!named.count(id)) {
            EXPECT_EQ(PtgLengths[id], -1) << std::hex << id;
        }
    }
}

std::vector<size_t> Walk(std::vector<uint8_t> ptgs, int32_t length = -1) {
    TXLSIteratePtgs it(ptgs.data(), length < 0 ? static_cast<int32_t>(ptgs.size()) : length);
    std::vector<size_t> offsets;
    while (it.Next()) offsets.push_back(static_cast<size_t>(it.Current() - ptgs.data()));
    return offsets;
}

TEST(IteratePtgs, StepsOverEveryKindOfToken) {
    struct TCase {
        const char* What;
        std::vector<uint8_t> Ptgs;
        std::vector<size_t> Offsets;
    };
    const TCase cases[] = {
        {"empty", {}, {}},
        {"integer", {0x1E, 0x05, 0x00}, {0}},
        {"value-class reference", {0x44, 0, 0, 0, 0xC0, 0x1E, 1, 0}, {0, 5}},
        {"8-bit string", {0x17, 3, 0, 'a', 'b', 'c', 0x16}, {0, 6}},
        {"16-bit string", {0x17, 3, 1, 'a', 0, 'b', 0, 'c', 0, 0x16}, {0, 9}},
        {"choose attribute", {0x19, 0x04, 2, 0, 1, 0, 2, 0, 3, 0, 0x16}, {0, 10}},
        {"space attribute", {0x19, 0x40, 0, 1, 0x16}, {0, 4}},
        {"own string", {0x8A, 2, 0, 'a', 0, 'b', 0, 0x89, 1, 0, 0, 0}, {0, 7}},
        {"user function", {0xF2, 1, 2, 0, 'f', 0, 'x', 0, 0xF1}, {0, 8}},
        {"own intersection", {0x84, 0, 0, 0, 0, 0, 0, 0x84, 1, 0, 0, 0, 0, 0, 0x0F, 1}, {0, 7, 14}},
        // SUM(A1 B1) as another producer writes it: a memory function head, the two references and
        // the one-byte BIFF8 intersection of its sub-expression, then the function.
        {"BIFF8 memory function",
         {0xFF, 0x29, 11, 0, 0x24, 0, 0, 0, 0xC0, 0x24, 0, 0, 1, 0xC0, 0x0F, 0x42, 1, 4, 0},
         {0, 1, 4, 9, 14, 15}},
        {"BIFF8 memory area", {0xFF, 0x66, 0, 0, 0, 0, 10, 0, 0x25, 0, 0, 1, 0, 0, 0xC0, 0, 0xC0, 0x15}, {0, 1, 8, 17}},
        {"BIFF8 memory error", {0xFF, 0x47, 0x17, 0, 0, 0, 0, 0, 0x1E, 1, 0}, {0, 1, 8}},
        {"extra data is not walked",
         {0xFE, 10, 0, 0x1E, 1, 0, 0x1E, 2, 0, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         {0, 3, 6, 9}},
        {"own tokens of own widths",
         {0xBE, 1, 0, 0x86, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xB2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4},
         {0, 16}},
    };
    for (const TCase& c : cases) EXPECT_EQ(Walk(c.Ptgs), c.Offsets) << c.What;
}

TEST(IteratePtgs, NeverReachesPastTheStream) {
    // Cut tokens and self-described widths that point past the end end the walk before them.
    EXPECT_EQ(Walk({0x1E, 1, 0, 0x1F, 0, 0}), std::vector<size_t>({0}));
    EXPECT_EQ(Walk({0x17, 200, 1, 'a', 0}), std::vector<size_t>{});
    EXPECT_EQ(Walk({0x17}), std::vector<size_t>{});
    EXPECT_EQ(Walk({0x8A, 0xFF, 0xFF, 'a', 0}), std::vector<size_t>{});
    EXPECT_EQ(Walk({0x19, 0x04, 0xFF, 0xFF}), std::vector<size_t>{});
    EXPECT_EQ(Walk({0xF2, 0, 0xFF}), std::vector<size_t>{});
    EXPECT_EQ(Walk({0xFE, 0xFF, 0xFF, 0x1E, 1, 0}), std::vector<size_t>({0}));
    EXPECT_EQ(Walk({0xFE, 1}), std::vector<size_t>{});
    // A length shorter than the buffer is respected.
    EXPECT_EQ(Walk({0x1E, 1, 0, 0x1E, 2, 0}, 4), std::vector<size_t>({0}));
}

TEST(IteratePtgs, RefusesIdsWithoutWidth) {
    for (uint8_t id : {0x01, 0x02, 0x28, 0x48, 0x85, 0xA1, 0xC0}) {
        std::vector<uint8_t> ptgs = {0x1E, 1, 0, id, 0, 0, 0, 0, 0, 0, 0, 0};
        TXLSIteratePtgs it(ptgs.data(), static_cast<int32_t>(ptgs.size()));
        ASSERT_TRUE(it.Next());
        try {
            it.Next();
            ADD_FAILURE() << int(id);
        } catch (const EXLSError& e) {
            char expected[32];
            std::snprintf(expected, sizeof expected, "Unknown ptgs %.2X", id);
            EXPECT_EQ(std::string(e.what()), expected);
        }
    }
    std::vector<uint8_t> zero = {0x00, 1, 2};
    TXLSIteratePtgs it(zero.data(), 3);
    try {
        it.Next();
        ADD_FAILURE();
    } catch (const EXLSError& e) {
        EXPECT_EQ(std::string(e.what()), "Illegal ptgs");
    }
}

TEST(IteratePtgs, PatchesTokensInPlace) {
    // Move every own cell reference one row down.
    std::vector<uint8_t> ptgs = {0x84, 4, 0, 0, 0x80, 2, 0, 0x8A, 1, 0, 'x', 0, 0x84, 9, 0, 0, 0, 3, 0, 0x08};
    TXLSIteratePtgs it(ptgs.data(), static_cast<int32_t>(ptgs.size()));
    int refs = 0;
    while (it.Next()) {
        if (it.Current()[0] != xptgRef) continue;
        ++it.Current()[1];
        ++refs;
    }
    EXPECT_EQ(refs, 2);
    EXPECT_EQ(ptgs[1], 5);
    EXPECT_EQ(ptgs[13], 10);
    EXPECT_EQ(ptgs[4], 0x80);  // the absolute flag stays
}

class TSheets : public IXLSExternSheets {
public:
    bool GetSheetRange(int index, int& first, int& last) const override {
        const int table[][2] = {{0, 0}, {1, 2}, {300, 300}};
        if (index < 0 || index >= 3) return false;
        first = table[index][0];
        last = table[index][1];
        return true;
    }
};

TEST(FormulaRefArea, OwnAndBiffReferences) {
    TSheets sheets;
    TXLSRefArea area;
    const std::vector<uint8_t> area3d = {0xA6, 28, 0, 0, 0x80, 0x7C, 0x7D, 0, 0x80, 1, 0x80, 3, 0x80, 2};
    ASSERT_EQ(GetFormulaRefArea(&sheets, area3d.data(), area3d.size(), area), 2);
    EXPECT_EQ(area.Sheet, 2);
    EXPECT_EQ(area.Row1, static_cast<int32_t>(0x8000001C));
    EXPECT_EQ(area.Row2, static_cast<int32_t>(0x80007D7C));
    EXPECT_EQ(area.Col1, 0x8001);
    EXPECT_EQ(area.Col2, 0x8003);
    const std::vector<uint8_t> area2d(area3d.begin(), area3d.end() - 1);
    std::vector<uint8_t> plain = area2d;
    plain[0] = xptgArea;
    EXPECT_EQ(GetFormulaRefArea(&sheets, plain.data(), plain.size(), area), 0);
    const std::vector<uint8_t> ref3d = {0xA2, 5, 0, 0, 0, 3, 0, 1};
    ASSERT_EQ(GetFormulaRefArea(&sheets, ref3d.data(), ref3d.size(), area), 1);
    EXPECT_EQ(area.Sheet, 1);
    EXPECT_EQ(area.Row2, 5);
    EXPECT_EQ(area.Col1, 3);

    const std::vector<uint8_t> biffRef = {0xFF, 0x3A, 0, 0, 7, 0, 2, 0xC0};
    ASSERT_EQ(GetFormulaRefArea(&sheets, biffRef.data(), biffRef.size(), area), 1);
    EXPECT_EQ(area.Sheet, 0);
    EXPECT_EQ(area.Row1, 7);
    EXPECT_EQ(area.Col2, 0xC002);
    const std::vector<uint8_t> biffArea = {0xFE, 0, 0, 0x3B, 0, 0, 1, 0, 9, 0, 2, 0, 4, 0};
    ASSERT_EQ(GetFormulaRefArea(&sheets, biffArea.data(), biffArea.size(), area), 2);
    EXPECT_EQ(area.Row1, 1);
    EXPECT_EQ(area.Row2, 9);
    EXPECT_EQ(area.Col1, 2);
    EXPECT_EQ(area.Col2, 4);

    auto withIndex = [](std::vector<uint8_t> ptgs, uint8_t index) {
        ptgs[2] = index;
        return ptgs;
    };
    const std::vector<uint8_t> range = withIndex(biffRef, 1);  // Sheet2:Sheet3
    EXPECT_EQ(GetFormulaRefArea(&sheets, range.data(), range.size(), area), 0);
    const std::vector<uint8_t> far = withIndex(biffRef, 2);
    EXPECT_EQ(GetFormulaRefArea(&sheets, far.data(), far.size(), area), 3);
    const std::vector<uint8_t> unknown = withIndex(biffRef, 9);
    EXPECT_EQ(GetFormulaRefArea(&sheets, unknown.data(), unknown.size(), area), 0);
    EXPECT_EQ(GetFormulaRefArea(nullptr, biffRef.data(), biffRef.size(), area), 0);
    // Cut streams read nothing past their end.
    for (size_t n = 0; n < biffRef.size(); ++n) EXPECT_EQ(GetFormulaRefArea(&sheets, biffRef.data(), n, area), 0) << n;
    const std::vector<uint8_t> integer = {0x89, 1, 0, 0, 0};
    EXPECT_EQ(GetFormulaRefArea(&sheets, integer.data(), integer.size(), area), 0);
}

}  // namespace
}  // namespace xls
