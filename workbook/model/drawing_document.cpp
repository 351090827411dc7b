#include "workbook/model/drawing_document.h"

namespace xls {

void TXc12PlainDrawing::Clear() {
    TwoCell.Clear();
    OneCell.Clear();
    Absolute.Clear();
    Read = false;
}

}  // namespace xls
