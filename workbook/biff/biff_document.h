#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/stream.h"
#include "workbook/biff/biff_formula_handler.h"
#include "workbook/biff/biff_sheets.h"
#include "workbook/biff/excel_version.h"
#include "workbook/biff/extra_objects.h"
#include "workbook/biff/record_storage_globals.h"
#include "workbook/biff/xls_vba.h"

namespace xls {

class TXc12Manager;

// The STYLE record bodies read from a file, each kept with the size its own fields give.
class TStyles {
public:
    // Copies the body; short bodies raise.
    int Add(std::span<const uint8_t> body);
    void Clear() { Items_.clear(); }
    int Count() const { return static_cast<int>(Items_.size()); }
    const std::vector<uint8_t>& GetItems(int index) const;

private:
    std::vector<std::vector<uint8_t>> Items_;
};

// The workbook's drawing group (the pictures and shape defaults every sheet's drawing shares) as
// the writer sees it: its MSODRAWINGGROUP data, continued by the stream as it needs.
class TDrawingGroupPart {
public:
    virtual ~TDrawingGroupPart() = default;
    virtual bool HasProperties() const = 0;
    virtual void SaveToStream(TXLSStream& stream) = 0;
    virtual void Clear() = 0;
    // The stream stands at the body of the MSODRAWINGGROUP record of length bytes; reads the
    // group through its CONTINUE records. A layer that reads no group raises.
    virtual void LoadFromStream(TXLSStream& stream, uint16_t length);
};

// The workbook's chart sheets as the reader and the writer see them: each is its substream, kept
// as read, at its place among all sheets.
class TChartSheetsPart {
public:
    virtual ~TChartSheetsPart() = default;
    virtual int Count() const = 0;
    // The sheet's position among all sheets, and its name.
    virtual int SheetIndex(int index) const = 0;
    virtual std::u16string Name(int index) const = 0;
    // The stream stands after the BOF (whose data is bofData) of a chart sheet's substream:
    // reads the rest of it through its EOF.
    virtual void LoadChartSheet(TXLSStream& stream, std::u16string name, int sheetIndex,
                                std::span<const uint8_t> bofData) = 0;
    // Writes chart sheet index as a whole substream.
    virtual void SaveChartSheet(int index, TXLSStream& stream) = 0;
    // After the whole file: pictures are referred to by their place in the group as kept.
    virtual void AfterRead() = 0;
    virtual void Clear() = 0;
};

// The .xls document object: what the BIFF format carries beside the workbook model (the sheets'
// companions, the globals' stored records, the STYLE bodies, the formula handler, the storages
// of the file last read) and the file name and version it is written with.
class TBIFF5 {
public:
    explicit TBIFF5(TXc12Manager& manager);
    TBIFF5(const TBIFF5&) = delete;
    TBIFF5& operator=(const TBIFF5&) = delete;

    void Clear();
    void ResetSheets();

    TExcelVersion GetVersion() const { return Version_; }
    void SetVersion(TExcelVersion version);
    int32_t MaxRecordSize() const { return MaxRecordSize_; }
    const std::string& GetFilename() const { return FileName_; }
    void SetFilename(const std::string& name) { FileName_ = name; }

    // Reads the named file or, given a stream, the stream into a cleared document root. A read
    // that fails leaves what was read and at least one sheet.
    void Read() { LoadFromStream(nullptr); }
    void LoadFromStream(base::TStream* stream);
    // Writes the named file (through a temporary file renamed on success) or, given a stream,
    // into it.
    void Write() { SaveToStream(nullptr); }
    void SaveToStream(base::TStream* stream);

    // The model added a worksheet at the end / deleted the worksheet at index.
    TSheet& AddSheet();
    void DeleteSheet(int index);
    // BIFF8 tokens of a cell formula, with the lead byte 0xFF that marks them in the model.
    std::vector<uint8_t> CompileFormula(const std::u16string& text);

    TSheet& GetSheet(int index) const { return Sheets_->GetItems(index); }
    TSheets& Sheets() { return *Sheets_; }
    TInternalNames& GetInternalNames() { return Handler_.InternalNames(); }
    TFormulaHandler& FormulaHandler() { return Handler_; }
    TRecordStorageGlobals& GlobalRecords() { return GlobalRecords_; }
    TStyles& Styles() { return Styles_; }
    TExtraObjects& ExtraObjects() { return ExtraObjects_; }
    TXc12Manager& Manager() const { return Manager_; }
    // Empty until the drawing layer gives the document its group and the maker of the sheets'
    // drawings, which a sheet calls when it first needs one.
    std::unique_ptr<TDrawingGroupPart> PictureGroup;
    std::function<std::unique_ptr<TSheetDrawingPart>(TSheet& sheet)> NewSheetDrawing;
    // Empty until the drawing layer gives the document its chart sheets; without them a chart
    // sheet read is passed over.
    std::unique_ptr<TChartSheetsPart> ChartSheets;

    // Callbacks of the formula handler.
    void GetSheetIndex(const std::u16string& name, int& index, int& count) const;
    void GetSheetName(int kind, int index, std::u16string& name) const;
    // The model's defined names as the file numbers them (the workbook's own names are found).
    int GetNameIndex(const std::u16string& name) const;
    std::u16string GetNameText(int index) const;

    // When not empty the workbook is written encrypted with it. A read of an encrypted file sets
    // it to the password that opened the file.
    const std::u16string& GetPassword() const { return Password_; }
    void SetPassword(const std::u16string& password) { Password_ = password; }

    // While kept, a file's VBA project is read with it (its modules for callers) and its copy
    // written back; otherwise the project goes along unread with the file's other storages.
    void SetKeepVBA(bool keep);
    TXLSVBA* GetVBA() const { return VBA_.get(); }

    // While true the writer writes the six built-in STYLE records instead of the stored ones.
    bool DefaultStyles = true;
    bool SaveVBA = true;
    TExcelVersion VersionRead = xvNone;
    std::function<void(int percent)> OnProgress;

private:
    TXc12Manager& Manager_;
    std::string FileName_;
    std::u16string Password_;
    TExcelVersion Version_ = xvExcel97;
    int32_t MaxRecordSize_ = MAXRECSZ_97;
    TFormulaHandler Handler_;
    TStyles Styles_;
    TRecordStorageGlobals GlobalRecords_;
    TExtraObjects ExtraObjects_;
    std::unique_ptr<TSheets> Sheets_;
    std::unique_ptr<TXLSVBA> VBA_;
};

}  // namespace xls
