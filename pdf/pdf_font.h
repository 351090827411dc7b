#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "pdf/font_style.h"
#include "pdf/ttf_data.h"

namespace pdf {

class TPDFObjectWriter;

// One font resource of a document: a standard Type1 font, a single-byte TrueType font
// (WinAnsi) or a Unicode Type0 font with a CIDFontType2 descendant.
class TPDFFont {
public:
    // A standard font, index 0 to 13.
    explicit TPDFFont(int standardIndex);
    // A TrueType font over an installed face.
    TPDFFont(std::string faceName, TFontStyles style, bool unicode, bool embed, bool macRoman,
             std::unique_ptr<TTTFData> data);
    TPDFFont(const TPDFFont&) = delete;
    TPDFFont& operator=(const TPDFFont&) = delete;

    int ObjNumber = -1;
    std::string ResourceName;
    bool Used = false;

    const std::string& FaceName() const { return FaceName_; }
    TFontStyles Style() const { return Style_; }
    bool Unicode() const { return Unicode_; }
    bool Standard() const { return Standard_; }
    int StandardIndex() const { return StandardIndex_; }
    bool Embed() const { return Embed_; }
    TTTFData* Data() const { return Data_.get(); }

    void UseText(std::string_view text);
    void UseCode(uint8_t code);
    // Advance of a single-byte code in 1/1000 em.
    int CodeWidth(uint8_t code) const { return Widths_[code]; }
    int GetAscent() const;

    // Writes the font's objects; nothing when no page used the font.
    void Save(TPDFObjectWriter& writer);

private:
    void SaveStandard(TPDFObjectWriter& writer);
    void SaveTrueType(TPDFObjectWriter& writer);
    void SaveType0(TPDFObjectWriter& writer);
    int WriteFontFile(TPDFObjectWriter& writer, const std::string& program);
    int WriteDescriptor(TPDFObjectWriter& writer, const std::string& fontName, int fontFile);
    std::string FontName(bool subset) const;

    std::string FaceName_;
    TFontStyles Style_ = 0;
    bool Unicode_ = false;
    bool Standard_ = false;
    int StandardIndex_ = 0;
    bool Embed_ = true;
    bool MacRoman_ = false;
    std::array<int, 256> Widths_{};
    std::array<bool, 256> UsedCodes_{};
    int FirstUsed_ = 255;
    int LastUsed_ = 0;
    std::unique_ptr<TTTFData> Data_;
};

// "/BaseFont" and "/FontName" value: bytes outside 0x21-0x7E and delimiters become #xx.
std::string EscapePDFName(std::string_view name);

}  // namespace pdf
