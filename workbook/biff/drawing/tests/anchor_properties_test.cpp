#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/drawing_anchor.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/shape_properties.h"
#include "workbook/biff/drawing/shapes.h"
#include "workbook/biff/drawing/tests/drawing_test_support.h"

namespace xls {
namespace {

using testing::StreamBytes;

TEST(DrawingAnchorTest, OffsetsClampRoundHalfToEvenAndReadBack) {
    struct TCase {
        double Value;
        uint32_t Column;  // stored for a column offset (1/1024)
        uint32_t Row;     // stored for a row offset (1/256)
    };
    const TCase cases[] = {
        {0.5, 512, 128},
        {0.3, 307, 77},
        {2.5 / 1024, 2, 1},
        {3.5 / 1024, 4, 1},
        {1.7, 1024, 256},
        {-0.2, 0, 0},
        {std::numeric_limits<double>::quiet_NaN(), 0, 0},
    };
    TShapeClientAnchor shape;
    TDrwAnchor anchor;
    anchor.SetShape(&shape);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Value);
        anchor.SetCol1Offset(c.Value);
        anchor.SetCol2Offset(c.Value);
        anchor.SetRow1Offset(c.Value);
        anchor.SetRow2Offset(c.Value);
        EXPECT_EQ(shape.Anchor.DxL, c.Column);
        EXPECT_EQ(shape.Anchor.DxR, c.Column);
        EXPECT_EQ(shape.Anchor.DyT, c.Row);
        EXPECT_EQ(shape.Anchor.DyB, c.Row);
        EXPECT_EQ(anchor.Col1Offset(), c.Column / 1024.0);
        EXPECT_EQ(anchor.Row2Offset(), c.Row / 256.0);
    }
    anchor.SetRow1Offset(0.3);
    EXPECT_EQ(anchor.Row1Offset(), 0.30078125);
    shape.Anchor.DxL = 2048;  // as a file may hold it
    EXPECT_EQ(anchor.Col1Offset(), 2.0);
}

TEST(DrawingAnchorTest, CellsAreKeptWholeAndWrittenAsLow16Bits) {
    TShapeClientAnchor shape;
    TDrwAnchor anchor;
    anchor.SetShape(&shape);
    anchor.SetCol1(70000);
    anchor.SetRow1(9);
    anchor.SetCol2(4);
    anchor.SetRow2(26);
    EXPECT_EQ(anchor.Col1(), 70000);
    shape.Anchor.Flags = 0x8003;
    TXLSStream stream;
    stream.CreateMemory();
    shape.Anchor.SaveToStream(stream);
    const std::vector<uint8_t> bytes = StreamBytes(stream);
    ASSERT_EQ(bytes.size(), 26u);
    EXPECT_EQ(base::LoadLE16(&bytes[2]), MSOFBT_CLIENTANCHOR);
    EXPECT_EQ(base::LoadLE32(&bytes[4]), 18u);
    const uint16_t expected[] = {0x8003, 4464, 0, 9, 0, 4, 0, 26, 0};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(base::LoadLE16(&bytes[8 + 2 * i]), expected[i]) << i;
    TMSOObjCLIENTANCHOR back;
    back.LoadFromBytes(&bytes[8]);
    EXPECT_EQ(back.Flags, 0x8003u);
    EXPECT_EQ(back.ColL, 4464u);
    EXPECT_EQ(back.RwB, 26u);
}

TEST(DrawingAnchorTest, FlipBitsAreIndependentAndOnlyTheirOwn) {
    TShapeClientAnchor shape;
    shape.Flags = 0xA00;
    TDrwAnchor anchor;
    anchor.SetShape(&shape);
    anchor.SetFlipHorizontal(true);
    anchor.SetFlipVertical(true);
    anchor.SetFlipHorizontal(false);
    EXPECT_FALSE(anchor.FlipHorizontal());
    EXPECT_TRUE(anchor.FlipVertical());
    EXPECT_EQ(shape.Flags, 0xA00u | SPFLAG_FLIPV);
}

TEST(DrawingAnchorTest, OnlyBiff8StreamsTakeAnAnchor) {
    TXLSStream stream;
    base::TMemoryStream target;
    stream.SetTargetStream(&target);
    stream.CreateFile("", xvExcel50);
    TMSOObjCLIENTANCHOR anchor;
    try {
        anchor.SaveToStream(stream);
        FAIL();
    } catch (const EBIFFError& e) {
        EXPECT_EQ(e.Message(), "Unhandled excel version");
    }
}

