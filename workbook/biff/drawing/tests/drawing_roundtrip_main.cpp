#include <cstdio>
#include <memory>
#include <string>

#include "base/exception.h"
#include "platform/compound_file.h"
#include "workbook/biff/drawing/tests/drawing_test_support.h"

// drawing_roundtrip [--report-chart] IN.xls OUT.xls: reads the drawings of a workbook and writes
// the workbook again with every drawing and the drawing group as our writers make them, so
// that another program can show what we wrote. --report-chart first does to the first sheet
// what two reports in a row do: clear its drawing and add a chart (the records of the file's
// first chart) anchored from A10 to E27.
namespace {

void AddReportChart(xls::TEscherDrawing& drawing) {
    std::unique_ptr<xls::TChartSubstream> records;
    for (int i = 0; i < drawing.ShapeCount() && !records; ++i)
        if (auto* chart = dynamic_cast<xls::TShapeOutsideMsoChart*>(drawing.Shapes(i).ObjPart.get()))
            records = chart->Chart().Clone();
    if (!records) throw base::Exception("The workbook's first sheet has no chart");
    drawing.OnNewChart = [&records] { return records->Clone(); };
    for (int report = 0; report < 2; ++report) {
        drawing.Clear();
        xls::TDrwAnchor anchor;
        anchor.SetShape(&drawing.AddChart());
        anchor.SetCol1(0);
        anchor.SetRow1(9);
        anchor.SetCol2(4);
        anchor.SetRow2(26);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const bool reportChart = argc == 4 && std::string(argv[1]) == "--report-chart";
    if (argc != 3 && !reportChart) {
        std::fprintf(stderr, "usage: %s [--report-chart] IN.xls OUT.xls\n", argv[0]);
        return 2;
    }
    const char* in = argv[argc - 2];
    const char* outName = argv[argc - 1];
    try {
        xls::testing::TFileDrawings file;
        xls::testing::ReadFileDrawings(in, file);
        if (reportChart) AddReportChart(*file.Sheets.at(0).Drawing);
        const std::vector<uint8_t> stream = xls::testing::RewriteDrawings(file);
        platform::TCompoundFile out;
        out.Root().CreateStream(u"Workbook").WriteBuffer(stream.data(), static_cast<int64_t>(stream.size()));
        out.SaveToFile(outName);
    } catch (const base::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
