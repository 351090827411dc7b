#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/byte_reader.h"
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

// Reads a record's fields in order and checks that nothing is left over.
class TFields {
public:
    TFields(const TBaseRecordStorage& storage, uint16_t id)
        : Data_(Data(storage, id)), Reader_(Data_.data(), Data_.size()) {}
    ~TFields() { EXPECT_TRUE(Reader_.AtEnd()) << Reader_.Remaining() << " bytes not decoded"; }
    uint16_t Word() { return Reader_.U16LE(); }
    uint32_t Long() { return Reader_.U32LE(); }
    double Double() { return Reader_.DoubleLE(); }
    uint8_t Byte() { return Reader_.U8(); }

private:
    Bytes Data_;
    base::TByteReader Reader_;
};

// The BIFF8 BOF of this library: version, substream type, build and year, file history flags
// and the lowest version that can read the file.
void ExpectBOF(const TBaseRecordStorage& storage, uint16_t substream) {
    TFields bof(storage, 0x0809);
    EXPECT_EQ(bof.Word(), 0x0600);
    EXPECT_EQ(bof.Word(), substream);
    EXPECT_EQ(bof.Word(), 0x18AF);  // build
    EXPECT_EQ(bof.Word(), 1997);    // build year
    EXPECT_EQ(bof.Long(), 0x80C9u);
    EXPECT_EQ(bof.Long(), 0x0106u);
}

