#include "workbook/model/workbook_part.h"

namespace xls {

void TXc12FileVersion::Clear() {
    appName = u"xl";
    lastEdited = u"4";
    lowestEdited = u"4";
    rupBuild = u"5241";
    codeName.clear();
}

void TXc12FileSharing::Clear() {
    readOnlyRecommended = 0;
    userName.clear();
    reservationPassword = 0;
}

void TXc12WorkbookPr::Clear() {
    showBorderUnselectedTables = 1;
    filterPrivacy = 0;
    promptedSolutions = 0;
    showInkAnnotation = 1;
    backupFile = 0;
    saveExternalLinkValues = 1;
    updateLinks = 0;
    codeName.clear();
    hidePivotFieldList = 0;
    showPivotChartFilter = 0;
    allowRefreshQuery = 0;
    publishItems = 0;
    checkCompatibility = 0;
    autoCompressPictures = 1;
    refreshAllConnections = 0;
    defaultThemeVersion = 124226;
}

void TXc12WorkbookProtection::Clear() {
    workbookPassword = 0;
    revisionsPassword = 0;
    lockStructure = 0;
    lockWindows = 0;
    lockRevision = 0;
}

void TXc12BookView::Clear() {
    visibility = 0;
    minimized = 0;
    showHorizontalScroll = 1;
    showVerticalScroll = 1;
    showSheetTabs = 1;
    xWindow = yWindow = windowWidth = windowHeight = 0;
    tabRatio = 600;
    firstSheet = 0;
    activeTab = 0;
    autoFilterDateGrouping = 1;
}

void TXc12BookViews::Reset(bool addDefault) {
    Clear();
    if (addDefault) Add();
}

const std::string& TXc12FunctionGroups::GetName(int index) const {
    if (index < 0 || index >= GetCount()) throw EListError::IndexOutOfBounds(index);
    return Names_[static_cast<size_t>(index)];
}

void TXc12FunctionGroups::Clear() {
    Names_.clear();
    builtInGroupCount = 16;
}

void TXc12CalcPr::Clear() {
    calcId = 125725;
    calcMode = 1;
    fullCalcOnLoad = 0;
    refMode = 0;
    iterate = 0;
    iterateCount = 100;
    iterateDelta = 0.001;
    fullPrecision = 1;
    calcCompleted = 1;
    calcOnSave = 1;
    concurrentCalc = 1;
    concurrentManualCount = 0;
    forceFullCalc = 0;
}

void TXc12CustomWorkbookView::Clear() {
    name.clear();
    guid.clear();
    autoUpdate = 0;
    mergeInterval = 0;
    changesSavedWin = 0;
    onlySync = 0;
    personalView = 0;
    includePrintSettings = 1;
    includeHiddenRowCol = 1;
    maximized = 0;
    minimized = 0;
    showHorizontalScroll = 1;
    showVerticalScroll = 1;
    showSheetTabs = 1;
    xWindow = yWindow = windowWidth = windowHeight = 0;
    tabRatio = 600;
    activeSheetId = 0;
    showFormulaBar = 1;
    showStatusbar = 1;
    showComments = 1;
    showObjects = 0;
}

void TXc12WebPublishing::Clear() {
    css = 1;
    thicket = 1;
    longFileNames = 1;
    vml = 0;
    allowPng = 0;
    targetScreenSize = 3;
    dpi = 96;
    codePage = 0;
}

TXc12DataWorkbook::TXc12DataWorkbook(TXLSClassFactory& factory, TXc12OoxmlServices* services)
    : definedNames(factory.Create<TXc12DefinedNames>(xckNames, nullptr)),
      pivotCaches(services),
      ExtensionPart(services != nullptr ? services->CreateDocument() : nullptr),
      Factory_(factory) {}

void TXc12DataWorkbook::Clear() {
    WriteAccessUser.clear();
    fileVersion.Clear();
    fileSharing.Clear();
    workbookPr.Clear();
    workbookProtection.Clear();
    bookViews.Reset(true);
    sheets.Clear();
    functionGroups.Clear();
    definedNames->Clear();
    calcPr.Clear();
    customWorkbookViews.Clear();
    pivotCaches.Clear();
    smartTagPr.Clear();
    smartTagTypes.Clear();
    webPublishing.Clear();
    fileRecoveryPr.Clear();
    webPublishObjects.Clear();
    if (ExtensionPart) ExtensionPart->Clear();
}

}  // namespace xls
