#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_formula_handler.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/biff_validations.h"
#include "workbook/biff/record_defaults.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/biff/tests/biff_test_workbook.h"
#include "workbook/model/cond_formats.h"
#include "workbook/model/worksheet_items.h"
#include "workbook/model/worksheet_part.h"

using namespace xls;

namespace {

// A DV record: flags, four texts (UTF-16, or the one NUL of an empty text), two formulas, areas.
std::vector<uint8_t> DVRecord(uint32_t flags, std::vector<std::u16string> texts, std::vector<uint8_t> formula1,
                              std::vector<std::array<uint16_t, 4>> areas) {
    TRecordBytes data;
    data.Long(flags);
    for (const auto& text : texts) {
        if (text.empty())
            data.Long(1);
        else
            data.Word(static_cast<uint16_t>(text.size())).Wide(text);
    }
    data.Word(static_cast<uint16_t>(formula1.size())).Word(0).Append(formula1.data(), formula1.size());
    data.Word(0).Word(0);
    data.Word(static_cast<uint16_t>(areas.size()));
    for (const auto& a : areas) data.Word(a[0]).Word(a[1]).Word(a[2]).Word(a[3]);
    return data.Bytes;
}

}  // namespace

TEST(BiffValidations, ReadsAndKeepsTheRecord) {
    TFormulaHandler handler;
    // IME mode and the explicit-list bit are not among the properties; they stay all the same.
    const uint32_t flags = 0x00EC2FA3;
    const std::vector<uint8_t> list = {0x17, 3, 1, 'a', 0, 0, 0, 'b', 0};  // "a" NUL "b"
    const auto record = DVRecord(flags, {u"标题", u"", u"请输入", u"Error"}, list, {{1, 4, 2, 3}});
    TDataValidation dv(handler);
    dv.LoadFromRecord(record);
    EXPECT_EQ(dv.ValidationType(), vtList);
    EXPECT_EQ(dv.ValidationStyle(), vsInfo);
    EXPECT_EQ(dv.ValidationOperator(), vopGreateEqual);
    EXPECT_EQ(dv.InputTitle, u"标题");
    EXPECT_EQ(dv.ErrorTitle, u"");
    EXPECT_EQ(dv.InputMsg, u"请输入");
    EXPECT_EQ(dv.Expression1(), u"\"a,b\"");
    ASSERT_EQ(dv.Areas.Count(), 1);
    EXPECT_EQ(dv.Areas.GetItems(0)->GetAsText(), u"C2:D5");
    EXPECT_EQ(dv.RecordData(), record);

    // A set property makes the word from the properties; the list text gives bit 7.
    dv.SetValidationStyle(vsStop);
    EXPECT_EQ(dv.Flags(), 0x00600000u | vtList | 0x80 | 0x100 | 0x40000 | 0x80000 | (0xBu << 10));
}

TEST(BiffValidations, HostileRecordsEndInAClearError) {
    struct Case {
        const char* what;
        std::vector<uint8_t> record;
        const char* error;  // nullptr: read without an error
        int areas;
    };
    auto cut = [](std::vector<uint8_t> bytes, size_t n) {
        bytes.resize(bytes.size() - n);
        return bytes;
    };
    const auto good = DVRecord(1, {u"a", u"b", u"c", u"d"}, {0x1E, 5, 0}, {{0, 0, 0, 0}, {1, 1, 1, 1}});
    auto badFlag = good;
    badFlag[6] = 2;  // the first text's flag byte
    auto longText = good;
    longText[4] = 200;  // the first text's count
    auto longFormula = DVRecord(1, {u"", u"", u"", u""}, {0x1E, 5, 0}, {});
    longFormula[20] = 0xFF;  // formula 1's length
    auto manyAreas = good;
    manyAreas[manyAreas.size() - 17] = 0x10;  // 4,096 + 2 areas
    TRecordBytes zeroCount;
    zeroCount.Long(0).Word(0).Byte(1).Word(1).Byte(0).Byte('x').Long(1).Long(1).Zeros(8).Word(0);
    const Case cases[] = {
        {"as written", good, nullptr, 2},
        {"text flag 2", badFlag, "Unhandled string in DV", 0},
        {"text past the end", longText, "DV record too short", 0},
        {"formula past the end", longFormula, "DV record too short", 0},
        {"area past the end", cut(good, 4), "DV record too short", 0},
        {"no area count", cut(good, 18), "DV record too short", 0},
        {"4,096 areas or more", manyAreas, nullptr, 0},
        {"a text of no characters has its flag byte", zeroCount.Bytes, nullptr, 0},
    };
    TFormulaHandler handler;
    for (const Case& c : cases) {
        TDataValidation dv(handler);
        try {
            dv.LoadFromRecord(c.record);
            EXPECT_EQ(c.error, nullptr) << c.what;
            EXPECT_EQ(dv.Areas.Count(), c.areas) << c.what;
        } catch (const EBIFFError& e) {
            ASSERT_NE(c.error, nullptr) << c.what << ": " << e.what();
            EXPECT_STREQ(e.what(), c.error) << c.what;
        }
    }
    TDataValidation dv(handler);
    dv.LoadFromRecord(zeroCount.Bytes);
    EXPECT_EQ(dv.ErrorTitle, u"x");
}

