#include <gtest/gtest.h>

#include <string>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/drawing/tests/drawing_test_support.h"

namespace xls {
namespace {

using namespace testing;

// A drawing with a shape of every kind, and a group with two pictures.
std::vector<uint8_t> SampleDrawing() {
    TEscherGroup group;
    TEscherDrawing drawing(group);
    drawing.OnNewChart = [] { return SmallChart(); };
    dynamic_cast<TShapeOutsideMsoBaseText&>(*drawing.AddText().ObjPart).SetText(u"text");
    auto& note = dynamic_cast<TShapeOutsideMsoNote&>(*drawing.AddNote().ObjPart);
    note.SetText(u"note");
    note.Author = u"author";
    drawing.AddLine();
    drawing.AddPicture();
    drawing.AddChart();
    return WriteDrawing(drawing);
}

std::vector<uint8_t> SampleGroup() {
    TEscherGroup group;
    TEscherDrawing drawing(group);
    drawing.AddPicture();
    for (uint8_t type : {msoblipPNG, msoblipEMF}) {
        TMSOPicture& picture = group.Add();
        picture.BlipType = type;
        picture.RefCount = 1;
        picture.SetData(std::vector<uint8_t>(300, type));
    }
    return WriteGroup(group);
}

// Reading damaged data either succeeds or raises one of our exceptions: no crash, no read
// past the data (the sanitizers watch), no runaway allocation.
template <class Read>
void ExpectEveryDamageHandled(const std::vector<uint8_t>& valid, const Read& read) {
    const uint8_t values[] = {0x00, 0xFF, 0x7F, 0x80, 0x01};
    for (size_t i = 0; i < valid.size(); ++i) {
        for (uint8_t value : values) {
            std::vector<uint8_t> bytes = valid;
            if (bytes[i] == value) continue;
            bytes[i] = value;
            try {
                read(bytes);
            } catch (const base::Exception&) {
            }
        }
    }
    for (size_t size = 0; size < valid.size(); size += 3) {
        try {
            read(std::vector<uint8_t>(valid.begin(), valid.begin() + static_cast<ptrdiff_t>(size)));
        } catch (const base::Exception&) {
        }
    }
}

TEST(DrawingHostileTest, DamagedDrawingsAndGroupsRaiseClearErrors) {
    ExpectEveryDamageHandled(SampleDrawing(), [](const std::vector<uint8_t>& bytes) {
        TEscherGroup group;
        TEscherDrawing drawing(group);
        ReadDrawing(bytes, drawing);
        WriteDrawing(drawing);
    });
    ExpectEveryDamageHandled(SampleGroup(), [](const std::vector<uint8_t>& bytes) {
        TEscherGroup group;
        ReadGroup(bytes, group);
        WriteGroup(group);
    });
}

// Replaces the OfficeArt bytes of the first MSODRAWING record.
std::vector<uint8_t> WithFirstRecord(const std::vector<uint8_t>& bytes, size_t offset, std::vector<uint8_t> patch) {
    std::vector<TRecord> records = SplitRecords(bytes);
    std::copy(patch.begin(), patch.end(), records[0].Data.begin() + static_cast<ptrdiff_t>(offset));
    return JoinRecords(records);
}

std::vector<uint8_t> U32(uint32_t v) {
    std::vector<uint8_t> bytes;
    base::AppendLE32(bytes, v);
    return bytes;
}

TEST(DrawingHostileTest, BrokenStructuresNameWhatIsWrong) {
    const std::vector<uint8_t> valid = SampleDrawing();
    // Offsets in the first record: DgContainer 0, DG 8, SpgrContainer 24, root SpContainer 32,
    // SPGR 40, SP 64 (flags at 76), first shape's SpContainer 80.
    struct TCase {
        const char* Name;
        size_t Offset;
        std::vector<uint8_t> Patch;
        std::string Error;
    };
    const TCase cases[] = {
        {"no DgContainer", 2, {0x03, 0xF0}, "Expected record missing: DGCONTAINER"},
        {"no DG", 10, {0x09, 0xF0}, "Error on reading shape #0\rExpected record missing: DG"},
        {"root without patriarch flag", 76, U32(1), "Error on reading shape #0\rSP is not root"},
        {"shape longer than its group", 84, U32(0x7FFFFFF0),
         "Error on reading shape #1\rError while reading Shape. Group Length <> 0"},
        {"no SpContainer", 82, {0x05, 0xF0}, "Error on reading shape #1\rExpected record missing: SPCONTAINER"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TEscherGroup group;
        TEscherDrawing drawing(group);
        try {
            ReadDrawing(WithFirstRecord(valid, c.Offset, c.Patch), drawing);
            ADD_FAILURE() << "no error";
        } catch (const EBIFFError& e) {
            EXPECT_EQ(e.Message(), c.Error);
        }
    }

    // An OBJ subrecord of an unknown kind.
    std::vector<TRecord> records = SplitRecords(valid);
    records[1].Data[0] = 0x02;
    TEscherGroup group;
    TEscherDrawing drawing(group);
    try {
        ReadDrawing(JoinRecords(records), drawing);
        ADD_FAILURE() << "no error";
    } catch (const EBIFFError& e) {
        EXPECT_EQ(e.Message(), "Error on reading shape #1\rUnknown OBJ record 02");
    }
}

TEST(DrawingHostileTest, DeeplyNestedGroupsAreRefused) {
    // Each level: SpgrContainer, its own SpContainer with a group SP and a child anchor, no OBJ.
    const int levels = 200;
    std::vector<uint8_t> inner;
    for (int level = 0; level < levels; ++level) {
        std::vector<uint8_t> own(8);
        std::vector<uint8_t> sp(16);
        EncodeMSOHeader({2, 0, MSOFBT_SP, 8}, sp.data());
        base::StoreLE32(&sp[12], SPFLAG_GROUP | SPFLAG_CHILD);
        own.insert(own.end(), sp.begin(), sp.end());
        EncodeMSOHeader({0xF, 0, MSOFBT_SPCONTAINER, uint32_t(own.size() - 8)}, own.data());
        std::vector<uint8_t> group(8);
        group.insert(group.end(), own.begin(), own.end());
        group.insert(group.end(), inner.begin(), inner.end());
        EncodeMSOHeader({0xF, 0, MSOFBT_SPGRCONTAINER, uint32_t(group.size() - 8)}, group.data());
        inner = group;
    }
    std::vector<TRecord> records = SplitRecords(SampleDrawing());
    std::vector<uint8_t> first(records[0].Data.begin(), records[0].Data.begin() + 80);
    first.insert(first.end(), inner.begin(), inner.end());
    base::StoreLE32(&first[4], uint32_t(first.size() - 8));
    base::StoreLE32(&first[28], uint32_t(first.size() - 32));
    std::vector<TRecord> drawingRecords;
    for (size_t at = 0; at < first.size(); at += 8224)
        drawingRecords.push_back(
            {at == 0 ? BIFFRECID_MSODRAWING : BIFFRECID_CONTINUE,
             std::vector<uint8_t>(first.begin() + static_cast<ptrdiff_t>(at),
                                  first.begin() + static_cast<ptrdiff_t>(std::min(first.size(), at + 8224)))});
    TEscherGroup group;
    TEscherDrawing drawing(group);
    try {
        ReadDrawing(JoinRecords(drawingRecords), drawing);
        ADD_FAILURE() << "no error";
    } catch (const EBIFFError& e) {
        EXPECT_NE(e.Message().find("Shape groups nested too deep"), std::string::npos) << e.Message();
    }
}

}  // namespace
}  // namespace xls
