// Opens arbitrary bytes as a package and reads every part through the relationships binding;
// errors are expected, crashes, hangs and runaway memory not.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "workbook/ooxml/opc/opc_package.h"
#include "workbook/sml/opc.h"

namespace {

void ReadParts(xls::TOPCContainer& package, xls::TOPCItem& item) {
    for (int i = 0; i < item.Count(); ++i) {
        xls::TOPCItem& child = item.GetItems(i);
        try {
            auto stream = package.ReadItem(&child);
            xpg::opc::TXPGDocOPC doc;
            doc.LoadFromStream(*stream);
            doc.Relationships().Relationship.CheckAssigned();
        } catch (const base::Exception&) {
        }
        ReadParts(package, child);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    base::TMemoryStream input = base::TMemoryStream::View(data, static_cast<int64_t>(size));
    try {
        xls::TOPCContainer package;
        package.TrackRead = true;
        package.OpenRead(input, false);
        ReadParts(package, package.Root());
        std::vector<xls::TOPCItem*> unread;
        package.LoadUnreadItems(unread);
        package.Close();
    } catch (const base::Exception&) {
    }
    return 0;
}
