#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "workbook/model/workbook_part.h"

namespace xls {

// What an options dialog of the workbook edits: the workbook part's calculation settings and
// workbook properties, and three flags of the dialog's own, all down until it sets them. The
// workbook lowers the flags whenever its sheets are cleared.
class TXLSOptionsDialog {
public:
    explicit TXLSOptionsDialog(TXc12DataWorkbook& workbook)
        : CalcPr(workbook.calcPr), WorkbookPr(workbook.workbookPr) {}
    void ClearFlags() { Flags.fill(0); }

    TXc12CalcPr& CalcPr;
    TXc12WorkbookPr& WorkbookPr;
    std::array<uint8_t, 3> Flags{};
};

// The workbook's data kept with the file: the user name of the last writer.
class TXLSWorkbookData {
public:
    explicit TXLSWorkbookData(TXc12DataWorkbook& workbook) : Workbook_(workbook) {}
    const std::u16string& GetUserName() const { return Workbook_.WriteAccessUser; }
    void SetUserName(std::u16string_view name) { Workbook_.WriteAccessUser = name; }

private:
    TXc12DataWorkbook& Workbook_;
};

}  // namespace xls
