#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/stream.h"
#include "workbook/api/formula_services.h"
#include "workbook/api/sheet_objects.h"
#include "workbook/api/workbook.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"

namespace xls {

class TBIFF5;
class TBIFFDocumentLink;

// The spreadsheet component: one object that owns the error manager, the class factory, the
// document root, the formula handler (behind the formula services), the workbook interface and,
// for Excel 97 workbooks, the binary (.xls) document with its drawing layer. It decides the
// file format, reads and writes files and streams, and rebuilds the interface after every read.
//
// A new component is an Open XML workbook with one sheet "Sheet1"; SetVersion(xvExcel97) turns
// it into an Excel 97 workbook made from the built-in empty workbook. Every read replaces the
// whole workbook; interface sheets obtained before a read are invalid after it.
class TVUZAzurEruraWorkbook {
public:
    TVUZAzurEruraWorkbook();
    // Frees the binary document before the document root it refers to.
    ~TVUZAzurEruraWorkbook();
    TVUZAzurEruraWorkbook(const TVUZAzurEruraWorkbook&) = delete;
    TVUZAzurEruraWorkbook& operator=(const TVUZAzurEruraWorkbook&) = delete;

    // The workbook interface.
    TXLSWorksheet* GetSheets(int index) const { return Workbook_->GetSheets(index); }
    int SheetCount() const { return Workbook_->SheetCount(); }
    TXLSWorksheet* AddSheet() { return Workbook_->AddSheet(); }
    void DeleteSheet(int index, int count) { Workbook_->DeleteSheet(index, count); }
    TXLSWorkbook& Workbook() { return *Workbook_; }

    // Empties the document root and the interface, frees the binary document and adds
    // sheetCount sheets (clamped to 0..255).
    void Clear(int sheetCount);

    // LoadFromFile with the file name.
    void Read();
    // ".xls" and ".xlm" (any case) are read as binary workbooks; any other file goes to
    // LoadFromStream, which looks at its content. A read that fails leaves one empty sheet.
    void LoadFromFile(std::u16string_view fileName);
    // With checkZip a stream that does not begin with a ZIP signature is read as a binary
    // workbook; the rest is an Open XML package.
    void LoadFromStream(base::TStream& stream, bool checkZip);
    void LoadBIFFFromStream(base::TStream& stream);

    // SaveToFile with the file name.
    void Write();
    // An Excel 97 workbook is written as a binary workbook whatever the extension; any other
    // as an Open XML package. The file appears only when the whole workbook was written.
    void SaveToFile(std::u16string_view fileName);
    void SaveToStream(base::TStream& stream);

    // The binary document of an Excel 97 workbook (its sheets' charts and drawings), else nullptr.
    TBIFF5* GetBIFF() const { return Biff_.get(); }
    // xvExcel97 while a binary document is kept, otherwise xvExcel2007.
    TExcelVersion GetVersion() const;
    // The same value does nothing. xvExcel97 discards the workbook (warning 6003 when it held
    // anything) and loads the built-in empty workbook; any other value drops the binary document
    // and keeps the cells and styles.
    void SetVersion(TExcelVersion value);

    const std::u16string& GetFilename() const { return Manager_->FileName; }
    // Only stores the name; no file is touched.
    void SetFilename(std::u16string_view fileName) { Manager_->FileName = fileName; }
    bool GetDirectRead() const { return Manager_->DirectRead; }
    void SetDirectRead(bool value) { Manager_->DirectRead = value; }
    bool GetDirectWrite() const { return Manager_->DirectWrite; }
    void SetDirectWrite(bool value) { Manager_->DirectWrite = value; }
    static std::u16string ComponentVersion() { return u"1.3.42a"; }

    // The password an encrypted workbook is opened with (without one the default password is
    // tried). A workbook read encrypted is written back encrypted with the password that opened
    // it; setting the password changes that for the binary document held, an empty one removes
    // the encryption.
    const std::u16string& GetPassword() const { return Manager_->Password; }
    void SetPassword(std::u16string_view password);
    // Whether binary workbooks read keep their VBA project and write it back (true after creation).
    bool GetKeepVBA() const { return KeepVBA_; }
    void SetKeepVBA(bool keep);

    TXLSErrorManager& Errors() { return Errors_; }
    TXc12Manager& Manager() { return *Manager_; }
    TXLSFormulaHandler& FormulaHandler() { return Formulas_->Handler(); }

    // A picture added through sheet sheetIndex's drawing interface: stored in the binary
    // document's drawing group (once per file) and placed as a picture shape in the sheet's
    // drawing, from the picture's first corner to the last cell of its anchor with the two
    // offsets given. False without a binary document.
    bool AddPictureToBiff(const TXLSPictureSource& picture, int sheetIndex, double row2Offset, double col2Offset);

    // Recalculates every formula and stores the results as the cells' values.
    void Calculate();

    // Events. OnPassword is handed to every binary document read; OnReadCell, OnWriteCell and
    // OnProgress are the document root's.
    TPasswordEvent OnPassword;
    void SetOnReadCell(TCellReadWriteEvent event) { Manager_->OnReadCell = std::move(event); }
    void SetOnWriteCell(TCellReadWriteEvent event) { Manager_->OnWriteCell = std::move(event); }
    void SetOnProgress(TXLSProgressEvent event) { Manager_->OnProgress = std::move(event); }
    void SetOnUserFunction(TUserFunctionEvent event) { FormulaHandler().Evaluator().OnUserFunction = std::move(event); }

private:
    void FreeBiff();
    TBIFF5& NewBiff();
    void BeforeRead();
    void AfterRead();
    // After a binary read: the pictures of the sheets' drawings go into the interface
    // drawings as "Pict<sheet>_<picture>" files, the cell notes become comments.
    void ImportBIFFPictures();
    void ImportBIFFNotes();
    void BeforeWrite();
    // The binary read itself: from the file named by the document root, or from stream.
    void ReadBIFF(base::TStream* stream);
    void ReadPackage(base::TStream& stream);
    void WritePackage(base::TStream& stream);
    // After a failed binary read.
    void RecoverFromFailedRead();
    void LoadEmptyWorkbook();

    TXLSErrorManager Errors_;
    TXLSClassFactoryImpl Factory_;
    std::unique_ptr<TXc12Manager> Manager_;
    std::unique_ptr<TXLSFormulaServices> Formulas_;
    std::unique_ptr<TXLSWorkbook> Workbook_;
    std::unique_ptr<TBIFF5> Biff_;
    std::unique_ptr<TBIFFDocumentLink> BiffLink_;
    bool KeepVBA_ = true;
};

}  // namespace xls
