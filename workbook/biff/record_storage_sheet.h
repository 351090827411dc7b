#pragma once

#include "workbook/biff/record_storage.h"

namespace xls {

// Records of a worksheet substream. Insertion points 0x8101 to 0x8106 stand for page breaks,
// header and footer, margins, column formats, cells, and drawing with the trailing records.
class TRecordStorageSheet : public TRecordStorageDefault {
public:
    TRecordStorageSheet();

    void SetDefaults() override;
    int CheckDefaults() const override { return -1; }
    void UpdateDefault(uint16_t id, std::span<const uint8_t> data) override;
    void SetInsertPoint(uint16_t id) override;

    std::span<uint8_t> BOF() const { return FieldData(0x0809); }
    std::span<uint8_t> GUTS() const { return FieldData(0x0080); }
    std::span<uint8_t> DEFAULTROWHEIGHT() const { return FieldData(0x0225); }
    uint16_t WSBOOL() const;
    void SetWSBOOL(uint16_t value);
    std::span<uint8_t> SETUP() const { return FieldData(0x00A1); }
    uint16_t DEFCOLWIDTH() const;
    void SetDEFCOLWIDTH(uint16_t value);
    std::span<uint8_t> DIMENSIONS() const { return FieldData(0x0200); }
    std::span<uint8_t> WINDOW2() const { return FieldData(0x023E); }
    // The two 32-bit halves of the DELTA double.
    void SetDelta(uint32_t low, uint32_t high);
    void SetProtect(uint16_t value);
};

}  // namespace xls
