#include "workbook/biff/biff_validations.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_formula_handler.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/excel_version.h"
#include "workbook/biff/record_defaults.h"
#include "workbook/biff/xls_stream.h"
#include "workbook/model/cond_formats.h"

namespace xls {

namespace {

constexpr uint8_t PtgStr = 0x17;
constexpr int FormulaBufferSize = 512;
constexpr uint8_t FormulaClass = 32;
// A DV with this many areas or more is taken to have none.
constexpr uint16_t MostDVAreas = 4096;

constexpr uint32_t ExplicitListBit = 0x80;
constexpr uint32_t AllowBlankBit = 0x100;
constexpr uint32_t SuppressDropDownBit = 0x200;
constexpr uint32_t PromptBit = 0x40000;
constexpr uint32_t ErrorBit = 0x80000;

[[noreturn]] void ShortRecord() { throw EBIFFError("DV record too short"); }

bool IsBlankOrControl(char16_t c) { return c <= u' '; }

std::u16string ReadText(base::TByteReader& r) {
    const uint16_t count = r.U16LE();
    const uint8_t flag = r.U8();
    if (count == 0) return {};
    if (flag > 1) throw EBIFFError("Unhandled string in DV");
    std::u16string text(count, u'\0');
    const std::span<const uint8_t> bytes = r.Bytes(flag ? 2 * static_cast<size_t>(count) : count);
    for (size_t i = 0; i < count; ++i)
        text[i] = flag ? static_cast<char16_t>(base::LoadLE16(bytes.data() + 2 * i)) : bytes[i];
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlankOrControl).base();
    return first < last ? std::u16string(first, last) : std::u16string();
}

void WriteText(TRecordBytes& data, const std::u16string& text) {
    // An empty text is one NUL character: a count of 0 is not read by every program.
    if (text.empty()) {
        data.Long(1);
        return;
    }
    data.Word(static_cast<uint16_t>(text.size())).Wide(text);
}

// The items of an explicit list are separated by NUL characters in the file, by commas here.
void ReplaceInListText(std::vector<uint8_t>& tokens, uint16_t from, uint16_t to) {
    if (tokens.size() < 3 || tokens[0] != PtgStr) return;
    const size_t count = tokens[1];
    const bool wide = tokens[2] & 1;
    if (tokens.size() != 3 + count * (wide ? 2 : 1)) return;
    for (size_t i = 0; i < count; ++i) {
        uint8_t* c = tokens.data() + 3 + i * (wide ? 2 : 1);
        const uint16_t value = wide ? base::LoadLE16(c) : *c;
        if (value != from) continue;
        if (wide)
            base::StoreLE16(c, to);
        else
            *c = static_cast<uint8_t>(to);
    }
}

// The file's operators (greater before less) against the model's (less before greater).
constexpr uint8_t ModelOperator[8] = {0, 1, 2, 3, 6, 4, 7, 5};
// The file's input method modes have "on" before "off"; the model's "off" before "on".
uint8_t SwapOnOff(uint8_t mode) { return mode == 1 ? 2 : mode == 2 ? 1 : mode; }

}  // namespace

void TDataValidation::SetValidationType(TValidationType value) {
    Type_ = value;
    Changed_ = true;
}

void TDataValidation::SetValidationStyle(TValidationStyle value) {
    Style_ = value;
    Changed_ = true;
}

void TDataValidation::SetValidationOperator(TValidationOperator value) {
    Operator_ = value;
    Changed_ = true;
}

void TDataValidation::SetOptions(TValidationOptions value) {
    Options_ = value;
    Changed_ = true;
}

void TDataValidation::SetImeMode(uint8_t value) {
    ImeMode_ = value;
    Changed_ = true;
}

std::u16string TDataValidation::Decode(int index) const {
    std::vector<uint8_t> tokens = Tokens_[static_cast<size_t>(index)];
    if (tokens.empty()) return {};
    if (index == 0 && Type_ == vtList) ReplaceInListText(tokens, 0, u',');
    return Handler_.DecodeFormula(tokens);
}

void TDataValidation::Encode(int index, const std::u16string& text) {
    std::vector<uint8_t> buffer(FormulaBufferSize);
    const int length = Handler_.EncodeFormula(text, FormulaClass, FormulaBufferSize, buffer.data());
    buffer.resize(static_cast<size_t>(std::clamp(length, 0, FormulaBufferSize)));
    if (index == 0 && Type_ == vtList) ReplaceInListText(buffer, u',', 0);
    Tokens_[static_cast<size_t>(index)] = std::move(buffer);
    Changed_ = true;
}

