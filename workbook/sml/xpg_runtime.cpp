#include "workbook/sml/xpg_runtime.h"

#include <cctype>

#include "base/text_encoding.h"

namespace xpg {

namespace {

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

constexpr std::string_view XmlnsPrefix = "xmlns:";

}  // namespace

TXPGBase* TXPGBase::HandleElement(TXPGReader& reader) {
    (void)reader;
    return nullptr;
}

void TXPGBase::ReportUnknownElement(const TXPGReader& reader) const { Document->Errors.Error(1, reader.QName(), 0); }

void TXPGBase::ReportUnknownAttribute(std::u16string_view name) const { Document->Errors.Error(0, name, 0); }

void TXPGEnumRegistry::Register(std::string_view name, uint8_t ordinal) { Names_.emplace(Upper(name), ordinal); }

uint8_t TXPGEnumRegistry::StrToEnum(std::u16string_view text) const {
    const auto found = Names_.find(Upper(base::Utf16ToUtf8(text)));
    return found == Names_.end() ? 0 : found->second;
}

TXPGReader::TXPGReader(xls::TXpgPErrors& errors, TXPGBase& root, std::string mainNamespace)
    : Current(&root), Errors(errors), MainNamespace_(std::move(mainNamespace)) {
    Errors.Mode = 1;
}

int32_t TXPGReader::ElementHash() const { return xls::XmlNameHash(ElementName()); }

std::string_view TXPGReader::ElementName() const {
    if (HasPrefix() && HasMainPrefix_ && RawPrefix() == MainPrefix_) return RawLocalName();
    return RawQName();
}

bool TXPGReader::IsCompatibilityElement(std::string_view localName) const {
    return HasPrefix() && RawLocalName() == localName;
}

void TXPGReader::BeginTag() {
    if (SkipDepth_ != 0) return;
    // A prefix bound to the unit's namespace is the same as no prefix.
    const auto& attributes = Attributes();
    for (int i = 0; i < attributes.Count(); ++i) {
        const std::string_view name = attributes.GetRawName(i);
        if (name.substr(0, XmlnsPrefix.size()) == XmlnsPrefix &&
            base::Utf16ToUtf8(attributes.GetValue(i)) == MainNamespace_) {
            MainPrefix_ = name.substr(XmlnsPrefix.size());
            HasMainPrefix_ = true;
        }
    }
    Stack_.push_back(Current);
    // Of a compatibility block only the Fallback branch is read, into the enclosing object.
    if (IsCompatibilityElement("AlternateContent")) {
        AlternateDepths_.push_back(Depth());
        return;
    }
    if (!AlternateDepths_.empty() && AlternateDepths_.back() == Depth() - 1) {
        if (!IsCompatibilityElement("Fallback")) SkipDepth_ = Depth();
        return;
    }
    TXPGBase* next = Current->HandleElement(*this);
    if (next == nullptr) {
        SkipDepth_ = Depth();
        return;
    }
    if (next != Current) next->Flags = XpgRead;
    Current = next;
    if (attributes.Count() > 0) Current->HandleAttributes(attributes);
}

void TXPGReader::EndTag() {
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
