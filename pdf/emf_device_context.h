#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/emf_format.h"
#include "platform/font_metrics.h"

namespace pdf {

// A COLORREF (0x00BBGGRR) with an index of the stock default palette (0x010000nn) resolved.
uint32_t ResolvePalette(uint32_t color);

struct TEmfPen {
    uint32_t Style = platform::emf::PS_SOLID;
    int32_t Width = 0;
    uint32_t Color = 0;
};
struct TEmfBrush {
    uint32_t Style = platform::emf::BS_SOLID;
    uint32_t Color = 0xFFFFFF;
};
// A LOGFONT; the face name is UTF-8.
struct TEmfFont {
    int32_t Height = -11, Width = 0, Escapement = 0, Orientation = 0, Weight = 400;
    uint8_t Italic = 0, Underline = 0, StrikeOut = 0, Charset = 1;
    std::string FaceName = "Arial";
    // Face, weight, italic, underline, strike-out, charset and height: what selects a new page
    // font.
    bool SameLook(const TEmfFont& other) const;
};
struct TXForm {
    double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
    // This transform applied first, then the other.
    TXForm Then(const TXForm& other) const;
};
struct TEmfPoint {
    int32_t X = 0, Y = 0;
};

// What the device context keeps and SaveDC/RestoreDC bring back.
struct TDCState {
    uint32_t MapMode = platform::emf::MM_TEXT;
    TEmfPoint WindowOrg, ViewportOrg;
    TEmfPoint WindowExt{1, 1}, ViewportExt{1, 1};
    uint32_t TextColor = 0, BkColor = 0xFFFFFF, BkMode = platform::emf::OPAQUE;
    uint32_t TextAlign = 0, PolyFillMode = platform::emf::ALTERNATE;
    TEmfPen Pen;
    TEmfBrush Brush;
    TEmfFont Font;
    TXForm Transform;
};

using TEmfObject = std::variant<std::monostate, TEmfPen, TEmfBrush, TEmfFont>;

// The converter's model of the device context a metafile is played on: the state records change it,
// SaveDC/RestoreDC keep and restore it, the object table holds the metafile's pens, brushes and
// fonts, and text is measured with the selected face's tables.
class TEmfDeviceContext {
public:
    explicit TEmfDeviceContext(size_t handles) : Objects_(handles) {}

    TDCState State;

    // Saves beyond a deep bound are ignored: a metafile of nothing but saves must not grow
    // memory far beyond its own size.
    void SaveDC() {
        if (Saved_.size() < MaxSaves) Saved_.push_back(State);
    }
    static constexpr size_t MaxSaves = 4096;
    // A negative number counts back from the latest save, a positive one names a save; any other
    // number, or one beyond the saves, changes nothing.
    void RestoreDC(int32_t n);

    size_t Handles() const { return Objects_.size(); }
    // Entries outside the table are ignored; creating into a used entry replaces it.
    void Create(uint32_t index, TEmfObject object);
    void Delete(uint32_t index);
    const TEmfObject* Object(uint32_t index) const;

    platform::TTextMetrics TextMetrics();
    // Height of a text on the device (the cell height of the selected font).
    int TextHeight();
    // Width of a text in logical units of the device at the font's height.
    int TextWidth(std::u16string_view text);
    // The selected font's natural average character width.
    double AverageWidth();

private:
    const platform::TFontMetrics& Metrics();

    std::vector<TEmfObject> Objects_;
    std::vector<TDCState> Saved_;
    std::shared_ptr<const platform::TFontMetrics> Metrics_;
    std::string MeasuredFace_;
    int32_t MeasuredWeight_ = -1;
    uint8_t MeasuredItalic_ = 0;
};

}  // namespace pdf
