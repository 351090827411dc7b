// Opens arbitrary bytes as an archive and extracts every entry, through the archive and
// through the owner streams; errors are expected, crashes, hangs and runaway memory not.
#include <cstddef>
#include <cstdint>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/zip/zip_archive.h"
#include "workbook/ooxml/zip/zip_archive_intf.h"
#include "workbook/ooxml/zip/zlib_buffers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    base::TMemoryStream input = base::TMemoryStream::View(data, static_cast<int64_t>(size));
    try {
        xls::TXLSZipArchiveIntfXLS intf;
        intf.OpenRead(input);
        xls::TXLSZipArchive zip;
        zip.OpenFromStream(input);
        for (int i = 0; i < zip.Count(); ++i) {
            try {
                base::TMemoryStream out;
                zip.GetFiles(i).ExtractToStream(out);
                auto stream = intf.OpenFile(zip.GetFiles(i).Name());
                base::TMemoryStream again;
                again.LoadFromStream(*stream);
            } catch (const base::Exception&) {
            }
        }
    } catch (const base::Exception&) {
    }
    try {
        xls::InflateBuffer(data, static_cast<int64_t>(size), size > 4 ? int64_t{data[0]} << 16 : 0);
    } catch (const base::Exception&) {
    }
    return 0;
}
