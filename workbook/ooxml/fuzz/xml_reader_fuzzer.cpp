// Parses arbitrary bytes with the XML reader (strict and tolerant) into the simple tree,
// queries every node and saves the tree. Errors are expected; crashes, hangs and runaway
// memory are not, and a tree loaded strictly must save into XML that loads to the same tree.
// The tree is walked through its nodes and saved both from its store and from the nodes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/xml/simple_dom.h"
#include "workbook/ooxml/xml/xml_values.h"

namespace {

// Every query the tree offers, on every node.
void Visit(xls::TXpgDOMNode& node) {
    for (int i = 0; i < node.Attributes().Count(); ++i) {
        const xls::TXpgDOMAttribute& attribute = node.Attributes().Items(i);
        node.Attributes().GetIntValue(attribute.Name, -1);
        xls::XmlStrToFloat(attribute.Value);
        xls::XmlStrToDateTime(attribute.Value);
        xls::XmlUnescapeXString(attribute.Value);
    }
    xls::XmlUnescapeXString(node.Text());
    for (int i = 0; i < node.ChildCount(); ++i) {
        xls::TXpgDOMNode& child = node.Children(i);
        // A name holding "/" is a path to another node; any other name finds a child.
        if (child.Name().find(u'/') == std::u16string::npos && !node.FindNode(child.Name(), false)) std::abort();
        node.FindNode(child.Name() + u"/" + child.Name(), false);
        Visit(child);
    }
}

std::string Save(xls::TXpgSimpleDOM& dom) {
    base::TMemoryStream out;
    dom.SaveToStream(out);
    return std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool tolerant = (data[0] & 1) != 0;
    base::TMemoryStream input = base::TMemoryStream::View(data + 1, static_cast<int64_t>(size - 1));
    xls::TXpgSimpleDOM dom;
    try {
        if (tolerant)
            dom.LoadFromStreamTolerant(input);
        else
            dom.LoadFromStream(input);
    } catch (const base::Exception&) {
        return 0;
    }
    Visit(dom.Root());
    if (tolerant) {
        // Hand-made markup may hold names no document can carry; the writer refuses them.
        try {
            Save(dom);
        } catch (const base::Exception&) {
        }
        return 0;
    }
    const std::string saved = Save(dom);
    // An empty tree saves as the declaration alone, which a strict read refuses.
    if (dom.IsEmpty()) return 0;
    xls::TXpgSimpleDOM again;
    base::TMemoryStream reread = base::TMemoryStream::View(saved.data(), static_cast<int64_t>(saved.size()));
    again.LoadFromStream(reread);  // an exception here is a finding
    if (Save(again) != saved) std::abort();
    return 0;
}
