#pragma once

#include <memory>

#include "workbook/model/ooxml_services.h"

namespace xls {

// The Open XML objects the document model owns, made over this library's simple tree, the
// content-types binding and the spreadsheet package.
class TOpcOoxmlServices : public TXc12OoxmlServices {
public:
    std::unique_ptr<TXc12XmlDocument> CreateDocument() override;
    std::unique_ptr<TXc12Package> CreatePackage() override;
    std::unique_ptr<TXc12PackageDocument> CreateContentTypes() override;
    std::unique_ptr<TXc12PackageDocument> CreateAppProperties() override;
};

}  // namespace xls
