#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "workbook/ooxml/opc/opc_package.h"
#include "workbook/ooxml/tests/opc_test_support.h"
#include "workbook/ooxml/zip/zip_archive_intf.h"

namespace xls {
namespace {

constexpr const char16_t* OfficeDocument =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
constexpr const char16_t* Worksheet = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
constexpr const char16_t* Drawing = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/drawing";
constexpr const char16_t* Hyperlink = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/hyperlink";

using testing::ReadAll;

base::TMemoryStream Text(const std::string& text) { return testing::TextStream(text); }

// A ZIP with exactly these entries, made without the package layer.
base::TMemoryStream RawPackage(const std::map<std::string, std::string>& entries) {
    base::TMemoryStream out;
    TXLSZipArchiveIntfXLS zip;
    zip.OpenWrite(out);
    for (const auto& [name, text] : entries) {
        auto data = Text(text);
        zip.AddFile(name, data);
    }
    zip.Close();
    out.SetPosition(0);
    return out;
}

std::string Rels(const std::string& body) {
    return "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" + body +
           "</Relationships>";
}

std::string Rel(const std::string& id, const std::string& target, const std::string& extra = "") {
    return "<Relationship Id=\"" + id + "\" Type=\"t\" Target=\"" + target + "\"" + extra + "/>";
}

const std::string Types =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>";

TEST(OpcPackage, WritesAndReadsBackThePartTree) {
    base::TMemoryStream file;
    {
        TOPCContainer package;
        package.RelsNamespace = u"http://schemas.openxmlformats.org/package/2006/relationships";
        package.OpenWrite(file, false);
        TOPCItem* book = package.CreateItem(nullptr, OfficeDocument, u"main+xml", u"xl/workbook.xml");
        TOPCItem* sheet = package.CreateItem(book, Worksheet, u"sheet+xml", u"worksheets/my sheet.xml");
        TOPCItem* drawing = package.CreateItem(sheet, Drawing, u"drawing+xml", u"../drawings/drawing1.xml");
        EXPECT_EQ(package.CreateItem(book, Worksheet, u"sheet+xml", u"worksheets/my sheet.xml"), sheet);
        package.CreateExternalItem(sheet, Hyperlink, u"http://example.com/a b");
        for (TOPCItem* item : {book, sheet, drawing}) {
            auto data = Text("<x/>");
            package.WriteItem(item, data);
        }
        package.Close();
    }
    file.SetPosition(0);
    TOPCContainer package;
    package.OpenRead(file, false);
    TOPCItem* book = package.Root().FindSingleByType(OfficeDocument);
    ASSERT_NE(book, nullptr);
    EXPECT_EQ(book->GetPartName(), "xl/workbook.xml");
    EXPECT_EQ(book->GetRelsName(), "xl/_rels/workbook.xml.rels");
    TOPCItem* sheet = book->FindByRId("RID1");  // ids compare without regard to case
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->GetPartName(), "xl/worksheets/my sheet.xml");
    EXPECT_EQ(sheet->GetTarget(), u"worksheets/my%20sheet.xml");
    ASSERT_EQ(sheet->Count(), 2);
    EXPECT_EQ(sheet->GetItems(0).GetPartName(), "xl/drawings/drawing1.xml");
    EXPECT_EQ(sheet->GetItems(1).GetRId(), u"rId2");
    EXPECT_TRUE(sheet->GetItems(1).IsExternal());
    EXPECT_EQ(sheet->GetItems(1).GetTarget(), u"http://example.com/a b");
    EXPECT_EQ(package.ContentTypeOf(u"/xl/worksheets/my sheet.xml"), u"sheet+xml");
    EXPECT_EQ(package.ContentTypeOf(u"/xl/drawings/drawing1.xml"), u"drawing+xml");
    EXPECT_EQ(package.ContentTypeOf(u"/other.xml"), u"application/xml");
    auto stream = package.ReadItem(&sheet->GetItems(0));
    EXPECT_EQ(ReadAll(*stream), "<x/>");
    package.Close();
}

TEST(OpcPackage, TargetsResolveInsideThePackage) {
    auto file = RawPackage({
        {"[Content_Types].xml", Types},
        {"_rels/.rels", Rels(Rel("rId1", "xl/workbook.xml"))},
        {"xl/workbook.xml", "<w/>"},
        {"xl/_rels/workbook.xml.rels",
         Rels(Rel("a", "/docProps/app.xml") + Rel("b", "../../../../evil.xml") + Rel("c", "./sub/./x%2520y.xml"))},
    });
    TOPCContainer package;
    package.OpenRead(file, false);
    TOPCItem& book = package.Root().GetItems(0);
    EXPECT_EQ(book.FindByRId("a")->GetPartName(), "docProps/app.xml");
    EXPECT_EQ(book.FindByRId("b")->GetPartName(), "evil.xml");
    EXPECT_EQ(book.FindByRId("c")->GetPartName(), "xl/sub/x%20y.xml");
}

TEST(OpcPackage, CyclesAndSharedPartsLoadOnce) {
    // Every part points at itself and at the workbook twice: without a guard the walk never ends.
    const std::string loop = Rels(Rel("r1", "/xl/workbook.xml") + Rel("r2", "workbook.xml") + Rel("r3", "a.xml"));
    auto file = RawPackage({
        {"[Content_Types].xml", Types},
        {"_rels/.rels", Rels(Rel("rId1", "xl/workbook.xml") + Rel("rId2", "xl/workbook.xml"))},
        {"xl/_rels/workbook.xml.rels", loop},
        {"xl/_rels/a.xml.rels", loop},
    });
    TOPCContainer package;
    package.OpenRead(file, false);
    ASSERT_EQ(package.Root().Count(), 2);
    EXPECT_EQ(package.Root().GetItems(0).Count(), 3);
    EXPECT_EQ(package.Root().GetItems(1).Count(), 0);
}

TEST(OpcPackage, DeepChainsAreRefused) {
    std::map<std::string, std::string> entries = {{"[Content_Types].xml", Types},
                                                  {"_rels/.rels", Rels(Rel("r", "p0.xml"))}};
    for (int i = 0; i < 100; ++i) {
        entries["_rels/p" + std::to_string(i) + ".xml.rels"] = Rels(Rel("r", "p" + std::to_string(i + 1) + ".xml"));
    }
    auto file = RawPackage(entries);
    TOPCContainer package;
    EXPECT_THROW(package.OpenRead(file, false), EOPCError);
}

TEST(OpcPackage, PartNamesEqualButForLetterCaseAreRefused) {
    const struct {
        const char* Name;
        std::string Renamed;  // "xl/b.xml" or "[Content_Types].xmx" becomes this
        std::string Message;
    } cases[] = {
        {"two entries of one name", "xl/a.xml", "OPC package holds more than one part named \"xl/a.xml\""},
        {"names that differ in case", "XL/A.xml", "OPC package holds more than one part named \"XL/A.xml\""},
        {"content types twice", "[content_types].XML",
         "OPC package holds more than one part named \"[content_types].XML\""},
        {"names that differ otherwise", "xl/c.xml", ""},
    };
    for (const auto& c : cases) {
        auto file = RawPackage({{"[Content_Types].xml", Types},
                                {"[Content_Types].xmx", Types},
                                {"_rels/.rels", Rels(Rel("rId1", "xl/a.xml"))},
                                {"xl/a.xml", "<a/>"},
                                {"xl/b.xml", "<b/>"}});
        // The name is changed in the local header and in the central directory alike.
        std::string bytes = ReadAll(file);
        const std::string from = c.Renamed.size() == 8 ? "xl/b.xml" : "[Content_Types].xmx";
        for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at))
            bytes.replace(at, from.size(), c.Renamed);
        auto patched = Text(bytes);
        TOPCContainer package;
        try {
            package.OpenRead(patched, false);
            EXPECT_EQ(c.Message, "") << c.Name;
        } catch (const EOPCError& e) {
            EXPECT_EQ(e.Message(), c.Message) << c.Name;
        }
        EXPECT_EQ(package.GetState(), c.Message.empty() ? OpcReading : OpcClosed) << c.Name;
    }
}

