#include "pdf/pdf_links.h"

#include "pdf/pdf_encoding.h"
#include "pdf/pdf_number_format.h"
#include "pdf/pdf_object_writer.h"

namespace pdf {

std::vector<TURLSpan> FindURLs(std::string_view lowered) {
    std::vector<TURLSpan> spans;
    for (std::string_view prefix : {"http://", "ftp://", "mailto:"}) {
        size_t from = 0;
        for (;;) {
            const size_t found = lowered.find(prefix, from);
            if (found == std::string_view::npos) break;
            const size_t blank = lowered.find(' ', found);
            if (found == 0 || lowered[found - 1] == ' ')
                spans.push_back({found, (blank == std::string_view::npos ? lowered.size() : blank) - found});
            if (blank == std::string_view::npos) break;
            from = blank;
        }
    }
    return spans;
}

void TPDFURLAction::Save(TPDFObjectWriter& writer) const {
    int number = ObjNumber;
    writer.BeginObject(number);
    writer.WriteLine("/S /URI /URI (" + EscapeString(writer.Crypt(URL, ObjNumber)) + ")");
    if (Next) writer.WriteLine("/Next " + FormatPDFInt(Next->ObjNumber) + " 0 R");
    writer.EndDictionary();
    writer.EndObject();
}

void TPDFActionAnnotation::Save(TPDFObjectWriter& writer) const {
    int number = ObjNumber;
    writer.BeginObject(number);
    writer.WriteLine("/Type /Annot");
    writer.WriteLine("/Subtype /Link");
    writer.WriteLine("/Border []");
    writer.WriteLine("/F 0");
    writer.WriteLine("/C [1 1 0 ]");
    writer.WriteLine("/Rect [" + FormatPDFInt(Left) + " " + FormatPDFInt(Bottom) + " " + FormatPDFInt(Right) + " " +
                     FormatPDFInt(Top) + "]");
    writer.WriteLine("/A " + FormatPDFInt(Action->ObjNumber) + " 0 R");
    writer.EndDictionary();
    writer.EndObject();
}

}  // namespace pdf
