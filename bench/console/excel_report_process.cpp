// The console's Excel history report as a command of its own, so that it is timed as a whole
// process beside xlsx_report_process (libxlsxwriter in constant-memory mode, the same cells and
// charts as .xlsx):
//   excel_report_process SHEETS FOLDER [keep]
//       a report of SHEETS full sheets of the history reading (32,000 records each), written to
//       FOLDER/data/ and removed again unless keep is given (its name is printed then); the
//       component is made as the window makes it
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "bench/console/history_records.h"
#include "console/excel_report.h"
#include "console/report_files.h"
#include "platform/process_heap.h"

using namespace console;

int main(int argc, char** argv) {
    platform::KeepLargeBlocksInHeap();
    const int sheets = argc == 3 || argc == 4 ? std::atoi(argv[1]) : 0;
    const bool keep = argc == 4 && std::string(argv[3]) == "keep";
    if (sheets < 1 || (argc == 4 && !keep) || ::chdir(argv[2]) != 0) {
        std::fprintf(stderr, "usage: %s SHEETS FOLDER [keep]\n", argv[0]);
        return 2;
    }
    try {
        xls::TVUZAzurEruraWorkbook XLS;
        XLS.SetVersion(xls::xvExcel97);
        XLS.SetDirectWrite(true);
        TExcelReportState state;
        TExcelReport report(XLS, state, ReadingSheetCapacity);
        report.StartReport("1");
        // A full last sheet opens the next one at once: one record fewer keeps SHEETS sheets.
        const auto records = static_cast<uint32_t>(sheets * ReadingSheetCapacity - 1);
        for (uint32_t i = 1; i <= records; ++i) report.AddReportRow(i, BenchRecord(i));
        const std::string name = report.FinishWorkbookReport();
        if (keep)
            std::printf("%s%s\n", ReportFolder, name.c_str());
        else
            std::filesystem::remove(ReportFolder + name);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
