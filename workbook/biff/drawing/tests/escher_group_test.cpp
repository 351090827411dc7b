#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "base/byte_reader.h"
#include "base/md4.h"
#include "base/memory_stream.h"
#include "platform/testing/test_files.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/drawing/tests/drawing_test_support.h"
#include "workbook/ooxml/zip/zlib_buffers.h"

namespace xls {
namespace {

using namespace testing;

std::vector<uint8_t> Bytes(size_t count, uint8_t seed) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

TEST(EscherGroupTest, NewWorkbookWithOneTextBoxWritesItsClusterAndDefaults) {
    TEscherGroup group;
    TEscherDrawing drawing(group);
    drawing.AddText();
    ASSERT_TRUE(group.HasProperties());
    const std::vector<TRecord> records = SplitRecords(WriteGroup(group));
    ASSERT_EQ(records.size(), 1u);
    const std::vector<uint8_t>& body = records[0].Data;
    EXPECT_EQ(DecodeMSOHeader(body.data()).Type, MSOFBT_DGGCONTAINER);
    EXPECT_EQ(DecodeMSOHeader(body.data()).Length + 8, body.size());
    const TMSOHeader dgg = DecodeMSOHeader(&body[8]);
    EXPECT_EQ(dgg.Type, MSOFBT_DGG);
    EXPECT_EQ(dgg.Length, 24u);
    const uint32_t expected[] = {1026, 2, 2, 1, 1, 2};  // spidMax, cidcl, cspSaved, cdgSaved, (dgid, cspidCur)
    for (int i = 0; i < 6; ++i) EXPECT_EQ(base::LoadLE32(&body[16 + 4 * i]), expected[i]) << i;
    const TMSOHeader opt = DecodeMSOHeader(&body[40]);
    EXPECT_EQ(opt.Type, MSOFBT_OPT);
    EXPECT_EQ(opt.Instance, 3);
    const TMSOHeader split = DecodeMSOHeader(&body[40 + 8 + 18]);
    EXPECT_EQ(split.Type, MSOFBT_SPLITMENUCOLORS);
    EXPECT_EQ(split.Instance, 4);

    TEscherGroup back;
    ReadGroup(WriteGroup(group), back);
    EXPECT_EQ(WriteGroup(back), WriteGroup(group));
}

// A group with one picture of each kind, written, read back and written again.
TEST(EscherGroupTest, PicturesRoundTripWithTheirUidsAndMetafilesDeflated) {
    TEscherGroup group;
    TEscherDrawing drawing(group);
    drawing.AddPicture();
    const uint8_t types[] = {msoblipPNG, msoblipEMF, msoblipJPEG, msoblipDIB, msoblipWMF};
    for (uint8_t type : types) {
        TMSOPicture& picture = group.Add();
        picture.BlipType = type;
        picture.RefCount = 1;
        picture.SetData(Bytes(20000 + type, type));
    }
    const std::vector<uint8_t> first = WriteGroup(group);
    for (const TRecord& r : SplitRecords(first)) EXPECT_LE(r.Data.size(), 8224u);
    TEscherGroup back;
    ReadGroup(first, back);
    ASSERT_EQ(back.Count(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(back.GetItems(i).BlipType, types[i]);
        EXPECT_EQ(back.GetItems(i).Data, group.GetItems(i).Data);
        EXPECT_EQ(back.GetItems(i).Uid, group.GetItems(i).Uid);
        EXPECT_EQ(back.GetItems(i).FileIndex, i);
    }
    EXPECT_EQ(WriteGroup(back), first);
    // The EMF is stored deflated (compression 0, filter 0xFE), far smaller than its data.
    EXPECT_LT(first.size(), 5u * 20000);
}

// Builds an OfficeArtFBSE with its blip by hand, as other producers write them.
std::vector<uint8_t> BSE(uint8_t type, uint32_t refCount, uint16_t blipInstance, const std::vector<uint8_t>& data,
                         bool withBlip = true) {
    std::vector<uint8_t> blip;
    if (withBlip) {
        const uint32_t uids = 16 * (1 + (blipInstance & 1));
        blip.resize(8);
        EncodeMSOHeader(
            {0, blipInstance, static_cast<uint16_t>(MSOFBT_BLIPFIRST + type), uids + 1 + uint32_t(data.size())},
            blip.data());
        for (uint32_t i = 0; i < uids; ++i) blip.push_back(static_cast<uint8_t>(0xA0 + i));
        blip.push_back(0xFF);
        blip.insert(blip.end(), data.begin(), data.end());
    }
    std::vector<uint8_t> bse(8 + 36);
    EncodeMSOHeader({2, type, MSOFBT_BSE, uint32_t(36 + blip.size())}, bse.data());
    bse[8] = bse[9] = type;
    base::StoreLE32(&bse[8 + 20], uint32_t(blip.size()));
    base::StoreLE32(&bse[8 + 24], refCount);
    bse.insert(bse.end(), blip.begin(), blip.end());
    return bse;
}

std::vector<uint8_t> GroupRecord(const std::vector<std::vector<uint8_t>>& bses) {
    std::vector<uint8_t> store;
    for (const auto& bse : bses) store.insert(store.end(), bse.begin(), bse.end());
    std::vector<uint8_t> body(16);
    EncodeMSOHeader({0xF, 0, MSOFBT_DGGCONTAINER, uint32_t(8 + store.size())}, body.data());
    EncodeMSOHeader({0xF, uint16_t(bses.size()), MSOFBT_BSTORECONTAINER, uint32_t(store.size())}, &body[8]);
    body.insert(body.end(), store.begin(), store.end());
    return JoinRecords({{BIFFRECID_MSODRAWINGGROUP, body}});
}

TEST(EscherGroupTest, StoreEntriesAreReadByTheirOwnLengths) {
    const std::vector<uint8_t> png = Bytes(300, 1);
    const std::vector<uint8_t> jpeg = Bytes(200, 2);
    // An unused entry that still holds its blip, an empty entry, a blip with two uids.
    TEscherGroup group;
    ReadGroup(GroupRecord({BSE(msoblipPNG, 0, 0x6E0, Bytes(50, 9)), BSE(0, 0, 0, {}, false),
                           BSE(msoblipPNG, 1, 0x6E1, png), BSE(msoblipJPEG, 2, 0x46A, jpeg)}),
              group);
    ASSERT_EQ(group.Count(), 2);
    EXPECT_EQ(group.GetItems(0).Data, png);
    EXPECT_EQ(group.GetItems(0).FileIndex, 2);
    EXPECT_EQ(group.GetItems(0).Uid, base::MD4Digest(png.data(), png.size()));
    EXPECT_EQ(group.GetItems(1).Data, jpeg);
    EXPECT_EQ(group.GetItems(1).FileIndex, 3);
    EXPECT_EQ(group.GetItems(1).RefCount, 2);

    std::vector<int> indexes;
    group.GetFileIndexes(indexes);
    EXPECT_EQ(indexes, (std::vector<int>{2, 3}));
}

TEST(EscherGroupTest, BlipIdsAreRemappedToKeptPicturesAndZeroMeansNone) {
    TEscherGroup group;
    TEscherDrawing drawing(group);
    TShapeClientAnchor& empty = drawing.AddPicture();  // blip id 0: no picture
    TShapeClientAnchor& third = drawing.AddPicture();
    third.Properties.SetBlipId(3);  // the file's third entry
    TShapeClientAnchor& fourth = drawing.AddPicture();
    fourth.Properties.SetBlipId(4);
    drawing.RemapBlipIds({2, 3});
    EXPECT_EQ(empty.Properties.GetBlipId(), 0);
    EXPECT_EQ(third.Properties.GetBlipId(), 1);
    EXPECT_EQ(fourth.Properties.GetBlipId(), 2);
    third.Properties.SetBlipId(3);
    fourth.Properties.SetBlipId(9);
    try {
        drawing.RemapBlipIds({2, 3});
        FAIL();
    } catch (const EBIFFError& e) {
        EXPECT_EQ(e.Message(), "Can not find Blip Id #9");
    }
}

TEST(EscherGroupTest, PictureReferencesAreCountedBeforeWriting) {
    TEscherGroup group;
    TEscherDrawing drawing(group);
    group.Add().BlipType = msoblipPNG;
    group.Add().BlipType = msoblipPNG;
    group.GetItems(1).RefCount = 3;
    drawing.AddPicture().Properties.SetBlipId(1);
    drawing.AddPicture().Properties.SetBlipId(1);
    drawing.AddPicture().Properties.SetBlipId(2);
    drawing.AddPicture();
    drawing.CountPictureRefs();
    EXPECT_EQ(group.GetItems(0).RefCount, 1);
    EXPECT_EQ(group.GetItems(1).RefCount, 3);
    drawing.AddPicture().Properties.SetBlipId(3);
    try {
        drawing.CountPictureRefs();
        FAIL();
    } catch (const EBIFFError& e) {
        EXPECT_EQ(e.Message(), "Unassigned picture in file.");
    }
}

TEST(EscherGroupTest, PictureFilesLoseTheirFileHeadersAndBitmapsGetThemBack) {
    platform::testing::TTempDir dir;
    std::vector<uint8_t> bmp = {'B', 'M'};
    bmp.resize(32767, 0x5A);
    platform::testing::WriteFileBytes(dir / "small.bmp", bmp);
    TEscherGroup group;
    TMSOPicture& picture = group.Add();
    picture.LoadFromFile(dir / "small.bmp");
    EXPECT_EQ(picture.BlipType, msoblipDIB);
    EXPECT_EQ(picture.Data, std::vector<uint8_t>(bmp.begin() + 14, bmp.end()));
    const std::vector<uint8_t> file = picture.FileBytes();
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(base::LoadLE32(&file[2]), 32767u);
    EXPECT_EQ(base::LoadLE32(&file[10]), 54u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 14, file.end()), picture.Data);

    struct TCase {
        std::string Name;
        size_t Size;  // 0: not written (the name of the picture above)
        std::string Error;
    };
    const TCase cases[] = {
        {"big.bmp", 40000, "Bitmap (BMP) pictures can be max 32767 bytes in size"},
        {"SMALL.BMP", 0, "A picture with this name already exists."},
        {"picture.gif", 10, "Unknown picture type GIF"},
        {"short.wmf", 10, "Picture file is too short: "},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Size > 0) platform::testing::WriteFileBytes(dir / c.Name, std::vector<uint8_t>(c.Size, 1));
        const std::string path = c.Size > 0 ? dir / c.Name : (dir.Path() / "SMALL.BMP").string();
        TMSOPicture& added = group.Add();
        try {
            added.LoadFromFile(
                c.Size > 0 ? path : (dir.Path() / "small.bmp").string().replace(path.size() - 9, 9, "SMALL.BMP"));
            ADD_FAILURE() << "no error";
        } catch (const base::Exception& e) {
            EXPECT_EQ(e.Message().substr(0, c.Error.size()), c.Error);
        }
        group.Delete(group.Count() - 1);
    }
}

}  // namespace
}  // namespace xls
