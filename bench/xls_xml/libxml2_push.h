#pragma once

#include <libxml/parser.h>

#include <algorithm>
#include <string_view>

namespace bench {

// libxml2's SAX2 parser fed in 64 KB pieces, as our reader reads: the peer of the XML benchmarks.
// Returns whether libxml2 found the text well-formed.
inline bool Libxml2PushParse(xmlSAXHandler& handler, void* user, std::string_view text) {
    xmlParserCtxtPtr context = xmlCreatePushParserCtxt(&handler, user, nullptr, 0, nullptr);
    xmlCtxtUseOptions(context, XML_PARSE_HUGE);
    for (size_t pos = 0; pos < text.size(); pos += 65536) {
        const size_t count = std::min<size_t>(65536, text.size() - pos);
        xmlParseChunk(context, text.data() + pos, static_cast<int>(count), 0);
    }
    xmlParseChunk(context, nullptr, 0, 1);
    const bool wellFormed = context->wellFormed != 0;
    xmlFreeParserCtxt(context);
    return wellFormed;
}

}  // namespace bench
