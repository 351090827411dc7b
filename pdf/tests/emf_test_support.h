#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>

#include "base/byte_reader.h"
#include "pdf/emf_parser.h"
#include "pdf/pdf_page.h"
#include "platform/emf_format.h"

namespace pdf::test {

// Builds a metafile record by record: each record is its type and 32-bit fields; the header is
// written last with the handle count and a bounds rectangle that makes it play.
class TEmfBuilder {
public:
    TEmfBuilder& Add(uint32_t type, std::initializer_list<uint32_t> fields = {}) {
        base::AppendLE32(Records_, type);
        base::AppendLE32(Records_, uint32_t(8 + 4 * fields.size()));
        for (uint32_t field : fields) base::AppendLE32(Records_, field);
        ++Count_;
        return *this;
    }
    // A record given as raw bytes after its type and size (padded to four bytes).
    TEmfBuilder& AddRaw(uint32_t type, std::string body) {
        while (body.size() % 4) body += '\0';
        base::AppendLE32(Records_, type);
        base::AppendLE32(Records_, uint32_t(8 + body.size()));
        Records_ += body;
        ++Count_;
        return *this;
    }
    static uint32_t Float(float value) { return std::bit_cast<uint32_t>(value); }
    std::string Finish(uint16_t handles = 8) {
        using namespace platform::emf;
        Add(EMR_EOF, {0, 0, 20});
        std::string header;
        for (uint32_t v : {uint32_t(EMR_HEADER), HeaderSize, 0u, 0u, 100u, 100u, 0u, 0u, 2645u, 2645u, Signature,
                           Version, uint32_t(HeaderSize + Records_.size()), Count_ + 1})
            base::AppendLE32(header, v);
        base::AppendLE16(header, handles);
        header.resize(HeaderSize, '\0');
        return header + Records_;
    }

private:
    std::string Records_;
    uint32_t Count_ = 0;
};

// A LOGFONTW record body of a face, height and charset, as EMR_EXTCREATEFONTINDIRECTW holds it.
inline std::string FontRecord(uint32_t index, int32_t height, uint8_t charset, std::u16string face, int32_t width = 0) {
    std::string body;
    base::AppendLE32(body, index);
    base::AppendLE32(body, uint32_t(height));
    base::AppendLE32(body, uint32_t(width));
    base::AppendLE32(body, 0);
    base::AppendLE32(body, 0);
    base::AppendLE32(body, 400);
    body += std::string{0, 0, 0, char(charset)};
    base::AppendLE32(body, 0);
    for (int i = 0; i < 32; ++i) base::AppendLE16(body, i < int(face.size()) ? face[size_t(i)] : 0);
    return body;
}

// An EMR_EXTTEXTOUTW or EMR_EXTTEXTOUTA body: reference point, options, rectangle, text, optional
// advances.
inline std::string TextRecord(int32_t x, int32_t y, const std::string& text, bool wide, uint32_t options = 0,
                              std::initializer_list<int32_t> rect = {0, 0, -1, -1},
                              std::initializer_list<int32_t> dx = {}) {
    std::string body(28, '\0');
    base::AppendLE32(body, uint32_t(x));
    base::AppendLE32(body, uint32_t(y));
    const size_t chars = wide ? text.size() / 2 : text.size();
    base::AppendLE32(body, uint32_t(chars));
    base::AppendLE32(body, 76);
    base::AppendLE32(body, options);
    for (int32_t v : rect) base::AppendLE32(body, uint32_t(v));
    const uint32_t padded = uint32_t(text.size() + 3) & ~3u;
    base::AppendLE32(body, dx.size() ? 76 + padded : 0);
    body += text;
    body.resize(68 + padded, '\0');
    for (int32_t v : dx) base::AppendLE32(body, uint32_t(v));
    return body;
}

// Plays a metafile on a page and gives the operator lines it appended, each ended by "|", without
// the line cap the playback sets first.
inline std::string PlayOnPage(TPDFPage& page, const std::string& emf) {
    const size_t before = page.Content().size();
    TEMWParser parser(page);
    parser.LoadMetafile(emf);
    parser.Execute();
    std::string drawn = page.Content().substr(before);
    if (drawn.rfind("1 J\r\n", 0) == 0) drawn.erase(0, 5);
    std::string lines;
    for (size_t at = 0; at < drawn.size();) {
        const size_t end = drawn.find("\r\n", at);
        lines += drawn.substr(at, end - at) + "|";
        at = end + 2;
    }
    return lines;
}

}  // namespace pdf::test
