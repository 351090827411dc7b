// The PDF history report, checked with poppler's and qpdf's tools; and made by a continuous
// history read in the window against the instrument stand-in.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "console/pdf_report.h"
#include "console/tests/instrument_fixture.h"
#include "tools/instrument/history_store.h"

namespace console::testing {
namespace {

using namespace std::chrono_literals;

std::string Shell(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

int PageCount(const std::string& file) {
    const std::string info = Shell("pdfinfo " + Quoted(file));
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// The value of an attribute of a pdftotext -bbox word line.
double Attribute(const std::string& line, const std::string& name) {
    const size_t at = line.find(name + "=\"");
    return at == std::string::npos ? -1 : std::stod(line.substr(at + name.size() + 2));
}

THistoryRecord Record(uint32_t i) {
    THistoryRecord r;
    r.Temperature = (i % 3 == 0 ? -51 : i % 3 == 1 ? 200 : 235) / 10.0;
    r.Humidity = (400 + i % 100) / 10.0;
    r.Time = {2024, 3, 1 + int(i / 1440) % 28, int(i / 60) % 24, int(i % 60), int(i * 7 % 60)};
    return r;
}

// A report of `count` records written straight through the report steps.
class PdfReportTest : public ConsoleTest {
protected:
    std::string Write(uint32_t count, std::vector<THistoryRecord>* records = nullptr) {
        TPdfReport report;
        report.StartPdfReport("1", "温湿度历史记录", 300, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
        for (uint32_t i = 1; i <= count; ++i) {
            report.AddPdfRow(i, Record(i));
            if (records) records->push_back(Record(i));
        }
        report.FinishPdfReport([](int) {});
        return "data/" + report.ReportFileName;
    }
};

TEST_F(PdfReportTest, PagesHold47RecordsThen51) {
    struct Case {
        uint32_t Records;
        int Pages;
    };
    for (const Case c : {Case{0, 1}, Case{1, 1}, Case{46, 1}, Case{47, 2}, Case{48, 2}, Case{98, 3}, Case{99, 3}}) {
        const std::string file = Write(c.Records);
        EXPECT_EQ(PageCount(file), c.Pages) << c.Records << " records";
        const std::string check = Shell("qpdf --check " + Quoted(file));
        EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
        std::filesystem::remove(file);
    }
    EXPECT_EQ(Dialogs->Prompts.size(), 7u);
    EXPECT_EQ(Dialogs->Prompts.back(), "导出成功，是否打开文件？");
}

TEST_F(PdfReportTest, FileIsNamedAfterTheDeviceAndTheStart) {
    EXPECT_EQ(PdfReportFileName("12", QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9))),
              "温湿度12历史记录2024年5月6日7时8分9秒.pdf");
    EXPECT_EQ(Write(0), "data/温湿度1历史记录2024年5月6日7时8分9秒.pdf");
}

TEST_F(PdfReportTest, ValuesInTheirShortestForm) {
    for (const auto& [value, text] : std::vector<std::pair<double, std::string>>{
             {23.5, "23.5"}, {20, "20"}, {-5.1, "-5.1"}, {-51 / 10.0, "-5.1"}, {0, "0"}, {99.9, "99.9"}})
        EXPECT_EQ(ShortestDecimal(value), text);
}

// Every row's four texts are on the page, each 2 points below the top of its grid row and
// inside its grid box; the title and the header are in the Chinese stand-in face.
TEST_F(PdfReportTest, RowTextsSitInTheirGridBoxes) {
    std::vector<THistoryRecord> records;
    const std::string file = Write(60, &records);
    const std::string layout = Shell("pdftotext -layout " + Quoted(file) + " -");
    EXPECT_NE(layout.find("温湿度历史记录"), std::string::npos);
    for (const char* header : {"序号", "温度", "湿度", "日期"}) EXPECT_NE(layout.find(header), std::string::npos);
    // Each record's line: number, temperature, humidity, date and time.
    std::vector<std::vector<std::string>> rows;
    std::istringstream layoutLines(layout);
    for (std::string line; std::getline(layoutLines, line);)
        if (const auto words = Words(line); words.size() == 5) rows.push_back(words);
    ASSERT_EQ(rows.size(), 60u);
    for (uint32_t i = 1; i <= 60; ++i) {
        const THistoryRecord& r = records[i - 1];
        const std::vector<std::string> expected =
            Words(std::to_string(i) + " " + ShortestDecimal(r.Temperature) + " " + ShortestDecimal(r.Humidity) + " " +
                  r.Time.DateTimeText().toStdString());
        EXPECT_EQ(rows[i - 1], expected) << "row " << i;
    }

    // pdftotext -bbox: the record numbers with their boxes, page by page.
    const std::string bbox = Shell("pdftotext -bbox " + Quoted(file) + " -");
    int page = 0, checked = 0;
    const double boxLeft = 57, boxRight = 57 + 63;
    std::istringstream lines(bbox);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("<page ") != std::string::npos) ++page;
        const size_t open = line.find("\">"), close = line.find("</word>");
        if (line.find("<word ") == std::string::npos || open == std::string::npos || close == std::string::npos)
            continue;
        const std::string text = line.substr(open + 2, close - open - 2);
        const double x0 = Attribute(line, "xMin"), y0 = Attribute(line, "yMin"), x1 = Attribute(line, "xMax");
        if (x0 > boxRight || text.empty() || text.find_first_not_of("0123456789") != std::string::npos) continue;
        const int number = std::stoi(text);
        const double gridTop = page == 1 ? 88 + 15.0 * (number - 1) : 43 + 15.0 * (number - 48);
        EXPECT_NEAR(y0, gridTop + 2, 0.6) << "record " << number;
        EXPECT_GT(x0, boxLeft);
        EXPECT_LT(x1, boxRight);
        ++checked;
    }
    EXPECT_EQ(checked, 60);
    const std::string fonts = Shell("pdffonts " + Quoted(file));
    EXPECT_NE(fonts.find("AR PL UMing"), std::string::npos) << fonts;
    // Every font embedded as a subset: the emb and sub columns, fifth and fourth from the end.
    std::istringstream fontLines(fonts);
    int embedded = 0;
    for (std::string line; std::getline(fontLines, line);) {
        const auto words = Words(line);
        if (words.size() < 6 || line.find('+') == std::string::npos) continue;
        EXPECT_EQ(words[words.size() - 5], "yes") << line;
        EXPECT_EQ(words[words.size() - 4], "yes") << line;
        ++embedded;
    }
    EXPECT_EQ(embedded, 2) << fonts;
}

// Rows close their graphics state again: the page never nests more than its own state and one.
TEST_F(PdfReportTest, RowsDoNotNestGraphicsStates) {
    const std::string file = Write(47);
    std::ifstream in(file, std::ios::binary);
    std::string line;
    int depth = 0, deepest = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "q") deepest = std::max(deepest, ++depth);
        if (line == "Q") --depth;
    }
    EXPECT_EQ(depth, 0);
    EXPECT_LE(deepest, 2);
}

