#include "workbook/formula/wildcard_pattern.h"

#include "workbook/model/utils.h"

namespace xls {

TWildcardPattern::TWildcardPattern(std::u16string_view pattern) {
    const std::u16string upper = WideUpperCaseStr(pattern);
    for (size_t i = 0; i < upper.size(); ++i) {
        const char16_t c = upper[i];
        if (c == u'~' && i + 1 < upper.size()) {
            Items.push_back({pkChar, upper[++i]});
        } else if (c == u'*') {
            // Runs of stars match what one does.
            if (Items.empty() || Items.back().Kind != pkStar) Items.push_back({pkStar, 0});
        } else if (c == u'?') {
            Items.push_back({pkAny, 0});
        } else {
            Items.push_back({pkChar, c});
        }
    }
}

// Greedy matching that returns to the last star on a mismatch: linear in the text for each star,
// so long texts and many stars cost no more than their product.
bool TWildcardPattern::Matches(std::u16string_view text) const {
    const std::u16string upper = WideUpperCaseStr(text);
    size_t p = 0;
    size_t t = 0;
    size_t starItem = Items.size();
    size_t starText = 0;
    while (t < upper.size()) {
        if (p < Items.size() && Items[p].Kind == pkStar) {
            starItem = p++;
            starText = t;
        } else if (p < Items.size() && (Items[p].Kind == pkAny || Items[p].Char == upper[t])) {
            ++p;
            ++t;
        } else if (starItem < Items.size()) {
            p = starItem + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < Items.size() && Items[p].Kind == pkStar) ++p;
    return p == Items.size();
}

}  // namespace xls
