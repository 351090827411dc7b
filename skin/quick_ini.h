#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"

namespace skin {

// The read-only INI reader of skin packages: keeps the text as trimmed lines and an index of
// section headers; each lookup scans the lines of one section. Sections and keys are matched
// without regard to ASCII case; the first header of a name and the first key in it win.
class TQuickIni {
public:
    // Reads the stream from its position to its end and replaces what was read before.
    void LoadFromStream(base::TStream& stream);
    void LoadFromText(std::string_view text);

    // The key's value, or defaultValue when the section, the key or a value is missing.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Decimal, "$" hexadecimal or "0x" hexadecimal; defaultValue when missing or not a number.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
    // The section names without brackets, in text order.
    std::vector<std::string> ReadSections() const;

    const std::vector<std::string>& Lines() const { return Lines_; }

    static std::string KeyOfLine(std::string_view line);
    static std::string ValueOfLine(std::string_view line, std::string_view key);
    static bool IsSectionLine(std::string_view line);
    // The line number of the header "[" name "]", or -1.
    int SectionIndex(std::string_view name) const;

private:
    struct TSectionHeader {
        std::string Line;
        int LineIndex;
    };

    std::vector<std::string> Lines_;
    std::vector<TSectionHeader> Sections_;
};

// The class library's integer conversion: optional sign, then decimal digits or "$" and up to
// eight hexadecimal digits; false when the text is no 32-bit integer.
bool StrToInt32(std::string_view text, int32_t& value);

}  // namespace skin
