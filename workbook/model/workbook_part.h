#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/cell_area.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/model_list.h"
#include "workbook/model/ooxml_services.h"
#include "workbook/model/pivot_parts.h"

namespace xls {

// The workbook-level settings of a document: what a workbook part holds apart from the
// sheets. Attributes in schema order, Booleans and enumeration ordinals as bytes; Clear sets the
// schema defaults.

class TXc12FileVersion {
public:
    TXc12FileVersion() { Clear(); }
    void Clear();
    // Each keeps the previous value for an empty text.
    void SetAppName(std::u16string_view value) { SetIfAny(appName, value); }
    void SetLastEdited(std::u16string_view value) { SetIfAny(lastEdited, value); }
    void SetLowestEdited(std::u16string_view value) { SetIfAny(lowestEdited, value); }
    void SetRupBuild(std::u16string_view value) { SetIfAny(rupBuild, value); }
    void SetCodeName(std::u16string_view value) { SetIfAny(codeName, value); }

    std::u16string appName;
    std::u16string lastEdited;
    std::u16string lowestEdited;
    std::u16string rupBuild;
    std::u16string codeName;

private:
    static void SetIfAny(std::u16string& field, std::u16string_view value) {
        if (!value.empty()) field = value;
    }
};

class TXc12FileSharing {
public:
    TXc12FileSharing() { Clear(); }
    void Clear();
    uint8_t readOnlyRecommended;
    std::u16string userName;
    uint16_t reservationPassword;
};

class TXc12WorkbookPr {
public:
    TXc12WorkbookPr() { Clear(); }
    // Every attribute from showBorderUnselectedTables on: date1904 and showObjects are what a
    // file set and survive a clear.
    void Clear();
    uint8_t date1904 = 0;
    uint8_t showObjects = 0;
    uint8_t showBorderUnselectedTables;
    uint8_t filterPrivacy;
    uint8_t promptedSolutions;
    uint8_t showInkAnnotation;
    uint8_t backupFile;
    uint8_t saveExternalLinkValues;
    uint8_t updateLinks;
    std::u16string codeName;
    uint8_t hidePivotFieldList;
    uint8_t showPivotChartFilter;
    uint8_t allowRefreshQuery;
    uint8_t publishItems;
    uint8_t checkCompatibility;
    uint8_t autoCompressPictures;
    uint8_t refreshAllConnections;
    int32_t defaultThemeVersion;
};

class TXc12WorkbookProtection {
public:
    TXc12WorkbookProtection() { Clear(); }
    void Clear();
    uint16_t workbookPassword;
    uint16_t revisionsPassword;
    uint8_t lockStructure;
    uint8_t lockWindows;
    uint8_t lockRevision;
};

class TXc12BookView {
public:
    TXc12BookView() { Clear(); }
    void Clear();
    uint8_t visibility;
    uint8_t minimized;
    uint8_t showHorizontalScroll;
    uint8_t showVerticalScroll;
    uint8_t showSheetTabs;
    int32_t xWindow;
    int32_t yWindow;
    int32_t windowWidth;
    int32_t windowHeight;
    int32_t tabRatio;
    int32_t firstSheet;
    int32_t activeTab;
    uint8_t autoFilterDateGrouping;
};

class TXc12BookViews : public TXc12ObjectList<TXc12BookView> {
public:
    TXc12BookViews() { Reset(true); }
    void Reset(bool addDefault);
};

class TXc12Sheet {
public:
    std::u16string name;
    int32_t sheetId = -1;
    uint8_t state = 0;
    std::string rId;
};

using TXc12Sheets = TXc12ObjectList<TXc12Sheet>;

class TXc12FunctionGroups {
public:
    void Add(std::string_view name) { Names_.emplace_back(name); }
    int GetCount() const { return static_cast<int>(Names_.size()); }
    const std::string& GetName(int index) const;
    void Clear();
    int32_t builtInGroupCount = 16;

private:
    std::vector<std::string> Names_;
};

class TXc12CalcPr {
public:
    TXc12CalcPr() { Clear(); }
    void Clear();
    int32_t calcId;
    uint8_t calcMode;
    uint8_t fullCalcOnLoad;
    uint8_t refMode;
    uint8_t iterate;
    int32_t iterateCount;
    double iterateDelta;
    uint8_t fullPrecision;
    uint8_t calcCompleted;
    uint8_t calcOnSave;
    uint8_t concurrentCalc;
    int32_t concurrentManualCount;
    uint8_t forceFullCalc;
};

class TXc12CustomWorkbookView {
public:
    TXc12CustomWorkbookView() { Clear(); }
    void Clear();
    std::u16string name;
    std::u16string guid;
    uint8_t autoUpdate;
    int32_t mergeInterval;
    uint8_t changesSavedWin;
    uint8_t onlySync;
    uint8_t personalView;
    uint8_t includePrintSettings;
    uint8_t includeHiddenRowCol;
    uint8_t maximized;
    uint8_t minimized;
    uint8_t showHorizontalScroll;
    uint8_t showVerticalScroll;
    uint8_t showSheetTabs;
    int32_t xWindow;
    int32_t yWindow;
    int32_t windowWidth;
    int32_t windowHeight;
    int32_t tabRatio;
    int32_t activeSheetId;
    uint8_t showFormulaBar;
    uint8_t showStatusbar;
    uint8_t showComments;
    uint8_t showObjects;
};

using TXc12CustomWorkbookViews = TXc12ObjectList<TXc12CustomWorkbookView>;

class TXc12SmartTagPr {
public:
    void Clear() { embed = 0, show = 0; }
    uint8_t embed = 0;
    uint8_t show = 0;
};

class TXc12SmartTagType {
public:
    std::u16string namespaceUri;
    std::u16string name;
    std::u16string url;
};

using TXc12SmartTagTypes = TXc12ObjectList<TXc12SmartTagType>;

class TXc12WebPublishing {
public:
    TXc12WebPublishing() { Clear(); }
    void Clear();
    uint8_t css;
    uint8_t thicket;
    uint8_t longFileNames;
    uint8_t vml;
    uint8_t allowPng;
    uint8_t targetScreenSize;
    int32_t dpi;
    int32_t codePage;
};

class TXc12FileRecoveryPr {
public:
    uint8_t autoRecover = 1;
    uint8_t crashSave = 0;
    uint8_t dataExtractLoad = 0;
    uint8_t repairLoad = 0;
};

using TXc12FileRecoveryPrs = TXc12ObjectList<TXc12FileRecoveryPr>;

class TXc12WebPublishObject {
public:
    int32_t id = 0;
    std::u16string divId;
    std::u16string sourceObject;
    std::u16string destinationFile;
    std::u16string title;
    uint8_t autoRepublish = 0;
};

using TXc12WebPublishObjects = TXc12ObjectList<TXc12WebPublishObject>;

class TXc12DataWorkbook {
public:
    TXc12DataWorkbook(TXLSClassFactory& factory, TXc12OoxmlServices* services = nullptr);
    TXc12DataWorkbook(const TXc12DataWorkbook&) = delete;
    TXc12DataWorkbook& operator=(const TXc12DataWorkbook&) = delete;

