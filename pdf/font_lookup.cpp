#include "pdf/font_lookup.h"

#include <string_view>

namespace pdf {
namespace {

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return result;
}

// The face's own spelling of the name it was found by, so that a later lookup by that name
// finds the same faces (a condensed face is also listed under its wider family's name);
// a substitute face keeps its own first name.
std::string NameFoundBy(const platform::TFontFace& face, const std::string& requested) {
    const std::string lowered = Lower(requested);
    for (const std::string& name : face.Families)
        if (Lower(name) == lowered) return name;
    return face.Family;
}

}  // namespace

uint8_t ResolveCharset(uint8_t charset) { return charset == 1 ? 0 : charset; }

bool FindInstalledFont(std::string& faceName, TFontStyles& style) {
    const platform::TFontFace* face = platform::Fonts::Match(faceName, style & fsBold, style & fsItalic);
    if (!face) return false;
    faceName = NameFoundBy(*face, faceName);
    style = (style & (fsUnderline | fsStrikeOut)) | (face->Bold ? TFontStyles(fsBold) : 0u) |
            (face->Italic ? TFontStyles(fsItalic) : 0u);
    return true;
}

std::string FindTrueTypeFontForCharset(uint8_t charset) {
    charset = ResolveCharset(charset);
    for (const platform::TFontFace& face : platform::Fonts::Faces())
        if (face.HasCharset(charset)) return face.Family;
    return {};
}

bool IsTrueTypeFontInstalled(const std::string& faceName, uint8_t charset) {
    if (faceName.empty()) return false;
    for (const platform::TFontFace* face : platform::Fonts::FacesOf(faceName))
        if (charset == 1 || face->HasCharset(charset)) return true;
    return false;
}

const platform::TFontFace* InstalledFace(const std::string& faceName, TFontStyles style) {
    return platform::Fonts::Match(faceName, style & fsBold, style & fsItalic);
}

}  // namespace pdf
