#pragma once

#include <string>
#include <string_view>

namespace xls {

// Decodes the raw UTF-8 bytes of a text or attribute value as XML reads them: the five
// predefined entities, decimal and hexadecimal character references, CDATA sections (in text),
// CR LF and CR as LF, and in attribute values tab, CR and LF as spaces. An unknown entity, an
// "&" without ";" and a reference to a character XML does not allow raise base::Exception.
// Malformed UTF-8 becomes U+FFFD.
void DecodeXmlText(std::string_view raw, bool attributeValue, std::u16string& out);
// A name: UTF-8 to UTF-16, nothing else.
void DecodeXmlName(std::string_view raw, std::u16string& out);
// False for an empty name and for one holding a blank, a control character or a markup
// character: written as it stands, such a name would change the document's structure.
bool IsWritableXmlName(std::string_view name);

}  // namespace xls