    // Back to a new workbook's settings; oleSize, date1904 and showObjects stay.
    void Clear();

    TXc12FileVersion fileVersion;
    TXc12FileSharing fileSharing;
    TXc12WorkbookPr workbookPr;
    TXc12WorkbookProtection workbookProtection;
    TXc12BookViews bookViews;
    // Used only while an .xlsx file is read or written.
    TXc12Sheets sheets;
    TXc12FunctionGroups functionGroups;
    std::unique_ptr<TXc12DefinedNames> definedNames;
    TXc12CalcPr calcPr;
    TXLSCellArea oleSize;
    TXc12CustomWorkbookViews customWorkbookViews;
    TXLSPivotCacheDefinitions pivotCaches;
    TXc12SmartTagPr smartTagPr;
    TXc12SmartTagTypes smartTagTypes;
    TXc12WebPublishing webPublishing;
    TXc12FileRecoveryPrs fileRecoveryPr;
    TXc12WebPublishObjects webPublishObjects;
    // The extension part the Open XML reader loads (nullptr without Open XML services).
    std::unique_ptr<TXc12XmlDocument> ExtensionPart;
    // The user name of the BIFF write-access record.
    std::u16string WriteAccessUser;

    TXLSClassFactory& ClassFactory() const { return Factory_; }

private:
    TXLSClassFactory& Factory_;
};

}  // namespace xls
