// The workbook component as a command of its own, so that its fixed cost and its read path are
// timed as whole processes (peak memory included):
//   workbook_process start       creates the component as the window does and nothing else
//   workbook_process read FILE   the same, then reads FILE through the component
#include <cstdio>
#include <exception>
#include <string>

#include "base/text_encoding.h"
#include "platform/process_heap.h"
#include "workbook/component/workbook_component.h"

int main(int argc, char** argv) {
    platform::KeepLargeBlocksInHeap();
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!(mode == "start" && argc == 2) && !(mode == "read" && argc == 3)) {
        std::fprintf(stderr, "usage: %s start | read FILE\n", argv[0]);
        return 2;
    }
    try {
        xls::TVUZAzurEruraWorkbook book;
        book.SetVersion(xls::xvExcel97);
        book.SetDirectWrite(true);
        if (mode == "read") {
            book.LoadFromFile(base::Utf8ToUtf16(argv[2]));
            std::printf("%d sheets\n", book.SheetCount());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
