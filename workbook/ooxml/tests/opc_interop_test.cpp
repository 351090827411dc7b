#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/file_stream.h"
#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/ooxml/opc/opc_package.h"
#include "workbook/ooxml/tests/external_tools.h"

namespace xls {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

const std::string Oracle = std::string(OMBRIX_SOURCE_DIR) + "/workbook/ooxml/tests/opc_oracle.py";

std::string U8(std::u16string_view text) { return base::Utf16ToUtf8(text); }

void ListRelationships(const TOPCItem& item, std::set<std::string>& lines) {
    for (int i = 0; i < item.Count(); ++i) {
        const TOPCItem& child = item.GetItems(i);
        const std::string target = child.IsExternal() ? U8(child.GetTarget()) : child.GetPartName();
        lines.insert("rel " + item.GetPartName() + "|" + U8(child.GetRId()) + "|" + U8(child.RelType) + "|" + target +
                     "|" + (child.IsExternal() ? "External" : "Internal"));
        ListRelationships(child, lines);
    }
}

std::set<std::string> SplitLines(const std::string& text) {
    std::set<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.insert(line);
    }
    return lines;
}

// Packages made by openpyxl, LibreOffice and gnumeric (tests/xml_fixtures/make_xml_fixtures.py) list the
// same relationships and content types here as in an independent zipfile + lxml reading.
TEST(OpcInterop, FixturesMatchTheOracle) {
    for (const char* name : {"openpyxl.xlsx", "libreoffice.xlsx", "gnumeric.xlsx"}) {
        const std::string path = std::string(OMBRIX_SOURCE_DIR) + "/workbook/ooxml/tests/xml_fixtures/" + name;
        const auto result = RunCommand("/usr/bin/python3 " + ShellQuote(Oracle) + " list " + ShellQuote(path));
        ASSERT_EQ(result.ExitCode, 0) << result.Output;
        const std::set<std::string> expected = SplitLines(result.Output);

        base::TFileStream file(path, base::fmOpenRead);
        TOPCContainer package;
        package.OpenRead(file, false);
        std::set<std::string> ours;
        ListRelationships(package.Root(), ours);
        for (const auto& entry : package.ContentTypes()) {
            ours.insert((entry.IsOverride ? "override " : "default ") + U8(entry.Key) + "|" + U8(entry.ContentType));
        }
        size_t relationships = 0;
        for (const auto& line : expected) {
            EXPECT_TRUE(ours.count(line)) << name << ": " << line;
            relationships += line.rfind("rel ", 0) == 0;
        }
        // Ours adds only the package's own default extensions.
        for (const auto& line : ours) {
            if (line.rfind("default ", 0) != 0) {
                EXPECT_TRUE(expected.count(line)) << name << ": " << line;
            }
        }
        EXPECT_GT(relationships, 3u) << name;
        package.Close();
    }
}

TEST(OpcInterop, WrittenPackagePassesOutsideChecks) {
    testing::TTempDir dir;
    const std::string path = dir / "skeleton.xlsx";
    {
        base::TFileStream file(path, base::fmCreate);
        TOPCContainer package;
        package.RelsNamespace = u"http://schemas.openxmlformats.org/package/2006/relationships";
        package.OpenWrite(file, false);
        const std::u16string rel = u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
        TOPCItem* book = package.CreateItem(
            nullptr, rel + u"officeDocument",
            u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml", u"xl/workbook.xml");
        TOPCItem* sheet = package.CreateItem(
            book, rel + u"worksheet", u"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml",
            u"worksheets/sheet1.xml");
        const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
        const std::string bookXml =
            "<workbook xmlns=\"" + main +
            "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
            "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"" +
            U8(sheet->GetRId()) + "\"/></sheets></workbook>";
        const std::string sheetXml = "<worksheet xmlns=\"" + main + "\"><sheetData/></worksheet>";
        // A part whose name needs percent-escapes in its relationship and its content type.
        TOPCItem* notes = package.CreateItem(book, u"http://example.com/relationships/notes", u"application/xml",
                                             u"notes/my notes \u00E9.xml");
        for (auto [item, text] :
             {std::pair{book, bookXml}, std::pair{sheet, sheetXml}, std::pair{notes, std::string("<notes/>")}}) {
            base::TMemoryStream data;
            data.Write(text.data(), static_cast<int64_t>(text.size()));
            package.WriteItem(item, data);
        }
        package.Close();
    }
    auto unzip = RunCommand("unzip -t " + ShellQuote(path));
    EXPECT_EQ(unzip.ExitCode, 0) << unzip.Output;
    auto check = RunCommand("/usr/bin/python3 " + ShellQuote(Oracle) + " check " + ShellQuote(path));
    EXPECT_EQ(check.ExitCode, 0) << check.Output;
    auto entries = RunCommand("unzip -p " + ShellQuote(path));
    EXPECT_NE(entries.Output.find("Target=\"notes/my%20notes%20%C3%A9.xml\""), std::string::npos) << entries.Output;
    EXPECT_NE(entries.Output.find("PartName=\"/xl/notes/my%20notes%20%C3%A9.xml\""), std::string::npos)
        << entries.Output;
    auto openpyxl =
        RunCommand("/usr/bin/python3 -c " +
                   ShellQuote("import sys, openpyxl\nprint(openpyxl.load_workbook(sys.argv[1]).sheetnames)") + " " +
                   ShellQuote(path));
    EXPECT_EQ(openpyxl.ExitCode, 0) << openpyxl.Output;
    EXPECT_NE(openpyxl.Output.find("['Sheet1']"), std::string::npos) << openpyxl.Output;
}

}  // namespace
}  // namespace xls
