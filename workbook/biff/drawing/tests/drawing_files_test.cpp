#include <gtest/gtest.h>

#include <string>

#include "base/byte_reader.h"
#include "base/format.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/drawing/tests/drawing_test_support.h"

namespace xls {
namespace {

using namespace testing;

std::string Describe(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (const TRecord& r : SplitRecords(bytes)) text += base::Format("%.4x:%d ", {int(r.Id), int(r.Data.size())});
    return text;
}

// Our writer stores every text in UTF-16; other writers use 8-bit characters where they fit.
// Widens those texts (TXO characters, NOTE authors) so that the rest can be compared exactly.
std::vector<uint8_t> WidenTexts(const std::vector<uint8_t>& bytes) {
    std::vector<TRecord> records = SplitRecords(bytes);
    size_t charsLeft = 0;
    for (TRecord& r : records) {
        if (r.Id == BIFFRECID_TXO) {
            charsLeft = base::LoadLE16(&r.Data[10]);
        } else if (r.Id == BIFFRECID_CONTINUE && charsLeft > 0 && !r.Data.empty()) {
            const bool wide = r.Data[0] & 1;
            const size_t chars = wide ? (r.Data.size() - 1) / 2 : r.Data.size() - 1;
            if (!wide) {
                std::vector<uint8_t> widened{1};
                for (size_t i = 1; i < r.Data.size(); ++i) widened.insert(widened.end(), {r.Data[i], 0});
                r.Data = widened;
            }
            charsLeft -= std::min(chars, charsLeft);
        } else if (r.Id == BIFFRECID_NOTE && r.Data.size() > 10 && r.Data[10] == 0) {
            const size_t chars = base::LoadLE16(&r.Data[8]);
            std::vector<uint8_t> widened(r.Data.begin(), r.Data.begin() + 10);
            widened.push_back(chars > 0 ? 1 : 0);
            for (size_t i = 0; i < chars; ++i) widened.insert(widened.end(), {r.Data[11 + i], 0});
            r.Data = widened;
        }
    }
    return JoinRecords(records);
}

// Other writers name their pictures by uids of their own making (and some add a second uid);
// ours are the MD4 digests of the data. So the group is compared by what it holds, and what
// we write must read back to the same and write again unchanged.
void ExpectGroupKept(TFileDrawings& file) {
    const std::vector<uint8_t> written = WriteGroup(file.Group);
    TEscherGroup back;
    ReadGroup(written, back);
    ASSERT_EQ(back.Count(), file.Group.Count());
    for (int i = 0; i < back.Count(); ++i) {
        EXPECT_EQ(back.GetItems(i).Data, file.Group.GetItems(i).Data);
        EXPECT_EQ(back.GetItems(i).BlipType, file.Group.GetItems(i).BlipType);
        EXPECT_EQ(back.GetItems(i).RefCount, file.Group.GetItems(i).RefCount);
    }
    EXPECT_EQ(back.Clusters.SpidMax, file.Group.Clusters.SpidMax);
    EXPECT_EQ(back.Clusters.CspSaved, file.Group.Clusters.CspSaved);
    EXPECT_EQ(back.Properties.SaveToBuffer(true), file.Group.Properties.SaveToBuffer(true));
    EXPECT_EQ(back.SplitMenuColors, file.Group.SplitMenuColors);
    EXPECT_EQ(WriteGroup(back), written);
}

TEST(DrawingFilesTest, WriteExcelDrawingsAreReadAndWrittenBackIdentical) {
    TFileDrawings file;
    ReadFileDrawings(FixturePath("writeexcel_drawing.xls"), file);
    ASSERT_EQ(file.Sheets.size(), 2u);
    // Two pictures in the store, each referenced.
    ASSERT_EQ(file.Group.Count(), 2);
    EXPECT_EQ(file.Group.GetItems(0).BlipType, msoblipPNG);
    EXPECT_EQ(file.Group.GetItems(1).BlipType, msoblipDIB);
    EXPECT_EQ(file.Group.GetItems(1).FileBytes()[0], 'B');

    TEscherDrawing& first = *file.Sheets[0].Drawing;
    ASSERT_EQ(first.ShapeCount(), 5);
    int notes = 0;
    for (int i = 0; i < first.ShapeCount(); ++i) {
        if (auto* note = dynamic_cast<TShapeOutsideMsoNote*>(first.Shapes(i).ObjPart.get())) {
            ++notes;
            if (note->Col == 1) {
                EXPECT_EQ(note->Author, u"Logger");
                EXPECT_EQ(note->Text().substr(0, 27), u"Relative humidity, percent ");
                EXPECT_EQ(note->Text().size(), 327u);
            } else {
                EXPECT_EQ(note->Text(), u"Degrees Celsius");
            }
        }
    }
    EXPECT_EQ(notes, 2);
    EXPECT_TRUE(dynamic_cast<TShapeOutsideMsoChart*>(first.Shapes(2).ObjPart.get()));
    TEscherDrawing& second = *file.Sheets[1].Drawing;
    ASSERT_EQ(second.ShapeCount(), 2);
    auto* secondNote = dynamic_cast<TShapeOutsideMsoNote*>(second.Shapes(1).ObjPart.get());
    ASSERT_TRUE(secondNote);
    EXPECT_EQ(secondNote->Text(), u"温度");

    std::vector<int> indexes;
    file.Group.GetFileIndexes(indexes);
    for (auto& sheet : file.Sheets) {
        sheet.Drawing->RemapBlipIds(indexes);
        sheet.Drawing->CountPictureRefs();
        const std::vector<uint8_t> written = WriteDrawing(*sheet.Drawing);
        EXPECT_EQ(written, WidenTexts(sheet.Original)) << Describe(written) << "\n" << Describe(sheet.Original);
    }
    ExpectGroupKept(file);
}

TEST(DrawingFilesTest, LibreOfficeDrawingsAreReadAndWrittenBackIdentical) {
    TFileDrawings file;
    ReadFileDrawings(FixturePath("libreoffice_drawing.xls"), file);
    ASSERT_EQ(file.Sheets.size(), 2u);
    ASSERT_GE(file.Group.Count(), 2);
    std::vector<int> indexes;
    file.Group.GetFileIndexes(indexes);
    for (auto& sheet : file.Sheets) {
        ASSERT_GT(sheet.Drawing->ShapeCount(), 0);
        sheet.Drawing->RemapBlipIds(indexes);
        const std::vector<uint8_t> written = WriteDrawing(*sheet.Drawing);
        EXPECT_EQ(written, WidenTexts(sheet.Original)) << Describe(written) << "\n" << Describe(sheet.Original);
        TEscherDrawing back(file.Group);
        ReadDrawing(written, back);
        EXPECT_EQ(WriteDrawing(back), written);
    }
    ExpectGroupKept(file);
}

}  // namespace
}  // namespace xls