TEST(OpcPackage, FailedOpenLeavesThePackageClosed) {
    TOPCContainer package;
    auto noTypes = RawPackage({{"_rels/.rels", Rels("")}});
    EXPECT_THROW(package.OpenRead(noTypes, false), base::Exception);
    EXPECT_EQ(package.GetState(), OpcClosed);
    auto garbage = Text("not a zip at all");
    EXPECT_THROW(package.OpenRead(garbage, false), base::Exception);
    auto good = RawPackage({{"[Content_Types].xml", Types}, {"_rels/.rels", Rels(Rel("rId1", "a.xml"))}});
    package.OpenRead(good, false);
    EXPECT_EQ(package.Root().Count(), 1);
    EXPECT_THROW(package.OpenRead(good, false), EOPCError);  // "OPC is allready open"
}

TEST(OpcPackage, UnreadPartsAreKeptWithTheirContent) {
    auto file = RawPackage({
        {"[Content_Types].xml", "<Types><Override PartName=\"/keep.xml\" ContentType=\"k+xml\"/></Types>"},
        {"_rels/.rels", Rels(Rel("rId1", "keep.xml") + Rel("rId2", "read.xml") + Rel("rId3", "missing.xml") +
                             Rel("rId4", "http://x/", " TargetMode=\"External\""))},
        {"keep.xml", "<keep/>"},
        {"read.xml", "<read/>"},
    });
    TOPCContainer package;
    package.TrackRead = true;
    package.OpenRead(file, false);
    package.ReadItem(package.Root().FindByRId("rId2"));
    std::vector<TOPCItem*> unread;
    package.LoadUnreadItems(unread);
    ASSERT_EQ(unread.size(), 3u);
    EXPECT_EQ(unread[0]->GetPartName(), "keep.xml");
    EXPECT_EQ(unread[0]->ContentType, u"k+xml");
    ASSERT_NE(unread[0]->Stream, nullptr);
    EXPECT_EQ(ReadAll(*unread[0]->Stream), "<keep/>");
    EXPECT_EQ(unread[1]->Stream, nullptr);  // not in the archive
    EXPECT_TRUE(unread[2]->IsExternal());
}

