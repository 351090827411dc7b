#include "workbook/ooxml/xml/xml_reader.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>

#include "base/exception.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/xml/xml_decode.h"
#include "workbook/ooxml/xml/xml_values.h"

namespace xls {

namespace {

// Bytes read per step; a construct longer than the buffer makes the next read as large as
// what is pending, so long texts cost linear time.
constexpr size_t ChunkSize = 65536;
constexpr std::string_view CDataStart = "<![CDATA[";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

[[noreturn]] void SyntaxError(const std::string& what) { throw base::Exception("Syntax error in XML: " + what); }

[[noreturn]] void UnexpectedEnd() { throw base::Exception("Unexcpected end of file in XML"); }

// Control characters other than tab, LF and CR are not characters of an XML document.
bool IsForbiddenControl(char c) { return static_cast<unsigned char>(c) < 0x20 && !IsBlank(c); }

// Up to this many attributes are compared pair by pair; more go through a hash set, so that
// a tag with a million attributes still costs linear time.
constexpr size_t PairwiseAttributeCheck = 16;

}  // namespace

void TXpgReadXML::LoadFromStream(base::TStream& stream) { Parse(stream, false); }

void TXpgReadXML::LoadFromStreamTolerant(base::TStream& stream) { Parse(stream, true); }

void TXpgReadXML::ProcessingInstruction() {
    if (QName_ != "xml") return;
    for (int i = 0; i < Attributes_.Count(); ++i) {
        if (Attributes_.GetRawName(i) != "encoding" || Attributes_.GetValue(i).empty()) continue;
        const std::string encoding = base::Utf16ToUtf8(Attributes_.GetValue(i));
        std::string lower = encoding;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
        if (lower != "utf-8") throw base::Exception("Unsupported encoding of xml: \"" + encoding + "\". Must be utf-8");
    }
}

std::u16string TXpgReadXML::LocalName() const { return base::Utf8ToUtf16(QName_.substr(LocalStart_)); }

std::u16string TXpgReadXML::QName() const { return base::Utf8ToUtf16(QName_); }

int32_t TXpgReadXML::QNameHash() const { return XmlNameHash(QName_); }

uint32_t TXpgReadXML::QNameHashRS() const { return XmlNameHashRS(QName_); }

std::u16string TXpgReadXML::Text() const {
    std::u16string text;
    if (HasText_) DecodeXmlText(Text_, false, text);
    return text;
}

std::u16string TXpgReadXML::CommentText() const { return base::Utf8ToUtf16(Comment_); }

void TXpgReadXML::Parse(base::TStream& stream, bool tolerant) {
    Stream_ = &stream;
    Tolerant_ = tolerant;
    Eof_ = false;
    Pos_ = Fill_ = 0;
    OpenCount_ = 0;
    SeenMarkup_ = SeenRoot_ = false;
    Attributes_.Clear();
    // Running out of memory, here or in a subclass's callback, is a failure of the read like
    // any other and reaches the caller as the library's exception.
    try {
        Buffer_.assign(ChunkSize, 0);
        ParseDocument();
    } catch (const std::bad_alloc&) {
        throw base::Exception("Not enough memory to read the XML");
    } catch (const std::length_error&) {
        throw base::Exception("Not enough memory to read the XML");
    }
}

void TXpgReadXML::ParseDocument() {
    // Before the first tag: a UTF-8 signature and blanks. UTF-16 text is refused outright.
    bool garbage = false;
    bool first = true;
    for (;;) {
        if (Pos_ == Fill_ && !ReadMore()) {
            if (garbage) SyntaxError("can not find \"<\"");
            return;
        }
        if (first && Fill_ - Pos_ < 3 && ReadMore()) continue;
        if (first) {
            first = false;
            const auto* bytes = reinterpret_cast<const unsigned char*>(Buffer_.data());
            if (Fill_ >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF)))
                throw base::Exception("Unsupported encoding of xml: \"UTF-16\". Must be utf-8");
            if (Fill_ >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) Pos_ = 3;
        }
        const char* start = Buffer_.data() + Pos_;
        const auto* lt = static_cast<const char*>(std::memchr(start, '<', Fill_ - Pos_));
        const char* stop = lt ? lt : Buffer_.data() + Fill_;
        garbage = garbage || std::any_of(start, stop, [](char c) { return !IsBlank(c); });
        Pos_ = static_cast<size_t>(stop - Buffer_.data());
        if (lt) break;
    }
    SeenMarkup_ = true;

    while (!Stopped_ && Pos_ < Fill_) {
        if (ParseUnit() == TUnit::Done) continue;
        if (!ReadMore() && ParseUnit() == TUnit::NeedMore) UnexpectedEnd();
    }
    if (Stopped_) return;
    if (OpenCount_ == 0) {
        if (!Tolerant_ && SeenMarkup_ && !SeenRoot_) SyntaxError("no document element");
        return;
    }
    if (!Tolerant_) UnexpectedEnd();
    // Hand-made markup may leave elements open: close them so the subclass stays balanced.
    HasText_ = false;
    while (OpenCount_ > 0 && !Stopped_) {
        SetName(OpenNames_[OpenCount_ - 1]);
        EndTag();
        --OpenCount_;
    }
}