TEST(RecordStorageTest, DefaultRecordsMeanWhatAWorkbookNeeds) {
    TRecordStorageGlobals globals;
    globals.FillFromDefaults();
    EXPECT_EQ(Ids(globals), GlobalOrder);
    ExpectBOF(globals, 0x0005);  // workbook globals
    {
        TFields window1(globals, 0x003D);
        EXPECT_EQ(window1.Word(), 100);     // left
        EXPECT_EQ(window1.Word(), 100);     // top
        EXPECT_EQ(window1.Word(), 10000);   // width
        EXPECT_EQ(window1.Word(), 7000);    // height
        EXPECT_EQ(window1.Word(), 0x0038);  // scroll bars and sheet tabs shown
        EXPECT_EQ(window1.Word(), 0);       // active sheet
        EXPECT_EQ(window1.Word(), 0);       // first visible tab
        EXPECT_EQ(window1.Word(), 1);       // selected sheets
        EXPECT_EQ(window1.Word(), 600);     // tab bar width, per mille
    }
    EXPECT_EQ(TFields(globals, 0x0042).Word(), 1200);  // code page: UTF-16
    EXPECT_EQ(TFields(globals, 0x009C).Word(), 14);    // built-in function groups
    {
        TFields country(globals, 0x008C);
        EXPECT_EQ(country.Word(), 1);   // user interface: United States
        EXPECT_EQ(country.Word(), 46);  // system settings: Sweden
    }
    {
        TFields recalc(globals, 0x01C1);
        EXPECT_EQ(recalc.Word(), 0x01C1);  // repeats its own id
        EXPECT_EQ(recalc.Word(), 0);
        EXPECT_EQ(recalc.Long(), 0xFFFFFFu);  // engine build: recalculate on load
    }
    {
        // WRITEACCESS: an empty UTF-16 user name, blank padding, then the writer's tag.
        TFields access(globals, 0x005C);
        EXPECT_EQ(access.Word(), 0);  // name length
        EXPECT_EQ(access.Byte(), 1);  // UTF-16
        std::string rest;
        for (int i = 3; i < 112; ++i) rest += char(access.Byte());
        EXPECT_EQ(rest, std::string(104, ' ') + std::string("5241\0", 5));
    }
    EXPECT_EQ(globals.TotalSize(), 25 * 4 + 16 + 112 + 2 * 13 + 18 + 4 + 8);

    TRecordStorageSheet sheet;
    sheet.FillFromDefaults();
    EXPECT_EQ(Ids(sheet), SheetOrder);
    ExpectBOF(sheet, 0x0010);                           // worksheet
    EXPECT_EQ(TFields(sheet, 0x0010).Double(), 0.001);  // iteration delta
    {
        TFields rowHeight(sheet, 0x0225);
        EXPECT_EQ(rowHeight.Word(), 0);    // options
        EXPECT_EQ(rowHeight.Word(), 255);  // twips
    }
    EXPECT_EQ(TFields(sheet, 0x0081).Word(), 0x04C1);  // outline symbols, automatic styles and page breaks
    {
        TFields setup(sheet, 0x00A1);
        EXPECT_EQ(setup.Word(), 0);       // paper size
        EXPECT_EQ(setup.Word(), 100);     // scale, percent
        EXPECT_EQ(setup.Word(), 1);       // first page number
        EXPECT_EQ(setup.Word(), 1);       // fit to pages wide
        EXPECT_EQ(setup.Word(), 1);       // fit to pages tall
        EXPECT_EQ(setup.Word(), 0x06B6);  // options
        EXPECT_EQ(setup.Word(), 600);     // horizontal dpi
        EXPECT_EQ(setup.Word(), 600);     // vertical dpi
        EXPECT_EQ(setup.Double(), 0.5);   // header margin, inches
        EXPECT_EQ(setup.Double(), 0.5);   // footer margin, inches
        EXPECT_EQ(setup.Word(), 0);       // copies
    }
    {
        TFields dimensions(sheet, 0x0200);  // an empty sheet
        EXPECT_EQ(dimensions.Long(), 0u);
        EXPECT_EQ(dimensions.Long(), 0u);
        EXPECT_EQ(dimensions.Word(), 0);
        EXPECT_EQ(dimensions.Word(), 0);
        EXPECT_EQ(dimensions.Word(), 0);
    }
    {
        TFields window2(sheet, 0x023E);
        EXPECT_EQ(window2.Word(), 0x04B6);  // grid lines, headers, zeros, outline shown; sheet selected and active
        EXPECT_EQ(window2.Word(), 0);       // top row
        EXPECT_EQ(window2.Word(), 0);       // left column
        EXPECT_EQ(window2.Long(), 64u);     // grid line colour: the automatic one
        EXPECT_EQ(window2.Word(), 0);       // page-break preview zoom: default
        EXPECT_EQ(window2.Word(), 0);       // normal zoom: default
        EXPECT_EQ(window2.Long(), 0u);
    }
    // The typed references follow the records in the list.
    sheet.SetWSBOOL(0x0401);
    EXPECT_EQ(TFields(sheet, 0x0081).Word(), 0x0401);
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

TEST(RecordStorageTest, RecordsKeptRawDoNotStandInForTheDefaults) {
    // An embedded chart's substream is kept raw inside the sheet: its BOF, SETUP, PROTECT and
    // EOF are records of the chart, not the sheet's defaults, whatever comes after them.
    TRecordStorageSheet sheet;
    sheet.UpdateDefault(0x0809, Bytes(16, 1));
    const std::vector<std::pair<uint16_t, Bytes>> chart = {
        {0x0809, Bytes(16, 2)}, {0x00A1, Bytes(34, 5)}, {0x0012, Bytes(2, 1)}, {0x000A, {}}};
    for (const auto& [id, data] : chart) sheet.AddRecord(id, data);
    sheet.UpdateDefault(0x00A1, Bytes(34, 7));
    sheet.UpdateDefault(0x000A, {});
    std::vector<std::pair<uint16_t, Bytes>> kept;
    for (int i = 0; i < sheet.Count(); ++i)
        if (const TRecordBlock* block = sheet.GetItems(i); block && RecordId(*block) != 0)
            kept.emplace_back(RecordId(*block), Bytes(RecordData(*block), RecordData(*block) + RecordLength(*block)));
    auto count = [&](uint16_t id, const Bytes& data) {
        return std::count(kept.begin(), kept.end(), std::pair<uint16_t, Bytes>{id, data});
    };
    EXPECT_EQ(count(0x0809, Bytes(16, 2)), 1);
    EXPECT_EQ(count(0x00A1, Bytes(34, 5)), 1);
    EXPECT_EQ(count(0x00A1, Bytes(34, 7)), 1);
    EXPECT_EQ(count(0x0012, Bytes(2, 1)), 1);
    // The chart's EOF and the sheet's own, last.
    EXPECT_EQ(count(0x000A, {}), 2);
    EXPECT_EQ(kept.back().first, 0x000A);
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
