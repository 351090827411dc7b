#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/memory_stream.h"
#include "base/text_encoding.h"
#include "workbook/model/ooxml_services.h"

namespace xls::test {

// Stand-ins for the Open XML side the model declares: a plain tree with a small parser for the
// model's own texts (elements, attributes, text; no entities), and a package that records what
// it is asked to write.

class TFakeNode : public TXc12XmlNode {
public:
    explicit TFakeNode(std::u16string name) : Name(std::move(name)) {}
    std::u16string_view GetName() const override { return Name; }
    std::u16string_view GetText() const override { return Text; }
    void SetText(std::u16string_view text) override { Text = text; }
    int ChildCount() const override { return static_cast<int>(Children.size()); }
    TXc12XmlNode* GetChild(int index) const override { return Children.at(static_cast<size_t>(index)).get(); }
    std::u16string GetAttribute(std::u16string_view name) const override {
        for (const auto& [key, value] : Attributes)
            if (key == name) return value;
        return {};
    }
    void SetAttribute(std::u16string_view name, std::u16string_view value) override {
        for (auto& [key, old] : Attributes) {
            if (key == name) {
                old = value;
                return;
            }
        }
        Attributes.emplace_back(std::u16string(name), std::u16string(value));
    }
    std::unique_ptr<TXc12XmlNode> ExtractChild(int index) override {
        std::unique_ptr<TXc12XmlNode> child = std::move(Children.at(static_cast<size_t>(index)));
        Children.erase(Children.begin() + index);
        return child;
    }
    TFakeNode& Add(std::u16string name, std::u16string text = {}) {
        Children.push_back(std::make_unique<TFakeNode>(std::move(name)));
        auto& child = static_cast<TFakeNode&>(*Children.back());
        child.Text = std::move(text);
        return child;
    }

    std::u16string Name;
    std::u16string Text;
    std::vector<std::pair<std::u16string, std::u16string>> Attributes;
    std::vector<std::unique_ptr<TXc12XmlNode>> Children;
};

class TFakeDocument : public TXc12XmlDocument {
public:
    void Clear() override {
        Root_.Children.clear();
        Root_.Attributes.clear();
        Root_.Text.clear();
    }
    bool IsEmpty() const override { return Root_.Children.empty(); }
    void LoadFromString(std::u16string_view text) override;
    void LoadFromStream(base::TStream& stream) override;
    void SaveToStream(base::TStream& stream) override;
    TXc12XmlNode& Root() override { return Root_; }
    TFakeNode& FakeRoot() { return Root_; }

private:
    TFakeNode Root_{u"__ROOT__"};
};

class TFakeItem : public TXc12PackageItem {
public:
    std::u16string GetRId() const override { return RId; }
    std::u16string RId;
    TXc12PackageItem* Parent = nullptr;
    std::u16string RelationshipType;
    std::u16string ContentType;
    std::u16string Target;
    std::string Data;
    bool Open = true;
};

class TFakePackage : public TXc12Package {
public:
    void Clear() override { Items.clear(); }
    void OpenRead(base::TStream&, bool) override {}
    void OpenWrite(base::TStream&, bool) override {}
    void Close() override { Closed = true; }
    std::unique_ptr<base::TStream> GetContentTypesStream() override { return nullptr; }
    std::unique_ptr<base::TStream> ReadDocPropsCore() override { return nullptr; }
    void WriteDocPropsCore(base::TStream& stream) override { CoreText = ReadAll(stream); }
    void WriteTheme(base::TStream& stream, int index) override { Themes.emplace_back(index, ReadAll(stream)); }
    std::vector<TXc12UnreadPart> LoadUnreadItems() override { return std::move(Unread); }
    TXc12PackageItem* WorkbookItem() override { return &Workbook; }
    TXc12PackageItem* CreateItem(TXc12PackageItem* parent, std::u16string_view relationshipType,
                                 std::u16string_view contentType, std::u16string_view target) override {
        auto item = std::make_unique<TFakeItem>();
        item->RId = u"rId" + base::Utf8ToUtf16(std::to_string(Items.size() + 1));
        item->Parent = parent;
        item->RelationshipType = relationshipType;
        item->ContentType = contentType;
        item->Target = target;
        Items.push_back(std::move(item));
        return Items.back().get();
    }
    TXc12PackageItem* CreateImageItem(int index, std::u16string_view extension) override {
        return CreateItem(
            nullptr, u"image", u"",
            u"../media/image" + base::Utf8ToUtf16(std::to_string(index)) + u"." + std::u16string(extension));
    }
    void WriteItem(TXc12PackageItem* item, base::TStream& stream) override {
        static_cast<TFakeItem*>(item)->Data = ReadAll(stream);
    }
    void CloseItem(TXc12PackageItem* item) override { static_cast<TFakeItem*>(item)->Open = false; }

    static std::string ReadAll(base::TStream& stream) {
        std::string bytes(static_cast<size_t>(stream.Size() - stream.Position()), '\0');
        if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        return bytes;
    }

    std::vector<TXc12UnreadPart> Unread;
    std::vector<std::unique_ptr<TFakeItem>> Items;
    TFakeItem Workbook;
    std::vector<std::pair<int, std::string>> Themes;
    std::string CoreText;
    bool Closed = false;
};

class TFakePackageDocument : public TXc12PackageDocument {
public:
    void Clear() override { RootAttributes.clear(); }
    void LoadFromStream(base::TStream&) override {}
    void AddRootAttribute(std::u16string_view name, std::u16string_view value) override {
        RootAttributes.emplace_back(std::u16string(name), std::u16string(value));
    }
    std::vector<std::pair<std::u16string, std::u16string>> RootAttributes;
};

class TFakeServices : public TXc12OoxmlServices {
public:
    std::unique_ptr<TXc12XmlDocument> CreateDocument() override { return std::make_unique<TFakeDocument>(); }
    std::unique_ptr<TXc12Package> CreatePackage() override {
        auto package = std::make_unique<TFakePackage>();
        LastPackage = package.get();
        return package;
    }
    std::unique_ptr<TXc12PackageDocument> CreateContentTypes() override {
        return std::make_unique<TFakePackageDocument>();
    }
    std::unique_ptr<TXc12PackageDocument> CreateAppProperties() override {
        auto document = std::make_unique<TFakePackageDocument>();
        LastAppProperties = document.get();
        return document;
    }
    TFakePackage* LastPackage = nullptr;
    TFakePackageDocument* LastAppProperties = nullptr;
};

}  // namespace xls::test
