#include "pdf/emf_device_context.h"

namespace pdf {

namespace {

// The stock DEFAULT_PALETTE, as 0x00BBGGRR.
constexpr uint32_t DefaultPalette[20] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
                                         0xC0C0C0, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF,
                                         0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

}  // namespace

uint32_t ResolvePalette(uint32_t color) {
    if (color >= 0x01000000 && color <= 0x01000013) return DefaultPalette[color - 0x01000000];
    return color & 0xFFFFFF;
}

bool TEmfFont::SameLook(const TEmfFont& other) const {
    return FaceName == other.FaceName && Weight == other.Weight && Italic == other.Italic &&
           Underline == other.Underline && StrikeOut == other.StrikeOut && Charset == other.Charset &&
           Height == other.Height;
}

TXForm TXForm::Then(const TXForm& b) const {
    return {M11 * b.M11 + M12 * b.M21, M11 * b.M12 + M12 * b.M22,      M21 * b.M11 + M22 * b.M21,
            M21 * b.M12 + M22 * b.M22, Dx * b.M11 + Dy * b.M21 + b.Dx, Dx * b.M12 + Dy * b.M22 + b.Dy};
}

void TEmfDeviceContext::RestoreDC(int32_t n) {
    const auto count = int64_t(Saved_.size());
    int64_t target;
    if (n < 0)
        target = count + n;
    else if (n > 0)
        target = int64_t(n) - 1;
    else
        return;
    if (target < 0 || target >= count) return;
    State = Saved_[size_t(target)];
    Saved_.resize(size_t(target));
}

void TEmfDeviceContext::Create(uint32_t index, TEmfObject object) {
    if (index < Objects_.size()) Objects_[index] = std::move(object);
}

void TEmfDeviceContext::Delete(uint32_t index) {
    if (index < Objects_.size()) Objects_[index] = std::monostate{};
}

const TEmfObject* TEmfDeviceContext::Object(uint32_t index) const {
    return index < Objects_.size() ? &Objects_[index] : nullptr;
}

const platform::TFontMetrics& TEmfDeviceContext::Metrics() {
    const TEmfFont& font = State.Font;
    if (!Metrics_ || font.FaceName != MeasuredFace_ || font.Weight != MeasuredWeight_ ||
        font.Italic != MeasuredItalic_) {
        Metrics_ = platform::TFontMetrics::Of(font.FaceName, font.Weight >= 600, font.Italic != 0);
        MeasuredFace_ = font.FaceName;
        MeasuredWeight_ = font.Weight;
        MeasuredItalic_ = font.Italic;
    }
    return *Metrics_;
}

platform::TTextMetrics TEmfDeviceContext::TextMetrics() { return Metrics().Metrics(State.Font.Height); }

int TEmfDeviceContext::TextHeight() { return TextMetrics().Height; }

int TEmfDeviceContext::TextWidth(std::u16string_view text) { return Metrics().TextWidth(text, State.Font.Height); }

double TEmfDeviceContext::AverageWidth() { return Metrics().AverageWidth(State.Font.Height); }

}  // namespace pdf
