#include "workbook/model/cell_error.h"

namespace xls {

const std::array<std::u16string_view, Xc12CellErrorCount> Xc12CellErrorNames = {
    u"_ERROR_ERROR_", u"#NULL!", u"#DIV/0!", u"#VALUE!", u"#REF!", u"#NAME?", u"#NUM!", u"#N/A", u"#GETTING_DATA",
};

TXc12CellError ErrorTextToCellError(std::u16string_view text) {
    for (int i = 1; i < Xc12CellErrorCount; ++i)
        if (Xc12CellErrorNames[static_cast<size_t>(i)] == text) return static_cast<TXc12CellError>(i);
    return errUnknown;
}

std::u16string_view CellErrorToText(int value) {
    const int v = value & 0x7F;
    return Xc12CellErrorNames[static_cast<size_t>(v < Xc12CellErrorCount ? v : 0)];
}

}  // namespace xls
