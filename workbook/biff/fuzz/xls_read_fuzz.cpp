#include <cstddef>
#include <cstdint>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "workbook/biff/biff_document.h"
#include "workbook/biff/chart/document_charts.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/document_root.h"

// Reads the input as an .xls file into a fresh workbook with the drawing layer, as the component
// does, and writes what was read; a damaged file may only end in the library's own errors.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    xls::TXc12ClassFactory factory;
    xls::TXLSErrorManager errors;
    xls::TXc12Manager root(factory, errors);
    root.CreateParts();
    root.SetVersion(xls::xvExcel97);
    xls::TBIFF5 document(root);
    xls::AttachDrawingLayer(document);
    document.SetKeepVBA(true);
    try {
        base::TMemoryStream source = base::TMemoryStream::View(data, static_cast<int64_t>(size));
        document.LoadFromStream(&source);
    } catch (const base::Exception&) {
        return 0;
    }
    try {
        base::TMemoryStream written;
        document.SaveToStream(&written);
    } catch (const base::Exception&) {
    }
    return 0;
}
