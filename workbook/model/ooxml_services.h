#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/memory_stream.h"
#include "base/stream.h"

namespace xls {

// What the document model needs of the Open XML side (simple XML trees, the package, the
// content-types and extended-properties documents). The model only declares these; the Open
// XML library implements them and hands the model a TXc12OoxmlServices when it creates the
// document root. Without services the model keeps no trees and no package.

// One element of a simple XML tree: name, text, attributes and owned children.
class TXc12XmlNode {
public:
    virtual ~TXc12XmlNode() = default;
    virtual std::u16string_view GetName() const = 0;
    virtual std::u16string_view GetText() const = 0;
    virtual void SetText(std::u16string_view text) = 0;
    virtual int ChildCount() const = 0;
    virtual TXc12XmlNode* GetChild(int index) const = 0;
    // Empty when the attribute is missing.
    virtual std::u16string GetAttribute(std::u16string_view name) const = 0;
    virtual void SetAttribute(std::u16string_view name, std::u16string_view value) = 0;
    // Takes the child out of the list without freeing it.
    virtual std::unique_ptr<TXc12XmlNode> ExtractChild(int index) = 0;

    // The first direct child named exactly so, or nullptr.
    TXc12XmlNode* FindChild(std::u16string_view name) const;
    // Follows a path of element names separated by "/" from this node through direct children,
    // each segment compared exactly; nullptr when a segment is missing.
    TXc12XmlNode* FindPath(std::u16string_view path) const;
};

// A simple XML tree (root node "__ROOT__").
class TXc12XmlDocument {
public:
    virtual ~TXc12XmlDocument() = default;
    virtual void Clear() = 0;
    virtual bool IsEmpty() const = 0;
    virtual void LoadFromString(std::u16string_view text) = 0;
    virtual void LoadFromStream(base::TStream& stream) = 0;
    virtual void SaveToStream(base::TStream& stream) = 0;
    virtual TXc12XmlNode& Root() = 0;
};

// A document the package holds apart from simple trees: the content types and the extended
// properties.
class TXc12PackageDocument {
public:
    virtual ~TXc12PackageDocument() = default;
    virtual void Clear() = 0;
    virtual void LoadFromStream(base::TStream& stream) = 0;
    // A root attribute (the namespace declarations of the extended properties).
    virtual void AddRootAttribute(std::u16string_view name, std::u16string_view value) = 0;
};

// A part of the package as the model meets it: an opaque handle of the package.
class TXc12PackageItem {
public:
    virtual ~TXc12PackageItem() = default;
    // The relationship id under which the parent refers to the item.
    virtual std::u16string GetRId() const = 0;
};

// A part that the reader never read, handed over with its data.
struct TXc12UnreadPart {
    std::u16string FileName;
    std::u16string Target;
    std::u16string RelationshipType;
    std::u16string ContentType;
    bool External = false;
    // The relationship type and id under which the part's parent is related.
    std::u16string ParentRelationshipType;
    std::string ParentRelId;
    std::unique_ptr<base::TMemoryStream> Data;
};

// The spreadsheet package (ZIP with its part tree).
class TXc12Package {
public:
    virtual ~TXc12Package() = default;
    virtual void Clear() = 0;
    virtual void OpenRead(base::TStream& stream, bool useAlternateZip) = 0;
    virtual void OpenWrite(base::TStream& stream, bool useAlternateZip) = 0;
    // When writing, writes the content types and the relationship parts.
    virtual void Close() = 0;
    // "[Content_Types].xml" and the core-properties part, nullptr when the package has none.
    virtual std::unique_ptr<base::TStream> GetContentTypesStream() = 0;
    virtual std::unique_ptr<base::TStream> ReadDocPropsCore() = 0;
    virtual void WriteDocPropsCore(base::TStream& stream) = 0;
    virtual void WriteTheme(base::TStream& stream, int index) = 0;
    // Every part never read that has a file name.
    virtual std::vector<TXc12UnreadPart> LoadUnreadItems() = 0;
    // The root item (nullptr) or the workbook part as parent.
    virtual TXc12PackageItem* WorkbookItem() = 0;
    virtual TXc12PackageItem* CreateItem(TXc12PackageItem* parent, std::u16string_view relationshipType,
                                         std::u16string_view contentType, std::u16string_view target) = 0;
    // "../media/image%d.%s" under the current drawing part, open for writing.
    virtual TXc12PackageItem* CreateImageItem(int index, std::u16string_view extension) = 0;
    virtual void WriteItem(TXc12PackageItem* item, base::TStream& stream) = 0;
    virtual void CloseItem(TXc12PackageItem* item) = 0;
};

// Makes the Open XML objects the model owns.
class TXc12OoxmlServices {
public:
    virtual ~TXc12OoxmlServices() = default;
    virtual std::unique_ptr<TXc12XmlDocument> CreateDocument() = 0;
    virtual std::unique_ptr<TXc12Package> CreatePackage() = 0;
    virtual std::unique_ptr<TXc12PackageDocument> CreateContentTypes() = 0;
    virtual std::unique_ptr<TXc12PackageDocument> CreateAppProperties() = 0;
};

// The OPC relationship types the model tells apart.
inline constexpr std::u16string_view OpcRelTypeWorksheet =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet";
inline constexpr std::u16string_view OpcRelTypeTable =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/table";
inline constexpr std::u16string_view OpcRelTypeOfficeDocument =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
inline constexpr std::u16string_view OpcRelTypeTheme =
    u"http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme";

}  // namespace xls
