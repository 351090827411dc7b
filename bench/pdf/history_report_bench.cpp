// Timed scenario: the console's PDF history report of 32,000 and 320,000 records through its
// own calls (texts on the page canvas, converted when each page closes; grid on the page),
// side by side with libharu drawing the same page content with the same Chinese face. Each
// run happens in a child process of its own, so that its peak memory is its own; given a side,
// a size and a compression, one run happens in this process.
#include <hpdf.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "console/pdf_report.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"

namespace {

using Clock = std::chrono::steady_clock;

// Answers the report's question without a person.
class TNoDialogs : public platform::TDialogs {
public:
    void ShowMessage(const std::string&) override {}
    int MessageBox(const std::string&, const std::string&, uint32_t) override { return platform::IDCANCEL; }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    void ShowError(const std::string&) override {}
};

console::THistoryRecord Record(uint32_t i) {
    console::THistoryRecord r;
    r.Temperature = (int(i % 500) - 100) / 10.0;
    r.Humidity = (300 + i % 600) / 10.0;
    r.Time = {2024, 1 + int(i / 40000) % 12, 1 + int(i / 1440) % 28, int(i / 60) % 24, int(i % 60), int(i * 7 % 60)};
    return r;
}

// The console's report; returns the file.
std::string Ours(uint32_t records, bool flate) {
    console::TPdfReport report;
    report.StartPdfReport("1", "温湿度历史记录", 300);
    if (flate) report.SPDF->SetCompression(pdf::TCompressionType::ctFlate);
    for (uint32_t i = 1; i <= records; ++i) report.AddPdfRow(i, Record(i));
    report.FinishPdfReport([](int) {});
    return "data/" + report.ReportFileName;
}

// libharu: the same title, header, rows and grid, page for page (one canvas pixel is 0.75
// point; libharu measures y from the bottom edge and places text by its baseline).
std::string Harus(uint32_t records, bool flate, const std::string& faceFile, int faceIndex) {
    HPDF_Doc pdf = HPDF_New(nullptr, nullptr);
    HPDF_SetCompressionMode(pdf, flate ? HPDF_COMP_ALL : HPDF_COMP_NONE);
    HPDF_UseUTFEncodings(pdf);
    const char* name = HPDF_LoadTTFontFromFile2(pdf, faceFile.c_str(), HPDF_UINT(faceIndex), HPDF_TRUE);
    HPDF_Font font = HPDF_GetFont(pdf, name, "UTF-8");
    const double ascent = HPDF_Font_GetAscent(font) / 1000.0;
    HPDF_Page page = nullptr;
    auto text = [&](double x, double y, double size, const std::string& s) {
        HPDF_Page_SetFontAndSize(page, font, HPDF_REAL(size));
        HPDF_Page_TextOut(page, HPDF_REAL(x * 0.75), HPDF_REAL(842 - y * 0.75 - ascent * size), s.c_str());
    };
    auto grid = [&](double top) {
        HPDF_Page_GSave(page);
        for (int width : {63, 153, 243, 480})
            HPDF_Page_Rectangle(page, 57, HPDF_REAL(842 - top - 15), HPDF_REAL(width), 15);
        HPDF_Page_ClosePathStroke(page);
        HPDF_Page_GRestore(page);
    };
    auto newPage = [&] {
        page = HPDF_AddPage(pdf);
        HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
    };
    newPage();
    HPDF_Page_BeginText(page);
    text(300, 30, 20, "温湿度历史记录");
    const char* headers[] = {"序号", "温度", "湿度", "日期"};
    const int headerX[] = {88, 170, 290, 410};
    for (int i = 0; i < 4; ++i) text(headerX[i], 100, 10, headers[i]);
    HPDF_Page_EndText(page);
    grid(73);
    double boxY = 88, textY = 120;
    int rows = 4;
    const int rowX[] = {90, 170, 290, 410};
    for (uint32_t i = 1; i <= records; ++i) {
        const console::THistoryRecord r = Record(i);
        const std::string texts[] = {std::to_string(i), console::ShortestDecimal(r.Temperature),
                                     console::ShortestDecimal(r.Humidity), r.Time.DateTimeText().toStdString()};
        HPDF_Page_BeginText(page);
        for (int k = 0; k < 4; ++k) text(rowX[k], textY, 10, texts[k]);
        HPDF_Page_EndText(page);
        grid(boxY);
        boxY += 15;
        textY += 20;
        if (++rows == 51) {
            newPage();
            rows = 0;
            boxY = 43;
            textY = 60;
        }
    }
    const std::string file = "data/libharu_" + std::to_string(records) + ".pdf";
    HPDF_SaveToFile(pdf, file.c_str());
    HPDF_Free(pdf);
    return file;
}

// One side's report in this process, timed from the first call to the closed file.
void Report(const char* who, uint32_t records, bool flate) {
    platform::SetDialogs(std::make_unique<TNoDialogs>());
    const auto& face = *platform::Fonts::FacesOf("宋体").front();
    const auto start = Clock::now();
    const std::string file = who[0] == 'o' ? Ours(records, flate) : Harus(records, flate, face.File, face.Index);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-8s %7u records %-5s %8.3f s %9.2f MB file %8.1f MB peak RSS\n", who, records,
                flate ? "flate" : "none", seconds, double(std::filesystem::file_size(file)) / 1e6,
                double(usage.ru_maxrss) / 1e3);
    std::fflush(stdout);
    std::filesystem::remove(file);
}

void RunOne(const char* who, uint32_t records, bool flate) {
    const pid_t child = fork();
    if (child == 0) {
        Report(who, records, flate);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

// With "ours|libharu RECORDS none|flate" one report runs in this process alone, so that the two
// sides can be timed as whole processes from outside.
int main(int argc, char** argv) {
    std::filesystem::create_directories("data");
    if (argc == 4) {
        const std::string who = argv[1];
        if (who != "ours" && who != "libharu") return 2;
        Report(who.c_str(), static_cast<uint32_t>(std::stoul(argv[2])), std::string(argv[3]) == "flate");
        return 0;
    }
    const bool large = argc < 2 || std::string(argv[1]) != "--small";
    for (uint32_t records : {32000u, 320000u}) {
        if (records > 32000 && !large) break;
        for (bool flate : {false, true})
            for (const char* who : {"ours", "libharu"}) RunOne(who, records, flate);
    }
    return 0;
}
