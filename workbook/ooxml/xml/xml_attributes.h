#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

// One attribute of a start tag: its name as it stands in the file (UTF-8 bytes, prefix
// included), the name and the value decoded to UTF-16, and a flag byte for the caller.
struct TXpgXmlAttribute {
    std::string RawName;
    std::u16string Name;
    std::u16string Value;
    uint8_t Flag = 0;
};

// The attributes of the current start tag. Items are reused from tag to tag, so reading a
// large part allocates nothing once the longest attribute has been seen.
class TXpgXMLAttributeList {
public:
    int Count() const { return Count_; }
    const std::u16string& GetName(int index) const { return Item(index).Name; }
    const std::u16string& GetValue(int index) const { return Item(index).Value; }
    std::string_view GetRawName(int index) const { return Item(index).RawName; }
    // Byte sum of the raw name, prefix and ":" included ("r:id" gives 377).
    int32_t NameHash(int index) const;
    uint32_t NameHashRS(int index) const;
    // name="value", the value as decoded (not escaped again).
    std::u16string GetNameValueText(int index) const;

    void Clear() { Count_ = 0; }
    // Appends a decoded pair; its raw name is its UTF-8 form.
    void Add(std::u16string_view name, std::u16string_view value);
    void AddItems(const TXpgXMLAttributeList& source, int count);
    // The item to fill next (used by the reader, which decodes into it in place).
    TXpgXmlAttribute& AppendItem();

private:
    const TXpgXmlAttribute& Item(int index) const;

    std::vector<TXpgXmlAttribute> Items_;
    int Count_ = 0;
};

}  // namespace xls
