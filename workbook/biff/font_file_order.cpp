#include "workbook/biff/font_file_order.h"

#include <algorithm>

#include "workbook/model/document_root.h"

namespace xls {

namespace {

// A font the reader keeps for the file's unused font index 4: no name, no size.
bool IsPlaceholder(const TXc12Font& font) { return font.GetName().empty() && font.GetSize() == 0; }

}  // namespace

const TXc12Font* TFontFileOrder::AtFileIndex(int index) const {
    // The file has no font 4.
    if (index < 0 || index == 4) return nullptr;
    const size_t position = static_cast<size_t>(index < 4 ? index : index - 1);
    return position < Written.size() ? Written[position] : nullptr;
}

TFontFileOrder FontFileOrder(const TXc12Fonts& fonts) {
    TFontFileOrder order;
    order.FileIndex.assign(static_cast<size_t>(std::max(fonts.Count(), 1)), 0);
    // A model read from a file holds the file's first font twice (as its default font 0 and as
    // font 1); a model built in memory has its default font only once and writes it first.
    const TXc12Font* first = fonts.Count() > 0 ? fonts.GetItems(0) : nullptr;
    const TXc12Font* second = fonts.Count() > 1 ? fonts.GetItems(1) : nullptr;
    if (first && !(second && second->Equal(*first))) order.Written.push_back(first);
    for (int i = 1; i < fonts.Count(); ++i) {
        const TXc12Font* font = fonts.GetItems(i);
        if (!font || IsPlaceholder(*font)) continue;
        // The fifth record written is font 5.
        const size_t position = order.Written.size();
        order.FileIndex[static_cast<size_t>(i)] = static_cast<uint16_t>(position < 4 ? position : position + 1);
        order.Written.push_back(font);
    }
    return order;
}

}  // namespace xls
