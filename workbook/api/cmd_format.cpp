#include "workbook/api/cmd_format.h"

#include "workbook/model/document_root.h"

namespace xls {

TXLSCmdFormat::TXLSCmdFormat(TXc12Manager& manager) : StyleSheet_(manager.StyleSheet()) { Reset(); }

void TXLSCmdFormat::Reset() {
    const TXc12XF& xf0 = *StyleSheet_.XFs().GetDefault();
    Alignment = TAlignmentCmd();
    Alignment.Alignment = xf0.GetAlignment();
    Number = TNumberCmd();
    if (const TXc12NumberFormat* format = StyleSheet_.NumFmts().GetDefaultFormat())
        Number.FormatString = format->GetFormatString();
    Number.Values = {0, 0, 536870912, 0, -1};
    Font.Changed = {};
    if (const TXc12Font* font = StyleSheet_.Fonts().GetDefaultFont()) Font.Font.Assign(*font);
    Font.Font.SetColor(Xc12ColorAutomatic());
    Fill.Changed = {};
    Fill.Option = 0;
    if (const TXc12Fill* fill = StyleSheet_.Fills().GetDefaultFill()) Fill.Fill.Assign(*fill);
    Border = TBorderCmd();
    Border.Sides.fill(SideUnset);
    if (const TXc12Border* border = StyleSheet_.Borders().GetDefaultBorder()) {
        Border.Style = border->Line(xblLeft).Style;
        Border.Color = border->Line(xblLeft).Color;
    }
    Protection = TProtectionCmd();
    ScratchXF.Assign(xf0);
    Value = 0;
    Flags = 0;
    AlignmentChanged = ProtectionChanged = NumberChanged = false;
    FillChanged = FontChanged = BorderChanged = false;
}

}  // namespace xls
