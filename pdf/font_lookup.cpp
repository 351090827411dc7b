#include "pdf/font_lookup.h"

namespace pdf {
namespace {

bool Matches(const platform::TFontFace& face, TFontStyles style) {
    return face.Bold == bool(style & fsBold) && face.Italic == bool(style & fsItalic);
}

}  // namespace

uint8_t ResolveCharset(uint8_t charset) { return charset == 1 ? 0 : charset; }

bool FindInstalledFont(std::string& faceName, TFontStyles& style) {
    const auto faces = platform::Fonts::FacesOf(faceName);
    if (faces.empty()) return false;
    const TFontStyles decoration = style & (fsUnderline | fsStrikeOut);
    TFontStyles request = style & (fsBold | fsItalic);
    const TFontStyles first = (faces.front()->Bold ? TFontStyles(fsBold) : 0u) |
                             (faces.front()->Italic ? TFontStyles(fsItalic) : 0u);
    std::vector<TFontStyles> rounds{request};
    if (request & fsItalic) rounds.push_back(request &= ~TFontStyles(fsItalic));
    if (request & fsBold) rounds.push_back(request &= ~TFontStyles(fsBold));
    rounds.push_back(0);
    rounds.push_back(first);
    for (TFontStyles round : rounds)
        for (const platform::TFontFace* face : faces)
            if (Matches(*face, round)) {
                faceName = face->Family;
                style = round | decoration;
                return true;
            }
    return false;
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
    for (const platform::TFontFace* face : platform::Fonts::FacesOf(faceName))
        if (Matches(*face, style)) return face;
    return nullptr;
}

}  // namespace pdf
