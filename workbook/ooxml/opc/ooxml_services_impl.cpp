#include "workbook/ooxml/opc/ooxml_services_impl.h"

#include <unordered_map>
#include <utility>

#include "base/text_encoding.h"
#include "workbook/ooxml/opc/opc_xlsx.h"
#include "workbook/ooxml/xml/simple_dom.h"
#include "workbook/sml/content_type.h"

namespace xls {
namespace {

// Every node of the tree is both the library's node and the model's view of it.
class TModelNode : public TXpgDOMNode, public TXc12XmlNode {
public:
    std::unique_ptr<TXpgDOMNode> CreateNode(TXpgDOMNode*) override { return std::make_unique<TModelNode>(); }
    std::u16string_view GetName() const override { return Name(); }
    std::u16string_view GetText() const override { return Text(); }
    void SetText(std::u16string_view text) override { TXpgDOMNode::SetText(text); }
    int ChildCount() const override { return TXpgDOMNode::ChildCount(); }
    TXc12XmlNode* GetChild(int index) const override { return &static_cast<TModelNode&>(Children(index)); }
    std::u16string GetAttribute(std::u16string_view name) const override { return Attributes().GetValue(name); }
    void SetAttribute(std::u16string_view name, std::u16string_view value) override {
        if (TXpgDOMAttribute* found = Attributes().Find(name))
            found->Value = value;
        else
            Attributes().Add(name, value);
    }
    std::unique_ptr<TXc12XmlNode> ExtractChild(int index) override {
        return std::unique_ptr<TXc12XmlNode>(static_cast<TModelNode*>(TXpgDOMNode::ExtractChild(index).release()));
    }
};

class TModelDom : public TXpgSimpleDOM {
public:
    std::unique_ptr<TXpgDOMNode> CreateNode() override { return std::make_unique<TModelNode>(); }
};

class TModelDocument : public TXc12XmlDocument {
public:
    void Clear() override { Dom_.Clear(); }
    bool IsEmpty() const override { return Dom_.IsEmpty(); }
    void LoadFromString(std::u16string_view text) override { Dom_.LoadFromString(text); }
    void LoadFromStream(base::TStream& stream) override { Dom_.LoadFromStream(stream); }
    void SaveToStream(base::TStream& stream) override { Dom_.SaveToStream(stream); }
    TXc12XmlNode& Root() override { return static_cast<TModelNode&>(Dom_.Root()); }

private:
    TModelDom Dom_;
};

class TContentTypesDocument : public TXc12PackageDocument {
public:
    void Clear() override { Doc_ = std::make_unique<xpg::content_type::TXPGDocContentType>(); }
    void LoadFromStream(base::TStream& stream) override { Doc_->LoadFromStream(stream); }
    void AddRootAttribute(std::u16string_view name, std::u16string_view value) override {
        Doc_->Root().RootAttributes.Add(base::Utf16ToUtf8(name), value);
    }

private:
    std::unique_ptr<xpg::content_type::TXPGDocContentType> Doc_ =
        std::make_unique<xpg::content_type::TXPGDocContentType>();
};

// The extended properties have no binding of their own: a simple tree whose root keeps the
// namespace declarations.
class TAppPropertiesDocument : public TXc12PackageDocument {
public:
    void Clear() override { Dom_.Clear(); }
    void LoadFromStream(base::TStream& stream) override { Dom_.LoadFromStream(stream); }
    void AddRootAttribute(std::u16string_view name, std::u16string_view value) override {
        Dom_.Root().AddAttribute(name, value);
    }

private:
    TXpgSimpleDOM Dom_;
};

class TPackageItem : public TXc12PackageItem {
public:
    explicit TPackageItem(TOPCItem& item) : Item(item) {}
    std::u16string GetRId() const override { return Item.GetRId(); }
    TOPCItem& Item;
};

class TModelPackage : public TXc12Package {
public:
    void Clear() override {
        Items_.clear();
        Opc_.Clear();
    }
    void OpenRead(base::TStream& stream, bool useAlternateZip) override {
        Items_.clear();  // opening clears the part tree
        Opc_.OpenRead(stream, useAlternateZip);
    }
    void OpenWrite(base::TStream& stream, bool useAlternateZip) override { Opc_.OpenWrite(stream, useAlternateZip); }
    void Close() override { Opc_.Close(); }
    std::unique_ptr<base::TStream> GetContentTypesStream() override { return Opc_.GetContentTypesStream(); }
    std::unique_ptr<base::TStream> ReadDocPropsCore() override { return Opc_.ReadDocPropsCore(); }
    void WriteDocPropsCore(base::TStream& stream) override { Opc_.WriteDocPropsCore(stream); }
    void WriteTheme(base::TStream& stream, int index) override { Opc_.WriteTheme(stream, index); }

