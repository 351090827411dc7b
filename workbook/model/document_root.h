#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "workbook/model/class_factory.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/event_cell.h"
#include "workbook/model/excel_version.h"
#include "workbook/model/external_links.h"
#include "workbook/model/file_data.h"
#include "workbook/model/format_settings.h"
#include "workbook/model/ooxml_services.h"
#include "workbook/model/picture_store.h"
#include "workbook/model/shared_string_table.h"
#include "workbook/model/style_sheet.h"
#include "workbook/model/workbook_part.h"
#include "workbook/model/worksheet_part.h"

namespace xls {

class TXc12Manager;

// The core properties of the document (a tree owned by the file data).
class TXc12DocProps {
public:
    explicit TXc12DocProps(TXc12XmlDocument* tree) : Tree_(tree) {}
    // 0 when the node is missing or holds no date-time.
    double GetCreated() const;
    void SetCreated(double value);
    void SetModified(double value);
    uint8_t Enabled = 1;

private:
    void SetDate(std::u16string_view path, double value);
    TXc12XmlDocument* Tree_;
};

// Progress kinds the root reports: building the sheets after a read, recalculation.
enum TXLSProgressType : uint8_t { xptBuildSheets = 2, xptCalculate = 3 };
// Start, step and end of a progress run.
enum TXLSProgressState : uint8_t { xpsStart = 0, xpsWork = 1, xpsEnd = 2 };

using TCellReadWriteEvent = std::function<void(TXLSEventCell& cell)>;
using TXLSProgressEvent = std::function<void(uint8_t progressType, uint8_t progressState, double value)>;
using TPasswordEvent = std::function<void(void* sender, std::u16string& password)>;
using TXLSAfterReadEvent = std::function<void(TXc12Manager& manager)>;

// The paper size new worksheets get for the locale's paper code ("1", "5", "8" and "9" are
// themselves, anything else 9; 0 when the locale could not be read).
uint8_t PaperSizeFromLocaleCode(const std::optional<std::string>& code);
// The locale's list and formula separators.
char16_t FormulaSeparatorFor(const TFormatSettings& settings);

// The root of one document: owns the file data, the style sheet, the shared strings, the
// workbook part, the worksheets, the external links, the picture store and the document
// properties, and carries what every part needs.
class TXc12Manager {
public:
    // The paper size is read from the process locale; services may be nullptr (no Open XML).
    TXc12Manager(TXLSClassFactory& classFactory, TXLSErrorManager& errors, TXc12OoxmlServices* services = nullptr,
                 const TFormatSettings& settings = DefaultFormatSettings());
    ~TXc12Manager();
    TXc12Manager(const TXc12Manager&) = delete;
    TXc12Manager& operator=(const TXc12Manager&) = delete;

    void CreateParts();
    void Clear();

    TExcelVersion GetVersion() const { return Version_; }
    // The one place the format changes: the shared strings escape only for Open XML.
    void SetVersion(TExcelVersion version);

    void BeginLoad() { Loading_ = true; }
    // Ends the load: the after-read steps and the after-read event.
    void AfterLoad();
    bool IsLoading() const { return Loading_; }
    void AfterRead();
    void SetDirty() { Dirty = 1; }
    void BeforeWrite();

    void BeginProgress(uint8_t progressType, int total);
    void UpdateProgress(int position);
    void EndProgress();

    void FireReadCell();
    // One pull step of direct writing (only with OnWriteCell).
    void NextWriteCell(bool rowStep);
    // True when the event cell comes after the previous one in (row, column) order; it then
    // becomes the previous one.
    bool CheckDirectWriteOrder();

    // The table of that name over all sheets in sheet order (case ignored): its index in the
    // sheet's table list, with the list and the sheet; -1 when none.
    int FindTable(std::u16string_view name, TXc12Tables*& tables, int& sheetIndex) const;
    // "path[file]" of FileName; empty without one.
    std::u16string GetBracketedFilename() const;

    TXLSErrorManager& Errors() const { return Errors_; }
    TXLSClassFactory& ClassFactory() const { return ClassFactory_; }
    TXc12OoxmlServices* Services() const { return Services_; }
    TXc12FileData& FileData() const { return *FileData_; }
    TXc12DataStyleSheet& StyleSheet() const { return *StyleSheet_; }
    TXc12DataSST& SST() const { return *SST_; }
    TXc12DataWorkbook& Workbook() const { return *Workbook_; }
    TXc12DataWorksheets& Worksheets() const { return *Worksheets_; }
    TXc12DataXLinks& XLinks() const { return *XLinks_; }
    TXc12GraphicManager& GraphicManager() const { return *GraphicManager_; }
    TXc12DocProps& DocProps() const { return *DocProps_; }
    TXLSEventCell& EventCell() { return EventCell_; }

    std::u16string FileName;
    // The defined names in use (not owned); forgotten when the document is cleared.
    TXc12DefinedNames* Names = nullptr;
    uint8_t Dirty = 0;
    char16_t FormulaSeparator;
    char16_t ListSeparator;
    TCellReadWriteEvent OnReadCell;
    TCellReadWriteEvent OnWriteCell;
    uint8_t DefaultPaperSize = 0;
    TXLSProgressEvent OnProgress;
    uint8_t ProgressType = 0;
    int32_t ProgressTotal = 0;
    TXLSAfterReadEvent OnAfterRead;
    std::u16string SeriesText;
    // Cells go to OnReadCell instead of the cell store / come from OnWriteCell.
    bool DirectRead = false;
    bool DirectWrite = false;
    std::u16string Password;
    TPasswordEvent OnPassword;

private:
    TXLSClassFactory& ClassFactory_;
    TXLSErrorManager& Errors_;
    TXc12OoxmlServices* Services_;
    TExcelVersion Version_ = xvNone;
    bool Loading_ = false;
    TXLSEventCell EventCell_;
    std::unique_ptr<TXc12FileData> FileData_;
    std::unique_ptr<TXc12DataStyleSheet> StyleSheet_;
    std::unique_ptr<TXc12DataSST> SST_;
    std::unique_ptr<TXc12DataWorkbook> Workbook_;
    std::unique_ptr<TXc12DataWorksheets> Worksheets_;
    std::unique_ptr<TXc12DataXLinks> XLinks_;
    std::unique_ptr<TXc12GraphicManager> GraphicManager_;
    std::unique_ptr<TXc12DocProps> DocProps_;
};

}  // namespace xls
