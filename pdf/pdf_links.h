#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

class TPDFObjectWriter;

// A word of a text that starts with "http://", "ftp://" or "mailto:" (in any case) at the
// start of the text or after a blank, up to the next blank.
struct TURLSpan {
    size_t Start;
    size_t Length;
};
// Takes the lowered text (one byte per character).
std::vector<TURLSpan> FindURLs(std::string_view lowered);

// A URI action; the document keeps them and writes them at its end.
struct TPDFURLAction {
    int ObjNumber = 0;
    std::string URL;
    // An action of the same document that follows this one.
    const TPDFURLAction* Next = nullptr;

    void Save(TPDFObjectWriter& writer) const;
};

// A link annotation over a rectangle in whole points (y upward), without border.
struct TPDFActionAnnotation {
    int ObjNumber = 0;
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    const TPDFURLAction* Action = nullptr;

    void Save(TPDFObjectWriter& writer) const;
};

}  // namespace pdf
