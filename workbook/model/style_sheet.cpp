#include "workbook/model/style_sheet.h"

#include <unordered_set>

#include "workbook/model/exceptions.h"

namespace xls {

namespace {

constexpr int CompactEvery = 25;

bool SameText(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
    for (size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

// Deletes every item of the list, except the last, that is neither built-in nor in use nor
// referenced by a surviving format.
void CompactParts(TXLSStyleObjectList& list, const std::unordered_set<const TXLSStyleObject*>& referenced) {
    for (int i = list.Count() - 2; i >= 0; --i) {
        const TXLSStyleObject* item = list.GetItems(i);
        if (item && !item->BuiltIn() && item->UseCount() <= 0 && !referenced.contains(item)) list.Delete(i);
    }
}

bool HasCandidate(const TXLSStyleObjectList& list) {
    for (int i = 0; i + 1 < list.Count(); ++i) {
        const TXLSStyleObject* item = list.GetItems(i);
        if (item && !item->BuiltIn() && item->UseCount() <= 0) return true;
    }
    return false;
}

bool Survives(const TXc12XF* xf) { return xf && (xf->BuiltIn() || xf->UseCount() > 0); }

void AddParts(const TXc12XF& xf, std::unordered_set<const TXLSStyleObject*>& set) {
    set.insert(xf.GetNumberFormat());
    set.insert(xf.GetFont());
    set.insert(xf.GetFill());
    set.insert(xf.GetBorder());
}

}  // namespace

// --- TXc12XFEditor ---

TXc12XFEditor::TXc12XFEditor(TXc12DataStyleSheet& styleSheet) : StyleSheet_(styleSheet) {}

void TXc12XFEditor::StepCompaction() {
    if (++CompactCounter_ < CompactEvery) return;
    Compact();
}

void TXc12XFEditor::Compact() {
    CompactCounter_ = 0;
    TXc12XFs& xfs = StyleSheet_.XFs();
    TXc12Fonts& fonts = StyleSheet_.Fonts();
    TXc12Fills& fills = StyleSheet_.Fills();
    TXc12Borders& borders = StyleSheet_.Borders();
    if (HasCandidate(fonts) || HasCandidate(fills) || HasCandidate(borders)) {
        // A part that a surviving XF or a style XF still points at stays, whatever its count
        // says: deleting it would leave that XF with a dangling part.
        std::unordered_set<const TXLSStyleObject*> referenced;
        for (int i = 0; i < xfs.Count(); ++i)
            if (const TXc12XF* xf = xfs.GetItems(i); Survives(xf)) AddParts(*xf, referenced);
        TXc12XFs& styleXFs = StyleSheet_.StyleXFs();
        for (int i = 0; i < styleXFs.Count(); ++i)
            if (const TXc12XF* xf = styleXFs.GetItems(i)) AddParts(*xf, referenced);
        CompactParts(fonts, referenced);
        CompactParts(fills, referenced);
        CompactParts(borders, referenced);
    }
    while (xfs.Count() > 0) {
        const TXc12XF* last = xfs.GetItems(xfs.Count() - 1);
        if (!last || last->BuiltIn() || last->UseCount() > 0) break;
        xfs.Delete(xfs.Count() - 1);
    }
    for (int i = 0; i < xfs.Count(); ++i)
        if (const TXc12XF* xf = xfs.GetItems(i); xf && !Survives(xf)) xfs.FreeSlot(*xf);
}

void TXc12XFEditor::BeginEdit(const TXc12XF* xf) {
    StepCompaction();
    Source_ = xf ? xf : StyleSheet_.XFs().GetDefault();
    ScratchXF_.CopyOwnFields(*Source_);
    if (Source_->GetNumberFormat()) ScratchNumberFormat_.Assign(*Source_->GetNumberFormat());
    if (Source_->GetFont()) ScratchFont_.Assign(*Source_->GetFont());
    if (Source_->GetFill()) ScratchFill_.Assign(*Source_->GetFill());
    if (Source_->GetBorder()) ScratchBorder_.Assign(*Source_->GetBorder());
    ProtectionChanged_ = AlignmentChanged_ = NumberFormatChanged_ = false;
    FontChanged_ = FillChanged_ = BorderChanged_ = false;
}

TXc12XF* TXc12XFEditor::EndEdit() {
    if (!Source_) throw EXLSError("XF edit not begun");
    TXc12XF probe;
    probe.CopyOwnFields(ScratchXF_);
    probe.SetNumberFormat(NumberFormatChanged_ ? &ScratchNumberFormat_ : Source_->GetNumberFormat());
    probe.SetFont(FontChanged_ ? &ScratchFont_ : Source_->GetFont());
    probe.SetFill(FillChanged_ ? &ScratchFill_ : Source_->GetFill());
    probe.SetBorder(BorderChanged_ ? &ScratchBorder_ : Source_->GetBorder());
    TXc12XFs& xfs = StyleSheet_.XFs();
    if (TXc12XF* found = xfs.Find(probe)) return found;

    const TXc12XF* source = Source_;
    TXc12XF* xf = xfs.AllocXF(source);
    xf->CopyOwnFields(ScratchXF_);
    uint8_t apply = 0;
    if (ProtectionChanged_) apply |= xfaProtection;
    if (AlignmentChanged_) apply |= xfaAlignment;
    auto part = [&](bool changed, auto& list, auto& scratch, auto* sourcePart, uint8_t bit, auto setter) {
        if (!changed) {
            (xf->*setter)(sourcePart);
            return;
        }
        auto* stored = list.Find(scratch);
        if (!stored) {
            stored = list.Add();
            stored->Assign(scratch);
        }
        (xf->*setter)(stored);
        apply |= bit;
    };
    part(NumberFormatChanged_, StyleSheet_.NumFmts(), ScratchNumberFormat_, source->GetNumberFormat(), xfaNumberFormat,
         &TXc12XF::SetNumberFormat);
    part(FontChanged_, StyleSheet_.Fonts(), ScratchFont_, source->GetFont(), xfaFont, &TXc12XF::SetFont);
    part(FillChanged_, StyleSheet_.Fills(), ScratchFill_, source->GetFill(), xfaFill, &TXc12XF::SetFill);
    part(BorderChanged_, StyleSheet_.Borders(), ScratchBorder_, source->GetBorder(), xfaBorder, &TXc12XF::SetBorder);
    xf->SetApply(apply);
    return xf;
}

void TXc12XFEditor::SetFillColor(uint32_t rgb) {
    // A fill without a pattern shows no colour, whatever its record holds: black on an empty
    // fill is a change.
    if (Xc12ColorToRGB(ScratchFill_.GetFgColor()) == rgb && ScratchFill_.GetPatternType() != efpNone) return;
    ScratchFill_.SetFgColor(Xc12ColorFromRGB(rgb));
    if (!FillChanged_) {
        FillChanged_ = true;
        ScratchFill_.SetPatternType(efpSolid);
    }
}

void TXc12XFEditor::SetHorizAlignment(uint8_t value) {
    if (ScratchXF_.GetAlignment().GetHorizAlignment() == value) return;
    ScratchXF_.GetAlignment().SetHorizAlignment(value);
    AlignmentChanged_ = true;
}

void TXc12XFEditor::SetVertAlignment(uint8_t value) {
    if (ScratchXF_.GetAlignment().GetVertAlignment() == value) return;
    ScratchXF_.GetAlignment().SetVertAlignment(value);
    AlignmentChanged_ = true;
}

void TXc12XFEditor::SetBorderColor(TXc12BorderLine line, uint32_t rgb) {
    if (ScratchBorder_.GetLineRGB(line) == rgb) return;
    ScratchBorder_.SetLineRGB(line, rgb);
    BorderChanged_ = true;
}

void TXc12XFEditor::SetBorderStyle(TXc12BorderLine line, TXc12CellBorderStyle style) {
    if (ScratchBorder_.Line(line).Style == style) return;
    ScratchBorder_.SetLineStyle(line, style);
    BorderChanged_ = true;
}

void TXc12XFEditor::SetFontName(std::u16string_view name) {
    if (SameText(ScratchFont_.GetName(), name)) return;
    ScratchFont_.SetName(name);
    FontChanged_ = true;
}

void TXc12XFEditor::SetFontSize(double size) {
    if (ScratchFont_.GetSize() == size) return;
    ScratchFont_.SetSize(size);
    FontChanged_ = true;
}

void TXc12XFEditor::SetFontStyle(TXc12FontStyles style) {
    if (ScratchFont_.GetStyle() == (style & 0x7F)) return;
    ScratchFont_.SetStyle(style);
    FontChanged_ = true;
}

namespace {

void AddRefParts(TXc12XF& xf, int32_t count = 1) {
    xf.AddRefs(count);
    if (xf.GetNumberFormat()) xf.GetNumberFormat()->AddRefs(count);
    if (xf.GetFont()) xf.GetFont()->AddRefs(count);
    if (xf.GetFill()) xf.GetFill()->AddRefs(count);
    if (xf.GetBorder()) xf.GetBorder()->AddRefs(count);
}

}  // namespace

void TXc12XFEditor::AddRefXF(int index, int32_t count) {
    TXc12XF* xf = StyleSheet_.XFs().GetItems(index);
    if (!xf) throw EXLSError("XF slot is empty");
    AddRefParts(*xf, count);
}

void TXc12XFEditor::ReleaseXF(int index) {
    TXc12XF* xf = StyleSheet_.XFs().GetItems(index);
    if (!xf) throw EXLSError("XF slot is empty");
    xf->Release();
    if (xf->GetNumberFormat()) xf->GetNumberFormat()->Release();
    if (xf->GetFont()) xf->GetFont()->Release();
    if (xf->GetFill()) xf->GetFill()->Release();
    if (xf->GetBorder()) xf->GetBorder()->Release();
}

void TXc12XFEditor::UseXF(TXc12XF& xf, int32_t count) { AddRefParts(xf, count); }

TXc12XF* TXc12XFEditor::UseDefaultXF() {
    TXc12XF* xf = StyleSheet_.XFs().GetDefault();
    AddRefParts(*xf);
    return xf;
}

void TXc12XFEditor::UseStyleXF(int index) {
    TXc12XF* xf = StyleSheet_.StyleXFs().GetItems(index);
    if (!xf) throw EXLSError("XF slot is empty");
    AddRefParts(*xf);
}

TXc12Font* TXc12XFEditor::UseFont(TXc12Font& font) {
    TXc12Font* stored = StyleSheet_.Fonts().Find(font);
    if (!stored) throw EXLSError("Can not find font");
    stored->AddRef();
    return stored;
}

bool TXc12XFEditor::FontInAnyXF(const TXc12Font* font) const {
    for (const TXc12XFs* list : {&StyleSheet_.XFs(), &StyleSheet_.StyleXFs()})
        for (int i = 0; i < list->Count(); ++i)
            if (const TXc12XF* xf = list->GetItems(i); xf && xf->GetFont() == font) return true;
    return false;
}

void TXc12XFEditor::ReleaseFont(TXc12Font* font) {
    if (!font) return;
    font->Release();
    TXc12Fonts& fonts = StyleSheet_.Fonts();
    // An XF out of use may still point at the font until the next compaction frees it.
    if (font->UseCount() <= 0 && !font->BuiltIn() && font->Owner() == &fonts && !FontInAnyXF(font))
        fonts.Delete(font->Index());
}

void TXc12XFEditor::DropFont(TXc12Font* font) {
    TXc12Fonts& fonts = StyleSheet_.Fonts();
    const int index = fonts.IndexOf(font);
    // Font 0 is the workbook's default font, which every list keeps.
    if (index <= 0 || font->UseCount() > 0 || FontInAnyXF(font)) return;
    fonts.Delete(index);
}

void TXc12XFEditor::ReleaseFontRuns(const TXc12FontRun* runs, int count) {
    for (int i = 0; i < count; ++i) ReleaseFont(runs[i].Font);
}

void TXc12XFEditor::AddRefFontRuns(const TXc12FontRun* runs, int count) {
    for (int i = 0; i < count; ++i)
        if (runs[i].Font) runs[i].Font->AddRef();
}

void TXc12XFEditor::SetAllBuiltIn() {
    auto mark = [](TXLSStyleObjectList& list) {
        for (int i = 0; i < list.Count(); ++i)
            if (TXLSStyleObject* item = list.GetItems(i)) item->SetBuiltIn(true);
    };
    mark(StyleSheet_.NumFmts());
    mark(StyleSheet_.Fonts());
    mark(StyleSheet_.Fills());
    mark(StyleSheet_.Borders());
}

// --- TXc12DataStyleSheet ---

TXc12DataStyleSheet::TXc12DataStyleSheet()
    : XFs_(*this), StyleXFs_(*this), XFEditor_(std::make_unique<TXc12XFEditor>(*this)) {
    Reset();
}

void TXc12DataStyleSheet::Reset() {
    // XFs point at the parts: they go first, so that none is left pointing at a freed part.
    XFs_.Clear();
    StyleXFs_.Clear();
    CellStyles_.Clear();
    NumFmts_.Reset();
    Fonts_.Reset();
    Fills_.Reset();
    Borders_.Reset();
    CellStyles_.Reset();
    TableStyles_.Reset();
    MRUColors_.Reset();
    IndexColors_.Reset();
    XFs_.Reset();
    StyleXFs_.Reset();
    DXFs_.Reset();
}

void TXc12DataStyleSheet::SetXFDefaults(TXc12XF& xf) const {
    xf.SetBorder(Borders_.GetDefaultBorder());
    xf.SetFill(Fills_.GetDefaultFill());
    xf.SetFont(Fonts_.GetDefaultFont());
    xf.SetNumberFormat(NumFmts_.GetDefaultFormat());
    xf.SetXF(nullptr);
}

void TXc12DataStyleSheet::AfterLoadColors() {
    Fills_.UpdateIndexedColors();
    MRUColors_.UpdateIndexedColors();
    Fonts_.UpdateIndexedColors();
}

void TXc12DataStyleSheet::PrepareWrite() {
    XFEditor_->Compact();
    for (TXLSStyleObjectList* list : std::initializer_list<TXLSStyleObjectList*>{
             &NumFmts_, &Fonts_, &Fills_, &Borders_, &CellStyles_, &TableStyles_, &MRUColors_, &IndexColors_, &XFs_,
             &StyleXFs_, &DXFs_})
        list->Renumber();
}

void TXc12DataStyleSheet::GetDPI(int& x, int& y) const {
    x = y = Xc12ScreenPixelsPerInch;
    if (OnPixelsPerInch) OnPixelsPerInch(x, y);
}

}  // namespace xls
