#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "workbook/api/workbook.h"
#include "workbook/formula/biff_encode_formula.h"
#include "workbook/model/document_root.h"

namespace xls::test {

// Stands in for the binary document: records what the interface asks of its sheet collection
// and compiles formulas with the real BIFF8 compiler, sheets resolved by name.
class TFakeBiffDocument : public IXLSBiffDocument {
public:
    explicit TFakeBiffDocument(TXLSWorkbook& workbook);
    void AddSheet(uint8_t kind) override;
    void DeleteSheet(int index, bool keepOne) override;
    void SheetInserted(int index) override { Inserted.push_back(index); }
    int EncodeFormula(std::u16string_view formula, int ptgClass, int bufSize, uint8_t* buf) override;

    int SheetCount = 0;
    // The next AddSheet raises.
    bool FailAdd = false;
    std::vector<int> Inserted;
    std::vector<int> Deleted;

private:
    TXLSWorkbook& Workbook_;
    TEncodeFormula Encoder_;
};

// A document root made with the interface's class factory, its workbook interface and
// (optionally) a fake binary document.
class ApiTest : public ::testing::Test {
public:
    ApiTest();
    ~ApiTest() override;

    // Keeps a binary document beside the model, as an Excel 97 workbook does.
    void UseBiff();
    TXLSWorksheet& Sheet(int index = 0) { return *Workbook->GetSheets(index); }
    // The XF of the cell at (col, row); fails the test when there is no cell.
    const TXc12XF& XFAt(int col, int row, int sheet = 0);
    TXc12DataStyleSheet& Styles() { return Manager->StyleSheet(); }
    // Every XF's use count against the uses that cells, row headers and column records hold.
    void ExpectUseCountsBalanced();

    TXLSClassFactoryImpl Factory;
    TXLSErrorManager Errors;
    std::unique_ptr<TXc12Manager> Manager;
    std::unique_ptr<TXLSFormulaServices> Formulas;
    std::unique_ptr<TXLSWorkbook> Workbook;
    std::unique_ptr<TFakeBiffDocument> Biff;
    // Use counts of the built-in XFs before any sheet existed.
    std::vector<int> BaselineUses;
};

}  // namespace xls::test