uint32_t TDataValidation::Flags() const {
    if (!Changed_) return Flags_;
    uint32_t flags = Type_ | (Style_ << 4) | (static_cast<uint32_t>(ImeMode_) << 10) | (Operator_ << 20);
    if (Type_ == vtList && !Tokens_[0].empty() && Tokens_[0][0] == PtgStr) flags |= ExplicitListBit;
    if (Options_ & voAllowEmptyCells) flags |= AllowBlankBit;
    if (Options_ & voSupressDropDown) flags |= SuppressDropDownBit;
    if (Options_ & voShowPromptBox) flags |= PromptBit;
    if (Options_ & voShowErrorBox) flags |= ErrorBit;
    return flags;
}

void TDataValidation::LoadFromRecord(std::span<const uint8_t> data) {
    base::TByteReader r(data, ShortRecord);
    Flags_ = r.U32LE();
    Type_ = static_cast<TValidationType>(Flags_ & 0x0F);
    Style_ = static_cast<TValidationStyle>(std::min<uint32_t>((Flags_ >> 4) & 0x07, vsInfo));
    Operator_ = static_cast<TValidationOperator>((Flags_ >> 20) & 0x07);
    ImeMode_ = static_cast<uint8_t>(Flags_ >> 10);
    // Types above custom are not the format's; they read as any value.
    if (Type_ > vtCustom) Type_ = vtAny;
    InputTitle = ReadText(r);
    ErrorTitle = ReadText(r);
    InputMsg = ReadText(r);
    ErrorMsg = ReadText(r);
    for (auto& tokens : Tokens_) {
        const uint16_t length = r.U16LE();
        r.Skip(2);
        const std::span<const uint8_t> bytes = r.Bytes(length);
        tokens.assign(bytes.begin(), bytes.end());
    }
    const uint16_t count = r.U16LE();
    if (count >= MostDVAreas) return;
    for (uint16_t i = 0; i < count; ++i) Areas.AddFromRecord(r.Bytes(8).first<8>());
}

std::vector<uint8_t> TDataValidation::RecordData() const {
    TRecordBytes data;
    data.Long(Flags());
    for (const std::u16string* text : {&InputTitle, &ErrorTitle, &InputMsg, &ErrorMsg}) WriteText(data, *text);
    for (const auto& tokens : Tokens_)
        data.Word(static_cast<uint16_t>(tokens.size())).Word(0).Append(tokens.data(), tokens.size());
    std::vector<TXLSCellArea> areas;
    for (int i = 0; i < Areas.Count(); ++i) {
        TXLSCellArea a = Areas.GetItems(i)->GetBounds();
        if (ClipArea97(a.Col1, a.Row1, a.Col2, a.Row2)) areas.push_back(a);
    }
    data.Word(static_cast<uint16_t>(std::min<size_t>(areas.size(), 0xFFFF)));
    for (const TXLSCellArea& a : areas)
        data.Word(static_cast<uint16_t>(std::min(a.Row1, a.Row2)))
            .Word(static_cast<uint16_t>(std::max(a.Row1, a.Row2)))
            .Word(static_cast<uint16_t>(std::min(a.Col1, a.Col2)))
            .Word(static_cast<uint16_t>(std::max(a.Col1, a.Col2)));
    // A DV has no continuation; a longer one would be cut by every reader.
    if (data.Bytes.size() > static_cast<size_t>(MAXRECSZ_97) || areas.size() >= MostDVAreas)
        throw EBIFFError("A data validation does not fit one record: shorten its texts or use fewer areas");
    return std::move(data.Bytes);
}

void TDataValidation::Assign(const TXLSMoveCopyItem& source) {
    const auto* other = dynamic_cast<const TDataValidation*>(&source);
    if (!other) throw EBIFFError("Assign not implemented");
    Flags_ = other->Flags_;
    InputTitle = other->InputTitle;
    ErrorTitle = other->ErrorTitle;
    InputMsg = other->InputMsg;
    ErrorMsg = other->ErrorMsg;
    Tokens_ = other->Tokens_;
    Type_ = other->Type_;
    Style_ = other->Style_;
    Operator_ = other->Operator_;
    Options_ = other->Options_;
    ImeMode_ = other->ImeMode_;
    Areas.Assign(other->Areas);
    Changed_ = true;
}

void TDataValidation::ToModel(TXc12DataValidation& target) const {
    const uint32_t flags = Flags();
    target.type = Type_;
    target.errorStyle = Style_;
    target.imeMode = SwapOnOff(static_cast<uint8_t>(flags >> 10));
    target.operator_ = ModelOperator[Operator_];
    target.allowBlank = (flags & AllowBlankBit) != 0;
    target.showDropDown = (flags & SuppressDropDownBit) != 0;
    target.showInputMessage = (flags & PromptBit) != 0;
    target.showErrorMessage = (flags & ErrorBit) != 0;
    target.promptTitle = InputTitle;
    target.errorTitle = ErrorTitle;
    target.prompt = InputMsg;
    target.error = ErrorMsg;
    target.sqref.Assign(Areas);
    target.formula1 = Expression1();
    target.formula2 = Expression2();
}

