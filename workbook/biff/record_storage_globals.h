#pragma once

#include <string>

#include "workbook/biff/record_storage.h"

namespace xls {

// Records of the workbook-globals substream. Insertion points 0x8001 to 0x8005 stand for the
// formatting records, the sheet list, names, the drawing group and the shared strings.
class TRecordStorageGlobals : public TRecordStorageDefault {
public:
    TRecordStorageGlobals();

    void SetDefaults() override;
    int CheckDefaults() const override { return 0; }
    void UpdateDefault(uint16_t id, std::span<const uint8_t> data) override;
    void SetInsertPoint(uint16_t id) override;

    std::span<uint8_t> BOF() const { return FieldData(0x0809); }
    std::span<uint8_t> WINDOW1() const { return FieldData(0x003D); }
    std::span<uint8_t> COUNTRY() const { return FieldData(0x008C); }
    std::span<uint8_t> RECALCID() const { return FieldData(0x01C1); }
    // Fills the WRITEACCESS default: at most 52 characters.
    void SetUserName(const std::u16string& name);
};

}  // namespace xls
