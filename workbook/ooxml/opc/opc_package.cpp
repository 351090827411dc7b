#include "workbook/ooxml/opc/opc_package.h"

#include <cctype>
#include <optional>

#include "base/format.h"
#include "base/text_encoding.h"
#include "workbook/sml/content_type.h"
#include "workbook/sml/opc.h"

namespace xls {

namespace {

constexpr const char* ContentTypesName = "[Content_Types].xml";
constexpr const char16_t* ContentTypesNamespace = u"http://schemas.openxmlformats.org/package/2006/content-types";

std::string Upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsUriPathChar(unsigned char c) {
    if (std::isalnum(c)) return true;
    return std::string_view("-._~/!$&'()*+,;=:@").find(static_cast<char>(c)) != std::string_view::npos;
}

std::u16string FileExtension(std::u16string_view name) {
    const auto dot = name.rfind(u'.');
    const auto slash = name.rfind(u'/');
    if (dot == std::u16string_view::npos || (slash != std::u16string_view::npos && dot < slash)) return {};
    return std::u16string(name.substr(dot + 1));
}

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
    return Upper(base::Utf16ToUtf8(a)) == Upper(base::Utf16ToUtf8(b));
}

}  // namespace

std::string OpcDecodeTarget(std::string_view target) {
    std::string result;
    result.reserve(target.size());
    for (size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '%' && i + 2 < target.size() && HexValue(target[i + 1]) >= 0 && HexValue(target[i + 2]) >= 0) {
            result += static_cast<char>(HexValue(target[i + 1]) * 16 + HexValue(target[i + 2]));
            i += 2;
        } else {
            result += target[i];
        }
    }
    return result;
}

std::string OpcEncodeTarget(std::string_view partName) {
    constexpr char Digits[] = "0123456789ABCDEF";
    std::string result;
    for (const char c : partName) {
        const auto u = static_cast<unsigned char>(c);
        if (IsUriPathChar(u)) {
            result += c;
        } else {
            result += '%';
            result += Digits[u >> 4];
            result += Digits[u & 15];
        }
    }
    return result;
}

std::string OpcResolvePath(std::string_view path) {
    std::vector<std::string_view> segments;
    size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const auto segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string result;
    for (const auto segment : segments) {
        if (!result.empty()) result += '/';
        result += segment;
    }
    return result;
}

TOPCItem::TOPCItem(TOPCContainer* container, TOPCItem* parent, int index)
    : Container(container), Parent(parent), Index(index) {}

std::string TOPCItem::GetPartFolder() const {
    const auto slash = PartName_.rfind('/');
    return slash == std::string::npos ? std::string() : PartName_.substr(0, slash);
}

std::u16string TOPCItem::GetTarget() const {
    if (IsExternal()) return FileName;
    const std::u16string target = Folder.empty() ? FileName : Folder + u"/" + FileName;
    return base::Utf8ToUtf16(OpcEncodeTarget(base::Utf16ToUtf8(target)));
}

void TOPCItem::SetTarget(std::u16string_view target) {
    if (IsExternal()) {
        FileName = target;
        PartName_.clear();
        return;
    }
    const std::u16string decoded = base::Utf8ToUtf16(OpcDecodeTarget(base::Utf16ToUtf8(target)));
    const auto slash = decoded.rfind(u'/');
    if (slash == std::u16string::npos) {
        Folder.clear();
        FileName = decoded;
    } else {
        Folder = decoded.substr(0, slash);
        FileName = decoded.substr(slash + 1);
    }
    // The part name is kept absolute, so that no ".." ever reaches an entry name.
    const std::string text = base::Utf16ToUtf8(decoded);
    if (!text.empty() && text[0] == '/') {
        PartName_ = OpcResolvePath(text);
    } else {
        const std::string base = Parent == nullptr ? std::string() : Parent->GetPartFolder();
        PartName_ = OpcResolvePath(base.empty() ? text : base + "/" + text);
    }
    if (Parent != nullptr) {
        Parent->PathsStale_ = Parent->PathsStale_ || Indexed_;
        Parent->Paths_.emplace(InternalPath(), static_cast<size_t>(Index));
        Indexed_ = true;
    }
}