bool TXpgReadXML::ReadMore() {
    if (Eof_) return false;
    if (Pos_ > 0) {
        std::memmove(Buffer_.data(), Buffer_.data() + Pos_, Fill_ - Pos_);
        Fill_ -= Pos_;
        Pos_ = 0;
    }
    // What is pending is one construct not yet complete.
    const auto limit = static_cast<size_t>(std::max<int64_t>(MaxTokenSize_, 0));
    if (Fill_ > limit)
        throw base::Exception("XML tag or text longer than the limit of " + std::to_string(limit) + " bytes");
    // The buffer doubles while one construct grows, and each read fills what it asks for, so
    // that a construct is scanned a bounded number of times however the stream hands out its
    // bytes.
    const size_t want = std::min(std::max(ChunkSize, Fill_), std::max(ChunkSize, limit + ChunkSize - Fill_));
    if (Buffer_.size() < Fill_ + want) Buffer_.resize(Fill_ + want);
    size_t got = 0;
    while (got < want) {
        const int64_t n = Stream_->Read(Buffer_.data() + Fill_ + got, static_cast<int64_t>(want - got));
        if (n <= 0) break;
        got += static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(want - got)));
    }
    if (got == 0) {
        Eof_ = true;
        return false;
    }
    Fill_ += got;
    return true;
}

TXpgReadXML::TUnit TXpgReadXML::ParseUnit() {
    // Pos_ is at a "<".
    if (Fill_ - Pos_ < 2) {
        if (Eof_) UnexpectedEnd();
        return TUnit::NeedMore;
    }
    switch (Buffer_[Pos_ + 1]) {
        case '/': return ParseEndTag(Pos_);
        case '?': return ParseProcessingInstruction(Pos_);
        case '!':
            if (Fill_ - Pos_ < 4 && !Eof_) return TUnit::NeedMore;
            if (std::string_view(Buffer_.data() + Pos_, Fill_ - Pos_).starts_with("<!--")) return ParseComment(Pos_);
            return ParseOtherDeclaration(Pos_);
        default: return ParseStartTag(Pos_);
    }
}

bool TXpgReadXML::ScanText(size_t pos, size_t& end, std::string_view& text) const {
    const char* b = Buffer_.data();
    size_t p = pos;
    for (;;) {
        const auto* lt = static_cast<const char*>(std::memchr(b + p, '<', Fill_ - p));
        if (!lt) {
            if (!Eof_) return false;
            end = Fill_;
            break;
        }
        const auto q = static_cast<size_t>(lt - b);
        const std::string_view rest(lt, Fill_ - q);
        if (rest.size() < CDataStart.size() && !Eof_ && CDataStart.starts_with(rest)) return false;
        if (!rest.starts_with(CDataStart)) {
            end = q;
            break;
        }
        const size_t close = rest.find("]]>", CDataStart.size());
        if (close == std::string_view::npos) {
            if (!Eof_) return false;
            UnexpectedEnd();
        }
        p = q + close + 3;
    }
    size_t first = pos;
    if (Tolerant_)
        while (first < end && (b[first] == '\r' || b[first] == '\n')) ++first;
    text = std::string_view(b + first, end - first);
    return true;
}

