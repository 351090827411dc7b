#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "workbook/biff/extra_objects.h"
#include "workbook/biff/xls_stream.h"

// Opens the input as a workbook container and walks its records, reading each one in
// CONTINUE-read mode as the string and drawing readers do, or (odd ids) where it stands in
// memory as the record loop does.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        base::TMemoryStream source = base::TMemoryStream::View(data, static_cast<int64_t>(size));
        xls::TExtraObjects extra;
        xls::TXLSStream stream;
        stream.SetSourceStream(&source);
        stream.SetExtraObjects(&extra);
        stream.Open("");
        stream.Seek(0, 0);
        stream.BeginInPlaceRead();
        std::vector<uint8_t> buffer(0x10000 + 0x1000);
        xls::TBIFFHeader header;
        volatile uint8_t sum = 0;
        while (stream.ReadHeader(header) == 4) {
            if (header.RecID & 1) {
                const uint8_t* data = stream.ReadInPlace(header.Length);
                for (int i = 0; data && i < header.Length; ++i) sum = static_cast<uint8_t>(sum + data[i]);
                continue;
            }
            stream.BeginContinueRead();
            const int64_t want = header.Length + (header.RecID & 0x0FFF);
            stream.Read(buffer.data(), want);
            stream.EndContinueRead();
        }
    } catch (const base::Exception&) {
    }
    return 0;
}
