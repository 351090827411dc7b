#include "platform/locale_paper.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdint>

namespace platform {

namespace {

// LC_PAPER items are numbers stored in the place of the text pointer.
unsigned PaperItem(nl_item item, locale_t locale) {
    union {
        const char* Text;
        uintptr_t Word;
    } value{};
    value.Text = nl_langinfo_l(item, locale);
    return static_cast<unsigned>(value.Word);
}

}  // namespace

std::optional<std::string> LocalePaperSizeCode(const std::string& localeName) {
    locale_t locale = newlocale(LC_PAPER_MASK, localeName.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) return std::nullopt;
    const unsigned height = PaperItem(_NL_PAPER_HEIGHT, locale);
    const unsigned width = PaperItem(_NL_PAPER_WIDTH, locale);
    freelocale(locale);
    struct TPaper {
        unsigned Height, Width;
        const char* Code;
    };
    static constexpr TPaper Papers[] = {{279, 216, "1"}, {356, 216, "5"}, {420, 297, "8"}, {297, 210, "9"}};
    for (const TPaper& paper : Papers)
        if (paper.Height == height && paper.Width == width) return std::string(paper.Code);
    return std::string("0");
}

}  // namespace platform
