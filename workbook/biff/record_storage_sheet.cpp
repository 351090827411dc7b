#include "workbook/biff/record_storage_sheet.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/record_defaults.h"

namespace xls {

namespace {

constexpr uint16_t SheetDefaultIds[] = {0x0809, 0x000A, 0x000C, 0x000D, 0x000F, 0x0010, 0x0011,
                                        0x0012, 0x002A, 0x002B, 0x0055, 0x005F, 0x0080, 0x0081,
                                        0x0082, 0x0083, 0x0084, 0x00A1, 0x0200, 0x0225, 0x023E};

using base::LoadLE16;
using base::StoreLE16;

}  // namespace

TRecordStorageSheet::TRecordStorageSheet() { SetDefaults(); }

void TRecordStorageSheet::SetDefaults() {
    Clear();
    AddDefaultData(0x0809, DefaultBOF(0x0010));
    AddDefaultWord(0x000D, 1);                                       // CALCMODE
    AddDefaultWord(0x000C, 100);                                     // CALCCOUNT
    AddDefaultWord(0x000F, 1);                                       // REFMODE
    AddDefaultWord(0x0011, 0);                                       // ITERATION
    AddDefaultData(0x0010, TRecordBytes().Double(0.001).Bytes);      // DELTA
    AddDefaultWord(0x005F, 1);                                       // SAVERECALC
    AddDefaultWord(0x002B, 0);                                       // PRINTGRIDLINES
    AddDefaultWord(0x002A, 0);                                       // PRINTHEADERS
    AddDefaultWord(0x0082, 1);                                       // GRIDSET
    AddDefaultRecord(0x0080, 8);                                     // GUTS
    AddDefaultData(0x0225, TRecordBytes().Word(0).Word(255).Bytes);  // DEFAULTROWHEIGHT
    AddDefaultWord(0x0081, 0x04C1);                                  // WSBOOL
    AddDefaultRecord(0x8101, 0);
    AddDefaultRecord(0x8102, 0);
    AddDefaultRecord(0x8103, 0);
    AddDefaultWord(0x0083, 0);  // HCENTER
    AddDefaultWord(0x0084, 0);  // VCENTER
    AddDefaultData(0x00A1, TRecordBytes()
                               .Word(0)
                               .Word(100)
                               .Word(1)
                               .Word(1)
                               .Word(1)
                               .Word(0x06B6)
                               .Word(600)
                               .Word(600)
                               .Double(0.5)
                               .Double(0.5)
                               .Word(0)
                               .Bytes);  // SETUP
    AddDefaultWord(0x0012, 0);           // PROTECT
    AddDefaultWord(0x0055, 8);           // DEFCOLWIDTH
    AddDefaultRecord(0x0200, 14);        // DIMENSIONS
    AddDefaultRecord(0x8104, 0);
    AddDefaultRecord(0x8105, 0);
    AddDefaultData(0x023E,
                   TRecordBytes().Word(0x04B6).Word(0).Word(0).Long(64).Word(0).Word(0).Long(0).Bytes);  // WINDOW2
    AddDefaultRecord(0x8106, 0);
    AddDefaultRecord(0x000A, 0);  // EOF
}

void TRecordStorageSheet::UpdateDefault(uint16_t id, std::span<const uint8_t> data) {
    if (data.size() > 0xFFFF) throw EBIFFError("Record data too long");
    const uint16_t length = static_cast<uint16_t>(data.size());
    // A BOF of any BIFF version becomes the sheet's BIFF8 BOF.
    if ((id & 0xFF) == 0x09) id = 0x0809;
    if (std::find(std::begin(SheetDefaultIds), std::end(SheetDefaultIds), id) != std::end(SheetDefaultIds))
        Place(id, length, data.data());
}

void TRecordStorageSheet::SetInsertPoint(uint16_t id) {
    if (id >= 0x8101 && id <= 0x8106) Place(id, 0, nullptr);
}

uint16_t TRecordStorageSheet::WSBOOL() const { return LoadLE16(FieldData(0x0081, 2)); }
void TRecordStorageSheet::SetWSBOOL(uint16_t value) { StoreLE16(FieldData(0x0081, 2), value); }
uint16_t TRecordStorageSheet::DEFCOLWIDTH() const { return LoadLE16(FieldData(0x0055, 2)); }
void TRecordStorageSheet::SetDEFCOLWIDTH(uint16_t value) { StoreLE16(FieldData(0x0055, 2), value); }
void TRecordStorageSheet::SetProtect(uint16_t value) { StoreLE16(FieldData(0x0012, 2), value); }

void TRecordStorageSheet::SetDelta(uint32_t low, uint32_t high) {
    uint8_t* data = FieldData(0x0010, 8);
    for (int i = 0; i < 4; ++i) {
        data[i] = static_cast<uint8_t>(low >> (8 * i));
        data[4 + i] = static_cast<uint8_t>(high >> (8 * i));
    }
}

}  // namespace xls
