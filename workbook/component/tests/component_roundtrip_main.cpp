#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "base/text_encoding.h"
#include "workbook/component/workbook_component.h"

// component_roundtrip IN.xls OUT.xls: reads a workbook through the component and writes it
// again, so that another program can show what the road keeps.
// component_roundtrip --picture IMAGE OUT.xls: a new Excel 97 workbook with the image added
// through the first sheet's drawing interface from B2 to the top left of E8.
int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::string(argv[1]) == "--picture")) {
        std::fprintf(stderr, "usage: %s IN.xls OUT.xls | --picture IMAGE OUT.xls\n", argv[0]);
        return 2;
    }
    try {
        xls::TVUZAzurEruraWorkbook book;
        if (argc == 4) {
            book.SetVersion(xls::xvExcel97);
            xls::TXLSDrawingAnchor anchor;
            anchor.Col1 = 1;
            anchor.Row1 = 1;
            anchor.Col2 = 4;
            anchor.Row2 = 7;
            if (!book.GetSheets(0)->GetDrawing().AddPicture(argv[2], anchor))
                throw std::runtime_error("The picture was not taken");
        } else {
            book.LoadFromFile(base::Utf8ToUtf16(argv[1]));
        }
        book.SaveToFile(base::Utf8ToUtf16(argv[argc - 1]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
