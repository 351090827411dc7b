// The recalculation road as a whole process, to be timed from outside beside another program
// recalculating the same file:
//   xls_recalc_process make FILE      writes the 65,536-row workbook of xls_rows_workload.h
//   xls_recalc_process FILE OUT       reads FILE, recalculates every formula and writes OUT
// The second form prints the time of each stage and the peak memory on standard error. The
// process keeps its large blocks as the console's main sets it; OMBRIX_SYSTEM_HEAP=1 leaves
// glibc's default.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "base/text_encoding.h"
#include "bench/xls_formula/xls_rows_workload.h"
#include "platform/process_heap.h"
#include "workbook/component/workbook_component.h"

namespace {

double Since(std::chrono::steady_clock::time_point& start) {
    const auto now = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(now - start).count();
    start = now;
    return ms;
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s make FILE | %s FILE OUT\n", argv[0], argv[0]);
        return 2;
    }
    const char* systemHeap = std::getenv("OMBRIX_SYSTEM_HEAP");
    if (!systemHeap || std::strcmp(systemHeap, "1") != 0) platform::KeepLargeBlocksInHeap();
    try {
        xls::TVUZAzurEruraWorkbook book;
        if (std::strcmp(argv[1], "make") == 0) {
            xls::bench::MakeXlsRowsWorkload(book);
            book.SaveToFile(base::Utf8ToUtf16(argv[2]));
            return 0;
        }
        auto start = std::chrono::steady_clock::now();
        book.LoadFromFile(base::Utf8ToUtf16(argv[1]));
        const double load = Since(start);
        book.Calculate();
        const double calculate = Since(start);
        book.SaveToFile(base::Utf8ToUtf16(argv[2]));
        const double save = Since(start);
        std::fprintf(stderr, "load %.1f ms, calculate %.1f ms, save %.1f ms, peak %.1f MiB\n", load, calculate, save,
                     PeakMiB());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
