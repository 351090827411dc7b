#include "workbook/model/ooxml_services.h"

namespace xls {

TXc12XmlNode* TXc12XmlNode::FindChild(std::u16string_view name) const {
    for (int i = 0; i < ChildCount(); ++i) {
        TXc12XmlNode* child = GetChild(i);
        if (child->GetName() == name) return child;
    }
    return nullptr;
}

TXc12XmlNode* TXc12XmlNode::FindPath(std::u16string_view path) const {
    const TXc12XmlNode* node = this;
    while (true) {
        const size_t slash = path.find(u'/');
        TXc12XmlNode* child = node->FindChild(path.substr(0, slash));
        if (child == nullptr || slash == std::u16string_view::npos) return child;
        node = child;
        path.remove_prefix(slash + 1);
    }
}

}  // namespace xls
