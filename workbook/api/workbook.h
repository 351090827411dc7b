#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "workbook/api/biff_document.h"
#include "workbook/api/cmd_format.h"
#include "workbook/api/drawing.h"
#include "workbook/api/formula_services.h"
#include "workbook/api/sheet_objects.h"
#include "workbook/api/workbook_options.h"
#include "workbook/api/worksheet.h"
#include "workbook/model/style_object.h"

namespace xls {

class TXc12Manager;

// The programming interface over a document root: one TXLSWorksheet per model sheet, in the
// same order, sheets added, found and deleted with the formulas' sheet references kept right.
// The document root must make its objects through TXLSClassFactoryImpl so that its names are
// the interface's.
class TXLSWorkbook {
public:
    TXLSWorkbook(TXc12Manager& manager, TXLSFormulaServices& formulas);
    ~TXLSWorkbook();
    TXLSWorkbook(const TXLSWorkbook&) = delete;
    TXLSWorkbook& operator=(const TXLSWorkbook&) = delete;

    TXLSWorksheet* GetSheets(int index) const { return Sheets_.ItemsAs<TXLSWorksheet>(index); }
    int SheetCount() const { return Sheets_.Count(); }
    // Appends a sheet named by NextSheetName; the model, the interface and the binary document
    // gain it together or not at all.
    TXLSWorksheet* AddSheet();
    // Deletes count sheets from index. Nothing happens for an index outside the sheets or a
    // count below 1; a count reaching past the last sheet raises before anything is deleted.
    void DeleteSheet(int index, int count);
    // The first sheet whose name equals name, letters A to Z compared without case.
    TXLSWorksheet* FindSheet(std::u16string_view name) const;
    // The prefix and the first free number from the model's sheet count on.
    std::u16string NextSheetName() const;
    // Forgets the interface sheets (before a read), lowers the option flags and resets the
    // formatting command.
    void ClearSheets();
    // One interface sheet per model sheet (after a read), drawings rescanned, names compiled.
    void BuildSheets();
    void CompileFormulas();
    // Sheet references of every compiled cell formula and name after delta sheets were
    // inserted (delta > 0) or deleted (delta < 0) at sheetIndex.
    void AdjustSheetRefs(int sheetIndex, int delta);
    void CalcAllDimensions();
    void PrepareWrite() { CalcAllDimensions(); }
    // A picture added through sheet sheetIndex's drawing, handed to PictureToBiff (the
    // component's binary document); false when nothing takes it.
    bool AddPictureToBiff(const TXLSPictureSource& picture, int sheetIndex, double row2Offset, double col2Offset) {
        return PictureToBiff && PictureToBiff(picture, sheetIndex, row2Offset, col2Offset);
    }
    std::function<bool(const TXLSPictureSource&, int, double, double)> PictureToBiff;

    // The binary document kept beside the model (nullptr for Open XML workbooks); not owned.
    void SetBiff(IXLSBiffDocument* biff) { Biff_ = biff; }
    IXLSBiffDocument* GetBiff() const { return Biff_; }
    TXc12Manager& Manager() const { return Manager_; }
    TXLSFormulaServices& Formulas() const { return Formulas_; }
    TXLSNames* Names() const { return Names_; }
    TXLSCmdFormat& CmdFormat() { return CmdFormat_; }
    TXLSClipboard& Clipboard() { return Clipboard_; }
    TXLSOptionsDialog& Options() { return Options_; }
    TXLSWorkbookData& WorkbookData() { return WorkbookData_; }
    bool FormulasCompiled() const { return Compiled_; }
    std::u16string SheetPrefix = u"Sheet";

private:
    TXLSWorksheet* AppendSheet(TXc12DataWorksheet& sheet);

    TXc12Manager& Manager_;
    TXLSFormulaServices& Formulas_;
    TXLSIndexObjectList Sheets_;
    TXLSNames* Names_ = nullptr;
    IXLSBiffDocument* Biff_ = nullptr;
    TXLSOptionsDialog Options_;
    TXLSWorkbookData WorkbookData_;
    TXLSCmdFormat CmdFormat_;
    TXLSClipboard Clipboard_;
    bool Compiled_ = false;
};

}  // namespace xls
