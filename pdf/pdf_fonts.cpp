#include "pdf/pdf_fonts.h"

#include "pdf/font_lookup.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_number_format.h"

namespace pdf {
namespace {

int StandardIndex(const std::string& upper, TFontStyles style) {
    const int variant = ((style & fsBold) ? 1 : 0) + ((style & fsItalic) ? 2 : 0);
    if (upper == "HELVETICA") return variant;
    if (upper == "TIMES") return 4 + variant;
    if (upper == "COURIER") return 8 + variant;
    if (upper == "SYMBOL") return 12;
    if (upper == "ZAPFDINGBATS") return 13;
    return -1;
}

}  // namespace

std::string UpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

void TPDFFonts::Clear() {
    Requests_.clear();
    Fonts_.clear();
}

TPDFFont* TPDFFonts::FindTrueType(const std::string& upperName, TFontStyles style, bool unicode) const {
    for (const auto& font : Fonts_)
        if (!font->Standard() && font->Unicode() == unicode && font->Style() == style &&
            UpperCase(font->FaceName()) == upperName)
            return font.get();
    return nullptr;
}

TPDFFont& TPDFFonts::Lookup(const std::string& name, TFontStyles style, bool unicode, uint8_t charset) {
    const std::string upper = UpperCase(name);
    style &= fsBold | fsItalic;
    if (!unicode) {
        if (const int index = StandardIndex(upper, style); index >= 0) {
            for (const auto& font : Fonts_)
                if (font->Standard() && font->StandardIndex() == index) return *font;
            Fonts_.push_back(std::make_unique<TPDFFont>(index));
            return *Fonts_.back();
        }
        if (Owner_.EmulateStandardFont()) {
            if (upper == "ARIAL") return Lookup("Helvetica", style, false);
            if (upper == "TIMES NEW ROMAN") return Lookup("Times", style, false);
            if (upper == "COURIER NEW") return Lookup("Courier", style, false);
        }
    }
    const auto key = std::make_tuple(upper, style, unicode);
    if (auto found = Requests_.find(key); found != Requests_.end()) return *found->second;
    if (TPDFFont* font = FindTrueType(upper, style, unicode)) return *font;

    std::string face = name;
    TFontStyles found = style;
    if (!FindInstalledFont(face, found)) {
        if (!unicode) return Lookup("Helvetica", style, false);
        // A Unicode font must be a TrueType face: the charset's, else any installed one.
        face = FindTrueTypeFontForCharset(charset);
        if (face.empty() && !platform::Fonts::Faces().empty()) face = platform::Fonts::Faces().front().Family;
        found = style;
        if (face.empty() || !FindInstalledFont(face, found))
            throw TPDFException("No TrueType font is installed for Unicode text");
    }
    TPDFFont* font = FindTrueType(UpperCase(face), found, unicode);
    if (!font) font = &AddTrueType(face, found, unicode);
    Requests_.emplace(key, font);
    return *font;
}

TPDFFont& TPDFFonts::AddTrueType(const std::string& faceName, TFontStyles style, bool unicode) {
    const platform::TFontFace* face = InstalledFace(faceName, style);
    if (!face) throw TPDFException("No TrueType font is installed for Unicode text");
    const std::string upper = UpperCase(faceName);
    bool embed = true;
    for (const std::string& excluded : Owner_.NonEmbeddedFont())
        if (UpperCase(excluded) == upper) embed = false;
    auto data = std::make_unique<TTTFData>(platform::Fonts::Open(*face), style);
    Fonts_.push_back(
        std::make_unique<TPDFFont>(faceName, style, unicode, embed, upper == "WINGDINGS", std::move(data)));
    int trueTypeCount = 0;
    for (const auto& font : Fonts_) trueTypeCount += font->Standard() ? 0 : 1;
    Fonts_.back()->ResourceName = "TT" + FormatPDFInt(trueTypeCount);
    return *Fonts_.back();
}

}  // namespace pdf
