#pragma once

#include <string>

#include "base/text_encoding.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/model/worksheet_part.h"

namespace xls::test {

// An empty document root with a name list, for compiling and decoding formula text; the last
// report (code and text) is kept in Report instead of raising.
struct TFormulaTextBook {
    TFormulaTextBook() : Root(Factory, Errors), Names(Factory) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
        Root.Names = &Names;
        Errors.SetOnError([this](TXLSErrorManager& m, TXLSErrorLevel, const std::u16string& text) {
            Report = std::to_string(m.LastError()) + " " + base::Utf16ToUtf8(text);
        });
    }
    TXc12ClassFactory Factory;
    TXLSErrorManager Errors;
    TXc12Manager Root;
    TXc12DefinedNames Names;
    std::string Report;
};

}  // namespace xls::test
