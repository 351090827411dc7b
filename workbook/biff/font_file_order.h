#pragma once

#include <cstdint>
#include <vector>

namespace xls {

class TXc12Font;
class TXc12Fonts;

// How the model's fonts are numbered in a written file: the fonts written, in file order, and
// the file index of each model font (0 for a font that is not written). The writer numbers
// its FONT records this way, and records that name fonts (XFs, rich strings, chart texts)
// carry these indexes.
struct TFontFileOrder {
    std::vector<const TXc12Font*> Written;
    std::vector<uint16_t> FileIndex;

    // The model font written as file font index; nil for an index that names none.
    const TXc12Font* AtFileIndex(int index) const;
};

TFontFileOrder FontFileOrder(const TXc12Fonts& fonts);

}  // namespace xls
