#include "workbook/ooxml/xml/xml_attributes.h"

#include "base/exception.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/xml/xml_values.h"

namespace xls {

const TXpgXmlAttribute& TXpgXMLAttributeList::Item(int index) const {
    if (index < 0 || index >= Count_) throw base::Exception("XML attribute index out of range");
    return Items_[static_cast<size_t>(index)];
}

int32_t TXpgXMLAttributeList::NameHash(int index) const { return XmlNameHash(std::string_view(Item(index).RawName)); }

uint32_t TXpgXMLAttributeList::NameHashRS(int index) const {
    return XmlNameHashRS(std::string_view(Item(index).RawName));
}

std::u16string TXpgXMLAttributeList::GetNameValueText(int index) const {
    const TXpgXmlAttribute& item = Item(index);
    return item.Name + u"=\"" + item.Value + u"\"";
}

TXpgXmlAttribute& TXpgXMLAttributeList::AppendItem() {
    if (static_cast<size_t>(Count_) == Items_.size()) Items_.emplace_back();
    TXpgXmlAttribute& item = Items_[static_cast<size_t>(Count_++)];
    item.Flag = 0;
    return item;
}

void TXpgXMLAttributeList::Add(std::u16string_view name, std::u16string_view value) {
    TXpgXmlAttribute& item = AppendItem();
    item.RawName = base::Utf16ToUtf8(name);
    item.Name.assign(name);
    item.Value.assign(value);
}

void TXpgXMLAttributeList::AddItems(const TXpgXMLAttributeList& source, int count) {
    for (int i = 0; i < count && i < source.Count(); ++i) Add(source.GetName(i), source.GetValue(i));
}

}  // namespace xls
