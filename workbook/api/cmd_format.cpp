#include "workbook/api/cmd_format.h"

#include "workbook/model/document_root.h"

namespace xls {

void TXLSCmdFormatColor::SetColor(const TXc12Color& color) {
    Set_(color);
    if (OnChange) OnChange();
}

void TXLSCmdFormatAlignment::Reset() {
    Changed = {};
    XF.GetAlignment().Assign(XFs_.GetDefault()->GetAlignment());
    Command_.AlignmentChanged = false;
}

void TXLSCmdFormatNumber::Reset() {
    if (const TXc12NumberFormat* format = Formats_.GetDefaultFormat())
        Format.SetFormatString(format->GetFormatString());
    Values = {0, 0, 536870912, 0, -1};
    Flags = {};
    Command_.NumberChanged = false;
}

TXLSCmdFormatFont::TXLSCmdFormatFont(TXLSCmdFormat& command, TXc12Fonts& fonts)
    : Color([this]() -> const TXc12Color& { return Font.GetColor(); },
            [this](const TXc12Color& color) { Font.SetColor(color); }),
      Command_(command),
      Fonts_(fonts) {
    Color.OnChange = [this] {
        Changed[cffColor] = true;
        Command_.FontChanged = true;
    };
}

void TXLSCmdFormatFont::Reset() {
    if (const TXc12Font* font = Fonts_.GetDefaultFont()) Font.Assign(*font);
    Color.Reset();
    Changed = {};
    Command_.FontChanged = false;
}

TXLSCmdFormatFill::TXLSCmdFormatFill(TXLSCmdFormat& command, TXc12Fills& fills)
    : FgColor([this]() -> const TXc12Color& { return Fill.GetFgColor(); },
              [this](const TXc12Color& color) { Fill.SetFgColor(color); }),
      BgColor([this]() -> const TXc12Color& { return Fill.GetBgColor(); },
              [this](const TXc12Color& color) { Fill.SetBgColor(color); }),
      Command_(command),
      Fills_(fills) {
    FgColor.OnChange = [this] {
        Changed[cflFgColor] = true;
        if (Fill.GetPatternType() == efpNone) {
            Fill.SetPatternType(efpSolid);
            Changed[cflPattern] = true;
        }
        Command_.FillChanged = true;
    };
    BgColor.OnChange = [this] {
        Changed = {true, true, true};
        Command_.FillChanged = true;
    };
}

void TXLSCmdFormatFill::Reset() {
    if (const TXc12Fill* fill = Fills_.GetDefaultFill()) Fill.Assign(*fill);
    Option = 0;
    Changed = {};
    Command_.FillChanged = false;
}

TXLSCmdFormatBorder::TXLSCmdFormatBorder(TXLSCmdFormat& command)
    : Color([this]() -> const TXc12Color& { return ColorRec; }, [this](const TXc12Color& color) { ColorRec = color; }),
      Command_(command) {}

void TXLSCmdFormatBorder::Reset() {
    Sides.fill(XLSCmdStateUnset);
    Lines = {};
    Style = cbsNone;
    ColorRec = TXc12Color();
    if (const TXc12Border* border = Command_.StyleSheet().Borders().GetDefaultBorder()) {
        Style = border->Line(xblLeft).Style;
        ColorRec = border->Line(xblLeft).Color;
    }
    Command_.BorderChanged = false;
}

void TXLSCmdFormatProtection::Reset() {
    XF.SetProtection(XFs_.GetDefault()->GetProtection());
    Locked = XLSCmdStateUnset;
    Hidden = XLSCmdStateUnset;
    Command_.ProtectionChanged = false;
}

TXc12XF* TXLSDefaultFormats::Find(std::u16string_view name) const {
    const auto found = Items_.find(std::u16string(name));
    return found == Items_.end() ? nullptr : found->second.get();
}

TXc12XF* TXLSDefaultFormats::Add(std::u16string_view name, std::unique_ptr<TXc12XF> format) {
    std::unique_ptr<TXc12XF>& slot = Items_[std::u16string(name)];
    slot = std::move(format);
    return slot.get();
}

TXLSCmdFormat::TXLSCmdFormat(TXc12Manager& manager)
    : Alignment(*this, manager.StyleSheet().XFs()),
      Number(*this, manager.StyleSheet().NumFmts()),
      Font(*this, manager.StyleSheet().Fonts()),
      Fill(*this, manager.StyleSheet().Fills()),
      Border(*this),
      Protection(*this, manager.StyleSheet().XFs()),
      StyleSheet_(manager.StyleSheet()) {
    const TXc12XF& xf0 = *StyleSheet_.XFs().GetDefault();
    if (const TXc12NumberFormat* part = xf0.GetNumberFormat())
        OwnNumberFormat_.SetFormatString(part->GetFormatString());
    if (const TXc12Font* part = xf0.GetFont()) OwnFont_.Assign(*part);
    if (const TXc12Fill* part = xf0.GetFill()) OwnFill_.Assign(*part);
    if (const TXc12Border* part = xf0.GetBorder()) OwnBorder_.Assign(*part);
    OwnPartsXF_.CopyOwnFields(xf0);
    OwnPartsXF_.SetNumberFormat(&OwnNumberFormat_);
    OwnPartsXF_.SetFont(&OwnFont_);
    OwnPartsXF_.SetFill(&OwnFill_);
    OwnPartsXF_.SetBorder(&OwnBorder_);
    Reset();
}

void TXLSCmdFormat::Reset() {
    Alignment.Reset();
    Number.Reset();
    Font.Reset();
    Fill.Reset();
    Border.Reset();
    Protection.Reset();
    ScratchXF.Assign(*StyleSheet_.XFs().GetDefault());
    Flags = 0;
}

}  // namespace xls
