#include "workbook/biff/record_storage_globals.h"

#include <algorithm>

#include "workbook/biff/biff_error.h"
#include "workbook/biff/record_defaults.h"

namespace xls {

namespace {

constexpr uint16_t GlobalDefaultIds[] = {0x0809, 0x000A, 0x000E, 0x0012, 0x0013, 0x0019, 0x0022,
                                         0x003D, 0x0040, 0x0042, 0x005C, 0x008C, 0x008D, 0x009C,
                                         0x00DA, 0x013D, 0x0161, 0x01AF, 0x01B7, 0x01C1};

constexpr uint16_t WriteAccessSize = 112;

}  // namespace

TRecordStorageGlobals::TRecordStorageGlobals() { SetDefaults(); }

void TRecordStorageGlobals::SetDefaults() {
    Clear();
    AddDefaultData(0x0809, DefaultBOF(0x0005));
    AddDefaultRecord(0x005C, WriteAccessSize);
    SetUserName(u"");
    AddDefaultWord(0x0042, 1200);  // CODEPAGE: UTF-16
    AddDefaultWord(0x0161, 0);     // DSF
    AddDefaultRecord(0x013D, 0);   // TABID
    AddDefaultWord(0x009C, 14);    // FNGROUPCOUNT
    AddDefaultWord(0x0019, 0);     // WINDOWPROTECT
    AddDefaultWord(0x0012, 0);     // PROTECT
    AddDefaultWord(0x0013, 0);     // PASSWORD
    AddDefaultWord(0x01AF, 0);     // PROT4REV
    AddDefaultData(
        0x003D,
        TRecordBytes().Word(100).Word(100).Word(10000).Word(7000).Word(0x0038).Word(0).Word(0).Word(1).Word(600).Bytes);
    AddDefaultWord(0x0040, 0);  // BACKUP
    AddDefaultWord(0x008D, 0);  // HIDEOBJ
    AddDefaultWord(0x0022, 0);  // DATEMODE
    AddDefaultWord(0x000E, 1);  // PRECISION
    AddDefaultWord(0x01B7, 0);  // REFRESHALL
    AddDefaultWord(0x00DA, 0);  // BOOKBOOL
    AddDefaultRecord(0x8001, 0);
    AddDefaultRecord(0x8002, 0);
    AddDefaultData(0x008C, TRecordBytes().Word(1).Word(46).Bytes);                     // COUNTRY
    AddDefaultData(0x01C1, TRecordBytes().Word(0x01C1).Word(0).Long(0xFFFFFF).Bytes);  // RECALCID
    AddDefaultRecord(0x8003, 0);
    AddDefaultRecord(0x8004, 0);
    AddDefaultRecord(0x8005, 0);
    AddDefaultRecord(0x000A, 0);  // EOF
}

void TRecordStorageGlobals::UpdateDefault(uint16_t id, std::span<const uint8_t> data) {
    if (data.size() > 0xFFFF) throw EBIFFError("Record data too long");
    const uint16_t length = static_cast<uint16_t>(data.size());
    // A BOF of any BIFF version takes the BOF default's place and keeps its own id.
    if ((id & 0xFF) == 0x09) {
        Place(0x0809, length, data.data(), id);
        return;
    }
    if (std::find(std::begin(GlobalDefaultIds), std::end(GlobalDefaultIds), id) != std::end(GlobalDefaultIds))
        Place(id, length, data.data());
}

void TRecordStorageGlobals::SetInsertPoint(uint16_t id) {
    if (id >= 0x8001 && id <= 0x8005) Place(id, 0, nullptr);
}

void TRecordStorageGlobals::SetUserName(const std::u16string& name) {
    if (name.size() > 52) throw EBIFFError("User name too long");
    uint8_t* data = FieldData(0x005C, WriteAccessSize);
    std::fill(data, data + WriteAccessSize, ' ');
    data[0] = static_cast<uint8_t>(name.size());
    data[1] = 0;
    data[2] = 1;
    for (size_t i = 0; i < name.size(); ++i) {
        data[3 + 2 * i] = static_cast<uint8_t>(name[i]);
        data[4 + 2 * i] = static_cast<uint8_t>(name[i] >> 8);
    }
    std::copy_n("5241", 5, data + 107);
}

}  // namespace xls
