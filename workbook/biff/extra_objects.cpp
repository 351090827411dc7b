#include "workbook/biff/extra_objects.h"

namespace xls {

TExtraObjects::TExtraObjects() = default;
TExtraObjects::~TExtraObjects() = default;

void TExtraObjects::Clear() { Storage_.reset(); }

void TExtraObjects::Keep(const platform::CompoundStorage& root) {
    Storage_ = std::make_unique<platform::CompoundFile>();
    root.CopyTo(Storage_->Root());
    Storage_->Root().SetClsid(root.Clsid());
    Storage_->Root().DestroyElement(u"Workbook");
    Storage_->Root().DestroyElement(u"Book");
}

void TExtraObjects::CopyInto(platform::CompoundStorage& root) const {
    if (!Storage_) return;
    Storage_->Root().CopyTo(root);
    root.SetClsid(Storage_->Root().Clsid());
}

}  // namespace xls
