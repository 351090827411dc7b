#pragma once

#include <string>
#include <string_view>

#include "workbook/formula/formula_document.h"

namespace xls {

class TXc12Manager;

// The document root as the formula engine sees it: the model's sheets and defined names, and
// the external-sheet list of the binary document while one is kept (BIFF8 tokens refer to it).
class TXLSModelFormulaDocument : public IXLSFormulaDocument {
public:
    explicit TXLSModelFormulaDocument(TXc12Manager& manager) : Manager_(manager) {}

    int SheetCount() const override;
    TXLSCellMMU* SheetCells(int sheet) override;
    std::u16string SheetName(int sheet) const override;
    bool GetName(int index, TXLSNameDef& name) const override;
    bool HasDefinedName(std::u16string_view name) const override;
    const IXLSExternSheets* ExternSheets() const override { return ExternSheets_; }
    // CELL("filename") shows the workbook's file as "path[file]".
    std::u16string FileName() const override;
    // Not owned; nullptr while the workbook has no binary document.
    void SetExternSheets(const IXLSExternSheets* externSheets) { ExternSheets_ = externSheets; }

private:
    TXc12Manager& Manager_;
    const IXLSExternSheets* ExternSheets_ = nullptr;
};

}  // namespace xls