std::u16string TOPCItem::InternalPath() const { return Folder.empty() ? FileName : Folder + u"/" + FileName; }

TOPCItem* TOPCItem::FindInternalByPath(std::u16string_view path) const {
    // The index keeps the first item given a path; once a child's target has changed, the
    // index may be stale and the children are walked.
    if (!PathsStale_) {
        const auto found = Paths_.find(std::u16string(path));
        if (found == Paths_.end()) return nullptr;
        TOPCItem* item = Children_[found->second].second.get();
        return item->IsExternal() ? nullptr : item;
    }
    for (const auto& [id, child] : Children_)
        if (!child->IsExternal() && child->InternalPath() == path) return child.get();
    return nullptr;
}

std::string TOPCItem::GetRelsName() const {
    if (Parent == nullptr) return "_rels/.rels";
    const std::string folder = GetPartFolder();
    const std::string file = PartName_.substr(folder.empty() ? 0 : folder.size() + 1);
    return (folder.empty() ? std::string() : folder + "/") + "_rels/" + file + ".rels";
}

std::u16string TOPCItem::GetRId() const {
    if (Parent == nullptr || Index < 0 || Index >= Parent->Count()) return {};
    return base::Utf8ToUtf16(Parent->Children_[static_cast<size_t>(Index)].first);
}

std::string TOPCItem::NextRId() const { return "rId" + std::to_string(Children_.size() + 1); }

bool TOPCItem::FindByType(std::u16string_view type, std::vector<TOPCItem*>& list, bool clearFirst) const {
    if (clearFirst) list.clear();
    for (const auto& [id, child] : Children_) {
        if (child->RelType == type) list.push_back(child.get());
    }
    return !list.empty();
}

TOPCItem* TOPCItem::FindSingleByType(std::u16string_view type) const {
    TOPCItem* found = nullptr;
    for (const auto& [id, child] : Children_) {
        if (child->RelType != type) continue;
        if (found != nullptr) {
            throw EOPCError(base::Format("OPC: only one item of type %s excpected", {base::Utf16ToUtf8(type)}));
        }
        found = child.get();
    }
    return found;
}

TOPCItem* TOPCItem::FindByRId(std::string_view rId) const {
    const auto found = Ids_.find(Upper(rId));
    return found == Ids_.end() ? nullptr : Children_[found->second].second.get();
}

TOPCItem* TOPCItem::FindByTarget(std::u16string_view target) const {
    for (const auto& [id, child] : Children_) {
        if (child->GetTarget() == target) return child.get();
    }
    return nullptr;
}

std::u16string TOPCItem::GetTargetOf(std::string_view rId) const {
    const TOPCItem* item = FindByRId(rId);
    return item == nullptr ? std::u16string() : item->GetTarget();
}

TOPCItem& TOPCItem::AddChild(std::string rId) {
    const auto index = Children_.size();
    Children_.emplace_back(rId, std::make_unique<TOPCItem>(Container, this, static_cast<int>(index)));
    // A repeated id keeps finding the first item, as a hashed list does.
    Ids_.emplace(Upper(rId), index);
    return *Children_.back().second;
}

TOPCContainer::TOPCContainer() { Clear(); }

TOPCContainer::~TOPCContainer() = default;

TXLSZipArchiveIntf& TOPCContainer::Zip() {
    if (!Zip_) throw EOPCError("OPC is not open");
    return *Zip_;
}

void TOPCContainer::Clear() {
    Root_ = std::make_unique<TOPCItem>(this, nullptr, -1);
    Root_->RelType = u"__ROOT__";
    ResetContentTypes();
}

