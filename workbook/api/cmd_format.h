#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "workbook/model/cell_format.h"
#include "workbook/model/style_items.h"

namespace xls {

class TXc12Manager;
class TXc12DataStyleSheet;

// The workbook's formatting command: pending font, fill, border, number-format, alignment and
// protection settings, each with its change flags. The workbook creates it and resets it
// whenever its sheets are cleared; nothing applies it yet.
class TXLSCmdFormat {
public:
    explicit TXLSCmdFormat(TXc12Manager& manager);
    TXLSCmdFormat(const TXLSCmdFormat&) = delete;
    TXLSCmdFormat& operator=(const TXLSCmdFormat&) = delete;

    // Every pending setting back to the style sheet's defaults, every flag down.
    void Reset();

    // Side states of the border command: 2 = not given.
    static constexpr uint8_t SideUnset = 2;

    struct TAlignmentCmd {
        TXc12CellAlignment Alignment;
        std::array<bool, 9> Changed{};
    };
    struct TNumberCmd {
        std::u16string FormatString;
        std::array<int32_t, 5> Values{};
        std::array<bool, 4> Flags{};
    };
    struct TFontCmd {
        TXc12Font Font;
        std::array<bool, 7> Changed{};
    };
    struct TFillCmd {
        TXc12Fill Fill;
        uint8_t Option = 0;
        std::array<bool, 3> Changed{};
    };
    struct TBorderCmd {
        TXc12CellBorderStyle Style = cbsNone;
        TXc12Color Color{};
        std::array<uint8_t, 8> Sides{};
    };
    struct TProtectionCmd {
        uint8_t Locked = SideUnset;
        uint8_t Hidden = SideUnset;
    };

    TAlignmentCmd Alignment;
    TNumberCmd Number;
    TFontCmd Font;
    TFillCmd Fill;
    TBorderCmd Border;
    TProtectionCmd Protection;
    // A copy of XF 0's fields and part references after a reset.
    TXc12XF ScratchXF;
    int32_t Value = 0;
    uint8_t Flags = 0;
    bool AlignmentChanged = false;
    bool ProtectionChanged = false;
    bool NumberChanged = false;
    bool FillChanged = false;
    bool FontChanged = false;
    bool BorderChanged = false;

private:
    TXc12DataStyleSheet& StyleSheet_;
};

}  // namespace xls