// A kept part whose entry cannot be inflated is left out with a warning, never kept empty.
TEST(OpcPackage, UnreadPartThatCannotBeCopiedIsDropped) {
    const std::string body(400, 'k');
    auto file = RawPackage({
        {"[Content_Types].xml", Types},
        {"_rels/.rels", Rels(Rel("rId1", "bad.xml") + Rel("rId2", "good.xml"))},
        {"bad.xml", body},
        {"good.xml", "<good/>"},
    });
    // Spoil the entry's data, which starts right after the name in its local header.
    const std::string bytes(reinterpret_cast<const char*>(file.Memory()), static_cast<size_t>(file.Size()));
    const auto name = bytes.find("bad.xml");
    ASSERT_NE(name, std::string::npos);
    file.Data()[name + 7 + 1] ^= 0x5A;
    TOPCContainer package;
    std::vector<std::string> warnings;
    package.OnWarning = [&](const std::string& text) { warnings.push_back(text); };
    package.OpenRead(file, false);
    std::vector<TOPCItem*> unread;
    package.LoadUnreadItems(unread);
    ASSERT_EQ(unread.size(), 1u);
    EXPECT_EQ(unread[0]->GetPartName(), "good.xml");
    ASSERT_NE(unread[0]->Stream, nullptr);
    EXPECT_EQ(ReadAll(*unread[0]->Stream), "<good/>");
    EXPECT_EQ(package.Root().FindByRId("rId1")->Stream, nullptr);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("bad.xml"), std::string::npos) << warnings[0];
}

TEST(OpcPackage, PathHelpers) {
    struct Case {
        const char* in;
        const char* resolved;
    };
    for (const Case& c : {Case{"xl/worksheets/../drawings/drawing1.xml", "xl/drawings/drawing1.xml"},
                          Case{"../a.xml", "a.xml"}, Case{"/a//b/./c.xml", "a/b/c.xml"}, Case{"", ""}}) {
        EXPECT_EQ(OpcResolvePath(c.in), c.resolved) << c.in;
    }
    EXPECT_EQ(OpcDecodeTarget("a%20b%2Fc%zz%4"), "a b/c%zz%4");
    EXPECT_EQ(OpcEncodeTarget("a b/%c\xE4"), "a%20b/%25c%E4");
}

}  // namespace
}  // namespace xls
