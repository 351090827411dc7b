#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_write.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr uint16_t BIFFRECID_HLINK = 0x01B8;
constexpr uint16_t BIFFRECID_HLINKTOOLTIP = 0x0800;

// The class ids of [MS-OSHARED]: the hyperlink object, the URL moniker and the file moniker.
constexpr uint8_t StdLinkClsid[16] = {0xD0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                      0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr uint8_t URLMonikerClsid[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                         0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr uint8_t FileMonikerClsid[16] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// A 32-bit count of characters with the terminating zero, the characters and the zero.
void CountedString(TRecordBytes& data, const std::u16string& text) {
    data.Long(static_cast<uint32_t>(text.size() + 1));
    for (char16_t c : text) data.Word(c);
    data.Word(0);
}

void Characters(TRecordBytes& data, const std::u16string& text) {
    for (char16_t c : text) data.Word(c);
}

}  // namespace

void TXLSWriteBIFF::WriteHyperlinks() {
    if (!Worksheet_->hyperlinks) return;
    TXc12Hyperlinks& links = *Worksheet_->hyperlinks;
    for (int i = 0; i < links.Count(); ++i) {
        TXc12Hyperlink& link = *links.GetItems(i);
        TRecordBytes range;
        range.Word(static_cast<uint16_t>(link.GetRow1()))
            .Word(static_cast<uint16_t>(link.GetRow2()))
            .Word(static_cast<uint16_t>(link.GetCol1()))
            .Word(static_cast<uint16_t>(link.GetCol2()));

        uint32_t flags = 0;
        switch (link.LinkType) {
            case xhltURL: flags = 0x0003; break;
            case xhltFile: flags = 0x0001; break;
            case xhltUNC: flags = 0x0103; break;
            case xhltWorkbook: flags = 0x0008; break;
            default: break;
        }
        if (!link.display.empty()) flags |= 0x0014;
        if (!link.TargetFrame.empty()) flags |= 0x0080;
        if (!link.location.empty()) flags |= 0x0008;

        TRecordBytes data;
        data.Append(range.Bytes.data(), range.Bytes.size()).Append(StdLinkClsid, 16).Long(2).Long(flags);
        if (!link.display.empty()) CountedString(data, link.display);
        if (!link.TargetFrame.empty()) CountedString(data, link.TargetFrame);
        if (link.LinkType == xhltURL) {
            data.Append(URLMonikerClsid, 16).Long(static_cast<uint32_t>(2 * link.GetAddress().size() + 2));
            Characters(data, link.GetAddress());
            data.Word(0);
        } else if (link.LinkType == xhltFile) {
            // Leading "..\" parts are counted, not kept in the path (the model's address too).
            std::u16string address = link.GetAddress();
            uint16_t up = 0;
            while (address.starts_with(u"..\\")) {
                address.erase(0, 3);
                ++up;
            }
            if (up > 0) link.SetAddress(address);
            data.Append(FileMonikerClsid, 16).Word(up).Long(0).Word(0xFFFF).Word(0xDEAD).Zeros(20);
            if (address.empty()) {
                data.Long(0);
            } else {
                data.Long(static_cast<uint32_t>(2 * address.size() + 6))
                    .Long(static_cast<uint32_t>(2 * address.size()))
                    .Word(3);
                Characters(data, address);
            }
        } else if (link.LinkType == xhltUNC) {
            CountedString(data, link.GetAddress());
        }
        if (!link.location.empty()) CountedString(data, link.location);
        WriteRecordData(BIFFRECID_HLINK, data);

        if (!link.tooltip.empty()) {
            TRecordBytes tip;
            tip.Word(BIFFRECID_HLINKTOOLTIP).Append(range.Bytes.data(), range.Bytes.size());
            Characters(tip, link.tooltip);
            tip.Word(0);
            WriteRecordData(BIFFRECID_HLINKTOOLTIP, tip);
        }
    }
}

}  // namespace xls
