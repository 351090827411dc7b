#include "workbook/model/cell_format.h"

#include <string>

#include "workbook/model/exceptions.h"
#include "workbook/model/style_sheet.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

std::u16string Number(int value) {
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

}  // namespace

// --- TXc12XF ---

void TXc12XF::Assign(const TXc12XF& source) {
    CopyOwnFields(source);
    NumberFormat_ = source.NumberFormat_;
    Font_ = source.Font_;
    Fill_ = source.Fill_;
    Border_ = source.Border_;
    SetXF(source.Parent_);
}

void TXc12XF::CopyOwnFields(const TXc12XF& source) {
    Alignment_.Assign(source.Alignment_);
    SetProtection(source.Protection_);
    SetQuotePrefix(source.QuotePrefix_);
    SetPivotButton(source.PivotButton_);
}

void TXc12XF::SetProtection(uint8_t value) {
    if (value != Protection_) InvalidateHash();
    Protection_ = value;
}

void TXc12XF::SetQuotePrefix(bool value) {
    if (value != QuotePrefix_) InvalidateHash();
    QuotePrefix_ = value;
}

void TXc12XF::SetPivotButton(bool value) {
    if (value != PivotButton_) InvalidateHash();
    PivotButton_ = value;
}

int32_t TXc12XF::KeyHash() const {
    uint32_t hash = static_cast<uint32_t>(Alignment_.GetHash()) ^ Protection_;
    if (NumberFormat_) hash ^= static_cast<uint32_t>(NumberFormat_->GetHash());
    if (Font_) hash ^= static_cast<uint32_t>(Font_->GetHash());
    if (Fill_) hash ^= static_cast<uint32_t>(Fill_->GetHash());
    if (Border_) hash ^= static_cast<uint32_t>(Border_->GetHash());
    return static_cast<int32_t>(hash + (QuotePrefix_ ? 1u : 0u) + (PivotButton_ ? 1u : 0u));
}

namespace {

template <class T>
bool SamePart(const T* a, const T* b) {
    if (a == b) return true;
    return a && b && a->Equal(*b);
}

}  // namespace

bool TXc12XF::Equal(const TXLSStyleObject& other) const {
    const auto* xf = dynamic_cast<const TXc12XF*>(&other);
    if (!xf) return false;
    if (Parent_ && xf->Parent_ && Parent_->Index() != xf->Parent_->Index()) return false;
    return Alignment_.Equal(xf->Alignment_) && Protection_ == xf->Protection_ && QuotePrefix_ == xf->QuotePrefix_ &&
           PivotButton_ == xf->PivotButton_ && SamePart(NumberFormat_, xf->NumberFormat_) &&
           SamePart(Font_, xf->Font_) && SamePart(Fill_, xf->Fill_) && SamePart(Border_, xf->Border_);
}

void TXc12XF::DebugText(int indent, std::u16string& text) const {
    AddDebugLine(text, indent, u"This XF: " + Number(Index()));
    auto part = [&](std::u16string_view name, const TXLSStyleObject* object) {
        if (!object) return;
        AddDebugLine(text, indent, std::u16string(name) + Number(object->Index()));
        object->DebugText(indent + 1, text);
    };
    part(u"NumberFormat: ", NumberFormat_);
    part(u"Font: ", Font_);
    part(u"Fill: ", Fill_);
    part(u"Border: ", Border_);
    AddDebugLine(text, indent, u"Alignment: ");
    if (Parent_) AddDebugLine(text, indent, u"XF: " + Number(Parent_->Index()));
    if (Protection_ != 0) {
        AddDebugLine(text, indent, u"Protection:");
        if (Protection_ & 1) AddDebugLine(text, indent + 1, u"Locked");
        if (Protection_ & 2) AddDebugLine(text, indent + 1, u"Hidden");
    }
    if (QuotePrefix_) AddDebugLine(text, indent, u"QuotePrfix: True");
    if (PivotButton_) AddDebugLine(text, indent, u"PivotButton: True");
}

// --- TXc12XFs ---

TXc12XF* TXc12XFs::Add() {
    auto xf = std::make_unique<TXc12XF>(this);
    TXc12XF* result = xf.get();
    TXLSStyleObjectList::Add(std::move(xf));
    return result;
}

int TXc12XFs::AddXF(std::unique_ptr<TXc12XF> xf) {
    if (!xf) throw EXLSError("Nil item in an index object list");
    return TXLSStyleObjectList::Add(std::move(xf));
}

TXc12XF* TXc12XFs::Find(const TXc12XF& xf) const {
    const int32_t hash = xf.KeyHash();
    for (const auto& item : Items_) {
        auto* candidate = static_cast<TXc12XF*>(item.get());
        if (candidate && candidate->KeyHash() == hash && candidate->Equal(xf)) return candidate;
    }
    return nullptr;
}

TXc12XF* TXc12XFs::AllocXF(const TXc12XF* keep) {
    for (int i = 1; i < Count(); ++i) {
        const TXc12XF* xf = GetItems(i);
        if (!xf || (xf != keep && !xf->BuiltIn() && xf->UseCount() <= 0)) {
            SetItems(i, std::make_unique<TXc12XF>(this));
            TXc12XF* fresh = GetItems(i);
            StyleSheet_.SetXFDefaults(*fresh);
            return fresh;
        }
    }
    TXc12XF* xf = Add();
    StyleSheet_.SetXFDefaults(*xf);
    return xf;
}

void TXc12XFs::AddDefaults() { Add()->SetBuiltIn(true); }

void TXc12XFs::Reset() {
    Clear();
    AddDefaults();
    for (int i = 0; i < Count(); ++i)
        if (TXc12XF* xf = GetItems(i)) StyleSheet_.SetXFDefaults(*xf);
}

