#include "skin/skin_ini_values.h"

#include <string>

#include "skin/quick_ini.h"
#include "skin/skin_reader.h"
#include "skin/skin_text.h"

namespace skin {

TColor ParseRGBText(std::string_view text) {
    text = TrimText(text);
    int parts[3] = {0, 0, 0};
    int stored = 0;
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
            continue;
        }
        int32_t value = 0;
        // A number too large for 32 bits is not taken; its digits run on into the next ones.
        if (!digits.empty() && StrToInt32(digits, value)) {
            if (stored < 3) parts[stored] = value;
            ++stored;
            digits.clear();
        }
    }
    int32_t last = 0;
    if (!digits.empty() && stored == 2 && StrToInt32(digits, last)) parts[2] = last;
    return RGB(parts[0] % 256, parts[1] % 256, parts[2] % 256);
}

TColor ReadRGB(std::string_view text, TColor defaultColour) {
    return text.empty() ? defaultColour : ParseRGBText(text);
}

void ReadRGBTriple(const TQuickIni& ini, std::string_view section, std::string_view prefix, TColor& colour) {
    const std::string p(prefix);
    const int32_t r = ini.ReadInteger(section, p + "R", -1);
    const int32_t g = ini.ReadInteger(section, p + "G", -1);
    const int32_t b = ini.ReadInteger(section, p + "B", -1);
    if (r >= 0 && g >= 0 && b >= 0) colour = RGB(r % 256, g % 256, b % 256);
}

QImage LoadEntryBitmap(const TSkinReader& package, std::string_view value) {
    const size_t cut = value.find_last_of("\\:");
    const std::string_view name = cut == std::string_view::npos ? value : value.substr(cut + 1);
    const size_t dot = name.rfind('.');
    if (name.empty() || dot == std::string_view::npos || !SameTextNoCase(name.substr(dot), ".bmp")) return {};
    const auto bytes = package.GetEntry(name);
    if (bytes.empty()) return {};
    QImage image;
    image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "BMP");
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace skin
