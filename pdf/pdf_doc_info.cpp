#include "pdf/pdf_doc_info.h"

#include "base/date_time.h"

namespace pdf {

TPDFDocInfo::TPDFDocInfo()
    : Producer_("Ombrix PDF Writer 1.0"),
      Keywords_("Ombrix PDF Writer"),
      Title_("No Title"),
      Creator_("Ombrix PDF Writer"),
      Author_("Ombrix User"),
      Subject_("None"),
      CreationDate_(base::NowDateTime()) {}

void TPDFDocInfo::Assign(const TPDFDocInfo& source) {
    Creator_ = source.Creator_;
    CreationDate_ = source.CreationDate_;
    Author_ = source.Author_;
    Title_ = source.Title_;
    Subject_ = source.Subject_;
    Keywords_ = source.Keywords_;
}

}  // namespace pdf
