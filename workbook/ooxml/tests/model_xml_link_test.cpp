// The document model and the XML layer linked into one program: the date-time conversion both
// use exists once, and the core-property dates the model writes through the XML layer's trees
// are the same text whatever the process's zone.
#include <gtest/gtest.h>

#include <string>

#include "base/date_time.h"
#include "platform/testing/time_zone.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/document_root.h"
#include "workbook/model/error_manager.h"
#include "workbook/ooxml/opc/ooxml_services_impl.h"
#include "workbook/ooxml/xml/xml_values.h"

namespace xls {
namespace {

class ModelWithXmlLayer : public ::testing::TestWithParam<const char*> {
protected:
    ModelWithXmlLayer() : Zone(GetParam()), Root(Factory, Errors, &Services) {
        Factory.SetGraphicManager(nullptr);
        Root.CreateParts();
    }

    std::u16string CoreText(std::u16string_view path) {
        TXc12XmlNode* node = Root.FileData().CoreProperties()->Root().FindPath(path);
        return node == nullptr ? std::u16string() : std::u16string(node->GetText());
    }

    platform::testing::TTimeZone Zone;
    TOpcOoxmlServices Services;
    TXc12ClassFactory Factory;
    TXLSErrorManager Errors;
    TXc12Manager Root;
};

TEST_P(ModelWithXmlLayer, CoreDatesAreUtcText) {
    Root.DocProps().SetCreated(XmlStrToDateTime(u"2015-06-01T08:30:00Z"));
    const double before = base::NowUTCDateTime();
    Root.BeforeWrite();
    const double after = base::NowUTCDateTime();
    EXPECT_EQ(CoreText(u"cp:coreProperties/dcterms:created"), u"2015-06-01T08:30:00Z");
    EXPECT_EQ(XmlDateTimeToStr(Root.DocProps().GetCreated()), u"2015-06-01T08:30:00Z");
    const double modified = XmlStrToDateTime(CoreText(u"cp:coreProperties/dcterms:modified"));
    // Whole seconds in the text: allow the second that was cut off.
    EXPECT_GE(modified, before - 1.0 / 86400);
    EXPECT_LE(modified, after);
}

INSTANTIATE_TEST_SUITE_P(Zones, ModelWithXmlLayer, ::testing::Values("UTC0", "Asia/Shanghai"));

}  // namespace
}  // namespace xls
