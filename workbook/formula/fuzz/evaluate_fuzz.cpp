#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/exception.h"
#include "workbook/formula/formula_evaluator.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/formula/tests/formula_test_document.h"

// Evaluates the input as token code (own code, and as raw BIFF8 tokens behind 0xFF) over a small
// workbook with names, then stores it as a formula cell and recalculates the workbook.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::unique_ptr<xls::test::TTestFormulaDocument> doc = [] {
        auto d = std::make_unique<xls::test::TTestFormulaDocument>(2);
        d->SheetCells(0)->StoreFloat(0, 0, 0, 1);
        d->SheetCells(0)->StoreString(1, 1, 0, u"x");
        d->AddAreaName(u"AREA", 0, 0, 0, 1, 1);
        d->AddFormulaName(u"LOOP", u"LOOP+1");
        d->SheetCells(0)->CalcDimension();
        return d;
    }();
    const std::vector<uint8_t> own(data, data + size);
    std::vector<uint8_t> biff(1, 0xFF);
    biff.insert(biff.end(), data, data + size);
    xls::TXLSFormulaEvaluator eval(*doc);
    for (const std::vector<uint8_t>* ptgs : {&own, static_cast<const std::vector<uint8_t>*>(&biff)}) {
        try {
            eval.Evaluate(0, 3, 3, ptgs->data(), static_cast<int>(ptgs->size()));
        } catch (const base::Exception&) {
        }
    }
    try {
        xls::test::TTestFormulaDocument book(2);
        if (!own.empty()) book.SheetCells(1)->StoreFormulaTokens(2, 2, 0, static_cast<int>(own.size()), own.data(), 0);
        xls::TXLSFormulaHandler handler(book);
        handler.Calculate();
    } catch (const base::Exception&) {
    }
    return 0;
}
