// Plays hostile metafile bytes on a page: every offset and count of a record must be checked
// against the record and the metafile, whatever the record claims.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/exception.h"
#include "pdf/emf_parser.h"
#include "pdf/pdf_document.h"

namespace {

// One document for the run, restarted now and then so that its file stays small; pages are
// written as soon as the next one begins.
pdf::TPDFDocument& Document() {
    static std::unique_ptr<pdf::TPDFDocument> document;
    static int pages = 0;
    if (document && ++pages % 256 == 0) document->EndDoc();
    if (!document) {
        document = std::make_unique<pdf::TPDFDocument>();
        document->SetFileName("/tmp/emf_fuzz_" + std::to_string(getpid()) + ".pdf");
        document->SetOnePass(true);
    }
    if (!document->Generating()) document->BeginDoc();
    return *document;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pdf::TPDFDocument& document = Document();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        pdf::TEMWParser parser(*document.CurrentPage());
        parser.LoadMetafile(bytes);
        int width = 0, height = 0;
        parser.GetMetafileSize(width, height);
        parser.Execute();
    } catch (const base::Exception&) {
        // A damaged metafile, or a text the page cannot show, is refused with an error.
    }
    document.NewPage();
    return 0;
}
