#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"

namespace xls {

// A stack of element names (UTF-8).
class TXpgStrStack {
public:
    void Push(std::string_view name) { Items_.emplace_back(name); }
    // Raises "Empty stack" when there is none.
    std::string Pop();
    int Count() const { return static_cast<int>(Items_.size()); }
    void Clear() { Items_.clear(); }

private:
    std::vector<std::string> Items_;
};

// The forward-only XML writer of every part the library produces. The caller announces the
// attributes of the next element, then writes the element; open elements are closed in
// reverse order from a name stack. Every tag line ends with a CR (unless SetLineBreaks(false)),
// nothing is indented, names are UTF-8 as given, values and text are escaped and UTF-8.
//
// Escaping keeps the output well-formed and exact: the five XML characters as entities; in
// attribute values tab, LF and CR as character references, and CR in text too (a reader would
// otherwise turn them into spaces or LF); characters XML cannot hold at all (controls other
// than tab, LF, CR; U+FFFE, U+FFFF; unpaired surrogates) in the "_xHHHH_" form that readers of
// SpreadsheetML decode (see XmlEscapeXString). Names are written as they stand; an empty
// name, or one holding a blank, a control character or a markup character, raises.
//
// Output is collected in a buffer and written to the stream in large pieces; the buffer is
// written out whenever the document element is closed, and by Flush.
class TXpgWriteXML {
public:
    TXpgWriteXML() = default;
    TXpgWriteXML(const TXpgWriteXML&) = delete;
    TXpgWriteXML& operator=(const TXpgWriteXML&) = delete;

    // The text of the next element written by SimpleElement or EndElement.
    std::u16string Text;

    // Binds the stream (not owned) and writes the XML declaration; what an earlier document
    // left open or pending is forgotten.
    void BeginDocument(base::TStream& stream);
    // With false, element-writing operations write no CR after their tags (a tree that keeps its
    // own whitespace between elements).
    void SetLineBreaks(bool value) { LineBreaks_ = value; }

    // name="value" followed by a space, for the next start tag or leaf.
    void AddAttribute(std::string_view name, std::u16string_view value);
    // The same with an UTF-8 value (numbers and other ASCII texts).
    void AddAttribute(std::string_view name, std::string_view utf8Value);
    // Appended to the pending attributes as it stands (namespace declarations kept from a read).
    void AddRawAttributes(std::string_view raw);

    // "<name attrs>" CR; pushes the name.
    void BeginElement(std::string_view name);
    // Writes Text (then cleared), pops the innermost name and writes "</name>" CR; "Empty stack"
    // when nothing is open.
    void EndElement();
    // A leaf: TextElement(name, Text) when Text is not empty (Text is cleared), else
    // "<name attrs/>" CR.
    void SimpleElement(std::string_view name);
    // "<name attrs>" escaped value "</name>" CR, on one line.
    void TextElement(std::string_view name, std::u16string_view value);
    // "<name/>" CR; pending attributes are dropped, Text is left for the next element.
    void EmptyElement(std::string_view name);
    // Escaped text at the current place (content beside child elements).
    void WriteText(std::u16string_view value);

    // Writes what is buffered to the stream.
    void Flush();

private:
    void OpenTag(std::string_view name);
    void LineEnd();
    void AfterElement();

    base::TStream* Stream_ = nullptr;
    bool LineBreaks_ = true;
    std::string Pending_;
    std::string Out_;
    TXpgStrStack Stack_;
};

// Appends text escaped for XML (as TXpgWriteXML writes it) in UTF-8.
void AppendXmlEscaped(std::string& out, std::u16string_view text, bool attributeValue);

}  // namespace xls
