#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"
#include "workbook/ooxml/xml/xml_attributes.h"

namespace xls {

// The XML parser under every part the library reads. It reads a stream of UTF-8 XML in
// chunks, finds the tags and calls a virtual method for each start tag, end tag, comment and
// processing instruction; inside the call the subclass asks for the tag's name, hashes, text
// and attributes. No namespace resolution: a prefix stays part of the name.
//
// Text: a start tag's text is what follows it up to the next tag (character data and CDATA
// sections). Inside EndTag, Comment and ProcessingInstruction, HasText and Text give the text
// that follows that construct, so that a subclass can keep mixed content; an empty-element
// tag has no text of its own, the text after it is given to its EndTag.
//
// Text and attribute values are decoded as XML says: the five predefined entities, decimal
// and hexadecimal character references, line ends CR LF and CR read as LF, and in attribute
// values tab, CR and LF read as spaces. Document type declarations are refused (so no entity
// is ever expanded and nothing outside the stream is read); end tags must match their start
// tags; elements nest at most MaxElementDepth deep. The strict parse also refuses control
// characters XML does not allow, a repeated attribute, a second document element, text outside
// the document element, and markup without a document element (a stream of blanks only is an
// empty document). A single construct (a tag with the text after it, a comment, an
// instruction) may take at most MaxTokenSize bytes. Failures raise base::Exception, running
// out of memory included.
class TXpgReadXML {
public:
    static constexpr int MaxElementDepth = 256;
    // Well above any tag or text a package part holds; low enough that a hostile one is
    // refused before it costs gigabytes.
    static constexpr int64_t DefaultMaxTokenSize = int64_t{64} << 20;

    TXpgReadXML() = default;
    virtual ~TXpgReadXML() = default;
    TXpgReadXML(const TXpgReadXML&) = delete;
    TXpgReadXML& operator=(const TXpgReadXML&) = delete;

    // Resets the stop flag.
    virtual void Clear() { Stopped_ = false; }
    virtual void LoadFromStream(base::TStream& stream);
    // A looser parse for hand-made markup: attribute values may be unquoted, "<!" constructs
    // other than comments end at the first ">", a comment ends at "-->" or the first ">", the
    // leading CR and LF of a text are dropped, and an end tag that does not match closes the
    // open elements up to the one it names (or is ignored when it names none).
    virtual void LoadFromStreamTolerant(base::TStream& stream);

    // Callbacks. ProcessingInstruction checks that an XML declaration names UTF-8.
    virtual void ProcessingInstruction();
    virtual void BeginTag() {}
    virtual void EndTag() {}
    virtual void Comment() {}

    // Ends the parse before the next tag.
    void Stop() { Stopped_ = true; }

    // Largest construct read; a longer one raises before it is buffered whole.
    int64_t MaxTokenSize() const { return MaxTokenSize_; }
    void SetMaxTokenSize(int64_t size) { MaxTokenSize_ = size; }

    // The current tag (valid inside the callbacks).
    std::u16string LocalName() const;
    std::u16string QName() const;
    // The name's bytes as they stand in the file (valid inside the callback).
    std::string_view RawQName() const { return QName_; }
    std::string_view RawPrefix() const { return QName_.substr(0, LocalStart_ > 0 ? LocalStart_ - 1 : 0); }
    std::string_view RawLocalName() const { return QName_.substr(LocalStart_); }
    bool HasPrefix() const { return LocalStart_ > 0; }
    // Byte sum of the name, prefix and ":" included (1266 for "Relationship").
    int32_t QNameHash() const;
    uint32_t QNameHashRS() const;
    bool NameStartsWithC() const { return LocalStart_ < QName_.size() && QName_[LocalStart_] == 'c'; }
    bool NameStartsWithV() const { return LocalStart_ < QName_.size() && QName_[LocalStart_] == 'v'; }
    bool IsEmptyElement() const { return EmptyElement_; }
    // Depth of the current element (1 for the document element).
    int Depth() const { return static_cast<int>(OpenCount_); }
    bool HasText() const { return HasText_; }
    std::u16string Text() const;
    // The content of the current comment.
    std::u16string CommentText() const;
    const TXpgXMLAttributeList& Attributes() const { return Attributes_; }

private:
    enum class TUnit { Done, NeedMore };

    void Parse(base::TStream& stream, bool tolerant);
    void ParseDocument();
    bool ReadMore();
    TUnit ParseUnit();
    TUnit ParseStartTag(size_t pos);
    TUnit ParseEndTag(size_t pos);
    TUnit ParseComment(size_t pos);
    TUnit ParseOtherDeclaration(size_t pos);
    TUnit ParseProcessingInstruction(size_t pos);
    // Scans the text from pos to the next tag; sets the text span and returns where it ends.
    bool ScanText(size_t pos, size_t& end, std::string_view& text) const;
    void PushName(std::string_view name);
    void SetName(std::string_view name);
    void DecodeAttributes();
    void SetText(std::string_view text);
    // Strict checks of a construct about to be reported.
    void CheckCharacters(size_t from, size_t to) const;
    void CheckNames(std::string_view element) const;
    void CheckAttributesUnique(std::string_view element);
    // Text beside the document element, not inside it.
    void CheckTextOutside(std::string_view text) const;

    base::TStream* Stream_ = nullptr;
    bool Tolerant_ = false;
    bool Stopped_ = false;
    bool Eof_ = false;
    int64_t MaxTokenSize_ = DefaultMaxTokenSize;
    bool SeenMarkup_ = false;
    bool SeenRoot_ = false;

    std::vector<char> Buffer_;
    size_t Pos_ = 0;   // next unparsed byte
    size_t Fill_ = 0;  // end of the bytes read

    std::string_view QName_;
    size_t LocalStart_ = 0;
    bool EmptyElement_ = false;
    bool HasText_ = false;
    std::string_view Text_;
    std::string_view Comment_;
    TXpgXMLAttributeList Attributes_;
    std::vector<std::pair<std::string_view, std::string_view>> Pending_;
    std::vector<std::string> OpenNames_;
    size_t OpenCount_ = 0;
};

}  // namespace xls
