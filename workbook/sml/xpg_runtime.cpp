#include "workbook/sml/xpg_runtime.h"

#include <algorithm>
#include <cctype>

#include "base/text_encoding.h"

namespace xpg {

namespace {

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

constexpr std::string_view CompatibilityNamespace = "http://schemas.openxmlformats.org/markup-compatibility/2006";

}  // namespace

TXPGBase* TXPGBase::HandleElement(TXPGReader& reader) {
    (void)reader;
    return nullptr;
}

void TXPGBase::ReportUnknownElement(const TXPGReader& reader) const { Document->Errors.Error(1, reader.QName(), 0); }

void TXPGBase::ReportUnknownAttribute(std::u16string_view name) const { Document->Errors.Error(0, name, 0); }

void TXPGBase::ReadEnum(std::span<const std::u16string_view> texts, uint8_t& field, std::u16string_view name,
                        std::u16string_view value) const {
    const int ordinal = XpgEnumOrdinal(texts, value);
    if (ordinal >= 0)
        field = static_cast<uint8_t>(ordinal);
    else
        Document->Errors.Error(2, std::u16string(name) + u"=" + std::u16string(value), 0);
}

int XpgEnumOrdinal(std::span<const std::u16string_view> texts, std::u16string_view text) {
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text) return static_cast<int>(i);
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    const auto same = [&](std::u16string_view value) {
        if (value.size() != text.size()) return false;
        for (size_t i = 0; i < value.size(); ++i)
            if (lower(value[i]) != lower(text[i])) return false;
        return true;
    };
    for (size_t i = 0; i < texts.size(); ++i)
        if (same(texts[i])) return static_cast<int>(i);
    return -1;
}

void TXPGEnumRegistry::Register(std::string_view name, uint8_t ordinal) { Names_.emplace(Upper(name), ordinal); }

uint8_t TXPGEnumRegistry::StrToEnum(std::u16string_view text) const {
    const auto found = Names_.find(Upper(base::Utf16ToUtf8(text)));
    return found == Names_.end() ? 0 : found->second;
}

TXPGReader::TXPGReader(xls::TXpgPErrors& errors, TXPGBase& root, const TXPGNamespaces& namespaces)
    : Current(&root), Errors(errors), Namespaces_(namespaces) {
    Errors.Mode = 1;
}

int32_t TXPGReader::ElementHash() const { return xls::XmlNameHash(ElementName()); }

std::string_view TXPGReader::ElementName() const {
    if (InMain_) return RawLocalName();
    return HasPrefix() ? RawQName() : std::string_view(Foreign_);
}

const std::string* TXPGReader::Resolve(std::string_view prefix) const {
    for (auto it = Bindings_.rbegin(); it != Bindings_.rend(); ++it)
        if (it->Prefix == prefix) return &it->Uri;
    return nullptr;
}

bool TXPGReader::IsMain(const std::string* uri) const {
    if (uri == nullptr) return true;
    return std::find(Namespaces_.Main.begin(), Namespaces_.Main.end(), *uri) != Namespaces_.Main.end();
}

void TXPGReader::Bind() {
    const auto& attributes = Attributes();
    for (int i = 0; i < attributes.Count(); ++i) {
        const std::string_view name = attributes.GetRawName(i);
        if (name.substr(0, 5) != "xmlns") continue;
        if (name.size() == 5) {
            Bindings_.push_back({Depth(), "", base::Utf16ToUtf8(attributes.GetValue(i))});
        } else if (name[5] == ':') {
            Bindings_.push_back({Depth(), std::string(name.substr(6)), base::Utf16ToUtf8(attributes.GetValue(i))});
        }
    }
}

bool TXPGReader::IsDeclaration(std::string_view name) const {
    if (name.substr(0, 5) == "xmlns" && (name.size() == 5 || name[5] == ':')) return true;
    const auto colon = name.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string* uri = Resolve(name.substr(0, colon));
    return uri != nullptr && *uri == CompatibilityNamespace;
}

std::optional<std::string> TXPGReader::Renamed(std::string_view prefix) const {
    if (prefix == "xml") return std::nullopt;
    const std::string* uri = Resolve(prefix);
    for (const auto& [own, known] : Namespaces_.Prefixes) {
        if (uri != nullptr && *uri == known) {
            if (prefix == own) return std::nullopt;
            return std::string(own);
        }
    }
    // A known prefix bound to another namespace must not pass for the known one.
    for (const auto& [own, known] : Namespaces_.Prefixes)
        if (prefix == own) return "{" + (uri != nullptr ? *uri : std::string()) + "}" + std::string(prefix);
    return std::nullopt;
}

