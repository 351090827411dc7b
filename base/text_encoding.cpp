#include "base/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "base/exception.h"

namespace base {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Decodes one code point at text[i], advancing i; malformed sequences yield U+FFFD and
// consume one byte, so decoding always makes progress.
char32_t DecodeUtf8(std::string_view text, size_t& i) {
    const auto lead = static_cast<uint8_t>(text[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return Replacement;
    }
    if (i + length > text.size()) {
        ++i;
        return Replacement;
    }
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<uint8_t>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return Replacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return Replacement;
    }
    i += length;
    return c;
}

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle OpenIconv(const char* to, const char* from) {
    iconv_t handle = iconv_open(to, from);
    if (handle == reinterpret_cast<iconv_t>(-1))
        throw EConvertError(std::string("No conversion from ") + from + " to " + to);
    return IconvHandle(handle);
}

// Runs iconv over input; on a sequence it cannot convert, appends replacement and skips
// skipLength(input at that point) bytes. Handles are cached per thread.
template <typename SkipFn>
std::string Iconv(iconv_t handle, std::string_view input, std::string_view replacement, SkipFn skipLength) {
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(input.size() * 3 / 2 + 8);
    char buffer[4096];
    size_t position = 0;
    while (position < input.size()) {
        char* in = const_cast<char*>(input.data() + position);
        size_t inLeft = input.size() - position;
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        position = input.size() - inLeft;
        if (result != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (truncated input): replace and step over the offending unit.
        out.append(replacement);
        position += std::max<size_t>(1, skipLength(input.substr(position)));
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// The converter from a code page to UTF-16LE (toCodePage: the other way), opened once per
// thread, code page and direction.
iconv_t CodePageConverter(int codePage, bool toCodePage = false) {
    thread_local std::map<std::pair<int, bool>, IconvHandle> converters;
    auto found = converters.find({codePage, toCodePage});
    if (found == converters.end()) {
        const std::string page = "CP" + std::to_string(codePage);
        found = converters
                    .emplace(std::pair{codePage, toCodePage},
                             toCodePage ? OpenIconv(page.c_str(), "UTF-16LE") : OpenIconv("UTF-16LE", page.c_str()))
                    .first;
    }
    return static_cast<iconv_t>(found->second.get());
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char32_t c = DecodeUtf8(text, i);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = Replacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string Cp936ToUtf8(std::string_view bytes) {
    thread_local IconvHandle handle = OpenIconv("UTF-8", "CP936");
    return Iconv(static_cast<iconv_t>(handle.get()), bytes, "\xEF\xBF\xBD", [](std::string_view) { return 1; });
}

std::u16string CodePageToUtf16(std::string_view bytes, int codePage) {
    const std::string units = Iconv(CodePageConverter(codePage), bytes, "", [](std::string_view) { return 1; });
    std::u16string out(units.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(uint8_t(units[2 * i]) | uint8_t(units[2 * i + 1]) << 8);
    return out;
}

bool Utf16ToCodePage(std::u16string_view text, int codePage, std::string& out) {
    out.clear();
    std::string units(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        units[2 * i] = static_cast<char>(text[i] & 0xFF);
        units[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    const iconv_t handle = CodePageConverter(codePage, true);
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];
    char* in = units.data();
    size_t inLeft = units.size();
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (result == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    // A code page that keeps a shift state ends it.
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(handle, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    return true;
}

std::string Utf8ToCp936(std::string_view text) {
    thread_local IconvHandle handle = OpenIconv("CP936", "UTF-8");
    return Iconv(static_cast<iconv_t>(handle.get()), text, "?", [](std::string_view rest) {
        size_t i = 0;
        DecodeUtf8(rest, i);
        return i;
    });
}

}  // namespace base
