// Parts of packages made by openpyxl and LibreOffice are read by us and by lxml, and what we
// write is read by xmllint and lxml.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/tests/external_tools.h"
#include "workbook/ooxml/tests/xml_test_support.h"
#include "workbook/ooxml/xml/simple_dom.h"
#include "workbook/ooxml/xml/xml_values.h"
#include "workbook/ooxml/xml/xml_writer.h"
#include "workbook/ooxml/zip/zip_archive.h"

namespace xls {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

const std::string FixtureDir = std::string(OMBRIX_SOURCE_DIR) + "/workbook/ooxml/tests/xml_fixtures/";
const std::string Script = FixtureDir + "make_xml_fixtures.py";

std::string Escape(const std::u16string& text) {
    std::string out;
    for (const char c : base::Utf16ToUtf8(text)) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out;
}

// The event dump of the script's --dump, made from our callbacks: namespace declarations
// before the other attributes (lxml keeps them apart), no text after the document element.
class TDumpReader : public TXpgReadXML {
public:
    std::string Dump;

    void BeginTag() override {
        Line("S " + base::Utf16ToUtf8(QName()));
        for (const bool declarations : {true, false}) {
            for (int i = 0; i < Attributes().Count(); ++i) {
                const std::string_view name = Attributes().GetRawName(i);
                if ((name == "xmlns" || name.starts_with("xmlns:")) == declarations)
                    Line("A " + std::string(name) + "=" + Escape(Attributes().GetValue(i)));
            }
        }
        if (HasText()) Line("T " + Escape(Text()));
    }
    void EndTag() override {
        Line("E " + base::Utf16ToUtf8(QName()));
        if (Depth() > 1 && HasText()) Line("L " + Escape(Text()));
    }
    void Comment() override {
        if (HasText()) Line("T " + Escape(Text()));
    }
    void ProcessingInstruction() override {
        TXpgReadXML::ProcessingInstruction();
        if (Depth() > 0 && HasText()) Line("T " + Escape(Text()));
    }

private:
    void Line(const std::string& line) { Dump += (Dump.empty() ? "" : "\n") + line; }
};

// The script's dumps by part (or file) name; arguments as for the script.
std::map<std::string, std::string> LxmlDumps(const std::string& arguments) {
    const auto result = RunCommand(std::string(testing::Python) + " " + ShellQuote(Script) + " " + arguments);
    EXPECT_EQ(result.ExitCode, 0) << result.Output;
    std::map<std::string, std::string> dumps;
    std::string* current = nullptr;
    size_t pos = 0;
    while (pos < result.Output.size()) {
        const size_t end = result.Output.find('\n', pos);
        const std::string line = result.Output.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? result.Output.size() : end + 1;
        if (line.starts_with("== ")) {
            current = &dumps[line.substr(3)];
        } else if (current) {
            *current += (current->empty() ? "" : "\n") + line;
        }
    }
    return dumps;
}

// Every XML part of the package, by name.
std::map<std::string, std::string> Parts(const std::string& package) {
    base::TFileStream file(package, base::fmOpenRead);
    TXLSZipArchive zip;
    zip.OpenFromStream(file);
    std::map<std::string, std::string> parts;
    for (int i = 0; i < zip.Count(); ++i) {
        TXLSZipFile& entry = zip.GetFiles(i);
        if (!entry.Name().ends_with(".xml") && !entry.Name().ends_with(".rels") && !entry.Name().ends_with(".vml"))
            continue;
        base::TMemoryStream bytes;
        entry.ExtractToStream(bytes);
        parts[entry.Name()] =
            std::string(reinterpret_cast<const char*>(bytes.Memory()), static_cast<size_t>(bytes.Size()));
    }
    return parts;
}

TEST(XmlInterop, CallbacksReportWhatLxmlReadsInEveryPart) {
    for (const char* fixture : {"openpyxl.xlsx", "libreoffice.xlsx", "gnumeric.xlsx"}) {
        const std::string package = FixtureDir + fixture;
        const auto expected = LxmlDumps("--dump " + ShellQuote(package));
        const auto parts = Parts(package);
        ASSERT_GE(parts.size(), 9u) << fixture;
        ASSERT_EQ(parts.size(), expected.size()) << fixture;
        for (const auto& [name, bytes] : parts) {
            for (const int step : {7, 1 << 20}) {
                TDumpReader reader;
                testing::TTrickleStream stream(bytes, step);
                reader.LoadFromStream(stream);
                ASSERT_TRUE(expected.contains(name)) << fixture << " " << name;
                ASSERT_FALSE(reader.Dump.empty()) << name;
                EXPECT_EQ(reader.Dump, expected.at(name)) << fixture << " " << name << ", step " << step;
            }
        }
    }
}

// Hand-made documents (and what the tree saves of them) with what the packages rarely hold: references, CDATA, line
// ends and blanks in attribute values, mixed content, comments and instructions.
const std::string Tricky[] = {
    "<a x=\"1&amp;2&#10;3\tfour\r\nfive\" y='&quot;&apos;&lt;&gt;'>&#65;&#x4E3B;&#x1F600;&lt;</a>",
    "<a>one<![CDATA[ <two> & ]]>three<b>x\r\ny\rz</b>tail<!-- note -->more<?pi data?>end</a>",
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<x:r xmlns:x=\"urn:u\" x:a=\"1\">\r\n  "
    "<x:c/>\r\n</x:r>\r\n",
    "<p xml:space=\"preserve\">  <i>\u4E2D\u6587</i>  </p>",
};

TEST(XmlInterop, HandMadeDocumentsReadAsUnderLxml) {
    testing::TTempDir dir;
    std::string files;
    for (size_t i = 0; i < std::size(Tricky); ++i) {
        testing::WriteFileBytes(dir / std::to_string(i), std::vector<uint8_t>(Tricky[i].begin(), Tricky[i].end()));
        files += " " + ShellQuote(dir / std::to_string(i));
    }
    const auto expected = LxmlDumps("--dump-xml" + files);
    for (size_t i = 0; i < std::size(Tricky); ++i) {
        TDumpReader reader;
        testing::TTrickleStream stream(Tricky[i], 3);
        reader.LoadFromStream(stream);
        EXPECT_EQ(reader.Dump, expected.at(dir / std::to_string(i))) << Tricky[i];
    }
}

TEST(XmlInterop, TreesSavedAgainAreCanonicallyEqualToTheirParts) {
    testing::TTempDir dir;
    std::string pairs;
    std::string saved;
    int count = 0;
    std::vector<std::pair<std::string, std::string>> documents;
    for (const std::string& text : Tricky) documents.emplace_back("hand-made", text);
    for (const char* fixture : {"openpyxl.xlsx", "libreoffice.xlsx", "gnumeric.xlsx"})
        for (const auto& [name, bytes] : Parts(FixtureDir + fixture)) documents.emplace_back(name, bytes);
    for (const auto& [name, bytes] : documents) {
        SCOPED_TRACE(name);
        TXpgSimpleDOM dom;
        base::TMemoryStream in = base::TMemoryStream::View(bytes.data(), static_cast<int64_t>(bytes.size()));
        dom.LoadFromStream(in);
        base::TMemoryStream out;
        dom.SaveToStream(out);
        const std::string original = dir / ("original" + std::to_string(count) + ".xml");
        const std::string copy = dir / ("saved" + std::to_string(count) + ".xml");
        testing::WriteFileBytes(original, std::vector<uint8_t>(bytes.begin(), bytes.end()));
        testing::WriteFileBytes(copy, std::vector<uint8_t>(out.Memory(), out.Memory() + out.Size()));
        pairs += " " + ShellQuote(original) + " " + ShellQuote(copy);
        saved += " " + ShellQuote(copy);
        ++count;
    }
    ASSERT_GE(count, 20);
    const auto lint = RunCommand("xmllint --noout" + saved);
    EXPECT_EQ(lint.ExitCode, 0) << lint.Output;
    const auto same = RunCommand(std::string(testing::Python) + " " + ShellQuote(Script) + " --same-c14n" + pairs);
    EXPECT_EQ(same.ExitCode, 0) << same.Output;
}

TEST(XmlInterop, WhatTheWriterWritesIsWellFormedAndReadsBackUnderLxml) {
    const std::u16string values[] = {
        u"plain",
        u"a<b & \"c\" 'd' >",
        u"line\r\nbreak\ttab\rcr",
        u"ctrl\x01\x02\x1F",
        u"\u4E2D\u6587\U0001F600",
        u"\xFFFE\xFFFF\xD800",
        std::u16string(30000, u'\u4E3B'),
    };
    testing::TTempDir dir;
    base::TMemoryStream stream;
    TXpgWriteXML writer;
    writer.BeginDocument(stream);
    writer.AddRawAttributes("xmlns=\"urn:test\" ");
    writer.BeginElement("root");
    for (const std::u16string& value : values) {
        writer.AddAttribute("v", value);
        writer.Text = value;
        writer.SimpleElement("t");
    }
    writer.EndElement();
    const std::string file = dir / "written.xml";
    testing::WriteFileBytes(file, std::vector<uint8_t>(stream.Memory(), stream.Memory() + stream.Size()));
    const auto lint = RunCommand("xmllint --noout " + ShellQuote(file));
    ASSERT_EQ(lint.ExitCode, 0) << lint.Output;
    // lxml gives back every attribute value and text as written (the characters XML cannot
    // hold in their _xHHHH_ form).
    const auto read = RunCommand(
        std::string(testing::Python) +
        " -c \"import sys; from lxml import etree\n"
        "for t in etree.parse(sys.argv[1]).getroot():\n"
        "    sys.stdout.buffer.write((t.get('v') + '|' + t.text + '\\n').encode('utf-8', 'surrogatepass'))\" " +
        ShellQuote(file));
    ASSERT_EQ(read.ExitCode, 0) << read.Output;
    std::string expected;
    for (const std::u16string& value : values) {
        const std::string shown = base::Utf16ToUtf8(XmlEscapeXString(value));
        expected += shown + "|" + shown + "\n";
    }
    EXPECT_EQ(read.Output, expected);
}

}  // namespace
}  // namespace xls
