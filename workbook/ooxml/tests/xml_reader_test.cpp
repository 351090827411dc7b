#include <gtest/gtest.h>

#include <new>
#include <string>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/tests/xml_test_support.h"
#include "workbook/ooxml/xml/xml_reader.h"
#include "workbook/ooxml/xml/xml_values.h"

namespace xls {
namespace {

using testing::TEventRecorder;

struct TEventCase {
    const char* Name;
    std::string Input;
    std::string Expected;
};

// Every document is also read one, two, three and seven bytes at a time: the events must not
// depend on where the reads end.
TEST(XmlReader, ReportsTheSameEventsWhereverTheReadsEnd) {
    const TEventCase cases[] = {
        {"entity in attribute", R"(<a x="1&amp;2"/>)", "<a x=1&2>\n</a>"},
        {"numeric references", "<t>&#65;&lt;&#x4E3B;&#20027;&#x1F600;</t>",
         "<t>A<\xE4\xB8\xBB\xE4\xB8\xBB\xF0\x9F\x98\x80\n</t>"},
        {"line feed reference in attribute", R"(<a v="x&#10;y&#9;z"/>)", "<a v=x\ny\tz>\n</a>"},
        {"all five entities", "<t>&lt;&gt;&amp;&apos;&quot;</t>", "<t><>&'\"\n</t>"},
        {"text around children", "<a>\n  <b/>\n  <c>x</c>tail\n</a>", "<a>\n  \n<b>\n</b>\n  \n<c>x\n</c>tail\n\n</a>"},
        {"markup characters in values", R"(<a b=">/" c='"/>' d="</x>"/>)", "<a b=>/ c=\"/> d=</x>>\n</a>"},
        {"CDATA is text", "<t>a<![CDATA[<b>&amp;]]>c</t>", "<t>a<b>&amp;c\n</t>"},
        {"blanks around equals", "<a b = \"1\"\tc\n=\n'2'/>", "<a b=1 c=2>\n</a>"},
        {"line ends", "<t a=\"1\t2\r\n3\">x\r\ny\rz</t>", "<t a=1 2 3>x\ny\nz\n</t>"},
        {"comment and declaration", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"Utf-8\"?>\n<!--note-->\n<a/>",
         "?xml\n!note\n<a>\n</a>"},
        {"prefixes", R"(<x:worksheet xmlns:x="u"><x:row r:id="7"/></x:worksheet>)",
         "<x:worksheet xmlns:x=u>\n<x:row r:id=7>\n</x:row>\n</x:worksheet>"},
        {"one-letter tags", "<c><v>1.5</v><f>A1</f></c>", "<c>\n<v>1.5\n</v>\n<f>A1\n</f>\n</c>"},
        {"chinese text", "<t>\xE4\xB8\xAD\xE6\x96\x87</t>", "<t>\xE4\xB8\xAD\xE6\x96\x87\n</t>"},
        {"empty stream", "", ""},
        {"blanks only", " \r\n", ""},
    };
    for (const TEventCase& c : cases) {
        for (const int step : {1, 2, 3, 7, 1 << 20}) {
            TEventRecorder reader;
            EXPECT_EQ(reader.Run(c.Input, step), c.Expected) << c.Name << ", step " << step;
        }
    }
}

// A start tag "e" with count attributes a0, a1, ...; extra (when given) is added once more at
// the end.
std::string ManyAttributes(int count, const std::string& extra = "") {
    std::string doc = "<e";
    for (int i = 0; i < count; ++i) doc += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    if (!extra.empty()) doc += " " + extra + "=\"x\"";
    return doc + "/>";
}

TEST(XmlReader, RefusesMalformedInputWithAClearMessage) {
    std::string deep;
    for (int i = 0; i <= TXpgReadXML::MaxElementDepth; ++i) deep += "<a>";
    const struct {
        const char* Name;
        std::string Input;
        const char* Message;
    } cases[] = {
        {"unknown entity", "<t>&foo;</t>", "Syntax error in XML: unknown entity \"&foo;\""},
        {"entity named by its byte sum", "<t>&tg;</t>", "Syntax error in XML: unknown entity \"&tg;\""},
        {"ampersand alone", "<a v=\"R&D\"/>", "Syntax error in XML: \"&\" without \";\" at \"&D;\""},
        {"reference to NUL", "<t>&#0;</t>",
         "Syntax error in XML: reference to a character XML does not allow \"&#0;\""},
        {"reference to a surrogate", "<t>&#xD800;</t>",
         "Syntax error in XML: reference to a character XML does not allow \"&#xD800;\""},
        {"reference without digits", "<t>&#x;</t>", "Syntax error in XML: invalid character reference \"&#x;\""},
        {"mismatched end tag", "<a><b></a></b>", "Syntax error in XML: end tag \"a\" does not match \"b\""},
        {"end tag without start", "<a/></a>", "Syntax error in XML: end tag \"a\" without a start tag"},
        {"unclosed element", "<a><b>", "Unexcpected end of file in XML"},
        {"cut inside a tag", "<a><b x=\"1", "Unexcpected end of file in XML"},
        {"cut inside CDATA", "<a><![CDATA[x", "Unexcpected end of file in XML"},
        {"unquoted value", "<a b=1/>", "Syntax error in XML: an attribute value without quotes in \"a\""},
        {"attribute without value", "<a b/>", "Syntax error in XML: an attribute without a value in \"a\""},
        {"no tag at all", "hello", "Syntax error in XML: can not find \"<\""},
        {"latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>",
         "Unsupported encoding of xml: \"ISO-8859-1\". Must be utf-8"},
        {"utf-16", std::string("\xFF\xFE<\0a\0/\0>\0", 10), "Unsupported encoding of xml: \"UTF-16\". Must be utf-8"},
        {"document type", "<!DOCTYPE a [<!ENTITY x \"xx\">]><a>&x;</a>",
         "Document type declarations are not supported in XML"},
        {"external entity", "<!DOCTYPE a SYSTEM \"file:///etc/passwd\"><a/>",
         "Document type declarations are not supported in XML"},
        {"too deep", deep, "Syntax error in XML: elements nested too deep"},
        {"NUL in a name", std::string("<a\0b/>", 6), "Syntax error in XML: character 0x00 is not allowed"},
        {"NUL in an attribute name", std::string("<a b\0=\"1\"/>", 11),
         "Syntax error in XML: character 0x00 is not allowed"},
        {"NUL in a value", std::string("<a b=\"\0\"/>", 10), "Syntax error in XML: character 0x00 is not allowed"},
        {"NUL in text", std::string("<a>x\0y</a>", 10), "Syntax error in XML: character 0x00 is not allowed"},
        {"NUL in a comment", std::string("<a><!--\0--></a>", 15), "Syntax error in XML: character 0x00 is not allowed"},
        {"other control character", "<a>\x1B</a>", "Syntax error in XML: character 0x1B is not allowed"},
        {"declaration alone", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n",
         "Syntax error in XML: no document element"},
        {"comment alone", "<!--x-->", "Syntax error in XML: no document element"},
        {"attribute twice", "<a b=\"1\" c=\"2\" b=\"3\"/>", "Syntax error in XML: attribute \"b\" twice in \"a\""},
        {"attribute twice among many", ManyAttributes(40, "a7"),
         "Syntax error in XML: attribute \"a7\" twice in \"e\""},
        {"quote in a name", "<a\"b/>", "Syntax error in XML: invalid name \"a\"b\""},
        {"markup in an attribute name", "<a b<c=\"1\"/>", "Syntax error in XML: invalid name \"b<c\""},
        {"two document elements", "<a/><b/>", "Syntax error in XML: a second document element \"b\""},
        {"second document element after a comment", "<a></a><!--c--><a/>",
         "Syntax error in XML: a second document element \"a\""},
        {"text after the document element", "<a></a>x", "Syntax error in XML: text outside the document element"},
        {"text after an empty document element", "<a/> x\n", "Syntax error in XML: text outside the document element"},
        {"CDATA after the document element", "<a/><![CDATA[x]]>",
         "Syntax error in XML: text outside the document element"},
        {"text before the document element", "<!--c-->x<a/>", "Syntax error in XML: text outside the document element"},
    };
    for (const auto& c : cases) {
        TEventRecorder reader;
        try {
            reader.Run(c.Input, 5);
            ADD_FAILURE() << c.Name << ": no exception";
        } catch (const base::Exception& e) {
            EXPECT_EQ(e.Message(), c.Message) << c.Name;
        }
    }
}

TEST(XmlReader, StrictOnlyChecksLeaveTheTolerantParseAlone) {
    const TEventCase cases[] = {
        {"two document elements", "<a/><b/>", "<a>\n</a>\n<b>\n</b>"},
        {"attribute twice", "<a b=\"1\" b=\"2\"/>", "<a b=1 b=2>\n</a>"},
        {"NUL in text", std::string("<a>\0</a>", 8), std::string("<a>\0\n</a>", 9)},
        {"declaration alone", "<?xml version=\"1.0\"?>", "?xml"},
    };
    for (const TEventCase& c : cases) {
        TEventRecorder reader;
        EXPECT_EQ(reader.Run(c.Input, 3, true), c.Expected) << c.Name;
    }
}

TEST(XmlReader, AcceptsWhatMayStandBesideTheDocumentElement) {
    const TEventCase cases[] = {
        {"blanks and comments after", "<a/>\r\n<!--c-->\n", "<a>\n</a>\n\n!c"},
        {"instruction before", "<?pi x?>\n<a/>", "?pi\n<a>\n</a>"},
        {"many distinct attributes", ManyAttributes(40), ""},
    };
    for (const TEventCase& c : cases) {
        TEventRecorder reader;
        const std::string events = reader.Run(c.Input, 3);
        if (!c.Expected.empty()) {
            EXPECT_EQ(events, c.Expected) << c.Name;
        }
    }
}

TEST(XmlReader, AConstructLongerThanTheLimitIsRefusedBeforeItIsBufferedWhole) {
    const struct {
        const char* Name;
        std::string Input;
        bool Refused;
    } cases[] = {
        {"attribute value", "<a v=\"" + std::string(300000, 'v') + "\"/>", true},
        {"text", "<a>" + std::string(300000, 't') + "</a>", true},
        {"comment", "<a><!--" + std::string(300000, 'c') + "--></a>", true},
        {"many short tags",
         "<a>" +
             [] {
                 std::string tags;
                 for (int i = 0; i < 50000; ++i) tags += "<b x=\"1\"/>";
                 return tags;
             }() +
             "</a>",
         false},
    };
    for (const auto& c : cases) {
        for (const int step : {4096, 1 << 20}) {
            TEventRecorder reader;
            reader.SetMaxTokenSize(200000);
            try {
                reader.Run(c.Input, step);
                EXPECT_FALSE(c.Refused) << c.Name;
            } catch (const base::Exception& e) {
                EXPECT_TRUE(c.Refused) << c.Name << ": " << e.Message();
                EXPECT_EQ(e.Message(), "XML tag or text longer than the limit of 200000 bytes") << c.Name;
            }
        }
    }
    // The caller may raise it.
    TEventRecorder reader;
    reader.SetMaxTokenSize(400000);
    EXPECT_NO_THROW(reader.Run(cases[0].Input));
}

// Runs out of memory in its callback.
class TGreedyReader : public TXpgReadXML {
public:
    void BeginTag() override { throw std::bad_alloc(); }
};

TEST(XmlReader, RunningOutOfMemoryIsTheLibrarysError) {
    const std::string doc = "<a/>";
    base::TMemoryStream stream = base::TMemoryStream::View(doc.data(), static_cast<int64_t>(doc.size()));
    TGreedyReader reader;
    try {
        reader.LoadFromStream(stream);
        FAIL();
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "Not enough memory to read the XML");
    }
}

TEST(XmlReader, BillionLaughsNeverExpands) {
    std::string doc = "<!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int i = 1; i < 10; ++i) doc += "<!ENTITY lol" + std::to_string(i) + " \"" + std::string(10, '&') + "\">";
    doc += "]><lolz>&lol9;</lolz>";
    TEventRecorder reader;
    EXPECT_THROW(reader.Run(doc), base::Exception);
    EXPECT_TRUE(reader.Events.empty());
}

TEST(XmlReader, ReadsTextsAndValuesLongerThanAnyChunk) {
    // A cell string of 32,767 CJK characters is about 96 KB of UTF-8.
    std::string text;
    for (int i = 0; i < 32767; ++i) text += "\xE4\xB8\xBB";
    const std::string value(200000, 'v');
    const std::string doc = "<si><t xml:space=\"preserve\">" + text + "</t><x a=\"" + value + "\"/></si>";
    for (const int step : {1000, 65536, 1 << 22}) {
        TEventRecorder reader;
        reader.Run(doc, step);
        ASSERT_EQ(reader.Events.size(), 6u);
        EXPECT_EQ(reader.Events[1], "<t xml:space=preserve>" + text) << step;
        EXPECT_EQ(reader.Events[3], "<x a=" + value + ">") << step;
    }
}

// The names and hashes the generated readers dispatch on.
class TNameProbe : public TXpgReadXML {
public:
    struct TSeen {
        std::u16string QName, LocalName;
        std::string Prefix8, Local8;
        int32_t Hash;
        uint32_t HashRS;
        bool C, V, Prefix;
        int Depth;
    };
    std::vector<TSeen> Seen;
    std::vector<std::pair<int32_t, uint32_t>> AttributeHashes;
    void BeginTag() override {
        Seen.push_back({QName(), LocalName(), std::string(RawPrefix()), std::string(RawLocalName()), QNameHash(),
                        QNameHashRS(), NameStartsWithC(), NameStartsWithV(), HasPrefix(), Depth()});
        for (int i = 0; i < Attributes().Count(); ++i)
            AttributeHashes.emplace_back(Attributes().NameHash(i), Attributes().NameHashRS(i));
    }
};

TEST(XmlReader, GivesNamesAndHashesOfTheCurrentTag) {
    base::TMemoryStream stream;
    const std::string doc =
        R"(<Relationships><Relationship r:id="1" TargetMode="x"/><x:sheetData><v/><x:c/></x:sheetData></Relationships>)";
    stream.Write(doc.data(), static_cast<int64_t>(doc.size()));
    stream.SetPosition(0);
    TNameProbe probe;
    probe.LoadFromStream(stream);
    ASSERT_EQ(probe.Seen.size(), 5u);
    EXPECT_EQ(probe.Seen[0].Hash, 1381);
    EXPECT_EQ(probe.Seen[1].Hash, 1266);
    EXPECT_EQ(probe.Seen[2].Hash, 1093);  // "x:sheetData": 915 + 120 + 58
    EXPECT_EQ(probe.Seen[2].LocalName, u"sheetData");
    EXPECT_EQ(probe.Seen[2].Prefix8, "x");
    EXPECT_EQ(probe.Seen[2].Local8, "sheetData");
    EXPECT_EQ(probe.Seen[1].Prefix8, "");
    EXPECT_TRUE(probe.Seen[2].Prefix);
    EXPECT_EQ(probe.Seen[3].QName, u"v");
    EXPECT_EQ(probe.Seen[3].Hash, 118);
    EXPECT_TRUE(probe.Seen[3].V);
    EXPECT_FALSE(probe.Seen[3].Prefix);
    EXPECT_EQ(probe.Seen[3].Depth, 3);
    EXPECT_TRUE(probe.Seen[4].C);
    EXPECT_FALSE(probe.Seen[4].V);
    for (const auto& seen : probe.Seen) {
        EXPECT_EQ(seen.Hash, XmlNameHash(seen.QName));
        EXPECT_EQ(seen.HashRS, XmlNameHashRS(seen.QName));
    }
    ASSERT_EQ(probe.AttributeHashes.size(), 2u);
    EXPECT_EQ(probe.AttributeHashes[0].first, 377);  // "r:id"
    EXPECT_EQ(probe.AttributeHashes[1].first, 1004);
    EXPECT_EQ(probe.AttributeHashes[1].second, XmlNameHashRS(std::string_view("TargetMode")));
}

class TStopper : public TXpgReadXML {
public:
    int Count = 0;
    void BeginTag() override {
        if (++Count == 2) Stop();
    }
};

TEST(XmlReader, StopEndsTheParseUntilCleared) {
    const std::string doc = "<a><b/><c/><d/></a>";
    TStopper reader;
    base::TMemoryStream stream = base::TMemoryStream::View(doc.data(), static_cast<int64_t>(doc.size()));
    reader.LoadFromStream(stream);
    EXPECT_EQ(reader.Count, 2);
    reader.Clear();
    reader.Count = 10;
    stream.SetPosition(0);
    reader.LoadFromStream(stream);
    EXPECT_EQ(reader.Count, 14);
}

TEST(XmlReader, TolerantParseAcceptsHandMadeMarkup) {
    const TEventCase cases[] = {
        {"unquoted values", "<a b=1 c = two>x</a>", "<a b=1 c=two>x\n</a>"},
        {"unclosed br", "<div>a<br>b</div>", "<div>a\n<br>b\n</br>\n</div>"},
        {"document type skipped", "<!DOCTYPE html><p/>", "<p>\n</p>"},
        {"leading line breaks dropped", "<p>\r\n\r\nx</p>", "<p>x\n</p>"},
        {"stray end tag ignored", "<p></q></p>", "<p>\n</p>"},
        {"end tag after the document element", "<p/></p>", "<p>\n</p>"},
        {"unclosed at the end", "<p><q>", "<p>\n<q>\n</q>\n</p>"},
    };
    for (const TEventCase& c : cases) {
        TEventRecorder reader;
        EXPECT_EQ(reader.Run(c.Input, 3, true), c.Expected) << c.Name;
    }
}

}  // namespace
}  // namespace xls