void TOPCContainer::OpenRead(base::TStream& stream, bool useAlternateZip) {
    if (State_ != OpcClosed) throw EOPCError("OPC is allready open");
    if (useAlternateZip) throw EOPCError("No alternate Zip defined.");
    Zip_ = std::make_unique<TXLSZipArchiveIntfXLS>();
    Clear();
    State_ = OpcReading;
    // A failed open leaves the package closed, so that the next one can start afresh.
    try {
        Zip_->OpenRead(stream);
        // Part names compare without letter case: two entries of one name would leave open
        // which of them is the part.
        if (const std::optional<std::string> name = Zip_->DuplicateName())
            throw EOPCError(base::Format("OPC package holds more than one part named \"%s\"", {*name}));
        LoadContentTypes();
        Loaded_.clear();
        LoadRelationships(*Root_, 0);
        AfterLoad();
    } catch (...) {
        CloseArchive();
        throw;
    }
}

void TOPCContainer::OpenWrite(base::TStream& stream, bool useAlternateZip) {
    if (State_ != OpcClosed) throw EOPCError("OPC is allready open");
    if (useAlternateZip) throw EOPCError("No alternate Zip defined.");
    Zip_ = std::make_unique<TXLSZipArchiveIntfXLS>();
    State_ = OpcWriting;
    try {
        Zip_->OpenWrite(stream);
    } catch (...) {
        CloseArchive();
        throw;
    }
}

void TOPCContainer::Close() {
    if (State_ == OpcWriting) {
        try {
            WriteContentTypes();
            SaveRelationships(*Root_);
            Zip_->Close();
        } catch (...) {
            CloseArchive();
            throw;
        }
    }
    CloseArchive();
}

void TOPCContainer::CloseArchive() {
    State_ = OpcClosed;
    Zip_.reset();
}

void TOPCContainer::LoadContentTypes() {
    auto stream = Zip().OpenFile(ContentTypesName);
    xpg::content_type::TXPGDocContentType doc;
    doc.LoadFromStream(*stream);
    const auto& types = doc.Types();
    for (int i = 0; i < types.Default.Count(); ++i) {
        AddDefault(types.Default.GetItems(i).Extension, types.Default.GetItems(i).ContentType);
    }
    for (int i = 0; i < types.Override.Count(); ++i) {
        // Part names are URIs; the list keeps them decoded, as the items' names are.
        const std::string name = OpcDecodeTarget(base::Utf16ToUtf8(types.Override.GetItems(i).PartName));
        AddOverride(base::Utf8ToUtf16(name), types.Override.GetItems(i).ContentType);
    }
}

void TOPCContainer::LoadRelationships(TOPCItem& item, int depth) {
    const std::string relsName = item.GetRelsName();
    if (Zip().Find(relsName) < 0) return;
    // Each part's relationships are loaded once: a part reached again (a cycle, or two paths to
    // one part) is listed without its children.
    if (!Loaded_.insert(relsName).second) return;
    if (depth >= MaxRelationshipDepth) throw EOPCError("OPC relationships nest too deep");
    auto stream = Zip().OpenFile(relsName);
    xpg::opc::TXPGDocOPC doc;
    doc.LoadFromStream(*stream);
    const auto& list = doc.Relationships().Relationship;
    for (int i = 0; i < list.Count(); ++i) {
        const auto& rel = list.GetItems(i);
        TOPCItem& child = item.AddChild(base::Utf16ToUtf8(rel.Id));
        if (rel.TargetMode != 255) child.TargetMode = rel.TargetMode;
        child.RelType = rel.Type;
        child.SetTarget(rel.Target);
        child.RelContent = rel.Text;
        if (!child.IsExternal()) LoadRelationships(child, depth + 1);
    }
}

