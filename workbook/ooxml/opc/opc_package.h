#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/exception.h"
#include "base/memory_stream.h"
#include "base/stream.h"
#include "workbook/ooxml/zip/zip_archive_intf.h"

namespace xls {

class EOPCError : public base::Exception {
public:
    using base::Exception::Exception;
};

constexpr uint8_t OpcClosed = 0;
constexpr uint8_t OpcReading = 1;
constexpr uint8_t OpcWriting = 2;
constexpr uint8_t OpcTargetExternal = 0;
constexpr uint8_t OpcTargetInternal = 1;

// Relationship targets are URIs: "%20" in a target is a space in the part name.
std::string OpcDecodeTarget(std::string_view target);
std::string OpcEncodeTarget(std::string_view partName);
// A path with "." and ".." segments taken out; ".." never climbs above the package root.
std::string OpcResolvePath(std::string_view path);

class TOPCContainer;

// One part, or one external target, of the package's part tree.
class TOPCItem {
public:
    TOPCItem(TOPCContainer* container, TOPCItem* parent, int index);

    // The part's name inside the archive (UTF-8, no leading "/"); empty for the root and for
    // external targets.
    const std::string& GetPartName() const { return PartName_; }
    std::string GetPartFolder() const;
    // The target as written in the parent's relationship (encoded as a URI).
    std::u16string GetTarget() const;
    void SetTarget(std::u16string_view target);
    std::string GetRelsName() const;
    std::u16string GetRId() const;
    std::string NextRId() const;
    bool IsExternal() const { return TargetMode == OpcTargetExternal; }

    int Count() const { return static_cast<int>(Children_.size()); }
    TOPCItem& GetItems(int index) const { return *Children_.at(static_cast<size_t>(index)).second; }
    bool FindByType(std::u16string_view type, std::vector<TOPCItem*>& list, bool clearFirst) const;
    TOPCItem* FindSingleByType(std::u16string_view type) const;
    TOPCItem* FindByRId(std::string_view rId) const;
    TOPCItem* FindByTarget(std::u16string_view target) const;
    std::u16string GetTargetOf(std::string_view rId) const;

    // The internal child whose decoded target ("folder/file") is path, the first such; nullptr
    // when none. Keyed, so that creating many parts under one parent stays linear.
    TOPCItem* FindInternalByPath(std::u16string_view path) const;

    TOPCItem& AddChild(std::string rId);
    void Close() { State = OpcClosed; }

    TOPCContainer* Container;
    TOPCItem* Parent;
    int Index;
    uint8_t State = OpcClosed;
    // Folder and file of the target as the relationship gives them, percent-escapes decoded.
    std::u16string Folder;
    std::u16string FileName;
    std::u16string RelType;
    uint8_t TargetMode = OpcTargetInternal;
    std::u16string RelContent;
    bool WasRead = false;
    std::unique_ptr<base::TMemoryStream> Stream;
    std::u16string ContentType;

private:
    std::vector<std::pair<std::string, std::unique_ptr<TOPCItem>>> Children_;
    // Upper-cased relationship id -> position in Children_.
    std::unordered_map<std::string, size_t> Ids_;
    // Decoded internal target -> position in Children_ (the first child given it).
    std::unordered_map<std::u16string, size_t> Paths_;
    bool PathsStale_ = false;  // a child's target changed after it was indexed
    bool Indexed_ = false;     // this item's target is in its parent's index
    std::u16string InternalPath() const;
    std::string PartName_;
};

struct TOPC_ContentType {
    bool IsOverride = false;
    // The extension without dot, or the part name beginning with "/".
    std::u16string Key;
    std::u16string ContentType;
};

// The package: a ZIP archive seen as the part tree of its relationships.
class TOPCContainer {
public:
    // Relationship parts nest at most this deep below the package root.
    static constexpr int MaxRelationshipDepth = 64;

    TOPCContainer();
    virtual ~TOPCContainer();
    TOPCContainer(const TOPCContainer&) = delete;
    TOPCContainer& operator=(const TOPCContainer&) = delete;

    virtual void OpenRead(base::TStream& stream, bool useAlternateZip);
    virtual void OpenWrite(base::TStream& stream, bool useAlternateZip);
    virtual void Close();
    virtual void Clear();

    TOPCItem& Root() { return *Root_; }
    uint8_t GetState() const { return State_; }

    TOPCItem* CreateItem(TOPCItem* parent, std::u16string_view relType, std::u16string_view contentType,
                         std::u16string_view target);
    TOPCItem* CreateExternalItem(TOPCItem* parent, std::u16string_view relType, std::u16string_view target);
    void WriteItem(TOPCItem* item, base::TStream& stream);
    std::unique_ptr<base::TStream> CreateItemStream(TOPCItem* item);
    void CloseItemStream(std::unique_ptr<base::TStream> stream);
    TOPCItem* OpenItem(TOPCItem* parent, std::u16string_view relType, std::string_view rId);
    TOPCItem* OpenItemByType(TOPCItem* parent, std::u16string_view relType);
    std::unique_ptr<base::TStream> ReadItem(TOPCItem* item);
    void CloseItem(TOPCItem* item);
    std::unique_ptr<base::TStream> GetContentTypesStream();
    // Every item never read that has a file name, parent before children. Internal parts get
    // their content and their content type; a part that cannot be copied is left out and
    // reported to OnWarning.
    void LoadUnreadItems(std::vector<TOPCItem*>& list);

    void AddDefault(std::u16string_view extension, std::u16string_view contentType);
    void AddOverride(std::u16string_view partName, std::u16string_view contentType);
    void ResetContentTypes();
    const std::vector<TOPC_ContentType>& ContentTypes() const { return ContentTypes_; }
    // The content type of a part name ("/xl/workbook.xml"): its Override, else the Default of its
    // extension, else empty.
    std::u16string ContentTypeOf(std::u16string_view partName) const;

    bool TrackRead = false;
    std::u16string RelsNamespace;
    std::function<void(const std::string&)> OnWarning;

protected:
    // Runs after the tree has been loaded, before OpenRead returns.
    virtual void AfterLoad() {}
    TXLSZipArchiveIntf& Zip();

private:
    void LoadContentTypes();
    void LoadRelationships(TOPCItem& item, int depth);
    void SaveRelationships(TOPCItem& item);
    void WriteContentTypes();
    void CollectUnread(TOPCItem& item, std::vector<TOPCItem*>& list);
    void CloseArchive();

    uint8_t State_ = OpcClosed;
    std::unique_ptr<TXLSZipArchiveIntf> Zip_;
    std::unique_ptr<TOPCItem> Root_;
    std::vector<TOPC_ContentType> ContentTypes_;
    // (override, key) of every entry, so that adding one costs the same however many exist.
    std::map<std::pair<bool, std::u16string>, size_t> ContentTypeKeys_;
    // Part names whose relationships have been loaded during the current open.
    std::set<std::string> Loaded_;
};

}  // namespace xls
