#pragma once

#include <string>
#include <string_view>

namespace base {

// UTF-8 <-> UTF-16. Malformed input (bad UTF-8 sequences, unpaired surrogates) becomes
// U+FFFD instead of failing: text from outside must never stop a conversion.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// Appends the UTF-8 bytes of one code point (up to U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);

// Code page 936 (Simplified Chinese) <-> UTF-8, through iconv. Bytes that are not valid
// CP936 decode to U+FFFD; characters CP936 cannot encode become '?', as the Windows
// conversion writes its default character.
std::string Cp936ToUtf8(std::string_view bytes);
std::string Utf8ToCp936(std::string_view text);

// Bytes of a Windows code page (936, 1252, ...) as UTF-16; bytes the code page does not
// define are dropped. Raises EConvertError when the system has no converter for the code
// page. Each thread opens a code page's converter once and keeps it.
std::u16string CodePageToUtf16(std::string_view bytes, int codePage);
// UTF-16 text as the bytes of a Windows code page. False when a character has no byte in the
// code page (out then holds what came before it). Raises EConvertError as CodePageToUtf16.
bool Utf16ToCodePage(std::u16string_view text, int codePage, std::string& out);

}  // namespace base