// --- TXc12DXF ---

namespace {

template <class T>
T* CreatePart(std::unique_ptr<T>& part, const char* message) {
    if (part) throw EXLSError(message);
    part = std::make_unique<T>();
    return part.get();
}

}  // namespace

TXc12Font* TXc12DXF::CreateFont() { return CreatePart(Font_, "DXF->Font is allready set"); }
TXc12NumberFormat* TXc12DXF::CreateNumFmt() { return CreatePart(NumFmt_, "DXF->NumFmt is allready set"); }
TXc12Fill* TXc12DXF::CreateFill() { return CreatePart(Fill_, "DXF->Fill is allready set"); }
TXc12Border* TXc12DXF::CreateBorder() { return CreatePart(Border_, "DXF->Border is allready set"); }
TXc12CellAlignment* TXc12DXF::CreateAlignment() { return CreatePart(Alignment_, "DXF->Alignment is allready set"); }

bool TXc12DXF::Equal(const TXLSStyleObject& other) const {
    const auto* dxf = dynamic_cast<const TXc12DXF*>(&other);
    if (!dxf || Protection != dxf->Protection) return false;
    if (static_cast<bool>(Alignment_) != static_cast<bool>(dxf->Alignment_)) return false;
    if (Alignment_ && !Alignment_->Equal(*dxf->Alignment_)) return false;
    return SamePart(Font_.get(), dxf->Font_.get()) && SamePart(NumFmt_.get(), dxf->NumFmt_.get()) &&
           SamePart(Fill_.get(), dxf->Fill_.get()) && SamePart(Border_.get(), dxf->Border_.get());
}

int32_t TXc12DXF::CalcHash() const {
    uint32_t hash = 0;
    if (Font_) hash ^= static_cast<uint32_t>(Font_->GetHash());
    if (NumFmt_) hash ^= static_cast<uint32_t>(NumFmt_->GetHash());
    if (Fill_) hash ^= static_cast<uint32_t>(Fill_->GetHash());
    if (Border_) hash ^= static_cast<uint32_t>(Border_->GetHash());
    if (Alignment_) hash ^= static_cast<uint32_t>(Alignment_->GetHash());
    return static_cast<int32_t>(hash + Protection);
}

TXc12DXF* TXc12DXFs::Add() {
    auto dxf = std::make_unique<TXc12DXF>(this);
    TXc12DXF* result = dxf.get();
    TXLSStyleObjectList::Add(std::move(dxf));
    return result;
}

// --- Cell styles ---

bool TXc12CellStyle::Equal(const TXLSStyleObject& other) const {
    const auto* style = dynamic_cast<const TXc12CellStyle*>(&other);
    return style && BuiltinId == style->BuiltinId && CustomBuiltin == style->CustomBuiltin && Hidden == style->Hidden &&
           Level == style->Level && Name == style->Name && SamePart(XF, style->XF);
}

int32_t TXc12CellStyle::CalcHash() const {
    const uint32_t own = static_cast<uint32_t>(StrCRC32(Name)) + CustomBuiltin + static_cast<uint32_t>(BuiltinId) +
                         Hidden + static_cast<uint32_t>(Level);
    return static_cast<int32_t>(own ^ (XF ? static_cast<uint32_t>(XF->KeyHash()) : 0u));
}

TXc12CellStyle* TXc12CellStyles::Add() {
    auto style = std::make_unique<TXc12CellStyle>(this);
    TXc12CellStyle* result = style.get();
    TXLSStyleObjectList::Add(std::move(style));
    return result;
}

namespace {

bool SameStyleName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

}  // namespace

TXc12CellStyle* TXc12CellStyles::FindByName(std::u16string_view name) const {
    for (int i = 0; i < Count(); ++i)
        if (TXc12CellStyle* style = GetItems(i); style && SameStyleName(style->Name, name)) return style;
    return nullptr;
}

TXc12CellStyle* TXc12CellStyles::FindOrAddByName(std::u16string_view name) {
    if (TXc12CellStyle* style = FindByName(name)) return style;
    TXc12CellStyle* style = Add();
    style->Name = name;
    return style;
}

void TXc12CellStyles::AddDefaults() {
    TXc12CellStyle* normal = Add();
    normal->Name = u"Normal";
    normal->SetBuiltIn(true);
}

void TXc12CellStyles::Reset() {
    Clear();
    AddDefaults();
}

// --- Table styles ---

void TXc12TableStyle::Clear() {
    Elements.clear();
    Name.clear();
    Pivot = Table = 1;
}

bool TXc12TableStyle::Equal(const TXLSStyleObject& other) const {
    const auto* style = dynamic_cast<const TXc12TableStyle*>(&other);
    if (!style || Name != style->Name || Pivot != style->Pivot || Table != style->Table ||
        Elements.size() != style->Elements.size())
        return false;
    for (size_t i = 0; i < Elements.size(); ++i)
        if (Elements[i].Type != style->Elements[i].Type || Elements[i].Size != style->Elements[i].Size ||
            !SamePart(Elements[i].DXF, style->Elements[i].DXF))
            return false;
    return true;
}

int32_t TXc12TableStyle::CalcHash() const {
    return static_cast<int32_t>(static_cast<uint32_t>(StrCRC32(Name)) + Pivot + Table + Elements.size());
}

TXc12TableStyle* TXc12TableStyles::Add() {
    auto style = std::make_unique<TXc12TableStyle>(this);
    TXc12TableStyle* result = style.get();
    TXLSStyleObjectList::Add(std::move(style));
    return result;
}

void TXc12TableStyles::Reset() {
    Clear();
    DefaultTableStyle.clear();
    DefaultPivotStyle.clear();
}

}  // namespace xls
