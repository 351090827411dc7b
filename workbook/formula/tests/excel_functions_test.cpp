#include <gtest/gtest.h>

#include <string>

#include "workbook/formula/excel_functions.h"
#include "workbook/model/exceptions.h"

namespace xls {
namespace {

const TXLSExcelFuncNames& Names() { return TXLSExcelFuncNames::Instance(); }

TEST(ExcelFunctions, BiffTableShape) {
    const auto table = ExcelFunctions();
    ASSERT_EQ(table.size(), 381u);
    int fixed = 0;
    int unusable = 0;
    for (const TExcelFunction& f : table) {
        fixed += f.MinArgs == f.MaxArgs;
        unusable += f.MinArgs == ExcelFuncUnusable;
    }
    EXPECT_EQ(fixed, 295);  // MID is fixed (3 arguments), as in both oracle lists
    EXPECT_EQ(unusable, 128);
    EXPECT_EQ(ExcelFunctionByName(u"SUM"), 4);
    EXPECT_EQ(ExcelFunctionByName(u"sum"), -1);  // the encoder upper-cases first
    EXPECT_EQ(ExcelFunctionByName(u"GOTO"), 53);
    EXPECT_EQ(table[53].MinArgs, ExcelFuncUnusable);
    EXPECT_EQ(table[202].Name, u"202");
    EXPECT_EQ(table[28].ArgClasses, (std::array<uint8_t, 6>{0x40, 0x20, 0x20, 0, 0, 0}));  // LOOKUP VRR
}

TEST(ExcelFunctions, NameIndex) {
    EXPECT_EQ(Names().Count(), 873);
    for (std::u16string_view name : {u"sum", u"SUM", u"Sum"}) EXPECT_EQ(Names().IdByName(name), 4);
    EXPECT_EQ(Names().IdByName(u"STDEV.S"), 819);
    EXPECT_EQ(Names().IdByName(u"NOSUCHFUNCTION"), -1);
    EXPECT_EQ(Names().IdByName(u""), -1);
    EXPECT_EQ(Names().NameById(53), u"");
    EXPECT_EQ(Names().NameById(4), u"SUM");
    EXPECT_EQ(Names().NameById(205), u"FINDB");
    EXPECT_EQ(Names().NameById(-1), u"");
    EXPECT_EQ(Names().NameById(873), u"");
    EXPECT_EQ(Names().NameById(500), u"");
}

TEST(ExcelFunctions, ArgumentLimits) {
    EXPECT_FALSE(Names().IsFixed(1));
    EXPECT_TRUE(Names().IsFixed(15));
    EXPECT_FALSE(Names().IsFixed(4));
    EXPECT_EQ(Names().MinArgs(29), 2);  // INDEX: the model's own limits
    int min = 0;
    int max = 0;
    EXPECT_FALSE(Names().GetArgRange(0, min, max));
    EXPECT_EQ(min, 1);
    EXPECT_EQ(max, FuncAnyArgs);
    EXPECT_TRUE(Names().GetArgRange(807, min, max));
    EXPECT_EQ(min, 3);
    for (int id : {53, 382, 799, 873, -1, 100000}) {
        try {
            Names().IsFixed(id);
            ADD_FAILURE() << id;
        } catch (const EXLSError& e) {
            EXPECT_EQ(std::string(e.what()), "Unknown function id \"" + std::to_string(id) + "\"");
        }
        EXPECT_THROW(Names().MinArgs(id), EXLSError);
        EXPECT_THROW(Names().GetArgCount(id, min, max), EXLSError);
        EXPECT_EQ(Names().FuncData(id), nullptr);
    }
}

TEST(ExcelFunctions, ModelRecordsAndArgumentKinds) {
    int records = 0;
    int kinds = 0;
    for (int id = 0; id < Names().Count(); ++id) {
        const TXc12FuncData* data = Names().FuncData(id);
        if (!data) continue;
        ++records;
        kinds += data->ArgKinds != nullptr;
        EXPECT_EQ(data->Id, id);
        EXPECT_LE(data->MinArgs, data->MaxArgs);
        if (data->ArgKinds) {
            EXPECT_EQ(data->ArgKinds->Id, static_cast<uint32_t>(id));
        }
        // The functions whose result is an array filling an array formula's range: LINEST, TREND,
        // LOGEST, GROWTH, MINVERSE, MMULT, FREQUENCY, MODE.MULT.
        const bool whole = (id >= 49 && id <= 52) || id == 164 || id == 165 || id == 252 || id == 841;
        EXPECT_EQ(data->Flags, whole ? FuncFlagWholeArrays : 0u) << id;
    }
    EXPECT_EQ(records, 327);
    EXPECT_EQ(kinds, 324);
    struct TKinds {
        int Id;
        uint32_t Count;
        uint8_t Result;
        std::array<uint8_t, 11> Kinds;
    };
    const TKinds given[] = {
        {0, 255, 4, {}},       {1, 3, 4, {4, 1, 1}},  {2, 1, 4, {1}},     {8, 1, 4, {1}},   {15, 1, 4, {4}},
        {41, 3, 4, {3, 2, 2}}, {64, 3, 4, {1, 2, 2}}, {100, 255, 2, {1}}, {164, 1, 2, {2}}, {165, 2, 2, {2, 2}},
    };
    for (const TKinds& k : given) {
        const TXc12FuncArgKinds* record = Names().FuncData(k.Id)->ArgKinds;
        ASSERT_NE(record, nullptr) << k.Id;
        EXPECT_EQ(record->ArgCount, k.Count) << k.Id;
        EXPECT_EQ(record->ResultKind, k.Result) << k.Id;
        EXPECT_EQ(record->Kinds, k.Kinds) << k.Id;
    }
    // The newer functions carry the kinds of their older forms; those of single values without
    // one take them element by element too, all but XIRR (whose arguments are all arrays).
    for (int id = 800; id <= 872; ++id) {
        const bool has = id != 871;
        EXPECT_EQ(Names().FuncData(id)->ArgKinds != nullptr, has) << id;
    }
}

}  // namespace
}  // namespace xls
