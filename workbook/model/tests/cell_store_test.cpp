#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "workbook/model/biff_values.h"
#include "workbook/model/cell_reference.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/tests/test_util.h"

namespace xls {
namespace {

class CellStoreTest : public ::testing::Test {
protected:
    TXc12DataStyleSheet StyleSheet;
    TXc12DataSST SST{StyleSheet};
    TXLSCellMMU Store{0, StyleSheet, SST};

    // Extra cell formats, added without uses.
    int AddXF() {
        auto xf = std::make_unique<TXc12XF>();
        StyleSheet.SetXFDefaults(*xf);
        return StyleSheet.XFs().AddXF(std::move(xf));
    }
    uint8_t StoredType(int col, int row) {
        TXLSMMUCell cell;
        Store.FindCell(col, row, cell);
        return static_cast<uint8_t>(cell.Type);
    }
    const uint8_t* RowRecord(int row) {
        TXLSMMURowHeader* header = Store.GetRowHeader(row);
        return header ? reinterpret_cast<const uint8_t*>(header) - MMURowHeaderOffset : nullptr;
    }
};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool IsFormula(TCellValueType type) { return type >= xctFloatFormula; }

std::vector<TXLSPackedFloat> Packed(const std::vector<double>& values) {
    std::vector<TXLSPackedFloat> packed;
    for (double v : values) packed.push_back(XLSPackFloat(v));
    return packed;
}

TEST(NumberPacking, KeepsEveryValueBitForBit) {
    struct Case {
        double Value;
        uint8_t Kind;
    } cases[] = {
        {0.0, xckDouble},
        {-0.5, xckDouble},
        {0.5, xckHundredths},
        {127, xckInt8},
        {128, xckInt16},
        {40000, xckInt32},
        {3e9, xckDouble},
        {1.23456, xckDouble},
        {1000000.25, xckHundredths},
        {21474836.5, xckDouble},
        {2.0001, xckTenThousandths},
        {23.4, xckHundredths},
        {-23.4, xckHundredths},
        {3 + 1e-13, xckDouble},
        {-2147483647.0, xckDouble},
        {-2147483646.0, xckInt32},
        {1e-9, xckDouble},
        {-0.0, xckDouble},
        {0.1, xckHundredths},
        {std::numeric_limits<double>::quiet_NaN(), xckDouble},
        {std::numeric_limits<double>::infinity(), xckDouble},
    };
    for (const Case& c : cases) EXPECT_EQ(XLSPackFloat(c.Value).Kind, c.Kind) << c.Value;
    // Whatever the kind, the store gives back the identical double.
    std::mt19937_64 rng(3);
    TXc12DataStyleSheet styleSheet;
    TXc12DataSST sst(styleSheet);
    TXLSCellMMU store(0, styleSheet, sst);
    std::vector<double> values;
    for (const Case& c : cases) values.push_back(c.Value);
    for (int i = 0; i < 2000; ++i) {
        const int kind = static_cast<int>(rng() % 4);
        const double tenths = static_cast<double>(static_cast<int64_t>(rng() % 2000000) - 1000000);
        values.push_back(kind == 0   ? tenths / 10
                         : kind == 1 ? tenths / 100 + 1e-13
                         : kind == 2 ? tenths / 10000
                                     : tenths * 1e-7);
    }
    for (size_t i = 0; i < values.size(); ++i)
        store.StoreFloat(static_cast<int>(i % 100), static_cast<int>(i / 100), 0, values[i]);
    for (size_t i = 0; i < values.size(); ++i) {
        TXLSMMUCell cell;
        ASSERT_TRUE(store.FindCell(static_cast<int>(i % 100), static_cast<int>(i / 100), cell));
        EXPECT_TRUE(SameBits(TXLSCellMMU::GetFloat(cell), values[i])) << values[i];
    }
}

// The reader packs RK numbers without decoding them where it can; the cells must come out as
// if the decoded double had been packed. Every whole number in either RK form, in hundredths or
// not, around the shortcut's limits, and RK numbers at random.
TEST(NumberPacking, RKNumbersPackAsTheirDoubles) {
    auto rkInteger = [](int32_t v, bool hundredths) {
        return static_cast<uint32_t>(v) << 2 | 2u | (hundredths ? 1u : 0u);
    };
    auto rkFloat = [](double v, bool hundredths) {
        return (static_cast<uint32_t>(std::bit_cast<uint64_t>(v) >> 32) & ~3u) | (hundredths ? 1u : 0u);
    };
    for (int32_t v = -(1 << 18); v <= (1 << 18); ++v)
        for (bool hundredths : {false, true})
            for (const uint32_t rk : {rkInteger(v, hundredths), rkFloat(v, hundredths)})
                ASSERT_EQ(XLSPackRK(rk), XLSPackFloat(DecodeRK(rk))) << v << (hundredths ? " hundredths" : "");
    for (int32_t v : {(1 << 29) - 1, -(1 << 29), 2147483, -2147483, 123456789})
        EXPECT_EQ(XLSPackRK(rkInteger(v, true)), XLSPackFloat(DecodeRK(rkInteger(v, true)))) << v;
    for (double v : {0.5, -0.5, 1e10, -1e10, 131071.5, std::numeric_limits<double>::infinity()})
        EXPECT_EQ(XLSPackRK(rkFloat(v, true)), XLSPackFloat(DecodeRK(rkFloat(v, true)))) << v;
    std::mt19937 rng(5);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t rk = static_cast<uint32_t>(rng());
        ASSERT_EQ(XLSPackRK(rk), XLSPackFloat(DecodeRK(rk))) << rk;
    }
}

TEST_F(CellStoreTest, SkipRunsAndRunSplitting) {
    Store.StoreFloat(0, 0, 0, 1);
    Store.StoreFloat(128, 0, 0, 2);  // a gap of 127 columns: one skip byte
    const uint8_t* record = RowRecord(0);
    EXPECT_EQ(record[MMURowPrefixSize + 3], 0xFF);
    EXPECT_EQ(record[MMURowPrefixSize + 4], 1);
    Store.StoreFloat(0, 1, 0, 1);
    Store.StoreFloat(129, 1, 0, 2);  // a gap of 128: 0xFF 0x81
    record = RowRecord(1);
    EXPECT_EQ(record[MMURowPrefixSize + 3], 0xFF);
    EXPECT_EQ(record[MMURowPrefixSize + 4], 0x81);
    // 128 small integers: a run of 127 and a run of 1, before and after a rebuild.
    for (int col = 0; col < 128; ++col) Store.StoreFloat(col, 2, 0, col % 100 + 1);
    record = RowRecord(2);
    EXPECT_EQ(record[MMURowPrefixSize], 127);
    EXPECT_EQ(record[MMURowPrefixSize + 2 + 127], 1);
    Store.SetFloat(5, 2, 7, 0);  // same type, rebuilt in place
    record = RowRecord(2);
    EXPECT_EQ(record[MMURowPrefixSize], 127);
    EXPECT_EQ(TXLSMMUBlockManager::RowSize(record), size_t{MMURowPrefixSize + 2 + 127 + 2 + 1});
    // A variable cell in the middle splits the run; its neighbours keep their values.
    Store.StoreFormulaData(60, 2, 0, 2, reinterpret_cast<const uint8_t*>("\x1E\x01"));
    for (int col : {0, 59, 61, 127}) {
        TXLSMMUCell cell;
        ASSERT_TRUE(Store.FindCell(col, 2, cell));
        EXPECT_EQ(TXLSCellMMU::GetFloat(cell), col == 5 ? 7 : col % 100 + 1);
    }
}

TEST_F(CellStoreTest, SharedStringKindsAndBlankFormat) {
    for (int i = 0; i < 65537; ++i) SST.AppendAnsiChars(0, nullptr);
    Store.StoreSSTString(0, 0, 0, 65535);
    Store.StoreSSTString(1, 0, 0, 65536);
    EXPECT_EQ(StoredType(0, 0), xckString16);
    EXPECT_EQ(StoredType(1, 0), xckString32);
    EXPECT_EQ(SST.GetStringRec(65536)->RefCount(), 1);
    Store.StoreBlank(2, 0, 0);
    EXPECT_EQ(StoredType(2, 0), 0x41);
    EXPECT_EQ(Store.IterateNext(), false);  // not begun: nothing
}

TEST_F(CellStoreTest, DeletingTheLastCellKeepsAFormattedRowHeader) {
    const int xf = AddXF();
    Store.StoreFloat(3, 10, 0, 1);
    Store.GetRowHeader(10)->SetHeight(600);
    Store.DeleteCell(3, 10);
    ASSERT_NE(Store.GetRowHeader(10), nullptr);
    EXPECT_EQ(Store.GetRowHeader(10)->Height(), 600);
    Store.DeleteCell(0, 10);  // a header-only row with a height keeps it too
    EXPECT_NE(Store.GetRowHeader(10), nullptr);
    Store.AddRowHeader(11, xf);
    Store.StoreFloat(0, 11, 0, 1);
    Store.DeleteCell(0, 11);
    EXPECT_NE(Store.GetRowHeader(11), nullptr);
    EXPECT_EQ(StyleSheet.XFs().GetItems(xf)->UseCount(), 1);
    // A row whose header holds only the defaults goes with its last cell.
    Store.StoreFloat(0, 12, 0, 1);
    Store.DeleteCell(0, 12);
    EXPECT_EQ(Store.GetRowHeader(12), nullptr);
}

TEST_F(CellStoreTest, FloatRunCountsFormatUsesLikeSingleStores) {
    const int run = AddXF();
    const int other = AddXF();
    TXc12XF& xf = *StyleSheet.XFs().GetItems(run);
    // Both formats share the default font; rows hold uses of the default format too, so the rows
    // exist before the counts are taken.
    ASSERT_EQ(xf.GetFont(), StyleSheet.XFs().GetItems(other)->GetFont());
    Store.StoreFloat(0, 5, 0, 0);
    Store.StoreFloat(0, 7, 0, 0);
    Store.StoreFloat(2, 5, other, 9);  // replaced by the run: its uses go back
    const int xfUses = xf.UseCount();
    const int fontUses = xf.GetFont()->UseCount();
    const double values[] = {1, -0.5, 40000, 1e300, 2.0001};
    const std::vector<TXLSPackedFloat> packed = Packed({std::begin(values), std::end(values)});
    Store.StoreFloatRun(1, 5, run, packed.data(), 5);
    for (int i = 0; i < 5; ++i) {
        TXLSMMUCell cell;
        ASSERT_TRUE(Store.FindCell(1 + i, 5, cell)) << i;
        EXPECT_TRUE(SameBits(TXLSCellMMU::GetFloat(cell), values[i])) << i;
        EXPECT_EQ(TXLSCellMMU::GetXF(cell), run) << i;
    }
    EXPECT_EQ(xf.UseCount(), xfUses + 5);
    EXPECT_EQ(xf.GetFont()->UseCount(), fontUses + 5 - 1);
    EXPECT_EQ(StyleSheet.XFs().GetItems(other)->UseCount(), 0);
    for (int i = 0; i < 5; ++i) Store.DeleteCell(1 + i, 5);
    EXPECT_EQ(xf.UseCount(), xfUses);
    EXPECT_EQ(xf.GetFont()->UseCount(), fontUses - 1);

    // A run that passes the last column fails there; the cells stored before keep their uses.
    EXPECT_THROW(Store.StoreFloatRun(XLSMaxCol - 1, 7, run, packed.data(), 5), EXLSError);
    TXLSMMUCell cell;
    EXPECT_TRUE(Store.FindCell(XLSMaxCol, 7, cell));
    EXPECT_EQ(xf.UseCount(), xfUses + 2);
    EXPECT_EQ(xf.GetFont()->UseCount(), fontUses - 1 + 2);
    EXPECT_THROW(Store.StoreFloatRun(0, 8, StyleSheet.XFs().Count(), packed.data(), 1), EXLSError);
}

// Cells appended after a row's last one are laid out in one step; the same cells written right
// to left go through the decoded row and its encoder instead. Both must give the same record.
TEST_F(CellStoreTest, AppendedRunsMatchTheEncodedLayout) {
    TXLSCellMMU reference{1, StyleSheet, SST};
    const int xf = AddXF();
    struct TCase {
        const char* Name;
        int Before;    // cells of value 1 (int8) from column 0, or 0
        bool Formula;  // a formula cell after them
        bool Header;   // a row header made first
        int First;     // first column of the run
        std::vector<double> Values;
    };
    const std::vector<double> mixed = {1, 0.5, 1, 1e300, 2.0001, 40000, 40000, -3};
    std::vector<double> many(300);
    for (size_t i = 0; i < many.size(); ++i) many[i] = i % 7 == 6 ? 0.25 : 9;
    const TCase cases[] = {
        {"empty row", 0, false, false, 0, mixed},
        {"after a header-only row", 0, false, true, 2, mixed},
        {"joins the last run", 3, false, false, 3, {7, 8, 0.5}},
        {"crosses the run limit", 125, false, false, 125, {1, 2, 3, 4, 5}},
        {"full last run", 127, false, false, 127, {1, 2}},
        {"after a gap", 3, false, false, 3 + 200, mixed},
        {"after a formula", 2, true, false, 3, {1, 2}},
        {"long run", 0, false, false, 0, many},
        {"over the last cells", 5, false, false, 3, mixed},
    };
    int row = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const int count = static_cast<int>(c.Values.size());
        std::vector<std::pair<int, double>> cells;  // (column, value) in column order
        for (int col = 0; col < c.Before; ++col) cells.emplace_back(col, 1);
        for (int i = 0; i < count; ++i) {
            if (c.First + i < static_cast<int>(cells.size()))
                cells[static_cast<size_t>(c.First + i)].second = c.Values[static_cast<size_t>(i)];
            else
                cells.emplace_back(c.First + i, c.Values[static_cast<size_t>(i)]);
        }
        const uint8_t tokens[] = {0x1E, 0x05, 0x00};
        for (TXLSCellMMU* store : {&Store, &reference})
            if (c.Header) store->AddRowHeader(row, xf);
        for (int col = 0; col < c.Before; ++col) Store.StoreFloat(col, row, xf, 1);
        if (c.Formula) Store.StoreFormulaTokens(c.Before, row, 0, 3, tokens, xf);
        const uint64_t formulaChanges = Store.FormulaChanges();
        Store.StoreFloatRun(c.First, row, xf, Packed(c.Values).data(), count);
        EXPECT_EQ(Store.FormulaChanges(), formulaChanges);
        if (c.Formula) reference.StoreFormulaTokens(c.Before, row, 0, 3, tokens, xf);
        for (auto it = cells.rbegin(); it != cells.rend(); ++it)
            if (!c.Formula || it->first != c.Before) reference.StoreFloat(it->first, row, xf, it->second);
        Store.BeginIterate(0);
        reference.BeginIterate(0);
        const uint8_t* got = RowRecord(row);
        TXLSMMURowHeader* header = reference.GetRowHeader(row);
        ASSERT_NE(got, nullptr);
        ASSERT_NE(header, nullptr);
        const uint8_t* want = reinterpret_cast<const uint8_t*>(header) - MMURowHeaderOffset;
        const size_t size = TXLSMMUBlockManager::RowSize(want);
        ASSERT_EQ(TXLSMMUBlockManager::RowSize(got), size);
        EXPECT_EQ(std::vector<uint8_t>(got, got + size), std::vector<uint8_t>(want, want + size));
        for (const auto& [col, value] : cells) {
            TXLSMMUCell cell;
            ASSERT_TRUE(Store.FindCell(col, row, cell)) << col;
            EXPECT_TRUE(SameBits(TXLSCellMMU::GetFloat(cell), value)) << col;
        }
        ++row;
    }
    // Everything stored holds one use of its format: the cells and the row headers.
    int uses = 0;
    for (TXLSCellMMU* store : {&Store, &reference}) {
        store->BeginIterate(0);
        while (store->IterateNext()) uses += store->IterXF() == xf;
        store->BeginIterateRows(-1);
        while (store->IterateNextRow()) uses += store->IterRowHeader()->XF() == xf;
    }
    EXPECT_EQ(StyleSheet.XFs().GetItems(xf)->UseCount(), uses);
}