TEST(BiffValidations, TravelThroughTheModelAndTheFile) {
    test::TBIFFTestWorkbook book;
    TXc12DataValidations& list = *book.Sheet().dataValidations;
    TXc12DataValidation* kept = list.Add();
    kept->type = 3;  // list
    kept->operator_ = 0;
    kept->allowBlank = 1;
    kept->showInputMessage = 1;
    kept->showErrorMessage = 1;
    kept->errorStyle = 1;
    kept->imeMode = 2;
    kept->promptTitle = u"选择";
    kept->prompt = u"是或否";
    kept->formula1 = u"\"是,否\"";
    kept->sqref.AddArea(1, 2, 1, 9);
    TXc12DataValidation* between = list.Add();
    between->type = 1;       // whole numbers
    between->operator_ = 7;  // greater than or equal
    between->formula1 = u"10";
    between->sqref.AddArea(3, 3, 3, 3);
    // Its cells went with deleted rows: nothing is left to write.
    TXc12DataValidation* gone = list.Add();
    gone->type = 2;
    gone->formula1 = u"1";
    gone->sqref.AddArea(0, 0, 0, 0);
    gone->sqref.Delete(0, 0, 255, 0);

    test::TBIFFReadBook read;
    read.Load(test::SaveBytes(*book.Document));
    const TXc12DataValidations& back = *read.Root.Worksheets().GetItems(0)->dataValidations;
    ASSERT_EQ(back.Count(), 2);
    const TXc12DataValidation& a = *back.GetItems(0);
    EXPECT_EQ(a.type, 3);
    EXPECT_EQ(a.errorStyle, 1);
    EXPECT_EQ(a.imeMode, 2);
    EXPECT_EQ(a.allowBlank, 1);
    EXPECT_EQ(a.showDropDown, 0);
    EXPECT_EQ(a.showInputMessage, 1);
    EXPECT_EQ(a.promptTitle, u"选择");
    EXPECT_EQ(a.prompt, u"是或否");
    EXPECT_EQ(a.formula1, u"\"是,否\"");
    EXPECT_EQ(a.sqref.GetAsText(), u"B3:B10");
    const TXc12DataValidation& b = *back.GetItems(1);
    EXPECT_EQ(b.type, 1);
    EXPECT_EQ(b.operator_, 7);
    EXPECT_EQ(b.formula1, u"10");
    EXPECT_EQ(b.sqref.GetAsText(), u"D4");
}

TEST(BiffValidations, TextsBeyondOneRecordAreRefused) {
    test::TBIFFTestWorkbook book;
    TXc12DataValidation* dv = book.Sheet().dataValidations->Add();
    dv->type = 1;
    dv->formula1 = u"1";
    dv->sqref.AddArea(0, 0, 0, 0);
    dv->prompt = std::u16string(4200, u'长');
    try {
        book.WriteStream();
        ADD_FAILURE() << "a DV longer than a record was written";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("A data validation does not fit one record"), std::string::npos)
            << e.what();
    }
}

TEST(BiffValidations, FollowRowsInsertedAndDeletedAboveThem) {
    std::ifstream in(
        std::string(OMBRIX_SOURCE_DIR) + "/workbook/biff/tests/validation_fixtures/validations_libreoffice.xls",
        std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    test::TBIFFReadBook book;
    book.Load(file);
    TXc12DataWorksheet& sheet = *book.Root.Worksheets().GetItems(0);
    ASSERT_EQ(sheet.dataValidations->Count(), 8);
    EXPECT_EQ(sheet.dataValidations->GetItems(0)->sqref.GetAsText(), u"A10:A20");
    // Three rows inserted above row 5, then row 1 deleted: everything below moves down two.
    sheet.dataValidations->GetItems(0)->MoveArea(0, 4, 255, 65535, 0, 3);
    sheet.dataValidations->GetItems(0)->MoveArea(0, 1, 255, 65535, 0, -1);
    sheet.mergeCells->MoveArea(0, 4, 255, 65535, 0, 3);
    // The first column's validation loses its cells.
    sheet.dataValidations->GetItems(1)->Delete(1, 0, 1, 65535);

    test::TBIFFReadBook back;
    back.Load(book.Save());
    const TXc12DataWorksheet& moved = *back.Root.Worksheets().GetItems(0);
    ASSERT_EQ(moved.dataValidations->Count(), 7);
    EXPECT_EQ(moved.dataValidations->GetItems(0)->sqref.GetAsText(), u"A12:A22");
    EXPECT_EQ(moved.dataValidations->GetItems(1)->sqref.GetAsText(), u"C10:C20");
    EXPECT_EQ(moved.mergeCells->GetAsText(), u"B2:C3 E8:E12");
}
