#include <gtest/gtest.h>

#include <vector>

#include "workbook/biff/biff_error.h"
#include "workbook/biff/record_storage_globals.h"
#include "workbook/biff/record_storage_sheet.h"
#include "workbook/biff/xls_stream.h"

namespace xls {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<uint16_t> Ids(const TBaseRecordStorage& storage) {
    std::vector<uint16_t> ids;
    for (int i = 0; i < storage.Count(); ++i)
        if (const TRecordBlock* block = storage.GetItems(i)) ids.push_back(RecordId(*block));
    return ids;
}

Bytes Data(const TBaseRecordStorage& storage, uint16_t id) {
    const TRecordBlock& block = *storage.GetItems(storage.IndexOfId(id));
    return Bytes(RecordData(block), RecordData(block) + RecordLength(block));
}

const std::vector<uint16_t> GlobalOrder = {0x0809, 0x005C, 0x0042, 0x0161, 0x013D, 0x009C, 0x0019, 0x0012, 0x0013,
                                           0x01AF, 0x003D, 0x0040, 0x008D, 0x0022, 0x000E, 0x01B7, 0x00DA, 0x8001,
                                           0x8002, 0x008C, 0x01C1, 0x8003, 0x8004, 0x8005, 0x000A};
const std::vector<uint16_t> SheetOrder = {0x0809, 0x000D, 0x000C, 0x000F, 0x0011, 0x0010, 0x005F, 0x002B, 0x002A,
                                          0x0082, 0x0080, 0x0225, 0x0081, 0x8101, 0x8102, 0x8103, 0x0083, 0x0084,
                                          0x00A1, 0x0012, 0x0055, 0x0200, 0x8104, 0x8105, 0x023E, 0x8106, 0x000A};

TEST(RecordStorageTest, DefaultRecordsHaveTheirExactBytes) {
    TRecordStorageGlobals globals;
    globals.FillFromDefaults();
    EXPECT_EQ(Ids(globals), GlobalOrder);
    EXPECT_EQ(Data(globals, 0x0809), (Bytes{0, 6, 5, 0, 0xAF, 0x18, 0xCD, 0x07, 0xC9, 0x80, 0, 0, 6, 1, 0, 0}));
    EXPECT_EQ(Data(globals, 0x003D), (Bytes{100, 0, 100, 0, 0x10, 0x27, 0x58, 0x1B, 0x38, 0, 0, 0, 0, 0, 1, 0, 0x58, 2}));
    EXPECT_EQ(Data(globals, 0x0042), (Bytes{0xB0, 0x04}));
    EXPECT_EQ(Data(globals, 0x009C), (Bytes{14, 0}));
    EXPECT_EQ(Data(globals, 0x008C), (Bytes{1, 0, 46, 0}));
    EXPECT_EQ(Data(globals, 0x01C1), (Bytes{0xC1, 0x01, 0, 0, 0xFF, 0xFF, 0xFF, 0}));
    Bytes writeAccess(112, ' ');
    writeAccess[0] = 0, writeAccess[1] = 0, writeAccess[2] = 1;
    writeAccess[107] = '5', writeAccess[108] = '2', writeAccess[109] = '4', writeAccess[110] = '1', writeAccess[111] = 0;
    EXPECT_EQ(Data(globals, 0x005C), writeAccess);
    EXPECT_EQ(globals.TotalSize(), 25 * 4 + 16 + 112 + 2 * 13 + 18 + 4 + 8);

    TRecordStorageSheet sheet;
    sheet.FillFromDefaults();
    EXPECT_EQ(Ids(sheet), SheetOrder);
    EXPECT_EQ(Data(sheet, 0x0809)[2], 0x10);
    EXPECT_EQ(Data(sheet, 0x0010), (Bytes{0xFC, 0xA9, 0xF1, 0xD2, 0x4D, 0x62, 0x50, 0x3F}));  // 0.001
    EXPECT_EQ(Data(sheet, 0x0225), (Bytes{0, 0, 255, 0}));
    EXPECT_EQ(Data(sheet, 0x0081), (Bytes{0xC1, 0x04}));
    EXPECT_EQ(Data(sheet, 0x00A1), (Bytes{0, 0, 100, 0, 1, 0, 1, 0, 1, 0, 0xB6, 0x06, 0x58, 2, 0x58, 2,
                                          0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 0, 0}));
    EXPECT_EQ(Data(sheet, 0x0200), Bytes(14, 0));
    EXPECT_EQ(Data(sheet, 0x023E), (Bytes{0xB6, 0x04, 0, 0, 0, 0, 64, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // The typed references follow the records in the list.
    sheet.SetWSBOOL(0x0401);
    EXPECT_EQ(Data(sheet, 0x0081), (Bytes{0x01, 0x04}));
}

TEST(RecordStorageTest, PlacingARecordBringsTheDefaultsBeforeIt) {
    TRecordStorageGlobals globals;
    const Bytes window1(18, 7);
    globals.UpdateDefault(0x003D, window1);
    EXPECT_EQ(Ids(globals), std::vector<uint16_t>(GlobalOrder.begin(), GlobalOrder.begin() + 11));
    EXPECT_EQ(Data(globals, 0x003D), window1);
    EXPECT_EQ(Bytes(globals.WINDOW1().begin(), globals.WINDOW1().end()), window1);

    // An unmodelled record appended raw stays where it was read.
    TRecordStorageGlobals other;
    other.UpdateDefault(0x0809, Bytes(16, 1));
    other.AddRecord(0x00E1, Bytes{1, 2});
    other.UpdateDefault(0x0042, Bytes{0xE4, 0x04});
    EXPECT_EQ(Ids(other), (std::vector<uint16_t>{0x0809, 0x00E1, 0x005C, 0x0042}));
    other.UpdateDefault(0x1234, Bytes{1});  // no default: ignored
    EXPECT_EQ(other.Count(), 4);

    // EOF brings every remaining default and insertion point.
    TRecordStorageSheet sheet;
    sheet.UpdateDefault(0x0209, Bytes(6, 3));  // a BIFF3 BOF is the sheet's BOF
    sheet.SetInsertPoint(0x8105);
    sheet.UpdateDefault(0x000A, {});
    EXPECT_EQ(Ids(sheet), SheetOrder);
    EXPECT_EQ(Data(sheet, 0x0809), Bytes(6, 3));
}

TEST(RecordStorageTest, RefillingAfterPlacingLeavesNoDanglingReference) {
    TRecordStorageGlobals globals;
    globals.UpdateDefault(0x005C, Bytes(112, 0x20));  // places BOF and the records up to it
    globals.FillFromDefaults();
    EXPECT_THROW(globals.BOF(), EBIFFError);  // gone with the list, reported, not read freed
}

TEST(RecordStorageTest, SecondRecordOfAnIdReplacesTheFirstOfTheSameSize) {
    TRecordStorageSheet sheet;
    sheet.UpdateDefault(0x023E, Bytes(18, 1));
    sheet.UpdateDefault(0x023E, Bytes(18, 2));
    EXPECT_EQ(sheet.IndexOfId(0x023E), sheet.Count() - 1);
    EXPECT_EQ(Data(sheet, 0x023E), Bytes(18, 2));
    try {
        sheet.UpdateDefault(0x023E, Bytes(10, 3));
        FAIL() << "no error";
    } catch (const EBIFFError& e) {
        EXPECT_STREQ(e.what(), "Size missmatch on default record 023E");
    }
    // A record whose default was moved and is no longer in the list.
    sheet.SetItems(sheet.IndexOfId(0x0080), nullptr);
    try {
        sheet.UpdateDefault(0x0080, Bytes(8, 0));
        FAIL() << "no error";
    } catch (const EBIFFError& e) {
        EXPECT_STREQ(e.what(), "Excpected default record 0080 not found.");
    }
}

TEST(RecordStorageTest, ShortRecordsFromAFileDoNotReachTheAccessors) {
    TRecordStorageSheet sheet;
    sheet.UpdateDefault(0x0081, {});  // WSBOOL without its value
    EXPECT_THROW(sheet.WSBOOL(), EBIFFError);
    EXPECT_EQ(sheet.DEFCOLWIDTH(), 8);
    TRecordStorageSheet other;
    other.UpdateDefault(0x0010, Bytes(4, 0));  // DELTA shorter than its double
    EXPECT_THROW(other.SetDelta(1, 2), EBIFFError);
    EXPECT_THROW(sheet.GetItems(sheet.Count()), EBIFFError);
}

TEST(RecordStorageTest, WritesAndCopiesRecords) {
    TBaseRecordStorage storage;
    storage.AddRecord(0x0001, Bytes{1, 2, 3});
    storage.AddRecord(0x0002, Bytes{});
    storage.ReplaceData(1, Bytes{9, 9});
    TBaseRecordStorage copy;
    storage.CopyTo(copy);
    storage.Clear();
    EXPECT_EQ(storage.Count(), 0);
    TXLSStream stream;
    stream.CreateMemory();
    copy.WriteAll(stream);
    Bytes written(20);
    stream.Seek(0, 0);
    written.resize(static_cast<size_t>(stream.ReadPlain(written.data(), 20)));
    EXPECT_EQ(written, (Bytes{1, 0, 3, 0, 1, 2, 3, 2, 0, 2, 0, 9, 9}));
    EXPECT_EQ(copy.TotalSize(), 13);
}

}  // namespace
}  // namespace xls
