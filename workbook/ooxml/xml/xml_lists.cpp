#include "workbook/ooxml/xml/xml_lists.h"

#include <algorithm>
#include <charconv>

#include "base/exception.h"
#include "base/text_encoding.h"
#include "base/text_utils.h"
#include "workbook/ooxml/xml/xml_values.h"
#include "workbook/ooxml/xml/xml_writer.h"

namespace xls {

void TBaseXpgList::CheckIndex(int index) const {
    if (index < 0 || index >= GetCount())
        throw base::Exception("List index out of bounds (" + std::to_string(index) + ")");
}

void TBaseXpgList::WriteElements(TXpgWriteXML& writer, std::string_view name) const {
    for (int i = 0; i < GetCount(); ++i) writer.TextElement(name, base::Utf8ToUtf16(GetItemText(i)));
}

template <typename T>
std::u16string TItemXpgList<T>::GetDelimitedText() const {
    std::u16string text;
    for (size_t i = 0; i < Items_.size(); ++i) {
        if (i > 0) text += Delimiter_;
        text += base::Utf8ToUtf16(Format(Items_[i]));
    }
    return text;
}

template <typename T>
void TItemXpgList<T>::SetDelimitedText(std::u16string_view text) {
    Clear();
    std::u16string rest(text);
    std::u16string piece;
    while (!rest.empty()) {
        base::SplitAtChar(Delimiter_, rest, piece);
        T value{};
        if (TryParse(piece, value))
            Items_.push_back(value);
        else
            ItemError();
    }
}

template class TItemXpgList<double>;
template class TItemXpgList<uint32_t>;
template class TItemXpgList<bool>;

double TExtendedXpgList::Parse(std::u16string_view text) const { return XmlStrToFloat(text); }
bool TExtendedXpgList::TryParse(std::u16string_view text, double& value) const { return TryXmlStrToFloat(text, value); }
std::string TExtendedXpgList::Format(double value) const { return base::Utf16ToUtf8(XmlFloatToStr(value)); }

bool TLongwordXpgList::TryParse(std::u16string_view text, uint32_t& value) const {
    const std::string ascii = base::Utf16ToUtf8(base::TrimText(text));
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.data(), end, value);
    return !ascii.empty() && ec == std::errc() && ptr == end;
}
uint32_t TLongwordXpgList::Parse(std::u16string_view text) const {
    uint32_t value = 0;
    if (!TryParse(text, value))
        throw base::EConvertError("'" + base::Utf16ToUtf8(text) + "' is not a valid integer value");
    return value;
}
std::string TLongwordXpgList::Format(uint32_t value) const { return std::to_string(value); }

double TTDateTimeXpgList::Parse(std::u16string_view text) const { return XmlStrToDateTime(text); }
bool TTDateTimeXpgList::TryParse(std::u16string_view text, double& value) const {
    return TryXmlStrToDateTime(text, value);
}
std::string TTDateTimeXpgList::Format(double value) const { return base::Utf16ToUtf8(XmlDateTimeToStr(value)); }

bool TBooleanXpgList::Parse(std::u16string_view text) const { return XmlStrToBool(text); }
bool TBooleanXpgList::TryParse(std::u16string_view text, bool& value) const { return TryXmlStrToBool(text, value); }
std::string TBooleanXpgList::Format(bool value) const { return value ? "true" : "false"; }

std::string TStringXpgList::GetItemText(int index) const {
    CheckIndex(index);
    return Items_[static_cast<size_t>(index)];
}

void TStringXpgList::SetItemText(int index, std::u16string_view text) {
    CheckIndex(index);
    Items_[static_cast<size_t>(index)] = base::Utf16ToUtf8(text);
}

std::u16string TStringXpgList::Items(int index) const { return base::Utf8ToUtf16(GetItemText(index)); }

void TStringXpgList::Add(std::u16string_view text) { Items_.push_back(base::Utf16ToUtf8(text)); }

void TStringXpgList::AddAttribute(std::u16string_view name, std::u16string_view value) {
    Items_.push_back(base::Utf16ToUtf8(name) + "=\"" + base::Utf16ToUtf8(value) + "\" ");
}

int TStringXpgList::IndexOf(std::u16string_view text) const {
    const std::string wanted = base::Utf16ToUtf8(text);
    for (size_t i = 0; i < Items_.size(); ++i)
        if (Items_[i] == wanted) return static_cast<int>(i);
    return -1;
}

std::u16string TStringXpgList::GetText() const {
    std::string text;
    for (const std::string& item : Items_) text += item + "\r\n";
    return base::Utf8ToUtf16(text);
}

namespace {

bool IsBlankByte(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::u16string TStringXpgList::GetDelimitedText() const {
    const std::string delimiter = base::Utf16ToUtf8(std::u16string(1, Delimiter_));
    if (Items_.size() == 1 && Items_[0].empty()) return u"\"\"";
    std::string text;
    for (size_t i = 0; i < Items_.size(); ++i) {
        const std::string& item = Items_[i];
        if (i > 0) text += delimiter;
        const bool quote = std::any_of(item.begin(), item.end(), [&](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == '"' || delimiter.find(c) != std::string::npos;
        });
        if (!quote) {
            text += item;
            continue;
        }
        text += '"';
        for (const char c : item) {
            if (c == '"') text += '"';
            text += c;
        }
        text += '"';
    }
    return base::Utf8ToUtf16(text);
}

void TStringXpgList::SetDelimitedText(std::u16string_view text) {
    Clear();
    // The text ends at a NUL character, as the class library's C-string scan does.
    std::string value = base::Utf16ToUtf8(text);
    value.resize(std::min(value.size(), value.find('\0')));
    const std::string delimiter = base::Utf16ToUtf8(std::u16string(1, Delimiter_));
    const auto atDelimiter = [&](size_t p) { return std::string_view(value).substr(p).starts_with(delimiter); };
    size_t p = 0;
    while (p < value.size() && IsBlankByte(value[p])) ++p;
    while (p < value.size()) {
        std::string item;
        if (value[p] == '"') {
            for (++p; p < value.size(); ++p) {
                if (value[p] == '"') {
                    if (p + 1 < value.size() && value[p + 1] == '"')
                        ++p;
                    else {
                        ++p;
                        break;
                    }
                }
                item += value[p];
            }
        } else {
            const size_t start = p;
            while (p < value.size() && !IsBlankByte(value[p]) && !atDelimiter(p)) ++p;
            item = value.substr(start, p - start);
        }
        Items_.push_back(std::move(item));
        while (p < value.size() && IsBlankByte(value[p])) ++p;
        if (p < value.size() && atDelimiter(p)) {
            p += delimiter.size();
            if (p == value.size()) Items_.emplace_back();
            while (p < value.size() && IsBlankByte(value[p])) ++p;
        }
    }
}

}  // namespace xls