// A title page rendered by poppler shows the Chinese title: ink where the title stands.
TEST_F(PdfReportTest, RenderedTitleHasInk) {
    const std::string file = Write(1);
    Shell("pdftoppm -r 72 -gray -f 1 -l 1 " + Quoted(file) + " page");
    std::ifstream image("page-1.pgm", std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    image >> magic >> width >> height >> maxValue;
    image.get();
    std::vector<unsigned char> pixels(size_t(width) * height);
    image.read(reinterpret_cast<char*>(pixels.data()), std::streamsize(pixels.size()));
    ASSERT_EQ(magic, "P5");
    int dark = 0;
    // The title: canvas (300, 30) at 20 points, 7 characters of 20 points: x 225..330, y 22..44.
    for (int y = 22; y < 44; ++y)
        for (int x = 225; x < 330; ++x) dark += pixels[size_t(y) * width + x] < 128;
    EXPECT_GT(dark, 200);
}

// An error while ending the document is the one reported: the document was aborted once and
// its partial file is gone.
TEST_F(PdfReportTest, FailedEndReportsItsOwnError) {
    TPdfReport report;
    report.StartPdfReport("1", "温湿度历史记录", 300);
    for (uint32_t i = 1; i <= 20; ++i) report.AddPdfRow(i, Record(i));
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    auto* previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
        report.FinishPdfReport([](int) {});
    } catch (const std::exception& error) {
        message = error.what();
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(message, "Stream write error");
    EXPECT_FALSE(std::filesystem::exists("data/" + report.ReportFileName));
    EXPECT_TRUE(Dialogs->Prompts.empty());
}

class PdfReportWindowTest : public StandInTest {};

TEST_F(PdfReportWindowTest, ContinuousReadWithPdfCheckedWritesTheReport) {
    ASSERT_NO_FATAL_FAILURE(ConnectWithHistory(60));
    Form->CheckBox2->setEnabled(true);
    Form->CheckBox2->setChecked(true);
    const QDateTime started = QDateTime::currentDateTime();
    Form->BitBtn19->click();
    ASSERT_TRUE(PumpUntil([&] { return !Form->State.ContinuousRead; }, 60s));
    ASSERT_TRUE(PumpUntil([&] { return !Dialogs->Prompts.empty(); }, 10s));
    EXPECT_EQ(Dialogs->Prompts.back(), "导出成功，是否打开文件？");
    EXPECT_FALSE(Form->CheckBox2->isChecked());
    const QStringList files = QDir("data").entryList({"*.pdf"}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    // Named at the start of the run (give or take the second it took to start).
    const std::string name = files[0].toStdString();
    EXPECT_TRUE(name == PdfReportFileName("1", started) || name == PdfReportFileName("1", started.addSecs(1))) << name;
    EXPECT_EQ(PageCount("data/" + name), 2);
    const std::string layout = Shell("pdftotext -layout " + Quoted("data/" + name) + " -");
    EXPECT_NE(layout.find("2024-03-01 08:59:00"), std::string::npos) << layout;
}

}  // namespace
}  // namespace console::testing