std::vector<uint8_t> OptEntries(std::initializer_list<std::pair<uint16_t, uint32_t>> entries) {
    std::vector<uint8_t> bytes;
    for (const auto& [id, value] : entries) {
        base::AppendLE16(bytes, id);
        base::AppendLE32(bytes, value);
    }
    return bytes;
}

TEST(ShapePropertiesTest, ReadKeepsCountEntriesButConsumesAllData) {
    // Three entries, the second complex (4 bytes), the third dropped though complex too.
    std::vector<uint8_t> body = OptEntries({{0x7F, 1}, {0xC105, 4}, {0x8380, 2}});
    body.insert(body.end(), {'a', 0, 'b', 0, 'z', 0});
    TOPT table;
    table.LoadFromBuffer(body.data(), static_cast<int64_t>(body.size()), 2);
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.GetValue(0x7F), 1);
    EXPECT_EQ(table.GetString(0x105), u"a");
    EXPECT_EQ(table.GetSize(), 6 * 2 + 4);

    // A complex flag with value 0 is a simple entry.
    const std::vector<uint8_t> zero = OptEntries({{0x8380, 0}});
    table.LoadFromBuffer(zero.data(), 6, 1);
    EXPECT_FALSE(table.Items(0).IsComplex());
    EXPECT_EQ(table.GetSize(), 6);

    const std::vector<uint8_t> bad = OptEntries({{0xC105, 40}});
    EXPECT_THROW(table.LoadFromBuffer(bad.data(), 6, 1), EBIFFError);
    const std::vector<uint8_t> negative = OptEntries({{0xC105, 0xFFFFFFF0}});
    EXPECT_THROW(table.LoadFromBuffer(negative.data(), 6, 1), EBIFFError);
}

TEST(ShapePropertiesTest, BuildLookUpAndWrite) {
    TOPT table;
    table.Add(0x7F, 0x01040104);
    table.Add(0xBF, 0x00080008);
    table.Add(MSOPROP_ROTATION, 90);
    table.AddString(MSOPROP_PIBNAME, u"[???]");
    table.Add(MSOPROP_PIB, 0, true);
    table.SetCountToItems();
    EXPECT_EQ(table.Items(0).Id(), MSOPROP_ROTATION);
    EXPECT_EQ(table.Items(3).IdWord, 0xC105);
    EXPECT_EQ(table.Items(3).Value, 12);
    EXPECT_EQ(table.GetString(MSOPROP_PIBNAME), u"[???]");
    EXPECT_EQ(table.GetValue(0x1234), -1);
    EXPECT_EQ(table.GetTextId(), 0);
    EXPECT_EQ(table.GetBlipId(), 0);
    table.SetBlipId(3);
    EXPECT_EQ(table.GetValue(MSOPROP_PIB), 3);
    EXPECT_THROW(table.SetValueAt(3, 1), EBIFFError);
    table.SetString(MSOPROP_PIBNAME, u"pic");
    EXPECT_EQ(table.GetString(MSOPROP_PIBNAME), u"pic");

    const std::vector<uint8_t> bytes = table.SaveToBuffer(true);
    ASSERT_EQ(bytes.size(), 8u + 6 * 5 + 8);
    const TMSOHeader header = DecodeMSOHeader(bytes.data());
    EXPECT_EQ(header.Version, 3);
    EXPECT_EQ(header.Instance, 5);
    EXPECT_EQ(header.Type, MSOFBT_OPT);
    EXPECT_EQ(header.Length, 38u);
    TOPT copy;
    table.CopyTo(copy);
    EXPECT_EQ(copy.SaveToBuffer(true), bytes);

    TOPT noBlip;
    noBlip.Add(0x7F, 1);
    try {
        noBlip.SetBlipId(1);
        FAIL();
    } catch (const EBIFFError& e) {
        EXPECT_EQ(e.Message(), "Shape has no Blip Id");
    }
}

TEST(ShapePropertiesTest, KeptRecordsWriteContainersAsHeadersAlone) {
    TMSORecords records;
    records.Add({0xF, 0, 0xF005, 100}, nullptr);
    const uint8_t body[4] = {1, 2, 3, 4};
    records.Add({0, 1, 0xF012, 4}, body);
    EXPECT_EQ(records.GetSize(), 8 + 12);
    TXLSStream stream;
    stream.CreateMemory();
    records.SaveToStream(stream);
    const std::vector<uint8_t> bytes = StreamBytes(stream);
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(DecodeMSOHeader(bytes.data()).Length, 100u);
    EXPECT_EQ(bytes[19], 4);
}

}  // namespace
}  // namespace xls
