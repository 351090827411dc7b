#include "workbook/model/cond_formats.h"

namespace xls {

void TXc12Cfvo::Clear() {
    type = 0;
    val.clear();
    gte = 1;
    Compiled.clear();
}

int TXc12Colors::Add(const TXc12Color& color) {
    Items_.push_back(color);
    return Count() - 1;
}

TXc12Color TXc12Colors::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return Items_[static_cast<size_t>(index)];
}

void TXc12ColorScale::Clear() {
    cfvos.Clear();
    colors.Clear();
}

void TXc12DataBar::Clear() {
    minLength = 10;
    maxLength = 90;
    showValue = 1;
    color = TXc12Color();
    color.Kind = xc12ckUnassigned;
    Min.Clear();
    Max.Clear();
}

void TXc12IconSet::Clear() {
    iconSet = 3;
    showValue = 1;
    percent = 1;
    reverse = 0;
    cfvos.Clear();
}

void TXc12CfRule::Clear() {
    for (int i = 0; i < 3; ++i) {
        Formulas_[static_cast<size_t>(i)].clear();
        Compiled_[static_cast<size_t>(i)].clear();
    }
    type = 255;
    dxfId = nullptr;
    priority = 0;
    stopIfTrue = 0;
    aboveAverage = 1;
    percent = 0;
    bottom = 0;
    operator_ = 255;
    text.clear();
    timePeriod = 255;
    rank = 0;
    stdDev = 0;
    equalAverage = 0;
    colorScale.Clear();
    dataBar.Clear();
    iconSet.Clear();
}

void TXc12CfRule::CheckIndex(int index) {
    if (index < 0 || index > 2) throw EXLSError("Index out of range");
}

const std::u16string& TXc12CfRule::GetFormula(int index) const {
    CheckIndex(index);
    return Formulas_[static_cast<size_t>(index)];
}

void TXc12CfRule::SetFormula(int index, std::u16string_view text) {
    CheckIndex(index);
    Formulas_[static_cast<size_t>(index)] = text;
    Compiled_[static_cast<size_t>(index)].clear();
}

const std::vector<uint8_t>& TXc12CfRule::GetCompiled(int index) const {
    CheckIndex(index);
    return Compiled_[static_cast<size_t>(index)];
}

void TXc12ConditionalFormatting::Clear() {
    sqref.Clear();
    rules.Clear();
}

TXLSMoveCopyItem* TXc12ConditionalFormattings::AddNew() {
    Items_.push_back(CreateItem());
    return Items_.back().get();
}

void TXc12DataValidation::Clear() {
    type = errorStyle = imeMode = operator_ = 0;
    allowBlank = showDropDown = showInputMessage = showErrorMessage = 0;
    errorTitle.clear();
    error.clear();
    promptTitle.clear();
    prompt.clear();
    sqref.Clear();
    formula1.clear();
    formula2.clear();
}

TXLSMoveCopyItem* TXc12DataValidations::AddNew() {
    Items_.push_back(Factory_.Create<TXc12DataValidation>(xckDataValidation, this));
    return Items_.back().get();
}

void TXc12DataValidations::Clear() {
    Items_.clear();
    disablePrompts = 0;
    xWindow = 0;
    yWindow = 0;
}

std::unique_ptr<TXc12ConditionalFormatting> TXLSConditionalFormats::CreateItem() {
    std::unique_ptr<TXc12ConditionalFormatting> item =
        ClassFactory().Create<TXc12ConditionalFormatting>(xckConditionalFormat, this);
    if (auto* format = dynamic_cast<TXLSConditionalFormat*>(item.get())) format->Sheet = Sheet();
    return item;
}

}  // namespace xls