void TDataValidation::FromModel(const TXc12DataValidation& source) {
    SetValidationType(static_cast<TValidationType>(std::min<uint8_t>(source.type, vtCustom)));
    SetValidationStyle(static_cast<TValidationStyle>(std::min<uint8_t>(source.errorStyle, vsInfo)));
    const uint8_t* op = std::find(std::begin(ModelOperator), std::end(ModelOperator), source.operator_);
    SetValidationOperator(static_cast<TValidationOperator>(op == std::end(ModelOperator) ? 0 : op - ModelOperator));
    SetImeMode(SwapOnOff(source.imeMode));
    SetOptions((source.allowBlank ? voAllowEmptyCells : 0) | (source.showDropDown ? voSupressDropDown : 0) |
               (source.showInputMessage ? voShowPromptBox : 0) | (source.showErrorMessage ? voShowErrorBox : 0));
    InputTitle = source.promptTitle;
    ErrorTitle = source.errorTitle;
    InputMsg = source.prompt;
    ErrorMsg = source.error;
    Areas.Assign(source.sqref);
    Tokens_ = {};
    if (!source.formula1.empty()) SetExpression1(source.formula1);
    if (!source.formula2.empty()) SetExpression2(source.formula2);
}

TDataValidations::TDataValidations(TFormulaHandler& handler) : Handler_(handler) {
    base::StoreLE32(Dval_.data() + 10, 0xFFFFFFFF);
}

TDataValidation& TDataValidations::Add() {
    Items_.push_back(std::make_unique<TDataValidation>(Handler_));
    return *Items_.back();
}

void TDataValidations::LoadFromStream(TXLSStream& stream, std::span<const uint8_t> dval) {
    if (dval.size() < Dval_.size()) throw EBIFFError("DVAL record too short");
    std::copy_n(dval.begin(), Dval_.size(), Dval_.begin());
    const uint32_t count = base::LoadLE32(Dval_.data() + 14);
    std::vector<uint8_t> data;
    for (uint32_t i = 0; i < count; ++i) {
        if (stream.PeekRecordId() != BIFFRECID_DV) throw EBIFFError("Excpected record missing: DV");
        TBIFFHeader header;
        stream.ReadHeader(header);
        data.resize(header.Length);
        if (stream.Read(data.data(), header.Length) != header.Length) throw EBIFFError("Unexpected end of file");
        Add().LoadFromRecord(data);
    }
}

void TDataValidations::SaveToStream(TXLSStream& stream) const {
    std::vector<std::vector<uint8_t>> records;
    // A validation whose areas all went with deleted cells has nothing left to validate.
    for (const auto& item : Items_)
        if (item->Areas.Count() > 0) records.push_back(item->RecordData());
    if (records.empty()) return;
    std::array<uint8_t, 18> dval = Dval_;
    base::StoreLE32(dval.data() + 14, static_cast<uint32_t>(records.size()));
    stream.WriteHeader(BIFFRECID_DVAL, static_cast<uint16_t>(dval.size()));
    stream.WriteRaw(dval.data(), static_cast<int64_t>(dval.size()));
    for (const auto& data : records) {
        stream.WriteHeader(BIFFRECID_DV, static_cast<uint16_t>(data.size()));
        stream.WriteRaw(data.data(), static_cast<int64_t>(data.size()));
    }
}

void TDataValidations::ToModel(TXc12DataValidations& target) const {
    const uint16_t flags = base::LoadLE16(Dval_.data());
    target.disablePrompts = (flags & 0x04) != 0;
    target.xWindow = static_cast<int32_t>(base::LoadLE32(Dval_.data() + 2));
    target.yWindow = static_cast<int32_t>(base::LoadLE32(Dval_.data() + 6));
    for (const auto& item : Items_) item->ToModel(*target.Add());
}

void TDataValidations::FromModel(const TXc12DataValidations& source) {
    Items_.clear();
    base::StoreLE16(Dval_.data(), source.disablePrompts ? 0x04 : 0);
    base::StoreLE32(Dval_.data() + 2, static_cast<uint32_t>(source.xWindow));
    base::StoreLE32(Dval_.data() + 6, static_cast<uint32_t>(source.yWindow));
    for (int i = 0; i < source.Count(); ++i) Add().FromModel(*source.GetItems(i));
}

}  // namespace xls
