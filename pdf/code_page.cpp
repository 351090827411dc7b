#include "pdf/code_page.h"

#include <iconv.h>

#include <vector>

namespace pdf {

std::u16string CodePageToUtf16(std::string_view bytes, int codePage) {
    std::u16string result;
    const std::string from = "CP" + std::to_string(codePage);
    iconv_t converter = iconv_open("UTF-16LE", from.c_str());
    if (converter == iconv_t(-1)) return result;
    std::vector<char> out(bytes.size() * 4 + 8);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = out.data();
        size_t outLeft = out.size();
        const size_t status = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        for (const char* p = out.data(); p + 1 < outPtr; p += 2)
            result += char16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
        if (status == size_t(-1) && inLeft > 0) {
            // An invalid or incomplete sequence: skip its first byte and go on.
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return result;
}

}  // namespace pdf