void TXpgReadXML::PushName(std::string_view name) {
    if (OpenCount_ >= static_cast<size_t>(MaxElementDepth)) SyntaxError("elements nested too deep");
    if (OpenCount_ == OpenNames_.size()) OpenNames_.emplace_back();
    OpenNames_[OpenCount_].assign(name);
    SetName(OpenNames_[OpenCount_]);
    ++OpenCount_;
}

void TXpgReadXML::SetName(std::string_view name) {
    QName_ = name;
    const size_t colon = name.rfind(':');
    LocalStart_ = colon == std::string_view::npos ? 0 : colon + 1;
}

void TXpgReadXML::SetText(std::string_view text) {
    Text_ = text;
    HasText_ = !text.empty();
}

void TXpgReadXML::CheckCharacters(size_t from, size_t to) const {
    if (Tolerant_) return;
    const char* b = Buffer_.data();
    const char* bad = std::find_if(b + from, b + to, IsForbiddenControl);
    if (bad == b + to) return;
    constexpr char Digits[] = "0123456789ABCDEF";
    const auto code = static_cast<unsigned char>(*bad);
    SyntaxError(std::string("character 0x") + Digits[code >> 4] + Digits[code & 15] + " is not allowed");
}

void TXpgReadXML::CheckNames(std::string_view element) const {
    if (Tolerant_) return;
    if (!IsWritableXmlName(element)) SyntaxError("invalid name \"" + std::string(element) + "\"");
    for (const auto& [name, value] : Pending_)
        if (!IsWritableXmlName(name)) SyntaxError("invalid name \"" + std::string(name) + "\"");
}

void TXpgReadXML::CheckAttributesUnique(std::string_view element) {
    if (Tolerant_ || Pending_.size() < 2) return;
    const auto twice = [&](std::string_view name) {
        SyntaxError("attribute \"" + std::string(name) + "\" twice in \"" + std::string(element) + "\"");
    };
    if (Pending_.size() <= PairwiseAttributeCheck) {
        for (size_t i = 1; i < Pending_.size(); ++i)
            for (size_t k = 0; k < i; ++k)
                if (Pending_[k].first == Pending_[i].first) twice(Pending_[i].first);
        return;
    }
    // Open addressing over the pending attributes, half empty at most.
    size_t size = 64;
    while (size < 2 * Pending_.size()) size *= 2;
    constexpr auto Empty = static_cast<uint32_t>(-1);
    std::vector<uint32_t> slots(size, Empty);
    const std::hash<std::string_view> hash;
    for (size_t i = 0; i < Pending_.size(); ++i) {
        const std::string_view name = Pending_[i].first;
        size_t at = hash(name) & (size - 1);
        while (slots[at] != Empty) {
            if (Pending_[slots[at]].first == name) twice(name);
            at = (at + 1) & (size - 1);
        }
        slots[at] = static_cast<uint32_t>(i);
    }
}

void TXpgReadXML::CheckTextOutside(std::string_view text) const {
    if (Tolerant_) return;
    if (std::any_of(text.begin(), text.end(), [](char c) { return !IsBlank(c); }))
        SyntaxError("text outside the document element");
}

void TXpgReadXML::DecodeAttributes() {
    Attributes_.Clear();
    for (const auto& [name, value] : Pending_) {
        TXpgXmlAttribute& item = Attributes_.AppendItem();
        item.RawName.assign(name);
        DecodeXmlName(name, item.Name);
        DecodeXmlText(value, true, item.Value);
    }
}