    std::vector<TXc12UnreadPart> LoadUnreadItems() override {
        std::vector<TOPCItem*> items;
        Opc_.LoadUnreadItems(items);
        std::vector<TXc12UnreadPart> parts;
        parts.reserve(items.size());
        for (TOPCItem* item : items) {
            TXc12UnreadPart part;
            part.FileName = item->FileName;
            part.RelationshipType = item->RelType;
            part.ContentType = item->ContentType;
            part.External = item->IsExternal();
            TOPCItem* parent = item->Parent;
            part.ParentRelationshipType = parent->RelType;
            if (parent->Parent != nullptr) part.ParentRelId = base::Utf16ToUtf8(parent->GetRId());
            // The model writes kept parts back under the root, the workbook or a sheet; a
            // part kept from deeper down is written under its absolute name, never a target
            // relative to a parent it no longer has.
            const bool keptUnderItsParent = parent->Parent == nullptr || parent->RelType == opc_rel::OfficeDocument ||
                                            parent->RelType == opc_rel::Worksheet;
            part.Target =
                keptUnderItsParent || part.External ? item->GetTarget() : u"/" + base::Utf8ToUtf16(item->GetPartName());
            part.Data = std::move(item->Stream);
            parts.push_back(std::move(part));
        }
        return parts;
    }

    TXc12PackageItem* WorkbookItem() override { return Handle(Opc_.Workbook()); }
    TXc12PackageItem* CreateItem(TXc12PackageItem* parent, std::u16string_view relationshipType,
                                 std::u16string_view contentType, std::u16string_view target) override {
        return Handle(Opc_.CreateItem(Item(parent), relationshipType, contentType, target));
    }
    TXc12PackageItem* CreateImageItem(int index, std::u16string_view extension) override {
        return Handle(Opc_.CreateImageItem(index, extension));
    }
    void WriteItem(TXc12PackageItem* item, base::TStream& stream) override { Opc_.WriteItem(Item(item), stream); }
    void CloseItem(TXc12PackageItem* item) override { Opc_.CloseItem(Item(item)); }

private:
    static TOPCItem* Item(TXc12PackageItem* handle) {
        return handle == nullptr ? nullptr : &static_cast<TPackageItem*>(handle)->Item;
    }
    TXc12PackageItem* Handle(TOPCItem* item) {
        if (item == nullptr) return nullptr;
        std::unique_ptr<TPackageItem>& handle = Items_[item];
        if (!handle) handle = std::make_unique<TPackageItem>(*item);
        return handle.get();
    }

    TOPC_XLSX Opc_;
    // One handle per part for as long as the part tree lives.
    std::unordered_map<TOPCItem*, std::unique_ptr<TPackageItem>> Items_;
};

}  // namespace

std::unique_ptr<TXc12XmlDocument> TOpcOoxmlServices::CreateDocument() { return std::make_unique<TModelDocument>(); }

std::unique_ptr<TXc12Package> TOpcOoxmlServices::CreatePackage() { return std::make_unique<TModelPackage>(); }

std::unique_ptr<TXc12PackageDocument> TOpcOoxmlServices::CreateContentTypes() {
    return std::make_unique<TContentTypesDocument>();
}

std::unique_ptr<TXc12PackageDocument> TOpcOoxmlServices::CreateAppProperties() {
    return std::make_unique<TAppPropertiesDocument>();
}

}  // namespace xls
