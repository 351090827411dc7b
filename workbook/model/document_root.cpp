#include "workbook/model/document_root.h"

#include "base/date_time.h"
#include "platform/locale_paper.h"

namespace xls {

namespace {

constexpr std::u16string_view CreatedPath = u"cp:coreProperties/dcterms:created";
constexpr std::u16string_view ModifiedPath = u"cp:coreProperties/dcterms:modified";

}  // namespace

uint8_t PaperSizeFromLocaleCode(const std::optional<std::string>& code) {
    if (!code) return 0;
    switch (code->empty() ? '\0' : code->front()) {
        case '1': return 1;
        case '5': return 5;
        case '8': return 8;
        default: return 9;
    }
}

char16_t FormulaSeparatorFor(const TFormatSettings& settings) {
    return settings.GetDecimalSeparator() == u',' ? u'\\' : u',';
}

double TXc12DocProps::GetCreated() const {
    if (Tree_ == nullptr) return 0;
    const TXc12XmlNode* node = Tree_->Root().FindPath(CreatedPath);
    return node == nullptr ? 0 : base::XmlStrToDateTime(node->GetText());
}

void TXc12DocProps::SetDate(std::u16string_view path, double value) {
    if (Tree_ == nullptr) return;
    if (TXc12XmlNode* node = Tree_->Root().FindPath(path)) node->SetText(base::XmlDateTimeToStr(value));
}

void TXc12DocProps::SetCreated(double value) { SetDate(CreatedPath, value); }
void TXc12DocProps::SetModified(double value) { SetDate(ModifiedPath, value); }

TXc12Manager::TXc12Manager(TXLSClassFactory& classFactory, TXLSErrorManager& errors, TXc12OoxmlServices* services,
                           const TFormatSettings& settings)
    : FormulaSeparator(FormulaSeparatorFor(settings)),
      ListSeparator(settings.GetListSeparator()),
      DefaultPaperSize(PaperSizeFromLocaleCode(platform::LocalePaperSizeCode())),
      SeriesText(u"Series"),
      ClassFactory_(classFactory),
      Errors_(errors),
      Services_(services) {}

TXc12Manager::~TXc12Manager() {
    // The parts in reverse order of creation.
    XLinks_.reset();
    Worksheets_.reset();
    Workbook_.reset();
    SST_.reset();
    StyleSheet_.reset();
    FileData_.reset();
    GraphicManager_.reset();
    DocProps_.reset();
}

void TXc12Manager::CreateParts() {
    FileData_ = std::make_unique<TXc12FileData>(Services_);
    StyleSheet_ = std::make_unique<TXc12DataStyleSheet>();
    SST_ = std::make_unique<TXc12DataSST>(*StyleSheet_);
    SST_->SetNoEscape(Version_ < xvExcel2007);
    Workbook_ = std::make_unique<TXc12DataWorkbook>(ClassFactory_, Services_);
    Worksheets_ = std::make_unique<TXc12DataWorksheets>(ClassFactory_, *StyleSheet_, *SST_, Services_);
    XLinks_ = std::make_unique<TXc12DataXLinks>();
    GraphicManager_ = std::make_unique<TXc12GraphicManager>(Errors_);
    DocProps_ = std::make_unique<TXc12DocProps>(FileData_->CoreProperties());
}

void TXc12Manager::Clear() {
    XLinks_->Clear();
    Worksheets_->Clear();
    Workbook_->Clear();
    SST_->Clear();
    StyleSheet_->Reset();
    FileData_->Clear();
    GraphicManager_->Clear();
    Names = nullptr;
}

void TXc12Manager::SetVersion(TExcelVersion version) {
    Version_ = version;
    if (SST_) SST_->SetNoEscape(version < xvExcel2007);
}

void TXc12Manager::AfterLoad() {
    Loading_ = false;
    AfterRead();
}

void TXc12Manager::AfterRead() {
    Dirty = 0;
    StyleSheet_->AfterLoadColors();
    SST_->RebuildHash();
    if (OnAfterRead) OnAfterRead(*this);
}

void TXc12Manager::BeforeWrite() {
    StyleSheet_->PrepareWrite();
    GraphicManager_->ResetWritten();
    if (DocProps_->Enabled == 0) return;
    // Both dates are UTC: the text carries "Z".
    const double now = base::NowUTCDateTime();
    const double created = DocProps_->GetCreated();
    if (created == 0 || base::DecodeDateTime(created).Year <= 2000) DocProps_->SetCreated(now);
    DocProps_->SetModified(now);
}

void TXc12Manager::BeginProgress(uint8_t progressType, int total) {
    ProgressType = progressType;
    ProgressTotal = total;
    if (OnProgress) OnProgress(ProgressType, xpsStart, 0.0);
}

void TXc12Manager::UpdateProgress(int position) {
    if (OnProgress && ProgressTotal > 0)
        OnProgress(ProgressType, xpsWork, static_cast<double>(position) / ProgressTotal);
}

void TXc12Manager::EndProgress() {
    if (OnProgress) OnProgress(ProgressType, xpsEnd, 1.0);
}

void TXc12Manager::FireReadCell() {
    if (OnReadCell) OnReadCell(EventCell_);
}

void TXc12Manager::NextWriteCell(bool rowStep) {
    if (!OnWriteCell) return;
    TXLSEventCell& cell = EventCell_;
    cell.Valid = cell.LastRow >= cell.Row ? 1 : 0;
    if (!cell.HasCell()) return;
    if (cell.Col < cell.LastCol) {
        if (cell.Row < 0) cell.Row = cell.FirstRow;
        if (rowStep) return;
        ++cell.Col;
        OnWriteCell(cell);
    } else {
        cell.Col = cell.FirstCol - 1;
        ++cell.Row;
        cell.Valid = 0;
    }
}

bool TXc12Manager::CheckDirectWriteOrder() {
    TXLSEventCell& cell = EventCell_;
    const bool after = cell.Row > cell.PrevRow || (cell.Row == cell.PrevRow && cell.Col > cell.PrevCol);
    cell.Valid = after ? 1 : 0;
    if (after) {
        cell.PrevCol = cell.Col;
        cell.PrevRow = cell.Row;
    }
    return after;
}

int TXc12Manager::FindTable(std::u16string_view name, TXc12Tables*& tables, int& sheetIndex) const {
    for (int i = 0; i < Worksheets_->Count(); ++i) {
        TXc12Tables& sheetTables = Worksheets_->GetItems(i)->tableParts;
        const int index = sheetTables.IndexOfName(name);
        if (index >= 0) {
            tables = &sheetTables;
            sheetIndex = i;
            return index;
        }
    }
    tables = nullptr;
    sheetIndex = -1;
    return -1;
}

std::u16string TXc12Manager::GetBracketedFilename() const {
    if (FileName.empty()) return {};
    const size_t slash = FileName.find_last_of(u"/\\");
    const size_t split = slash == std::u16string::npos ? 0 : slash + 1;
    return FileName.substr(0, split) + u"[" + FileName.substr(split) + u"]";
}

}  // namespace xls
