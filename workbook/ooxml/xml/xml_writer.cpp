#include "workbook/ooxml/xml/xml_writer.h"

#include <algorithm>

#include "base/exception.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/xml/xml_decode.h"
#include "workbook/ooxml/xml/xml_values.h"

namespace xls {

namespace {

// Output is handed to the stream once this much has gathered.
constexpr size_t FlushSize = 65536;

void CheckName(std::string_view name) {
    if (IsWritableXmlName(name)) return;
    std::string shown(name);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    throw base::Exception("Invalid XML name \"" + shown + "\"");
}

}  // namespace

std::string TXpgStrStack::Pop() {
    if (Items_.empty()) throw base::Exception("Empty stack");
    std::string name = std::move(Items_.back());
    Items_.pop_back();
    return name;
}

void AppendXmlEscaped(std::string& out, std::u16string_view text, bool attributeValue) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0x80) {
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
                base::AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[++i] - 0xDC00));
            else if ((c >= 0xD800 && c <= 0xDFFF) || c >= 0xFFFE)
                AppendXStringEscape(out, c);
            else
                base::AppendUtf8(out, c);
            continue;
        }
        switch (c) {
            case u'&': out += "&amp;"; break;
            case u'<': out += "&lt;"; break;
            case u'>': out += "&gt;"; break;
            case u'"': out += "&quot;"; break;
            case u'\'': out += "&apos;"; break;
            case u'\r': out += "&#13;"; break;
            case u'\n':
                if (attributeValue)
                    out += "&#10;";
                else
                    out += '\n';
                break;
            case u'\t':
                if (attributeValue)
                    out += "&#9;";
                else
                    out += '\t';
                break;
            default:
                if (c < 0x20)
                    AppendXStringEscape(out, c);
                else
                    out += static_cast<char>(c);
        }
    }
}

void TXpgWriteXML::BeginDocument(base::TStream& stream) {
    Stream_ = &stream;
    Out_.clear();
    Pending_.clear();
    Stack_.Clear();
    Out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r";
    Flush();
}

void TXpgWriteXML::AddAttribute(std::string_view name, std::u16string_view value) {
    CheckName(name);
    Pending_ += name;
    Pending_ += "=\"";
    AppendXmlEscaped(Pending_, value, true);
    Pending_ += "\" ";
}

void TXpgWriteXML::AddAttribute(std::string_view name, std::string_view utf8Value) {
    CheckName(name);
    Pending_ += name;
    Pending_ += "=\"";
    const bool plain = std::all_of(utf8Value.begin(), utf8Value.end(), [](char c) {
        return c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'';
    });
    if (plain)
        Pending_ += utf8Value;
    else
        AppendXmlEscaped(Pending_, base::Utf8ToUtf16(utf8Value), true);
    Pending_ += "\" ";
}

void TXpgWriteXML::AddRawAttributes(std::string_view raw) { Pending_ += raw; }

void TXpgWriteXML::OpenTag(std::string_view name) {
    CheckName(name);
    Out_ += '<';
    Out_ += name;
    if (!Pending_.empty()) {
        Out_ += ' ';
        Out_ += Pending_;
        Pending_.clear();
    }
}

void TXpgWriteXML::LineEnd() {
    if (LineBreaks_) Out_ += '\r';
}

void TXpgWriteXML::AfterElement() {
    if (Out_.size() >= FlushSize || Stack_.Count() == 0) Flush();
}

void TXpgWriteXML::BeginElement(std::string_view name) {
    OpenTag(name);
    Out_ += '>';
    LineEnd();
    Stack_.Push(name);
    AfterElement();
}

void TXpgWriteXML::EndElement() {
    const std::string name = Stack_.Pop();
    if (!Text.empty()) {
        AppendXmlEscaped(Out_, Text, false);
        Text.clear();
    }
    Out_ += "</";
    Out_ += name;
    Out_ += '>';
    LineEnd();
    AfterElement();
}

void TXpgWriteXML::SimpleElement(std::string_view name) {
    if (!Text.empty()) {
        const std::u16string text = std::move(Text);
        Text.clear();
        TextElement(name, text);
        return;
    }
    OpenTag(name);
    Out_ += "/>";
    LineEnd();
    AfterElement();
}

void TXpgWriteXML::TextElement(std::string_view name, std::u16string_view value) {
    OpenTag(name);
    Out_ += '>';
    // Long texts go out as they are escaped rather than gathering in one piece.
    constexpr size_t Slice = 16384;
    size_t i = 0;
    while (i < value.size()) {
        size_t count = std::min(Slice, value.size() - i);
        if (i + count < value.size() && value[i + count - 1] >= 0xD800 && value[i + count - 1] <= 0xDBFF) ++count;
        AppendXmlEscaped(Out_, value.substr(i, count), false);
        i += count;
        if (Out_.size() >= FlushSize) Flush();
    }
    Out_ += "</";
    Out_ += name;
    Out_ += '>';
    LineEnd();
    AfterElement();
}

void TXpgWriteXML::EmptyElement(std::string_view name) {
    Pending_.clear();  // not written, and not left for the next element either
    CheckName(name);
    Out_ += '<';
    Out_ += name;
    Out_ += "/>";
    LineEnd();
    AfterElement();
}

void TXpgWriteXML::WriteText(std::u16string_view value) {
    AppendXmlEscaped(Out_, value, false);
    if (Out_.size() >= FlushSize) Flush();
}

void TXpgWriteXML::Flush() {
    if (Out_.empty()) return;
    if (!Stream_) throw base::Exception("XML writer without a stream");
    Stream_->WriteBuffer(Out_.data(), static_cast<int64_t>(Out_.size()));
    Out_.clear();
}

}  // namespace xls
