#include "pdf/pdf_deflate.h"

#include <zlib.h>

#include "pdf/pdf_exception.h"

namespace pdf {

std::string Deflate(std::string_view data, int level) {
    uLongf size = compressBound(uLong(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  uLong(data.size()), level) != Z_OK)
        throw TPDFException("Compression error");
    out.resize(size);
    return out;
}

}  // namespace pdf
