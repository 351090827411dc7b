#include <gtest/gtest.h>

#include <string>

#include "pdf/pdf_document.h"
#include "pdf/pdf_links.h"
#include "pdf/tests/pdf_oracle.h"
#include "pdf/tests/test_support.h"

namespace pdf {
namespace {

TEST(Links, WordsThatStartWithAPrefix) {
    struct Case {
        const char* Text;
        std::vector<std::pair<size_t, size_t>> Spans;
    };
    const Case cases[] = {
        {"see http://a.b/c now", {{4, 12}}},
        {"http://x", {{0, 8}}},
        {"xhttp://a", {}},
        {"xhttp://a http://b", {{10, 8}}},
        {"mailto:a@b ftp://f http://h", {{19, 8}, {11, 7}, {0, 10}}},
        {"no links here", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<size_t, size_t>> found;
        for (const TURLSpan& span : FindURLs(c.Text)) found.push_back({span.Start, span.Length});
        EXPECT_EQ(found, c.Spans) << c.Text;
    }
}

// Runs a Python script that finds qpdf's objects of the file in `objects`.
test::TCommandResult RunOnObjects(const std::string& script, const std::string& file) {
    return test::RunPython(R"(
import json, subprocess, sys
out = subprocess.run(['qpdf', '--json=2', '--json-key=qpdf', sys.argv[1]], capture_output=True, check=True).stdout
objects = json.loads(out)['qpdf'][1]
)" + script,
                           file);
}

// qpdf's view of the file shows each link annotation with its action and a rectangle over the word.
TEST(Links, TextOutMakesLinkAnnotations) {
    for (bool protect : {false, true}) {
        test::TTempDir dir;
        const std::string file = dir.File("links.pdf");
        TPDFDocument document;
        document.SetFileName(file);
        document.SetProtectionEnabled(protect);
        document.BeginDoc();
        TPDFPage& page = *document.CurrentPage();
        page.SetActiveFont("Helvetica", 0, 12);
        page.TextOut("Visit HTTP://Example.com/a(b) today", 100, 100);
        page.TextOut("turned http://no.link", 100, 200, 30);
        document.NewPage();
        document.CurrentPage()->SetActiveFont("Helvetica", 0, 12);
        document.CurrentPage()->WideTextOut(u"写信 mailto:lab@example.com", 50, 50);
        document.EndDoc();
        std::string output;
        ASSERT_TRUE(test::QpdfCheck(file, output)) << output;
        const auto json = RunOnObjects(R"(from lxml import etree
html = subprocess.run(['pdftotext', '-bbox', sys.argv[1], '-'], capture_output=True, check=True).stdout
words = etree.fromstring(html, etree.HTMLParser()).iter('word')
words = list(words)
for key in sorted((k for k in objects if k.startswith('obj:')), key=lambda k: int(k[4:].split()[0])):
    value = objects[key].get('value')
    if isinstance(value, dict) and value.get('/Subtype') == '/Link':
        action = objects['obj:' + value['/A']]['value']
        left, bottom, right, top = value['/Rect']
        # pdftotext's word boxes: the link covers the word across and lies on its line.
        over = any(abs(float(w.get('xmin')) - left) <= 1 and abs(float(w.get('xmax')) - right) <= 1 and
                   842 - float(w.get('ymax')) <= top and bottom < top
                   for w in words if w.text == action['/URI'][2:])
        print(action['/S'], action['/URI'], value['/Border'], value['/C'], value['/F'], over)
)",
                                       file);
        ASSERT_EQ(json.ExitCode, 0) << json.Output;
        EXPECT_EQ(json.Output,
                  "/URI u:HTTP://Example.com/a(b) [] [1, 1, 0] 0 True\n"
                  "/URI u:mailto:lab@example.com [] [1, 1, 0] 0 True\n")
            << json.Output;
    }
}

// An action chained after another is written with /Next, in the clear and protected alike.
TEST(Links, ChainedActionsPointToTheNextOne) {
    for (bool protect : {false, true}) {
        test::TTempDir dir;
        const std::string file = dir.File("chain.pdf");
        TPDFDocument document;
        document.SetFileName(file);
        document.SetProtectionEnabled(protect);
        document.BeginDoc();
        document.CurrentPage()->SetActiveFont("Helvetica", 0, 12);
        document.CurrentPage()->TextOut("http://one.example ftp://two.example", 100, 100);
        ASSERT_EQ(document.ActionCount(), 2u);
        document.GetAction(0).Next = &document.GetAction(1);
        TPDFURLAction& third = document.AddURLAction("http://three.example/(x)");
        document.GetAction(1).Next = &third;
        document.EndDoc();
        std::string output;
        ASSERT_TRUE(test::QpdfCheck(file, output)) << output;
        // Follows the chain from the first link's action.
        const auto json = RunOnObjects(
            R"(links = [v['value'] for k, v in objects.items() if isinstance(v.get('value'), dict) and v['value'].get('/Subtype') == '/Link']
action = objects['obj:' + links[0]['/A']]['value']
while True:
    print(action['/URI'])
    if '/Next' not in action: break
    action = objects['obj:' + action['/Next']]['value']
)",
            file);
        ASSERT_EQ(json.ExitCode, 0) << json.Output;
        EXPECT_EQ(json.Output, "u:http://one.example\nu:ftp://two.example\nu:http://three.example/(x)\n") << protect;
    }
}

}  // namespace
}  // namespace pdf
