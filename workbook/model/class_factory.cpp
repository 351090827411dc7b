#include "workbook/model/class_factory.h"

#include "workbook/model/autofilter.h"
#include "workbook/model/cond_formats.h"
#include "workbook/model/defined_names.h"
#include "workbook/model/drawing_document.h"
#include "workbook/model/worksheet_items.h"

namespace xls {

std::unique_ptr<TXLSFactoryObject> TXc12ClassFactory::CreateObject(int kind, TXLSFactoryObject* owner) {
    switch (kind) {
        case xckNames: return std::make_unique<TXc12DefinedNames>(*this);
        case xckName: return std::make_unique<TXc12DefinedName>();
        case xckMergedCells: return std::make_unique<TXc12MergedCells>(*this);
        case xckMergedCell: return std::make_unique<TXc12MergedCell>();
        case xckHyperlinks: return std::make_unique<TXc12Hyperlinks>(*this);
        case xckHyperlink: return std::make_unique<TXc12Hyperlink>();
        case xckDataValidations: return std::make_unique<TXLSDataValidations>(*this);
        case xckDataValidation: return std::make_unique<TXLSDataValidation>();
        case xckConditionalFormat: return std::make_unique<TXLSConditionalFormat>();
        case xckConditionalFormats: return std::make_unique<TXLSConditionalFormats>(*this, owner);
        case xckAutofilter: return std::make_unique<TXc12AutoFilter>(*this);
        case xckAutofilterColumn: return std::make_unique<TXc12FilterColumn>();
        case xckDrawing: return std::make_unique<TXc12PlainDrawing>(GraphicManager_);
        default: return nullptr;
    }
}

}  // namespace xls
