#include "workbook/biff/extra_objects.h"

namespace xls {

TExtraObjects::TExtraObjects() = default;
TExtraObjects::~TExtraObjects() = default;

void TExtraObjects::Clear() { Storage_.reset(); }

void TExtraObjects::Keep(const platform::TCompoundStorage& root) {
    Storage_ = std::make_unique<platform::TCompoundFile>();
    root.CopyTo(Storage_->Root());
    Storage_->Root().SetClsid(root.Clsid());
    Storage_->Root().DestroyElement(u"Workbook");
    Storage_->Root().DestroyElement(u"Book");
}

void TExtraObjects::CopyInto(platform::TCompoundStorage& root) const {
    if (!Storage_) return;
    Storage_->Root().CopyTo(root);
    root.SetClsid(Storage_->Root().Clsid());
}

}  // namespace xls
