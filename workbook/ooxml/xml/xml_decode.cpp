#include "workbook/ooxml/xml/xml_decode.h"

#include <algorithm>

#include "base/exception.h"
#include "base/text_encoding.h"

namespace xls {

namespace {

// ASCII without anything to decode is widened directly (most names, numbers and references).
bool WidenPlain(std::string_view raw, bool attributeValue, std::u16string& out) {
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 || c == '&' || c == '\r' || c == '<' || (attributeValue && (c == '\t' || c == '\n')))
            return false;
    }
    out.assign(raw.begin(), raw.end());
    return true;
}

bool IsXmlChar(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

[[noreturn]] void EntityError(std::string_view what, std::string_view entity) {
    throw base::Exception("Syntax error in XML: " + std::string(what) + " \"&" + std::string(entity) + ";\"");
}

// "&#65;" or "&#x41;": the code point, checked to be a character XML allows.
uint32_t CharacterReference(std::string_view entity) {
    const bool hex = entity.size() > 1 && entity[1] == 'x';
    const std::string_view digits = entity.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) EntityError("invalid character reference", entity);
    uint32_t value = 0;
    for (const char c : digits) {
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else
            EntityError("invalid character reference", entity);
        value = value * (hex ? 16 : 10) + digit;
    }
    if (!IsXmlChar(value)) EntityError("reference to a character XML does not allow", entity);
    return value;
}

// Longest entity text between "&" and ";" (the hexadecimal reference "#x10FFFF" and padding).
constexpr size_t MaxEntityLength = 12;

}  // namespace

bool IsWritableXmlName(std::string_view name) {
    return !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F ||
               std::string_view("<>&\"'=/").find(c) != std::string_view::npos;
    });
}

void DecodeXmlName(std::string_view raw, std::u16string& out) {
    if (!WidenPlain(raw, false, out)) out = base::Utf8ToUtf16(raw);
}

void DecodeXmlText(std::string_view raw, bool attributeValue, std::u16string& out) {
    if (WidenPlain(raw, attributeValue, out)) return;
    std::string utf8;
    utf8.reserve(raw.size());
    const char lineEnd = attributeValue ? ' ' : '\n';
    for (size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '&') {
            const size_t semicolon = raw.find(';', i + 1);
            if (semicolon == std::string_view::npos || semicolon - i - 1 > MaxEntityLength)
                EntityError("\"&\" without \";\" at", raw.substr(i + 1, std::min(MaxEntityLength, raw.size() - i - 1)));
            const std::string_view entity = raw.substr(i + 1, semicolon - i - 1);
            if (entity == "lt")
                utf8 += '<';
            else if (entity == "gt")
                utf8 += '>';
            else if (entity == "amp")
                utf8 += '&';
            else if (entity == "apos")
                utf8 += '\'';
            else if (entity == "quot")
                utf8 += '"';
            else if (!entity.empty() && entity[0] == '#')
                base::AppendUtf8(utf8, CharacterReference(entity));
            else
                EntityError("unknown entity", entity);
            i = semicolon;
        } else if (c == '\r') {
            if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
            utf8 += lineEnd;
        } else if (attributeValue && (c == '\t' || c == '\n')) {
            utf8 += ' ';
        } else if (!attributeValue && c == '<' && raw.substr(i).starts_with("<![CDATA[")) {
            // CDATA content is taken as it stands, apart from line ends.
            const size_t close = raw.find("]]>", i + 9);
            const size_t stop = close == std::string_view::npos ? raw.size() : close;
            for (size_t k = i + 9; k < stop; ++k) {
                if (raw[k] == '\r') {
                    if (k + 1 < stop && raw[k + 1] == '\n') ++k;
                    utf8 += '\n';
                } else {
                    utf8 += raw[k];
                }
            }
            i = stop + 2;
        } else {
            utf8 += c;
        }
    }
    out = base::Utf8ToUtf16(utf8);
}

}  // namespace xls
