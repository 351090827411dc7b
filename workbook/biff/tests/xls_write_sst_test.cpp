// The shared string table: SST split over CONTINUE records, and its EXTSST index.
#include <gtest/gtest.h>

#include "base/text_encoding.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/tests/biff_test_workbook.h"

namespace xls {
namespace {

using test::SplitRecords;
using test::TRecord;

// Reads the SST as a reader must: a string's characters may go on in the next CONTINUE record
// after a flag byte of their own. Also gives where each string starts in the stream.
struct TSSTReader {
    explicit TSSTReader(const std::vector<TRecord>& records) {
        size_t i = 0;
        while (i < records.size() && records[i].Id != BIFFRECID_SST) ++i;
        if (i == records.size()) throw std::runtime_error("no SST");
        for (; i < records.size() && (records[i].Id == BIFFRECID_SST || records[i].Id == BIFFRECID_CONTINUE); ++i)
            Parts.push_back(&records[i]);
        for (; i < records.size(); ++i)
            if (records[i].Id == BIFFRECID_EXTSST) ExtSST = &records[i];
        const uint32_t unique = Take32(), total = Take32();
        (void)total;
        for (uint32_t s = 0; s < unique; ++s) {
            if (Pos == Parts[Part]->Data.size()) Next();
            Starts.push_back(Parts[Part]->Offset + 4 + Pos);
            const uint16_t count = Take16();
            const uint8_t flags = Take8();
            const uint16_t runs = (flags & 8) ? Take16() : 0;
            std::u16string text;
            bool wide = flags & 1;
            while (text.size() < count) {
                if (Pos == Parts[Part]->Data.size()) {
                    Next();
                    wide = Take8() & 1;
                }
                if (wide) {
                    if (Parts[Part]->Data.size() - Pos < 2) throw std::runtime_error("character split");
                    text.push_back(Take16());
                } else {
                    text.push_back(Take8());
                }
            }
            for (int r = 0; r < runs; ++r) Take32();
            Strings.push_back(text);
        }
    }
    void Next() {
        if (++Part >= Parts.size()) throw std::runtime_error("SST ends early");
        Pos = 0;
    }
    uint8_t Take8() {
        if (Pos >= Parts[Part]->Data.size()) throw std::runtime_error("field split between records");
        return Parts[Part]->Data[Pos++];
    }
    uint16_t Take16() { return static_cast<uint16_t>(Take8() | Take8() << 8); }
    uint32_t Take32() { return Take16() | static_cast<uint32_t>(Take16()) << 16; }

    std::vector<const TRecord*> Parts;
    const TRecord* ExtSST = nullptr;
    size_t Part = 0, Pos = 0;
    std::vector<std::u16string> Strings;
    std::vector<size_t> Starts;
};

TEST(SSTWriter, EmptyTable) {
    test::TBIFFTestWorkbook book;
    const auto records = SplitRecords(book.WriteStream());
    TSSTReader sst(records);
    EXPECT_EQ(sst.Parts[0]->Data, (std::vector<uint8_t>(8, 0)));
    ASSERT_NE(sst.ExtSST, nullptr);
    EXPECT_EQ(sst.ExtSST->Data, (std::vector<uint8_t>{8, 0}));
}

TEST(SSTWriter, LongTablesSplitWithoutCuttingCharactersAndIndexWhereStringsStart) {
    for (const int count : {5000, 20000}) {
        test::TBIFFTestWorkbook book;
        TXc12DataSST& table = book.Root.SST();
        std::vector<std::u16string> texts;
        for (int i = 0; i < count; ++i) {
            // Wide and narrow strings of odd and even lengths move the record ends around.
            std::u16string text =
                (i % 3 == 0 ? u"温湿度" : u"row") + std::u16string(i % 17, u'x') + base::Utf8ToUtf16(std::to_string(i));
            texts.push_back(text);
            table.AppendString(text);
        }
        const auto records = SplitRecords(book.WriteStream());
        TSSTReader sst(records);
        EXPECT_GT(sst.Parts.size(), 3u);
        EXPECT_EQ(sst.Strings, texts);
        ASSERT_NE(sst.ExtSST, nullptr);
        const int bucket = sst.ExtSST->Word(0);
        EXPECT_EQ(bucket, count == 5000 ? 8 : 20);
        const size_t buckets = (sst.ExtSST->Data.size() - 2) / 8;
        EXPECT_EQ(buckets, (texts.size() + bucket - 1) / bucket);
        for (size_t b = 0; b < buckets; ++b) {
            const size_t start = sst.Starts[b * bucket];
            EXPECT_EQ(sst.ExtSST->Long(2 + 8 * b), start) << b;
            // The offset counts from the header of the record the string starts in.
            size_t header = 0;
            for (const TRecord* part : sst.Parts)
                if (part->Offset < start) header = part->Offset;
            EXPECT_EQ(sst.ExtSST->Word(6 + 8 * b), start - header) << b;
        }
    }
}

TEST(SSTWriter, OneLongWideStringContinuesWithItsFlagByte) {
    test::TBIFFTestWorkbook book;
    // 8 bytes of counts and 3 of string header leave an odd number of bytes in the first record.
    const std::u16string text(6000, u'中');
    book.Root.SST().AppendString(text);
    const auto records = SplitRecords(book.WriteStream());
    TSSTReader sst(records);
    ASSERT_EQ(sst.Strings.size(), 1u);
    EXPECT_EQ(sst.Strings[0], text);
    ASSERT_EQ(sst.Parts.size(), 2u);
    EXPECT_EQ(sst.Parts[0]->Data.size(), 8224u - 1);  // the last byte left empty
    EXPECT_EQ(sst.Parts[1]->Data[0], 1);
}

TEST(SSTWriter, FreedSlotsKeepTheFollowingIndexes) {
    test::TBIFFTestWorkbook book;
    TXc12DataSST& table = book.Root.SST();
    book.Cells().StoreString(0, 0, 0, u"first");
    book.Cells().StoreString(0, 1, 0, u"gone");
    book.Cells().StoreString(0, 2, 0, u"third");
    book.Cells().DeleteCell(0, 1);
    ASSERT_EQ(table.GetStringRec(1), nullptr);
    const auto records = SplitRecords(book.WriteStream());
    TSSTReader sst(records);
    EXPECT_EQ(sst.Strings, (std::vector<std::u16string>{u"first", u"", u"third"}));
    std::vector<uint32_t> indexes;
    for (const TRecord& r : records)
        if (r.Id == BIFFRECID_LABELSST) indexes.push_back(r.Long(6));
    EXPECT_EQ(indexes, (std::vector<uint32_t>{0, 2}));
}

}  // namespace
}  // namespace xls
