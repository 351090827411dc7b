#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "pdf/pdf_font.h"

namespace pdf {

class TPDFDocument;

// The font resources of a document, in creation order (the order they are written in).
class TPDFFonts {
public:
    explicit TPDFFonts(TPDFDocument& owner) : Owner_(owner) {}

    void Clear();
    int Count() const { return int(Fonts_.size()); }
    TPDFFont& GetFont(int index) const { return *Fonts_.at(size_t(index)); }
    // The resource for a face, style and the wish for a Unicode font; the charset picks
    // the fallback face of a Unicode request for a face that is not installed.
    TPDFFont& Lookup(const std::string& name, TFontStyles style, bool unicode, uint8_t charset = 1);

private:
    TPDFFont* FindTrueType(const std::string& upperName, TFontStyles style, bool unicode) const;
    TPDFFont& AddTrueType(const std::string& faceName, TFontStyles style, bool unicode);

    TPDFDocument& Owner_;
    std::vector<std::unique_ptr<TPDFFont>> Fonts_;
    // Requested names (upper case) with style and Unicode wish, so that a face found under
    // another name is not loaded again at every request.
    std::map<std::tuple<std::string, TFontStyles, bool>, TPDFFont*> Requests_;
};

std::string UpperCase(std::string text);

}  // namespace pdf
