#pragma once

#include <cstdint>

namespace skin {

// The value names and their order are part of the stored form.
enum class TSkinFormType { sfMainform, sfOnlyThisForm, sfDialog, sfDLL };

enum class TSkinOption {
    xoMDIScrollbar,
    xoMenuMerge,
    xoTransparent,
    xoPreview,
    xoParentBackGround,
    xoNoFocusRect,
    xoToolbarBK,
    xoToolbarButton,
    xoMDIChildBorder,
    xoMenuBG,
    xoCaptionButtonHint,
    xoFormScrollbar
};

enum class TSkinControlType {
    xcMainMenu,
    xcPopupMenu,
    xcMenuItem,
    xcToolbar,
    xcControlbar,
    xcCombo,
    xcCheckBox,
    xcRadioButton,
    xcProgress,
    xcScrollbar,
    xcEdit,
    xcButton,
    xcBitBtn,
    xcSpeedButton,
    xcSpin,
    xcPanel,
    xcGroupBox,
    xcStatusBar,
    xcTab,
    xcTrackBar,
    xcSystemMenu,
    xcFastReport
};

// A set of enumeration values stored as bits, value 0 in bit 0 (as the form stores it).
template <class E>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values) {
        for (E v : values) Include(v);
    }
    static constexpr TEnumSet FromBits(uint32_t bits) {
        TEnumSet set;
        set.Bits_ = bits;
        return set;
    }

    constexpr bool Has(E v) const { return (Bits_ >> static_cast<int>(v) & 1u) != 0; }
    constexpr void Include(E v) { Bits_ |= 1u << static_cast<int>(v); }
    constexpr void Exclude(E v) { Bits_ &= ~(1u << static_cast<int>(v)); }
    constexpr uint32_t Bits() const { return Bits_; }
    constexpr bool operator==(const TEnumSet&) const = default;

private:
    uint32_t Bits_ = 0;
};

using TSkinOptions = TEnumSet<TSkinOption>;
using TSkinControlTypes = TEnumSet<TSkinControlType>;

// Indexes of the colour table.
enum TSkinColourIndex {
    scWindowText = 0,
    scTitleTextActive,
    scTitleTextNoActive,
    scButtonFace,
    scButtonText,
    scButtonHilight,
    scButtonlight,
    scButtonShadow,
    scButtonDkShadow,
    scHilightText = 11,
    scHilight,
    scMenubar,
    scMenuBarText,
    scMenuText,
    scMenu,
    scFrame,
    scScrollbar,
    SkinColourCount
};

}  // namespace skin