const xls::TXpgXMLAttributeList& TXPGReader::Normalized() {
    const auto& attributes = Attributes();
    bool rename = false;
    for (int i = 0; i < attributes.Count() && !rename; ++i) {
        const std::string_view name = attributes.GetRawName(i);
        const auto colon = name.find(':');
        if (colon == std::string_view::npos || name.substr(0, colon) == "xml") continue;
        if (IsDeclaration(name)) {
            rename = true;
            continue;
        }
        if (Renamed(name.substr(0, colon))) rename = true;
    }
    if (!rename) return attributes;
    // Namespace declarations and compatibility markers are no attributes of the element.
    Renamed_.Clear();
    for (int i = 0; i < attributes.Count(); ++i) {
        const std::string_view name = attributes.GetRawName(i);
        if (IsDeclaration(name)) continue;
        const auto colon = name.find(':');
        std::u16string newName = attributes.GetName(i);
        if (colon != std::string_view::npos) {
            if (const auto prefix = Renamed(name.substr(0, colon)))
                newName = base::Utf8ToUtf16(*prefix) + base::Utf8ToUtf16(name.substr(colon));
        }
        Renamed_.Add(newName, attributes.GetValue(i));
    }
    return Renamed_;
}

void TXPGReader::BeginTag() {
    if (SkipDepth_ != 0) return;
    Bind();
    const std::string* uri = Resolve(HasPrefix() ? RawPrefix() : std::string_view());
    // Without any declaration an unprefixed element counts as the main namespace's; a prefix
    // that nothing binds leaves the element unknown.
    InMain_ = HasPrefix() ? (uri != nullptr && IsMain(uri)) : IsMain(uri);
    // An unprefixed element of another namespace must not pass for a main one of that name.
    if (!InMain_ && !HasPrefix()) Foreign_ = "{" + *uri + "}" + std::string(RawLocalName());
    Stack_.push_back(Current);
    // Of a compatibility block only the Fallback branch is read, into the enclosing object.
    const bool compatibility = uri != nullptr && *uri == CompatibilityNamespace;
    if (compatibility && RawLocalName() == "AlternateContent") {
        AlternateDepths_.push_back(Depth());
        return;
    }
    if (!AlternateDepths_.empty() && AlternateDepths_.back() == Depth() - 1) {
        if (!(compatibility && RawLocalName() == "Fallback")) SkipDepth_ = Depth();
        return;
    }
    TXPGBase* next = Current->HandleElement(*this);
    if (next == nullptr) {
        SkipDepth_ = Depth();
        return;
    }
    if (next != Current) next->Flags = XpgRead;
    Current = next;
    if (Attributes().Count() > 0) {
        const auto& attributes = Normalized();
        if (attributes.Count() > 0) Current->HandleAttributes(attributes);
    }
}

void TXPGReader::EndTag() {
    while (!Bindings_.empty() && Bindings_.back().Depth >= Depth()) Bindings_.pop_back();
    if (SkipDepth_ != 0) {
        if (Depth() > SkipDepth_) return;
        SkipDepth_ = 0;
        Current = Stack_.back();
        Stack_.pop_back();
        return;
    }
    if (!AlternateDepths_.empty() && AlternateDepths_.back() == Depth()) AlternateDepths_.pop_back();
    Current = Stack_.back();
    Stack_.pop_back();
    Current->AfterTag();
}

void XpgWriteTextChild(xls::TXpgWriteXML& writer, std::string_view name, std::u16string_view text, bool keepEmpty,
                       bool preserve) {
    if (text.empty()) {
        if (keepEmpty) writer.EmptyElement(name);
        return;
    }
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n' || c == u'\t'; };
    if (preserve && (blank(text.front()) || blank(text.back()))) writer.AddAttribute("xml:space", "preserve");
    writer.TextElement(name, text);
}

void TXPGRootAttributes::Add(std::string_view name, std::u16string_view value) {
    for (auto& item : Items_) {
        if (item.first == name) {
            item.second = value;
            return;
        }
    }
    Items_.emplace_back(std::string(name), std::u16string(value));
}

void TXPGRootAttributes::Write(xls::TXpgWriteXML& writer, std::string_view mainNamespace,
                               std::span<const std::pair<std::string_view, std::string_view>> prefixes) const {
    const auto has = [&](std::string_view name) {
        return std::any_of(Items_.begin(), Items_.end(), [&](const auto& item) { return item.first == name; });
    };
    if (!mainNamespace.empty() && !has("xmlns")) writer.AddAttribute("xmlns", mainNamespace);
    for (const auto& [prefix, uri] : prefixes)
        if (!has("xmlns:" + std::string(prefix))) writer.AddAttribute("xmlns:" + std::string(prefix), uri);
    for (const auto& [name, value] : Items_) {
        std::string_view required;
        if (name == "xmlns" && !mainNamespace.empty()) required = mainNamespace;
        for (const auto& [prefix, uri] : prefixes)
            if (name.size() == prefix.size() + 6 && name.substr(6) == prefix && name.substr(0, 6) == "xmlns:")
                required = uri;
        if (required.empty())
            writer.AddAttribute(name, value);
        else
            writer.AddAttribute(name, required);
    }
}

uint32_t XpgHexToUInt(std::u16string_view text) {
    if (text.empty() || text.size() > 8) return 0;
    uint32_t value = 0;
    for (const char16_t c : text) {
        int digit = -1;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        if (digit < 0) return 0;
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

}  // namespace xpg