TEST_F(CellStoreTest, ClearValueClearsUnformattedCellsToo) {
    const int xf = AddXF();
    Store.SetString(0, 0, u"gone", 0);
    Store.SetString(1, 0, u"kept format", xf);
    Store.ClearValue(0, 0);
    Store.ClearValue(1, 0);
    EXPECT_TRUE(Store.IsEmpty(0, 0));
    EXPECT_EQ(StoredType(1, 0), 0x41);
    TXLSMMUCell cell;
    Store.FindCell(1, 0, cell);
    EXPECT_EQ(TXLSCellMMU::GetXF(cell), xf);
    // Both strings went back to the table.
    for (int i = 0; i < SST.Count(); ++i) EXPECT_EQ(SST.GetStringRec(i), nullptr);
}

TEST_F(CellStoreTest, GetAsStringAndDimension) {
    Store.StoreBoolean(0, 300, 0, true);
    Store.StoreError(1, 300, 0, 2);
    Store.StoreFloat(2, 300, 0, 1.5);
    Store.StoreFloat(3, 300, 0, 1e20);
    std::u16string text;
    struct Case {
        int Col;
        const char* Text;
    } cases[] = {{0, "TRUE"}, {1, "#DIV/0!"}, {2, "1.5"}, {3, "1E20"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(Store.GetAsString(c.Col, 300, text));
        EXPECT_EQ(test::U8(text), c.Text);
    }
    EXPECT_FALSE(Store.GetAsString(9, 300, text));
    Store.CalcDimension();
    EXPECT_EQ(Store.Dimension(), MakeCellArea(0, 300, 3, 300));
    Store.ClearRows(1000, 2000);  // beyond the last row: nothing
    EXPECT_FALSE(Store.IsEmpty(0, 300));
    Store.ClearRows(200, 5000);
    EXPECT_TRUE(Store.IsEmpty(0, 300));
    EXPECT_EQ(Store.BlockCount(), 0);
}

TEST_F(CellStoreTest, WritesOutsideTheGridRaise) {
    EXPECT_THROW(Store.StoreFloat(16384, 0, 0, 1), EXLSError);
    EXPECT_THROW(Store.StoreFloat(0, 1048576, 0, 1), EXLSError);
    EXPECT_THROW(Store.StoreFloat(0, 0, 99, 1), EXLSError);  // no such XF
    EXPECT_EQ(Store.BlockCount(), 0);
    EXPECT_TRUE(Store.IsEmpty(-1, -1));
}

// Where the randomised test writes: scattered over many rows, or a few wide rows filled right
// to left or in random column order (the row held open across writes), or row after row left to
// right behind row headers made first (as a file is read), now and then going back to an
// earlier row (the row records move inside their block).
enum class TLayout { Scattered, RightToLeft, RandomOrder, AfterRowHeaders };

class CellStoreModelTest : public CellStoreTest, public ::testing::WithParamInterface<TLayout> {};

// The store against a plain map: random stores (also over occupied cells), overwrites, deletes, format changes, row
// headers, formulas, cleared rows and deleted runs of cells; after each write the cell read back, and after each batch
// the used area, the cells, their iteration order and the use counts of formats and strings
// must match.
TEST_P(CellStoreModelTest, RandomisedAgainstAMapModel) {
    struct ModelCell {
        TCellValueType Type;
        double Number = 0;
        std::u16string Text;
        bool Boolean = false;
        int XF = 0;
    };
    struct ModelRow {
        int XF = 0;
        uint16_t Height = XLSRowHeightNotGiven;
        bool Default() const { return XF == 0 && Height == XLSRowHeightNotGiven; }
    };
    std::map<std::pair<int, int>, ModelCell> cells;  // (row, col)
    std::map<int, ModelRow> rows;
    const int xfs[] = {0, AddXF(), AddXF(), AddXF()};
    std::vector<int> baseline;
    for (int xf : xfs) baseline.push_back(StyleSheet.XFs().GetItems(xf)->UseCount());
    const double numbers[] = {0, 1, -1, 0.5, 23.4, 3 + 1e-13, 1e300, -0.0, 40000, 2.0001, 123456.78};
    std::mt19937 rng(11);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto touchRow = [&](int row) { rows.try_emplace(row); };
    auto dropRowIfBare = [&](int row) {
        auto it = rows.find(row);
        if (it == rows.end() || !it->second.Default()) return;
        for (const auto& [key, cell] : cells)
            if (key.first == row) return;
        rows.erase(it);
    };

    std::map<int, int> nextCol;    // right to left: the next column of each row
    int fillRow = 0, fillCol = 0;  // after row headers: the next cell
    auto position = [&](int& col, int& row) {
        switch (GetParam()) {
            case TLayout::Scattered:
                row = pick(900);
                col = pick(10) < 7 ? pick(12) : pick(300);
                return;
            case TLayout::RightToLeft: {
                row = pick(10) < 8 ? 3 : pick(600);
                auto [at, added] = nextCol.try_emplace(row, 2999);
                col = at->second;
                at->second = col == 0 ? 2999 : col - 1;
                return;
            }
            case TLayout::RandomOrder:
                row = pick(10) < 8 ? 5 + pick(2) : pick(600);
                col = pick(3000);
                return;
            case TLayout::AfterRowHeaders:
                if (pick(10) == 0) {
                    row = pick(fillRow + 1);
                    col = pick(40);
                    return;
                }
                if (fillCol > pick(60)) {
                    fillRow = (fillRow + 1 + pick(2)) % 600;
                    fillCol = 0;
                }
                row = fillRow;
                col = fillCol++;
                return;
        }
    };
    if (GetParam() == TLayout::AfterRowHeaders) {
        for (int row = 0; row < 600; ++row) {
            const int xf = xfs[pick(4)];
            const uint16_t height = static_cast<uint16_t>(200 + pick(400));
            Store.AddRowHeader(row, xf)->SetHeight(height);
            rows[row] = {xf, height};
        }
    }

    for (int step = 0; step < 12000; ++step) {
        int row = 0, col = 0;
        position(col, row);
        const int xf = xfs[pick(4)];
        const auto key = std::make_pair(row, col);
        auto existing = cells.find(key);
        const bool has = existing != cells.end();
        // Wide rows mostly take values, so that a row stays open for long runs of writes.
        const int op = GetParam() != TLayout::Scattered && pick(4) != 0 ? pick(4) : pick(9);
        SCOPED_TRACE(op);
        switch (op) {
            case 0:
            case 1: {
                const double v = numbers[pick(11)];
                Store.SetFloat(col, row, v, xf);
                if (has && IsFormula(existing->second.Type)) {  // only the cached result changes
                    existing->second = {xctFloatFormula, v, u"", false, existing->second.XF};
                    break;
                }
                const int keep = has && existing->second.XF != 0 ? existing->second.XF : xf;
                touchRow(row);
                cells[key] = {xctFloat, v, u"", false, keep};
                break;
            }
            case 2: {
                const std::u16string text = u"s" + std::u16string(1, char16_t(u'a' + pick(20)));
                Store.SetString(col, row, text, xf);
                if (has && IsFormula(existing->second.Type)) {
                    existing->second = {xctStringFormula, 0, text, false, existing->second.XF};
                    break;
                }
                const int keep =
                    has && (existing->second.XF != 0 || existing->second.Type == xctString) ? existing->second.XF : xf;
                touchRow(row);
                cells[key] = {xctString, 0, text, false, keep};
                break;
            }
            case 3: {
                const bool v = pick(2) == 0;
                Store.SetBoolean(col, row, v, xf);
                if (has && IsFormula(existing->second.Type)) {
                    existing->second = {xctBooleanFormula, 0, u"", v, existing->second.XF};
                    break;
                }
                // A boolean is overwritten in place, format and all.
                const int keep =
                    has && (existing->second.XF != 0 || existing->second.Type == xctBoolean) ? existing->second.XF : xf;
                touchRow(row);
                cells[key] = {xctBoolean, 0, u"", v, keep};
                break;
            }
            case 4:
                Store.DeleteCell(col, row);
                if (has) cells.erase(existing);
                dropRowIfBare(row);
                break;
            case 5:
                Store.SetXF(col, row, xf);
                if (has) existing->second.XF = xf;
                break;
            case 6:
                Store.ClearValue(col, row);
                if (has && existing->second.Type != xctBlank) {
                    if (existing->second.XF != 0) {
                        existing->second = {xctBlank, 0, u"", false, existing->second.XF};
                    } else {
                        cells.erase(existing);
                        dropRowIfBare(row);
                    }
                }
                break;
            case 7: {
                const uint16_t height = pick(2) ? XLSRowHeightNotGiven : static_cast<uint16_t>(200 + pick(400));
                Store.AddRowHeader(row, xf)->SetHeight(height);
                rows[row] = {xf, height};
                break;
            }
            default:
                if (pick(40) == 0) {
                    const int last = row + pick(300);
                    Store.ClearRows(row, last);
                    std::erase_if(cells, [&](const auto& entry) {
                        return entry.first.first >= row && entry.first.first <= last;
                    });
                    std::erase_if(rows, [&](const auto& entry) { return entry.first >= row && entry.first <= last; });
                } else if (pick(40) == 0) {
                    const int last = col + pick(50);
                    Store.DeleteCells(col, last, row);
                    std::erase_if(cells, [&](const auto& entry) {
                        return entry.first.first == row && entry.first.second >= col && entry.first.second <= last;
                    });
                    dropRowIfBare(row);
                } else if (pick(2) == 0) {
                    const double v = numbers[pick(11)];
                    const uint8_t tokens[] = {0x1E, static_cast<uint8_t>(pick(256)), 0};
                    Store.StoreFormulaTokens(col, row, v, 3, tokens, xf);
                    touchRow(row);
                    cells[key] = {xctFloatFormula, v, u"", false, has ? existing->second.XF : xf};
                } else if (pick(3) == 0) {
                    // A run of numbers, over cells or after the row's last one.
                    std::vector<double> run(static_cast<size_t>(1 + pick(6)));
                    bool replacesFormula = false;
                    for (size_t i = 0; i < run.size(); ++i) {
                        run[i] = numbers[pick(11)];
                        const auto over = cells.find({row, col + static_cast<int>(i)});
                        replacesFormula = replacesFormula || (over != cells.end() && IsFormula(over->second.Type));
                    }
                    const uint64_t formulaChanges = Store.FormulaChanges();
                    Store.StoreFloatRun(col, row, xf, Packed(run).data(), static_cast<int>(run.size()));
                    ASSERT_EQ(Store.FormulaChanges() > formulaChanges, replacesFormula);
                    touchRow(row);
                    for (size_t i = 0; i < run.size(); ++i)
                        cells[{row, col + static_cast<int>(i)}] = {xctFloat, run[i], u"", false, xf};
                } else if (pick(2) == 0) {
                    // Store operations replace whatever was there, giving back its uses.
                    Store.StoreBlank(col, row, xf);
                    touchRow(row);
                    cells[key] = {xctBlank, 0, u"", false, xf};
                } else {
                    const std::u16string text = u"t" + std::u16string(1, char16_t(u'a' + pick(20)));
                    Store.StoreString(col, row, xf, text);
                    touchRow(row);
                    cells[key] = {xctString, 0, text, false, xf};
                }
                break;
        }
        SCOPED_TRACE(step);
        TXLSMMUCell read;
        const auto now = cells.find(key);
        ASSERT_EQ(Store.FindCell(col, row, read), now != cells.end());
        if (now != cells.end()) {
            ASSERT_EQ(TXLSCellMMU::GetCellType(read), now->second.Type);
            ASSERT_EQ(TXLSCellMMU::GetXF(read), now->second.XF);
        }
        if (step % 100 != 99) continue;

        // Used area, before iterating encodes the open row.
        Store.CalcDimension();
        if (!rows.empty()) {
            TXLSCellArea expected = MakeCellArea(0, 0, 0, 0);
            if (!cells.empty()) {
                int col1 = INT32_MAX, col2 = -1;
                for (const auto& [k, c] : cells) {
                    col1 = std::min(col1, k.second);
                    col2 = std::max(col2, k.second);
                }
                expected = MakeCellArea(col1, rows.begin()->first, col2, rows.rbegin()->first);
            }
            ASSERT_EQ(Store.Dimension(), expected);
        }

        // Cells in iteration order.
        Store.BeginIterate(0);
        auto it = cells.begin();
        while (Store.IterateNext()) {
            ASSERT_NE(it, cells.end());
            ASSERT_EQ(Store.IterRow(), it->first.first);
            ASSERT_EQ(Store.IterCol(), it->first.second);
            const ModelCell& m = it->second;
            ASSERT_EQ(Store.IterCellType(), m.Type);
            ASSERT_EQ(Store.IterXF(), m.XF);
            if (m.Type == xctFloat) {
                ASSERT_TRUE(SameBits(Store.IterFloat(), m.Number));
            } else if (m.Type == xctFloatFormula) {
                ASSERT_TRUE(SameBits(TXLSCellMMU::GetFormulaResultFloat(Store.IterCell()), m.Number));
            } else if (m.Type == xctStringFormula) {
                ASSERT_EQ(TXLSCellMMU::GetFormulaResultString(Store.IterCell()), m.Text);
            } else if (m.Type == xctBooleanFormula) {
                ASSERT_EQ(TXLSCellMMU::GetFormulaResultBoolean(Store.IterCell()), m.Boolean);
            } else if (m.Type == xctBoolean) {
                ASSERT_EQ(Store.IterBoolean(), m.Boolean);
            } else if (m.Type == xctString) {
                ASSERT_EQ(SST.GetText(static_cast<int>(Store.IterSSTIndex())), m.Text);
            }
            ++it;
        }
        ASSERT_EQ(it, cells.end());
        // Rows with records, with their headers.
        Store.BeginIterateRows(-1);
        auto rowIt = rows.begin();
        while (Store.IterateNextRow()) {
            ASSERT_NE(rowIt, rows.end());
            ASSERT_EQ(Store.IterRow(), rowIt->first);
            ASSERT_EQ(Store.IterRowHeader()->XF(), rowIt->second.XF);
            ASSERT_EQ(Store.IterRowHeader()->Height(), rowIt->second.Height);
            ++rowIt;
        }
        ASSERT_EQ(rowIt, rows.end());
        // Use counts: every cell and every row record holds one use of its XF.
        for (size_t i = 0; i < std::size(xfs); ++i) {
            int uses = baseline[i];
            for (const auto& [k, c] : cells) uses += c.XF == xfs[i];
            for (const auto& [r, h] : rows) uses += h.XF == xfs[i];
            ASSERT_EQ(StyleSheet.XFs().GetItems(xfs[i])->UseCount(), uses) << "XF " << xfs[i];
        }
        std::map<std::u16string, int> refs;
        for (const auto& [k, c] : cells)
            if (c.Type == xctString) ++refs[c.Text];
        int live = 0;
        for (int i = 0; i < SST.Count(); ++i)
            if (const TXc12SSTString* rec = SST.GetStringRec(i)) {
                ++live;
                ASSERT_EQ(rec->RefCount(), refs[rec->Text()]) << test::U8(rec->Text());
            }
        ASSERT_EQ(live, static_cast<int>(refs.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, CellStoreModelTest,
                         ::testing::Values(TLayout::Scattered, TLayout::RightToLeft, TLayout::RandomOrder,
                                           TLayout::AfterRowHeaders));

}  // namespace
}  // namespace xls
