#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "platform/compound_file.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/chart/document_charts.h"
#include "workbook/biff/tests/biff_read_book.h"
#include "workbook/model/cell_store.h"

namespace xls {
namespace {

void Add(std::vector<uint8_t>& stream, uint16_t id, const std::vector<uint8_t>& data) {
    const size_t at = stream.size();
    stream.resize(at + 4);
    base::StoreLE16(&stream[at], id);
    base::StoreLE16(&stream[at + 2], static_cast<uint16_t>(data.size()));
    stream.insert(stream.end(), data.begin(), data.end());
}

std::vector<uint8_t> Bof(uint8_t type) { return {0x00, 0x05, type, 0x00, 0, 0, 0, 0}; }

// The BIFF5 workbook stream (a file's Book stream) of one sheet with a number in A1 and a note on it, which in this
// format is its text alone (row, column, text length, text): no object, no drawing.
std::vector<uint8_t> Biff5WithNote() {
    std::vector<uint8_t> stream;
    Add(stream, 0x0809, Bof(0x05));
    const size_t sheetOffset = stream.size() + 4;
    Add(stream, 0x0085, {0, 0, 0, 0, 0, 0, 6, 'S', 'h', 'e', 'e', 't', '1'});
    Add(stream, 0x000A, {});
    base::StoreLE32(&stream[sheetOffset], static_cast<uint32_t>(stream.size()));
    Add(stream, 0x0809, Bof(0x10));
    std::vector<uint8_t> number{0, 0, 0, 0, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    base::StoreLE64(&number[6], 0x4035800000000000ull);  // 21.5
    Add(stream, 0x0203, number);
    Add(stream, 0x001C, {0, 0, 0, 0, 5, 0, 'h', 'e', 'l', 'l', 'o'});
    Add(stream, 0x000A, {});
    return stream;
}

// A BIFF5 note has no drawing to join: the file reads with its cells, and the note is kept
// as it was read, in its own format (this document is not written as BIFF5, so it never
// reaches a file of another format).
TEST(Biff5NotesTest, NotesOfABiff5FileAreKeptAndTheFileReads) {
    test::TBIFFReadBook book;
    AttachDrawingLayer(*book.Document);
    const std::vector<uint8_t> stream = Biff5WithNote();
    platform::TCompoundFile file;
    file.Root().CreateStream(u"Book").WriteBuffer(stream.data(), static_cast<int64_t>(stream.size()));
    book.Load(file.SaveToBytes());
    EXPECT_EQ(book.Document->GetVersion(), xvExcel50);
    ASSERT_EQ(book.Root.Worksheets().Count(), 1);
    EXPECT_EQ(book.Root.Worksheets().GetItems(0)->Name, u"Sheet1");
    TXLSMMUCell cell;
    ASSERT_TRUE(book.Cells(0).FindCell(0, 0, cell));
    EXPECT_EQ(TXLSCellMMU::GetFloat(cell), 21.5);
    const TRecordStorageSheet& records = book.Document->GetSheet(0).Records();
    std::vector<std::vector<uint8_t>> notes;
    for (int i = 0; i < records.Count(); ++i)
        if (const TRecordBlock* r = records.GetItems(i); r && RecordId(*r) == 0x001C)
            notes.emplace_back(RecordData(*r), RecordData(*r) + RecordLength(*r));
    EXPECT_EQ(notes, (std::vector<std::vector<uint8_t>>{{0, 0, 0, 0, 5, 0, 'h', 'e', 'l', 'l', 'o'}}));
    EXPECT_EQ(SheetDrawing(book.Document->GetSheet(0)), nullptr);
    // The note in its BIFF5 layout never lands in a BIFF8 file: the workbook is written back as
    // BIFF5, with the note as it was.
    test::TBIFFReadBook again;
    again.Load(book.Save());
    EXPECT_EQ(again.Document->GetVersion(), xvExcel50);
    const TRecordStorageSheet& written = again.Document->GetSheet(0).Records();
    std::vector<std::vector<uint8_t>> notesWritten;
    for (int i = 0; i < written.Count(); ++i)
        if (const TRecordBlock* r = written.GetItems(i); r && RecordId(*r) == 0x001C)
            notesWritten.emplace_back(RecordData(*r), RecordData(*r) + RecordLength(*r));
    EXPECT_EQ(notesWritten, notes);
}

}  // namespace
}  // namespace xls
