#include "skin/quick_ini.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "skin/skin_text.h"

namespace skin {

void TQuickIni::LoadFromStream(base::TStream& stream) {
    std::string text(static_cast<size_t>(std::max<int64_t>(stream.Size() - stream.Position(), 0)), '\0');
    text.resize(static_cast<size_t>(stream.Read(text.data(), static_cast<int64_t>(text.size()))));
    LoadFromText(text);
}

void TQuickIni::LoadFromText(std::string_view text) {
    Lines_.clear();
    Sections_.clear();
    size_t i = 0;
    while (i < text.size() && text[i] != '\0') {
        const size_t start = i;
        while (i < text.size() && text[i] != '\0' && text[i] != '\r' && text[i] != '\n') ++i;
        const std::string_view line = TrimText(text.substr(start, i - start));
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
        if (line.empty() || line.front() == ';') continue;
        if (IsSectionLine(line)) Sections_.push_back({std::string(line), static_cast<int>(Lines_.size())});
        Lines_.emplace_back(line);
    }
}

std::string TQuickIni::KeyOfLine(std::string_view line) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    return AsciiLower(TrimText(line.substr(0, eq)));
}

std::string TQuickIni::ValueOfLine(std::string_view line, std::string_view key) {
    if (line.empty() || key.empty()) return {};
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || KeyOfLine(line) != key) return {};
    return std::string(TrimText(line.substr(eq + 1)));
}

bool TQuickIni::IsSectionLine(std::string_view line) {
    line = TrimText(line);
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

int TQuickIni::SectionIndex(std::string_view name) const {
    std::string header;
    header.reserve(name.size() + 2);
    header.append("[").append(name).append("]");
    for (const TSectionHeader& section : Sections_)
        if (SameTextNoCase(section.Line, header)) return section.LineIndex;
    return -1;
}

std::string TQuickIni::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    const std::string lowerKey = AsciiLower(key);
    const int header = SectionIndex(section);
    if (header < 0) return std::string(defaultValue);
    for (size_t i = static_cast<size_t>(header) + 1; i < Lines_.size() && !IsSectionLine(Lines_[i]); ++i) {
        if (KeyOfLine(Lines_[i]) != lowerKey) continue;
        std::string value = ValueOfLine(Lines_[i], lowerKey);
        return value.empty() ? std::string(defaultValue) : value;
    }
    return std::string(defaultValue);
}

int32_t TQuickIni::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
    int32_t value = 0;
    return StrToInt32(text, value) ? value : defaultValue;
}

std::vector<std::string> TQuickIni::ReadSections() const {
    std::vector<std::string> names;
    for (const TSectionHeader& section : Sections_) {
        const std::string_view line = TrimText(section.Line);
        names.emplace_back(TrimText(line.substr(1, line.size() - 2)));
    }
    return names;
}

bool StrToInt32(std::string_view text, int32_t& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const bool hex = !text.empty() && text.front() == '$';
    if (hex) text.remove_prefix(1);
    if (text.empty() || (hex && text.size() > 8)) return false;
    uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, hex ? 16 : 10);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (hex) {
        // Hexadecimal fills all 32 bits: "$FFFFFFFF" is -1.
        const auto bits = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        value = negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(bits)) : bits;
        return true;
    }
    if (magnitude > (negative ? 2147483648ull : 2147483647ull)) return false;
    value = static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
    return true;
}

}  // namespace skin
