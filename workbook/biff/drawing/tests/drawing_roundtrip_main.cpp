#include <cstdio>
#include <string>

#include "base/exception.h"
#include "platform/compound_file.h"
#include "workbook/biff/drawing/tests/drawing_test_support.h"

// drawing_roundtrip IN.xls OUT.xls: reads the drawings of a workbook and writes the workbook
// again with every drawing and the drawing group as our writers make them, so that another
// program can show what we wrote.
int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.xls OUT.xls\n", argv[0]);
        return 2;
    }
    try {
        xls::testing::TFileDrawings file;
        xls::testing::ReadFileDrawings(argv[1], file);
        const std::vector<uint8_t> stream = xls::testing::RewriteDrawings(file);
        platform::TCompoundFile out;
        out.Root().CreateStream(u"Workbook").WriteBuffer(stream.data(), static_cast<int64_t>(stream.size()));
        out.SaveToFile(argv[2]);
    } catch (const base::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
