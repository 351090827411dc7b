#include "workbook/formula/formula_handler.h"

#include "base/byte_reader.h"
#include "workbook/model/cell_error.h"
#include "workbook/model/cell_store.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/exceptions.h"

namespace xls {

TXLSFormulaHandler::TXLSFormulaHandler(IXLSFormulaDocument& document, TXLSErrorManager* errors)
    : Document(document), Errors(errors), Evaluator_(document, errors), Builder(document) {}

void TXLSFormulaHandler::StoreResult(TXLSCellMMU& cells, int col, int row, const TXLSFormulaValue& v) {
    TXLSMMUCell cell;
    if (!cells.FindCell(col, row, cell)) return;
    switch (v.ValType) {
        case fvtNumber: cells.SetFormulaResultFloat(cell, col, row, v.Number); break;
        case fvtBoolean: cells.SetFormulaResultBoolean(cell, col, row, v.BoolErr != 0); break;
        case fvtString: cells.SetFormulaResultString(cell, col, row, v.Str); break;
        case fvtError: cells.SetFormulaResultError(cell, col, row, v.BoolErr); break;
        default: cells.SetFormulaResultFloat(cell, col, row, 0); break;
    }
}

void TXLSFormulaHandler::Calculate(const std::function<void(int done, int total)>& progress) {
    // Areas are walked within each sheet's used area; formulas write no new cells, so it holds
    // for the whole recalculation.
    for (int sheet = 0; sheet < Document.SheetCount(); ++sheet)
        if (TXLSCellMMU* cells = Document.SheetCells(sheet)) cells->CalcDimension();
    // The console recalculates once per finished sheet. The chain is built again only when a
    // formula or a name it used changed since; when nothing at all changed since a complete
    // recalculation and no formula calls a volatile function, the cached results stand.
    const bool current = Builder.IsCurrent();
    if (!current)
        Builder.Build(Chain_, Errors);
    else if (Errors)
        for (const std::u16string& cycle : Builder.Cycles()) Errors->Warning(cycle, 3002);
    const int total = Chain_.Count();
    if (current && !Builder.Volatile() && ResultsCurrent()) {
        if (progress) progress(total, total);
        return;
    }
    ResultStamps.clear();
    int done = 0;
    for (const TXLSCalcCell& c : Chain_) {
        TXLSCellMMU* cells = Document.SheetCells(c.Sheet);
        TXLSMMUCell cell;
        if (cells && cells->FindCell(c.Col, c.Row, cell)) {
            // The tokens are copied: walking a store during the evaluation may re-encode a row
            // held open by earlier writes, and an array result written into the range may move
            // the cells.
            const uint8_t* ptgs = nullptr;
            const int len = TXLSCellMMU::GetFormulaPtgs(cell, ptgs);
            Tokens.assign(ptgs, ptgs + len);
            TXLSCellArea range;
            const uint8_t* r = TXLSCellMMU::GetFormulaRange(cell);
            if (r)
                range = MakeCellArea(base::LoadLE16(r), static_cast<int32_t>(base::LoadLE32(r + 2)),
                                     base::LoadLE16(r + 6), static_cast<int32_t>(base::LoadLE32(r + 8)));
            // Damaged tokens (from a file) end only their own formula, which gets #VALUE!: a
            // report must not keep the stale results of every formula after it.
            TXLSFormulaValue v;
            try {
                v = Evaluator_.Evaluate(c.Sheet, c.Col, c.Row, Tokens.data(), len, r ? &range : nullptr);
            } catch (const EXLSError&) {
                v.ValType = fvtError;
                v.BoolErr = errValue;
            }
            StoreResult(*cells, c.Col, c.Row, v);
        }
        if (progress && (++done % 1024 == 0 || done == total)) progress(done, total);
    }
    if (progress && total == 0) progress(0, 0);
    // The writes of array results belong to this recalculation.
    if (!Builder.Volatile())
        for (int sheet = 0; sheet < Document.SheetCount(); ++sheet) {
            TXLSCellMMU* cells = Document.SheetCells(sheet);
            ResultStamps.emplace_back(cells, cells ? cells->Changes() : 0);
        }
}

bool TXLSFormulaHandler::ResultsCurrent() {
    if (ResultStamps.empty() || ResultStamps.size() != static_cast<size_t>(Document.SheetCount())) return false;
    for (size_t i = 0; i < ResultStamps.size(); ++i) {
        const TXLSCellMMU* cells = Document.SheetCells(static_cast<int>(i));
        if (cells != ResultStamps[i].first || (cells && cells->Changes() != ResultStamps[i].second)) return false;
    }
    return true;
}

}  // namespace xls