void TOPCContainer::SaveRelationships(TOPCItem& item) {
    if (item.Count() == 0) return;
    xpg::opc::TXPGDocOPC doc;
    if (!RelsNamespace.empty()) doc.Root().RootAttributes.Add("xmlns", RelsNamespace);
    for (int i = 0; i < item.Count(); ++i) {
        const TOPCItem& child = item.GetItems(i);
        auto& rel = doc.Relationships().Relationship.Add();
        rel.Id = child.GetRId();
        rel.Type = child.RelType;
        if (child.IsExternal()) rel.TargetMode = xpg::opc::sttmExternal;
        rel.Target = child.GetTarget();
    }
    base::TMemoryStream stream;
    doc.SaveToStream(stream);
    Zip().AddFile(item.GetRelsName(), stream);
    for (int i = 0; i < item.Count(); ++i) SaveRelationships(item.GetItems(i));
}

void TOPCContainer::AddDefault(std::u16string_view extension, std::u16string_view contentType) {
    if (!ContentTypeKeys_.try_emplace({false, std::u16string(extension)}, ContentTypes_.size()).second) return;
    ContentTypes_.push_back({false, std::u16string(extension), std::u16string(contentType)});
}

void TOPCContainer::AddOverride(std::u16string_view partName, std::u16string_view contentType) {
    std::u16string name(partName);
    if (name.empty() || name[0] != u'/') name.insert(0, u"/");
    if (!ContentTypeKeys_.try_emplace({true, name}, ContentTypes_.size()).second) return;
    ContentTypes_.push_back({true, std::move(name), std::u16string(contentType)});
}

void TOPCContainer::ResetContentTypes() {
    ContentTypes_.clear();
    ContentTypeKeys_.clear();
    AddDefault(u"rels", u"application/vnd.openxmlformats-package.relationships+xml");
    AddDefault(u"xml", u"application/xml");
    AddDefault(u"vml", u"application/vnd.openxmlformats-officedocument.vmlDrawing");
    AddDefault(u"bin", u"application/vnd.openxmlformats-officedocument.spreadsheetml.printerSettings");
    AddDefault(u"jpeg", u"image/jpeg");
    AddDefault(u"png", u"image/png");
    AddDefault(u"wmf", u"image/x-wmf");
    AddDefault(u"emf", u"image/x-emf");
    AddDefault(u"bmp", u"image/bmp");
}

std::u16string TOPCContainer::ContentTypeOf(std::u16string_view partName) const {
    for (const auto& entry : ContentTypes_) {
        if (entry.IsOverride && EqualsIgnoreCase(entry.Key, partName)) return entry.ContentType;
    }
    const std::u16string extension = FileExtension(partName);
    for (const auto& entry : ContentTypes_) {
        if (!entry.IsOverride && EqualsIgnoreCase(entry.Key, extension)) return entry.ContentType;
    }
    return {};
}

void TOPCContainer::WriteContentTypes() {
    xpg::content_type::TXPGDocContentType doc;
    doc.Root().RootAttributes.Add("xmlns", ContentTypesNamespace);
    for (const auto& entry : ContentTypes_) {
        if (entry.IsOverride) {
            auto& item = doc.Types().Override.Add();
            item.PartName = base::Utf8ToUtf16(OpcEncodeTarget(base::Utf16ToUtf8(entry.Key)));
            item.ContentType = entry.ContentType;
        } else {
            auto& item = doc.Types().Default.Add();
            item.Extension = entry.Key;
            item.ContentType = entry.ContentType;
        }
    }
    base::TMemoryStream stream;
    doc.SaveToStream(stream);
    Zip().AddFile(ContentTypesName, stream);
}

TOPCItem* TOPCContainer::CreateItem(TOPCItem* parent, std::u16string_view relType, std::u16string_view contentType,
                                    std::u16string_view target) {
    if (parent == nullptr) parent = Root_.get();
    TOPCItem* item = parent->FindInternalByPath(target);
    if (item == nullptr) {
        item = &parent->AddChild(parent->NextRId());
        item->RelType = relType;
        item->SetTarget(base::Utf8ToUtf16(OpcEncodeTarget(base::Utf16ToUtf8(target))));
    }
    item->State = OpcWriting;
    if (!contentType.empty()) AddOverride(u"/" + base::Utf8ToUtf16(item->GetPartName()), contentType);
    return item;
}