TXpgReadXML::TUnit TXpgReadXML::ParseStartTag(size_t pos) {
    const char* b = Buffer_.data();
    const size_t n = Fill_;
    size_t p = pos + 1;
    while (p < n && !IsBlank(b[p]) && b[p] != '>' && b[p] != '/') ++p;
    if (p >= n) return TUnit::NeedMore;
    const std::string_view name(b + pos + 1, p - pos - 1);
    if (name.empty()) SyntaxError("a tag without a name");
    Pending_.clear();
    bool empty = false;
    for (;;) {
        const size_t before = p;
        while (p < n && IsBlank(b[p])) ++p;
        if (p >= n) return TUnit::NeedMore;
        if (b[p] == '>') {
            ++p;
            break;
        }
        if (b[p] == '/') {
            if (p + 1 >= n) return TUnit::NeedMore;
            if (b[p + 1] != '>') SyntaxError("\"/\" inside the tag \"" + std::string(name) + "\"");
            empty = true;
            p += 2;
            break;
        }
        if (p == before && !Tolerant_) SyntaxError("no blank before an attribute of \"" + std::string(name) + "\"");
        const size_t nameStart = p;
        while (p < n && !IsBlank(b[p]) && b[p] != '=' && b[p] != '>' && b[p] != '/') ++p;
        const std::string_view attributeName(b + nameStart, p - nameStart);
        while (p < n && IsBlank(b[p])) ++p;
        if (p >= n) return TUnit::NeedMore;
        if (b[p] != '=' || attributeName.empty()) {
            if (!Tolerant_) SyntaxError("an attribute without a value in \"" + std::string(name) + "\"");
            if (p == nameStart) ++p;  // a stray "=" or quote: step over it
            continue;
        }
        ++p;
        while (p < n && IsBlank(b[p])) ++p;
        if (p >= n) return TUnit::NeedMore;
        std::string_view value;
        if (b[p] == '"' || b[p] == '\'') {
            const auto* close = static_cast<const char*>(std::memchr(b + p + 1, b[p], n - p - 1));
            if (!close) return TUnit::NeedMore;
            value = std::string_view(b + p + 1, static_cast<size_t>(close - b) - p - 1);
            p = static_cast<size_t>(close - b) + 1;
        } else {
            if (!Tolerant_) SyntaxError("an attribute value without quotes in \"" + std::string(name) + "\"");
            const size_t valueStart = p;
            while (p < n && !IsBlank(b[p]) && b[p] != '>') ++p;
            if (p >= n) return TUnit::NeedMore;
            value = std::string_view(b + valueStart, p - valueStart);
        }
        Pending_.emplace_back(attributeName, value);
    }
    size_t end = 0;
    std::string_view text;
    if (!ScanText(p, end, text)) return TUnit::NeedMore;

    CheckCharacters(pos, end);
    if (OpenCount_ == 0 && SeenRoot_ && !Tolerant_)
        SyntaxError("a second document element \"" + std::string(name) + "\"");
    CheckNames(name);
    CheckAttributesUnique(name);
    if (empty && OpenCount_ == 0) CheckTextOutside(text);
    SeenRoot_ = true;
    Pos_ = end;
    PushName(name);
    EmptyElement_ = empty;
    DecodeAttributes();
    Pending_.clear();
    SetText(empty ? std::string_view() : text);
    BeginTag();
    if (empty) {
        SetName(OpenNames_[OpenCount_ - 1]);
        SetText(text);
        EndTag();
        --OpenCount_;
    }
    return TUnit::Done;
}

TXpgReadXML::TUnit TXpgReadXML::ParseEndTag(size_t pos) {
    const char* b = Buffer_.data();
    const size_t n = Fill_;
    size_t p = pos + 2;
    while (p < n && !IsBlank(b[p]) && b[p] != '>') ++p;
    const std::string_view name(b + pos + 2, std::min(p, n) - pos - 2);
    while (p < n && IsBlank(b[p])) ++p;
    if (p >= n) return TUnit::NeedMore;
    if (b[p] != '>') SyntaxError("end tag \"" + std::string(name) + "\" not closed by \">\"");
    size_t end = 0;
    std::string_view text;
    if (!ScanText(p + 1, end, text)) return TUnit::NeedMore;

    CheckCharacters(pos, end);
    if (OpenCount_ == 1) CheckTextOutside(text);
    Pos_ = end;
    EmptyElement_ = false;
    Attributes_.Clear();
    size_t match = OpenCount_;
    while (match > 0 && OpenNames_[match - 1] != name) --match;
    if (match == 0 || match != OpenCount_) {
        if (!Tolerant_) {
            if (OpenCount_ == 0) SyntaxError("end tag \"" + std::string(name) + "\" without a start tag");
            SyntaxError("end tag \"" + std::string(name) + "\" does not match \"" + OpenNames_[OpenCount_ - 1] + "\"");
        }
        if (match == 0) return TUnit::Done;  // closes nothing that is open
        HasText_ = false;
        while (OpenCount_ > match && !Stopped_) {
            SetName(OpenNames_[OpenCount_ - 1]);
            EndTag();
            --OpenCount_;
        }
        if (Stopped_) return TUnit::Done;
    }
    SetName(OpenNames_[OpenCount_ - 1]);
    SetText(text);
    EndTag();
    --OpenCount_;
    return TUnit::Done;
}

