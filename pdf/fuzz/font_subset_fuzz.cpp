// Loads a face (a TrueType file or a collection member) from hostile bytes, shows a few
// characters with it and builds its subsets (kept glyph ids and renumbered single-byte),
// ToUnicode map and widths.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/exception.h"
#include "pdf/ansi_font_subset.h"
#include "pdf/ttf_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int index = data[0] % 4;
    try {
        pdf::TTTFData font(
            platform::TFontFile::FromBytes(std::string(reinterpret_cast<const char*>(data + 1), size - 1), index), 0);
        for (uint16_t code : {0x20, 0x41, 0x4E2D, 0x20AC}) font.UseChar(code);
        font.BuildSubset();
        pdf::CreateAnsiFontSubset(font, "Face", {0x41});
        pdf::CreateAnsiFontSubset(font, "Face", {0x20, 0x41, 0x69, 0xC5, 0x20AC});
        font.WriteToUnicode("TT1");
        font.GetWidthArray();
    } catch (const base::Exception&) {
        // Refusing a damaged font is the expected outcome.
    }
    return 0;
}