TOPCItem* TOPCContainer::CreateExternalItem(TOPCItem* parent, std::u16string_view relType, std::u16string_view target) {
    if (parent == nullptr) parent = Root_.get();
    TOPCItem& item = parent->AddChild(parent->NextRId());
    item.TargetMode = OpcTargetExternal;
    item.RelType = relType;
    item.SetTarget(target);
    item.State = OpcWriting;
    return &item;
}

void TOPCContainer::WriteItem(TOPCItem* item, base::TStream& stream) {
    if (item == nullptr || item->State != OpcWriting) throw EOPCError("OPC Item is not opened for writing.");
    Zip().AddFile(item->GetPartName(), stream);
}

std::unique_ptr<base::TStream> TOPCContainer::CreateItemStream(TOPCItem* item) {
    if (item == nullptr || item->State != OpcWriting) throw EOPCError("OPC Item is not opened for writing.");
    return Zip().CreateFile(item->GetPartName());
}

void TOPCContainer::CloseItemStream(std::unique_ptr<base::TStream> stream) { Zip().CloseFile(std::move(stream)); }

TOPCItem* TOPCContainer::OpenItem(TOPCItem* parent, std::u16string_view relType, std::string_view rId) {
    if (parent == nullptr) return nullptr;
    TOPCItem* item = parent->FindByRId(rId);
    if (item == nullptr) return nullptr;
    if (item->RelType != relType) {
        throw EOPCError(base::Format("OPC Item is not of excpected type \"%s\"", {base::Utf16ToUtf8(relType)}));
    }
    item->State = OpcReading;
    return item;
}

TOPCItem* TOPCContainer::OpenItemByType(TOPCItem* parent, std::u16string_view relType) {
    if (parent == nullptr) return nullptr;
    TOPCItem* item = parent->FindSingleByType(relType);
    if (item != nullptr) item->State = OpcReading;
    return item;
}

std::unique_ptr<base::TStream> TOPCContainer::ReadItem(TOPCItem* item) {
    auto stream = Zip().OpenFile(item->GetPartName());
    if (TrackRead) item->WasRead = true;
    return stream;
}

void TOPCContainer::CloseItem(TOPCItem* item) {
    if (item == nullptr || (item->State != OpcReading && item->State != OpcWriting)) {
        throw EOPCError("Close on not open OPC Item.");
    }
    item->State = OpcClosed;
}

std::unique_ptr<base::TStream> TOPCContainer::GetContentTypesStream() {
    if (Zip().Find(ContentTypesName) < 0) return nullptr;
    return Zip().OpenFile(ContentTypesName);
}

void TOPCContainer::LoadUnreadItems(std::vector<TOPCItem*>& list) { CollectUnread(*Root_, list); }

void TOPCContainer::CollectUnread(TOPCItem& item, std::vector<TOPCItem*>& list) {
    if (item.Parent != nullptr && !item.FileName.empty() && !item.WasRead) {
        bool keep = true;
        if (!item.IsExternal() && Zip().Find(item.GetPartName()) >= 0) {
            // A part that cannot be copied is dropped rather than written back empty.
            try {
                auto source = Zip().OpenFile(item.GetPartName());
                auto copy = std::make_unique<base::TMemoryStream>();
                copy->CopyFrom(*source, 0);
                copy->SetPosition(0);
                item.Stream = std::move(copy);
                const auto found = ContentTypeKeys_.find({true, u"/" + base::Utf8ToUtf16(item.GetPartName())});
                if (found != ContentTypeKeys_.end()) item.ContentType = ContentTypes_[found->second].ContentType;
            } catch (const base::Exception& e) {
                keep = false;
                item.Stream.reset();
                if (OnWarning) OnWarning("Part " + item.GetPartName() + " dropped: " + e.Message());
            }
        }
        if (keep) list.push_back(&item);
    }
    for (int i = 0; i < item.Count(); ++i) CollectUnread(item.GetItems(i), list);
}

}  // namespace xls
