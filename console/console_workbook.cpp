#include "console/console_workbook.h"

#include "workbook/biff/chart/document_charts.h"
#include "workbook/model/document_root.h"

namespace console {

// The formula engine's view of the workbook: the interface's sheets in their order, no defined
// names, and the .xls document's external-sheet table for 3-D references.
class TConsoleWorkbook::TFormulaDocument : public xls::IXLSFormulaDocument {
public:
    TFormulaDocument(xls::TXLSWorkbook& workbook, xls::TBIFF5& document) : Workbook_(workbook), Document_(document) {}

    int SheetCount() const override { return Workbook_.SheetCount(); }
    xls::TXLSCellMMU* SheetCells(int sheet) override {
        return sheet >= 0 && sheet < SheetCount() ? &Workbook_.GetSheets(sheet)->Cells() : nullptr;
    }
    std::u16string SheetName(int sheet) const override {
        return sheet >= 0 && sheet < SheetCount() ? Workbook_.GetSheets(sheet)->GetName() : std::u16string();
    }
    bool GetName(int, xls::TXLSNameDef&) const override { return false; }
    const xls::IXLSExternSheets* ExternSheets() const override { return &Document_.FormulaHandler(); }

private:
    xls::TXLSWorkbook& Workbook_;
    xls::TBIFF5& Document_;
};

TConsoleWorkbook::TConsoleWorkbook() {
    Manager_ = std::make_unique<xls::TXc12Manager>(Factory_, Errors_);
    Factory_.SetManager(Manager_.get());
    Manager_->CreateParts();
    Manager_->SetVersion(xls::xvExcel97);
    Formulas_ = std::make_unique<xls::TXLSFormulaServices>(*Manager_);
    Workbook_ = std::make_unique<xls::TXLSWorkbook>(*Manager_, *Formulas_);
    // The document takes its sheets from the model: the first sheet is there before it.
    Workbook_->AddSheet();
    Document_ = std::make_unique<xls::TBIFF5>(*Manager_);
    xls::AttachDrawingLayer(*Document_);
    Link_ = std::make_unique<xls::TBIFFDocumentLink>(*Document_);
    Workbook_->SetBiff(Link_.get());
    FormulaDocument_ = std::make_unique<TFormulaDocument>(*Workbook_, *Document_);
    Handler_ = std::make_unique<xls::TXLSFormulaHandler>(*FormulaDocument_, *Manager_);
}

TConsoleWorkbook::~TConsoleWorkbook() {
    Handler_.reset();
    Workbook_.reset();
    Document_.reset();
    Manager_.reset();
}

xls::TXLSWorksheet& TConsoleWorkbook::GetSheets(int index) const { return *Workbook_->GetSheets(index); }

xls::TXLSWorksheet& TConsoleWorkbook::AddSheet() { return *Workbook_->AddSheet(); }

void TConsoleWorkbook::Write() {
    Workbook_->PrepareWrite();
    Document_->Write();
}

void TConsoleWorkbook::Read() {
    Workbook_->ClearSheets();
    try {
        Document_->Read();
    } catch (...) {
        Workbook_->BuildSheets();
        throw;
    }
    Workbook_->BuildSheets();
}

void TConsoleWorkbook::Calculate() { Handler_->Calculate(); }

}  // namespace console
