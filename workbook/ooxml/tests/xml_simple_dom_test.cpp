#include <gtest/gtest.h>

#include <string>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/tests/xml_test_support.h"
#include "workbook/ooxml/xml/simple_dom.h"

namespace xls {
namespace {

constexpr std::string_view Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r";

std::string Save(TXpgSimpleDOM& dom) {
    base::TMemoryStream stream;
    dom.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

std::string RoundTrip(const std::string& xml) {
    TXpgSimpleDOM dom;
    testing::TTrickleStream stream(xml, 5);
    dom.LoadFromStream(stream);
    return Save(dom).substr(Declaration.size());
}

TEST(XmlSimpleDom, KeepsTextAndMixedContentExactly) {
    const struct {
        const char* Name;
        std::string Input;
        std::string Output;
    } cases[] = {
        {"compact", R"(<a x="1"><b>t</b><c/></a>)", R"(<a x="1" ><b>t</b><c/></a>)"},
        {"indented", "<a>\n  <b> ok </b>\n</a>", "<a>\n  <b> ok </b>\n</a>"},
        {"mixed content", "<p>one <b>two</b> three<br/>four</p>", "<p>one <b>two</b> three<br/>four</p>"},
        {"comments and instructions dropped, text kept", "<p>a<!--c-->b<?pi x?>c<q/>d<!--e-->f</p>",
         "<p>abc<q/>df</p>"},
        {"attribute line breaks and entities", "<a v=\"x&#10;y\" w=\"1&amp;2\"/>", "<a v=\"x&#10;y\" w=\"1&amp;2\" />"},
        {"CDATA becomes escaped text", "<a><![CDATA[<x>]]></a>", "<a>&lt;x&gt;</a>"},
        {"chinese", "<a n=\"\xE4\xB8\xAD\">\xE6\x96\x87</a>", "<a n=\"\xE4\xB8\xAD\" >\xE6\x96\x87</a>"},
        {"prefixes kept", R"(<x:a xmlns:x="u"><x:b r:id="1"/></x:a>)", R"(<x:a xmlns:x="u" ><x:b r:id="1" /></x:a>)"},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundTrip(c.Input), c.Output) << c.Name;
}

TEST(XmlSimpleDom, BuildsNodesAndFindsThemByPath) {
    TXpgSimpleDOM dom;
    dom.LoadFromString(u"<cp:coreProperties><dc:creator>\u5F20</dc:creator><x a=\"7\" b=\"x\"/></cp:coreProperties>");
    ASSERT_FALSE(dom.IsEmpty());
    TXpgDOMNode* creator = dom.Root().FindNode(u"cp:coreProperties/dc:creator", false);
    ASSERT_NE(creator, nullptr);
    EXPECT_EQ(creator->Text(), u"\u5F20");
    EXPECT_EQ(dom.Root().FindNode(u"cp:coreProperties/dcterms:created", false), nullptr);
    try {
        dom.Root().FindNode(u"cp:coreProperties/dcterms:created/x", true);
        FAIL();
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "XML error: Can not find expected node \"dcterms:created/x\"");
    }
    TXpgDOMNode& x = *dom.Root().FindNode(u"cp:coreProperties/x", true);
    EXPECT_EQ(x.Attributes().GetIntValue(u"a", 5), 7);
    EXPECT_EQ(x.Attributes().GetIntValue(u"b", 5), 0);
    EXPECT_EQ(x.Attributes().GetIntValue(u"c", 5), 5);
    x.Attributes().SetIntValue(u"a", 8);
    x.Attributes().SetIntValue(u"c", 9);
    EXPECT_EQ(x.Attributes().GetValue(u"a"), u"8");
    EXPECT_EQ(x.Attributes().Count(), 3);

    TXpgDOMNode& root = dom.Root().Children(0);
    std::unique_ptr<TXpgDOMNode> copy = root.Clone();
    std::unique_ptr<TXpgDOMNode> taken = root.ExtractChild(0);
    EXPECT_EQ(taken->Name(), u"dc:creator");
    EXPECT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(copy->ChildCount(), 2);
    root.AddNode(std::move(taken)).SetTail(u"\n");
    root.AddChild(u"new").AddAttribute(u"k", u"v");
    EXPECT_EQ(Save(dom).substr(Declaration.size()),
              "<cp:coreProperties><x a=\"8\" b=\"x\" c=\"9\" /><dc:creator>\xE5\xBC\xA0</dc:creator>\n"
              "<new k=\"v\" /></cp:coreProperties>");
}

TEST(XmlSimpleDom, EmptyAndFailedLoads) {
    TXpgSimpleDOM dom;
    base::TMemoryStream empty;
    dom.LoadFromStream(empty);
    EXPECT_TRUE(dom.IsEmpty());
    EXPECT_EQ(Save(dom), Declaration);

    // A failed load keeps what was built; the next load starts afresh.
    EXPECT_THROW(dom.LoadFromString(u"<a><b/><c>"), base::Exception);
    EXPECT_EQ(dom.Root().Children(0).ChildCount(), 2);
    dom.LoadFromString(u"<z/>");
    EXPECT_EQ(dom.Root().ChildCount(), 1);
    EXPECT_EQ(dom.Root().Children(0).Name(), u"z");
}

TEST(XmlSimpleDom, TolerantLoadClosesHandMadeMarkup) {
    TXpgSimpleDOM dom;
    testing::TTrickleStream stream("<xml><div>a<br>b</div></xml>", 4);
    dom.LoadFromStreamTolerant(stream);
    EXPECT_EQ(Save(dom).substr(Declaration.size()), "<xml><div>a<br>b</br></div></xml>");
}

void MakeEveryNode(TXpgDOMNode& node) {
    for (int i = 0; i < node.ChildCount(); ++i) MakeEveryNode(node.Children(i));
}

TEST(XmlSimpleDom, TheStoreOfALoadedTreeHoldsAtMostFourTimesTheInput) {
    const struct {
        const char* Shape;
        std::string Element;
    } cases[] = {
        {"empty elements", "<a/>"},         {"prefixed empty elements", "<x:row/>"},
        {"one attribute", "<c r=\"A1\"/>"}, {"text", "<v>1</v>"},
        {"indented", "\n  <b/>"},           {"chinese text", "<t>\xE4\xB8\xAD</t>"},
    };
    for (const auto& c : cases) {
        std::string doc = "<r>";
        for (int i = 0; i < 100000; ++i) doc += c.Element;
        doc += "</r>";
        TXpgSimpleDOM dom;
        base::TMemoryStream stream = base::TMemoryStream::View(doc.data(), static_cast<int64_t>(doc.size()));
        dom.LoadFromStream(stream);
        EXPECT_LE(dom.StoreBytes(), 4 * doc.size()) << c.Shape;
        // Saved from the store, and again once every node has been made from it: the same.
        const std::string fromStore = Save(dom);
        MakeEveryNode(dom.Root());
        EXPECT_TRUE(Save(dom) == fromStore) << c.Shape;
        EXPECT_EQ(dom.Root().Children(0).ChildCount(), 100000) << c.Shape;
    }
}

TEST(XmlSimpleDom, NodesMadeFromTheStoreKeepTheirChangesAndOutliveIt) {
    TXpgSimpleDOM dom;
    dom.LoadFromString(u"<a k=\"1\">t<b x=\"2\"><c/>m</b>tail<d/></a>");
    TXpgDOMNode& a = dom.Root().Children(0);
    a.Attributes().SetIntValue(u"k", 5);
    a.SetText(u"T");
    // b's children are still stored when it is written.
    EXPECT_EQ(Save(dom).substr(Declaration.size()), "<a k=\"5\" >T<b x=\"2\" ><c/>m</b>tail<d/></a>");
    std::unique_ptr<TXpgDOMNode> b = a.ExtractChild(0);
    dom.LoadFromString(u"<z/>");
    ASSERT_EQ(b->ChildCount(), 1);
    EXPECT_EQ(b->Children(0).Name(), u"c");
    EXPECT_EQ(b->Children(0).Tail(), u"m");
    EXPECT_EQ(b->Tail(), u"tail");
    EXPECT_EQ(b->Attributes().GetValue(u"x"), u"2");
}

// A tree of nodes of its own class, as kept parts with extra per-node data build it.
class TTaggedNode : public TXpgDOMNode {
public:
    std::unique_ptr<TXpgDOMNode> CreateNode(TXpgDOMNode*) override { return std::make_unique<TTaggedNode>(); }
};

class TTaggedDom : public TXpgSimpleDOM {
public:
    std::unique_ptr<TXpgDOMNode> CreateNode() override { return std::make_unique<TTaggedNode>(); }
};

TEST(XmlSimpleDom, NodesComeFromTheFactories) {
    TTaggedDom dom;
    dom.LoadFromString(u"<a><b/></a>");
    EXPECT_NE(dynamic_cast<TTaggedNode*>(&dom.Root()), nullptr);
    EXPECT_NE(dynamic_cast<TTaggedNode*>(dom.Root().FindNode(u"a/b", true)), nullptr);
    EXPECT_NE(dynamic_cast<TTaggedNode*>(dom.Root().Children(0).Clone().get()), nullptr);
}

}  // namespace
}  // namespace xls
