#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/tests/xml_test_support.h"
#include "workbook/ooxml/xml/xml_values.h"
#include "workbook/ooxml/xml/xml_writer.h"

namespace xls {
namespace {

constexpr std::string_view Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r";

class TFirstTag : public TXpgReadXML {
public:
    std::u16string Value, Content;
    void BeginTag() override {
        Value = Attributes().GetValue(0);
        Content = Text();
    }
};

class XmlWriter : public ::testing::Test {
protected:
    void SetUp() override { Writer.BeginDocument(Stream); }
    // What was written after the declaration.
    std::string Body() {
        Writer.Flush();
        const std::string all(reinterpret_cast<const char*>(Stream.Memory()), static_cast<size_t>(Stream.Size()));
        EXPECT_TRUE(all.starts_with(Declaration));
        return all.substr(Declaration.size());
    }

    base::TMemoryStream Stream;
    TXpgWriteXML Writer;
};

TEST_F(XmlWriter, WritesElementsAsTheBindingsCallThem) {
    Writer.AddAttribute("r", u"1");
    Writer.SimpleElement("row");
    Writer.Text = u"a<b";
    Writer.SimpleElement("t");
    Writer.BeginElement("x");
    Writer.AddAttribute("s", std::string_view("2"));
    Writer.TextElement("v", u"1.5");
    Writer.Text = u"tail";
    Writer.EndElement();
    Writer.AddAttribute("ignored", u"1");
    Writer.EmptyElement("e");
    Writer.AddRawAttributes("xmlns:r=\"u\" ");
    Writer.SimpleElement("root");
    EXPECT_EQ(Body(),
              "<row r=\"1\" />\r<t>a&lt;b</t>\r<x>\r<v s=\"2\" >1.5</v>\rtail</x>\r<e/>\r<root xmlns:r=\"u\" />\r");
    EXPECT_TRUE(Writer.Text.empty());
}

TEST_F(XmlWriter, ANewDocumentForgetsWhatTheLastOneLeftOpen) {
    Writer.BeginElement("left");
    Writer.AddAttribute("stale", u"1");
    base::TMemoryStream second;
    Writer.BeginDocument(second);
    Writer.SimpleElement("a");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(second.Memory()), static_cast<size_t>(second.Size())),
              std::string(Declaration) + "<a/>\r");
    EXPECT_THROW(Writer.EndElement(), base::Exception);
}

TEST_F(XmlWriter, EndElementWithoutOpenElementRaises) {
    try {
        Writer.EndElement();
        FAIL() << "no exception";
    } catch (const base::Exception& e) {
        EXPECT_EQ(e.Message(), "Empty stack");
    }
}

TEST_F(XmlWriter, EscapesSoThatTheFileStaysWellFormedAndExact) {
    const struct {
        const char* Name;
        std::u16string Value;
        const char* Attribute;
        const char* Text;
    } cases[] = {
        {"five characters", u"<&>\"'", "&lt;&amp;&gt;&quot;&apos;", "&lt;&amp;&gt;&quot;&apos;"},
        {"line breaks and tab", u"a\r\nb\tc", "a&#13;&#10;b&#9;c", "a&#13;\nb\tc"},
        {"control characters", u"\x01x\x1F", "_x0001_x_x001F_", "_x0001_x_x001F_"},
        {"non-characters and lone surrogates", u"\xFFFE\xD800\xDC00\xDC00", "_xFFFE_\xF0\x90\x80\x80_xDC00_",
         "_xFFFE_\xF0\x90\x80\x80_xDC00_"},
        {"chinese", u"\u4E2D\u6587", "\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87"},
    };
    for (const auto& c : cases) {
        base::TMemoryStream stream;
        TXpgWriteXML writer;
        writer.BeginDocument(stream);
        writer.AddAttribute("a", c.Value);
        writer.TextElement("t", c.Value);
        const std::string all(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
        EXPECT_EQ(all.substr(Declaration.size()), std::string("<t a=\"") + c.Attribute + "\" >" + c.Text + "</t>\r")
            << c.Name;
        // Read back, value and text are what was written, the characters XML cannot hold in
        // their escaped form, which XmlUnescapeXString turns back.
        TFirstTag reader;
        base::TMemoryStream in = base::TMemoryStream::View(all.data(), static_cast<int64_t>(all.size()));
        reader.LoadFromStream(in);
        EXPECT_EQ(XmlUnescapeXString(reader.Value), c.Value) << c.Name;
        EXPECT_EQ(XmlUnescapeXString(reader.Content), c.Value) << c.Name;
    }
}

TEST_F(XmlWriter, StreamsTextOfAnyLength) {
    // About 11,000 CJK characters overflowed a fixed pending buffer; ten times that goes out.
    const std::u16string text(110000, u'\u4E3B');
    Writer.BeginElement("si");
    Writer.TextElement("t", text);
    Writer.Text = text;
    Writer.EndElement();
    std::string expected;
    for (int i = 0; i < 110000; ++i) expected += "\xE4\xB8\xBB";
    EXPECT_EQ(Body(), "<si>\r<t>" + expected + "</t>\r" + expected + "</si>\r");
}

TEST_F(XmlWriter, LongAttributeValuesAreWrittenWhole) {
    const std::u16string value(40000, u'a');
    Writer.AddAttribute("f", value);
    Writer.SimpleElement("x");
    EXPECT_EQ(Body(), "<x f=\"" + std::string(40000, 'a') + "\" />\r");
}

TEST_F(XmlWriter, WithoutLineBreaksWritesNoCR) {
    Writer.SetLineBreaks(false);
    Writer.BeginElement("a");
    Writer.WriteText(u"x\r");
    Writer.SimpleElement("b");
    Writer.EndElement();
    EXPECT_EQ(Body(), "<a>x&#13;<b/></a>");
}

TEST_F(XmlWriter, NamesThatWouldBreakTheMarkupAreRefused) {
    const struct {
        const char* What;
        std::string Name;
        const char* Message;
    } cases[] = {
        {"NUL", std::string("a\0b", 3), "Invalid XML name \"a?b\""},
        {"blank", "a b", "Invalid XML name \"a b\""},
        {"markup", "a><b", "Invalid XML name \"a><b\""},
        {"empty", "", "Invalid XML name \"\""},
    };
    for (const auto& c : cases) {
        const std::function<void()> writes[] = {
            [&] { Writer.BeginElement(c.Name); },       [&] { Writer.SimpleElement(c.Name); },
            [&] { Writer.TextElement(c.Name, u"x"); },  [&] { Writer.EmptyElement(c.Name); },
            [&] { Writer.AddAttribute(c.Name, u"x"); }, [&] { Writer.AddAttribute(c.Name, std::string_view("x")); },
        };
        for (const auto& write : writes) {
            try {
                write();
                ADD_FAILURE() << c.What << ": no exception";
            } catch (const base::Exception& e) {
                EXPECT_EQ(e.Message(), c.Message) << c.What;
            }
        }
    }
    EXPECT_EQ(Body(), "");
    Writer.SimpleElement("x:a\xE4\xB8\xAD-1.b_c");
    EXPECT_EQ(Body(), "<x:a\xE4\xB8\xAD-1.b_c/>\r");
}

}  // namespace
}  // namespace xls
