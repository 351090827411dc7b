#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/exception.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_group.h"
#include "workbook/biff/xls_stream.h"

// The input is a BIFF record stream: an MSODRAWINGGROUP record is read as the drawing group,
// the first MSODRAWING as a sheet drawing and NOTE records as its notes, as a sheet is read;
// then everything read is written again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    xls::TEscherGroup group;
    xls::TEscherDrawing drawing(group);
    try {
        xls::TXLSStream stream;
        stream.CreateMemory();
        stream.WriteRaw(data, static_cast<int64_t>(size));
        stream.Seek(0, 0);
        xls::TBIFFHeader header;
        bool loaded = false;
        while (stream.ReadHeader(header) == 4) {
            if (header.RecID == xls::BIFFRECID_MSODRAWINGGROUP) {
                group.LoadFromStream(stream, header.Length);
            } else if (header.RecID == xls::BIFFRECID_MSODRAWING && !loaded) {
                loaded = true;
                drawing.LoadFromStream(stream, header.Length);
            } else if (header.RecID == xls::BIFFRECID_NOTE) {
                drawing.LoadNote(stream, header.Length);
            } else {
                stream.Seek(header.Length, 1);
            }
        }
        std::vector<int> indexes;
        group.GetFileIndexes(indexes);
        drawing.RemapBlipIds(indexes);
        drawing.CountPictureRefs();
        xls::TXLSStream out;
        out.CreateMemory();
        if (group.HasProperties() || group.Count() > 0) group.SaveToStream(out);
        drawing.SaveToStream(out);
    } catch (const base::Exception&) {
    }
    return 0;
}
