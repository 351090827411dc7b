#include "workbook/ooxml/tests/xml_test_support.h"

#include "base/text_encoding.h"

namespace xls::testing {

std::string Utf8(const std::u16string& text) { return base::Utf16ToUtf8(text); }

void TEventRecorder::BeginTag() {
    std::string line = "<" + Utf8(QName());
    for (int i = 0; i < Attributes().Count(); ++i)
        line += " " + Utf8(Attributes().GetName(i)) + "=" + Utf8(Attributes().GetValue(i));
    line += ">";
    if (HasText()) line += Utf8(Text());
    Events.push_back(line);
}

void TEventRecorder::EndTag() { Events.push_back("</" + Utf8(QName()) + ">" + Utf8(Text())); }

void TEventRecorder::Comment() { Events.push_back("!" + Utf8(CommentText())); }

void TEventRecorder::ProcessingInstruction() {
    TXpgReadXML::ProcessingInstruction();
    Events.push_back("?" + Utf8(QName()));
}

std::string TEventRecorder::Run(const std::string& bytes, int64_t step, bool tolerant) {
    Events.clear();
    TTrickleStream stream(bytes, step);
    if (tolerant)
        LoadFromStreamTolerant(stream);
    else
        LoadFromStream(stream);
    std::string joined;
    for (const std::string& event : Events) joined += (joined.empty() ? "" : "\n") + event;
    return joined;
}

}  // namespace xls::testing
