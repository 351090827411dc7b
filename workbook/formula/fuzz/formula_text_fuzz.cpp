#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/exception.h"
#include "workbook/formula/formula_text.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/worksheet_part.h"

namespace {

struct TDocument {
    TDocument() : Root(Factory, Errors), Names(Factory) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
        for (const char16_t* name : {u"Sheet1", u"My Sheet", u"It's"}) Root.Worksheets().Add(-1)->Name = name;
        Root.Names = &Names;
        Names.Add(u"Rate", -1);
        Errors.SetOnError([](xls::TXLSErrorManager&, xls::TXLSErrorLevel, const std::u16string&) {});
    }
    xls::TXc12ClassFactory Factory;
    xls::TXLSErrorManager Errors;
    xls::TXc12Manager Root;
    xls::TXc12DefinedNames Names;
};

}  // namespace

// Formula text (the input as UTF-16) is compiled, decoded and compiled again: whatever compiles
// must decode, and its text must compile to the same code.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TDocument doc;
    std::u16string text(size / 2, u' ');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
    std::vector<uint8_t> code;
    try {
        code = xls::EncodeFormulaText(doc.Root, text, 0);
    } catch (const base::Exception&) {
        return 0;
    }
    if (code.empty()) return 0;
    const std::u16string decoded = xls::DecodeFormulaText(doc.Root, code, 0);
    if (xls::EncodeFormulaText(doc.Root, decoded, 0) != code) std::abort();
    return 0;
}
