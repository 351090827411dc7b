#pragma once

#include <memory>
#include <string>

#include "workbook/api/workbook.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/biff_document_link.h"
#include "workbook/formula/formula_handler.h"
#include "workbook/model/error_manager.h"

namespace console {

// The window's Excel 97 workbook: the model with its programming interface, the .xls document
// kept beside it (sheets, charts, formula tokens) and the recalculation of its formulas. It
// lives as long as the window and every report reuses it.
class TConsoleWorkbook {
public:
    TConsoleWorkbook();
    ~TConsoleWorkbook();
    TConsoleWorkbook(const TConsoleWorkbook&) = delete;
    TConsoleWorkbook& operator=(const TConsoleWorkbook&) = delete;

    xls::TXLSWorksheet& GetSheets(int index) const;
    int SheetCount() const { return Workbook_->SheetCount(); }
    xls::TXLSWorksheet& AddSheet();
    void DeleteSheet(int index) { Workbook_->DeleteSheet(index, 1); }
    void SetFilename(const std::string& name) { Document_->SetFilename(name); }
    const std::string& GetFilename() const { return Document_->GetFilename(); }
    // Writes the named file; reading it replaces the model, the interface sheets and the charts.
    void Write();
    void Read();
    xls::TBIFF5& GetBIFF() const { return *Document_; }
    // Recalculates every formula of the workbook and stores the results as the cells' values.
    void Calculate();

private:
    class TFormulaDocument;

    xls::TXLSClassFactoryImpl Factory_;
    xls::TXLSErrorManager Errors_;
    std::unique_ptr<xls::TXc12Manager> Manager_;
    std::unique_ptr<xls::TXLSFormulaServices> Formulas_;
    std::unique_ptr<xls::TXLSWorkbook> Workbook_;
    std::unique_ptr<xls::TBIFF5> Document_;
    std::unique_ptr<xls::TBIFFDocumentLink> Link_;
    std::unique_ptr<TFormulaDocument> FormulaDocument_;
    std::unique_ptr<xls::TXLSFormulaHandler> Handler_;
};

}  // namespace console