TXpgReadXML::TUnit TXpgReadXML::ParseComment(size_t pos) {
    const std::string_view rest(Buffer_.data() + pos, Fill_ - pos);
    size_t close = rest.find("-->", 4);
    size_t after = close + 3;
    if (Tolerant_) {
        const size_t gt = rest.find('>', 4);
        if (gt != std::string_view::npos && gt < close) {
            close = gt;
            after = gt + 1;
        }
    }
    if (close == std::string_view::npos) return TUnit::NeedMore;
    size_t end = 0;
    std::string_view text;
    if (!ScanText(pos + after, end, text)) return TUnit::NeedMore;

    CheckCharacters(pos, end);
    if (OpenCount_ == 0) CheckTextOutside(text);
    Pos_ = end;
    Comment_ = rest.substr(4, close - 4);
    SetText(text);
    Comment();
    return TUnit::Done;
}

TXpgReadXML::TUnit TXpgReadXML::ParseOtherDeclaration(size_t pos) {
    const std::string_view rest(Buffer_.data() + pos, Fill_ - pos);
    if (rest.starts_with(CDataStart)) SyntaxError("a CDATA section outside an element");
    if (!Tolerant_) {
        // No document type: entity declarations could expand without bound or name outside files.
        if (rest.size() < 9 && !Eof_) return TUnit::NeedMore;
        if (rest.starts_with("<!DOCTYPE")) throw base::Exception("Document type declarations are not supported in XML");
        SyntaxError("unsupported declaration \"" + std::string(rest.substr(0, std::min<size_t>(rest.size(), 12))) +
                    "\"");
    }
    const size_t gt = rest.find('>');
    if (gt == std::string_view::npos) return TUnit::NeedMore;
    size_t end = 0;
    std::string_view text;
    if (!ScanText(pos + gt + 1, end, text)) return TUnit::NeedMore;
    Pos_ = end;
    return TUnit::Done;
}

TXpgReadXML::TUnit TXpgReadXML::ParseProcessingInstruction(size_t pos) {
    const std::string_view rest(Buffer_.data() + pos, Fill_ - pos);
    const size_t close = rest.find("?>", 2);
    if (close == std::string_view::npos) return TUnit::NeedMore;
    size_t end = 0;
    std::string_view text;
    if (!ScanText(pos + close + 2, end, text)) return TUnit::NeedMore;

    const std::string_view body = rest.substr(2, close - 2);
    size_t p = 0;
    while (p < body.size() && !IsBlank(body[p])) ++p;
    const std::string_view target = body.substr(0, p);
    // Pseudo-attributes (version, encoding, standalone); the scan stops at anything else.
    Pending_.clear();
    for (;;) {
        while (p < body.size() && IsBlank(body[p])) ++p;
        const size_t nameStart = p;
        while (p < body.size() && !IsBlank(body[p]) && body[p] != '=') ++p;
        const std::string_view name = body.substr(nameStart, p - nameStart);
        while (p < body.size() && IsBlank(body[p])) ++p;
        if (name.empty() || p >= body.size() || body[p] != '=') break;
        ++p;
        while (p < body.size() && IsBlank(body[p])) ++p;
        if (p >= body.size() || (body[p] != '"' && body[p] != '\'')) break;
        const size_t valueEnd = body.find(body[p], p + 1);
        if (valueEnd == std::string_view::npos) break;
        Pending_.emplace_back(name, body.substr(p + 1, valueEnd - p - 1));
        p = valueEnd + 1;
    }

    CheckCharacters(pos, end);
    if (OpenCount_ == 0) CheckTextOutside(text);
    Pos_ = end;
    SetName(target);
    EmptyElement_ = false;
    DecodeAttributes();
    Pending_.clear();
    SetText(text);
    ProcessingInstruction();
    return TUnit::Done;
}

}  // namespace xls
