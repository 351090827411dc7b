#include "platform/compound_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "base/file_stream.h"
#include "platform/compound_file_directory.h"
#include "platform/compound_file_error.h"
#include "platform/compound_file_format.h"
#include "platform/compound_file_reader.h"
#include "platform/compound_file_writer.h"
#include "platform/mapped_file.h"

namespace platform {

namespace {

std::string Utf8Name(const std::u16string& name) {
    std::string out;
    for (char16_t c : name) out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    return out;
}

std::unique_ptr<TCompoundStorage::Element> CopyElement(const TCompoundStorage::Element& from) {
    auto copy = std::make_unique<TCompoundStorage::Element>();
    copy->Name = from.Name;
    if (from.Storage) {
        copy->Storage = std::make_unique<TCompoundStorage>(from.Name);
        copy->Storage->SetClsid(from.Storage->Clsid());
        copy->Storage->SetStateBits(from.Storage->StateBits());
        from.Storage->CopyTo(*copy->Storage);
    } else if (from.Stream.Owned) {
        copy->Stream.Owned = std::make_unique<base::TMemoryStream>();
        copy->Stream.Owned->WriteBuffer(from.Stream.Owned->Memory(), from.Stream.Owned->Size());
    } else {
        copy->Stream.Source = from.Stream.Source;
        copy->Stream.SourceEntry = from.Stream.SourceEntry;
    }
    return copy;
}

}  // namespace

int64_t TCompoundStreamData::Size() const {
    if (Owned) return Owned->Size();
    if (Source) return static_cast<int64_t>(Source->Entries()[SourceEntry].Size);
    return 0;
}

std::unique_ptr<base::TStream> TCompoundStreamData::Open() const {
    if (Source && !Owned) return Source->OpenEntry(SourceEntry);
    if (!Owned) return std::make_unique<base::TMemoryStream>();
    return std::make_unique<base::TMemoryStream>(base::TMemoryStream::View(Owned->Memory(), Owned->Size()));
}

TCompoundStorage::TCompoundStorage(std::u16string name) : Name_(std::move(name)) {}
TCompoundStorage::~TCompoundStorage() = default;

TCompoundStorage::Element* TCompoundStorage::Find(const std::u16string& name) const {
    const auto found = Index_.find(cfb::NameKey(name));
    return found == Index_.end() ? nullptr : Children_[found->second].get();
}

std::vector<TCompoundElementInfo> TCompoundStorage::Elements() const {
    std::vector<TCompoundElementInfo> list;
    for (const auto& child : Children_)
        list.push_back({child->Name, child->Storage != nullptr, child->Storage ? 0 : child->Stream.Size()});
    return list;
}

bool TCompoundStorage::HasStream(const std::u16string& name) const {
    const Element* e = Find(name);
    return e && !e->Storage;
}

bool TCompoundStorage::HasStorage(const std::u16string& name) const {
    const Element* e = Find(name);
    return e && e->Storage;
}

std::unique_ptr<base::TStream> TCompoundStorage::OpenStream(const std::u16string& name) const {
    const Element* e = Find(name);
    if (!e || e->Storage) throw ECompoundFileError("Stream not found: " + Utf8Name(name));
    return e->Stream.Open();
}

std::vector<uint8_t> TCompoundStorage::ReadStream(const std::u16string& name) const {
    auto stream = OpenStream(name);
    std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
    stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

TCompoundStorage::Element& TCompoundStorage::AddElement(std::unique_ptr<Element> element) {
    cfb::CheckName(element->Name);
    const auto [at, added] = Index_.emplace(cfb::NameKey(element->Name), Children_.size());
    if (!added) {
        Children_[at->second] = std::move(element);
        return *Children_[at->second];
    }
    Children_.push_back(std::move(element));
    return *Children_.back();
}

base::TStream& TCompoundStorage::CreateStream(const std::u16string& name) {
    auto element = std::make_unique<Element>();
    element->Name = name;
    element->Stream.Owned = std::make_unique<base::TMemoryStream>();
    return *AddElement(std::move(element)).Stream.Owned;
}

TCompoundStorage& TCompoundStorage::OpenStorage(const std::u16string& name) {
    Element* e = Find(name);
    if (!e || !e->Storage) throw ECompoundFileError("Storage not found: " + Utf8Name(name));
    return *e->Storage;
}

const TCompoundStorage& TCompoundStorage::OpenStorage(const std::u16string& name) const {
    return const_cast<TCompoundStorage*>(this)->OpenStorage(name);
}

TCompoundStorage& TCompoundStorage::CreateStorage(const std::u16string& name) {
    auto element = std::make_unique<Element>();
    element->Name = name;
    element->Storage = std::make_unique<TCompoundStorage>(name);
    return *AddElement(std::move(element)).Storage;
}

bool TCompoundStorage::DestroyElement(const std::u16string& name) {
    const auto found = Index_.find(cfb::NameKey(name));
    if (found == Index_.end()) return false;
    const size_t at = found->second;
    Index_.erase(found);
    Children_.erase(Children_.begin() + static_cast<std::ptrdiff_t>(at));
    for (auto& [key, position] : Index_)
        if (position > at) --position;
    return true;
}

void TCompoundStorage::CopyTo(TCompoundStorage& target) const {
    if (&target == this) return;
    for (const auto& child : Children_) target.AddElement(CopyElement(*child));
}

TCompoundFile::TCompoundFile() : Root_(std::make_unique<TCompoundStorage>(u"Root Entry")) {}
TCompoundFile::~TCompoundFile() = default;

bool TCompoundFile::IsCompoundFile(base::TStream& stream) {
    const int64_t position = stream.Position();
    uint8_t head[8] = {};
    stream.SetPosition(0);
    const bool match = stream.Read(head, 8) == 8 && std::memcmp(head, cfb::Signature, 8) == 0;
    stream.SetPosition(position);
    return match;
}

bool TCompoundFile::IsCompoundFile(const std::string& fileName) {
    try {
        base::TFileStream file(fileName, base::fmOpenRead);
        return IsCompoundFile(file);
    } catch (const base::EStreamError&) {
        return false;
    }
}

std::unique_ptr<TCompoundFile> TCompoundFile::FromReader(std::shared_ptr<TCompoundFileReader> reader) {
    auto file = std::make_unique<TCompoundFile>();
    const auto& entries = reader->Entries();
    file->Root_->SetClsid(entries[0].Clsid);
    file->Root_->SetStateBits(entries[0].StateBits);
    // Storages are filled breadth first; each storage's element order is its tree order.
    std::vector<std::pair<uint32_t, TCompoundStorage*>> pending{{0, file->Root_.get()}};
    while (!pending.empty()) {
        auto [index, storage] = pending.back();
        pending.pop_back();
        for (uint32_t child : reader->ChildrenOf(index)) {
            const auto& entry = entries[child];
            auto element = std::make_unique<TCompoundStorage::Element>();
            element->Name = entry.Name;
            if (entry.Type == cfb::etStorage) {
                element->Storage = std::make_unique<TCompoundStorage>(entry.Name);
                element->Storage->SetClsid(entry.Clsid);
                element->Storage->SetStateBits(entry.StateBits);
                pending.emplace_back(child, element->Storage.get());
            } else {
                element->Stream.Source = reader;
                element->Stream.SourceEntry = child;
            }
            const size_t before = storage->Children().size();
            storage->AddElement(std::move(element));
            if (storage->Children().size() == before) throw ECompoundFileError("Invalid compound file: duplicate name");
        }
    }
    return file;
}

std::unique_ptr<TCompoundFile> TCompoundFile::OpenFile(const std::string& fileName) {
    return FromReader(
        std::make_shared<TCompoundFileReader>(std::make_unique<base::TFileStream>(fileName, base::fmOpenRead)));
}

std::unique_ptr<TCompoundFile> TCompoundFile::LoadFile(const std::string& fileName) {
    return FromReader(std::make_shared<TCompoundFileReader>(std::make_unique<TMappedFileStream>(fileName)));
}

std::unique_ptr<TCompoundFile> TCompoundFile::OpenMemory(std::vector<uint8_t> bytes) {
    auto memory = std::make_unique<base::TMemoryStream>();
    memory->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    bytes = {};
    return FromReader(std::make_shared<TCompoundFileReader>(std::move(memory)));
}

std::unique_ptr<TCompoundFile> TCompoundFile::OpenStream(base::TStream& source) {
    auto memory = std::make_unique<base::TMemoryStream>();
    // One allocation of the whole size: growing while copying moves the bytes again and again.
    memory->LoadFromStream(source);
    source.SetPosition(0);
    return FromReader(std::make_shared<TCompoundFileReader>(std::move(memory)));
}

void TCompoundFile::SaveToStream(base::TStream& target) const { WriteCompoundFile(*Root_, target); }

std::vector<uint8_t> TCompoundFile::SaveToBytes() const {
    base::TMemoryStream memory;
    SaveToStream(memory);
    return {memory.Memory(), memory.Memory() + memory.Size()};
}

void TCompoundFile::SaveToFile(const std::string& fileName) const {
    if (fileName.empty()) throw ECompoundFileError("Filename is missing");
    const std::string temporary = fileName + ".tmp" + std::to_string(::getpid());
    try {
        {
            base::TFileStream file(temporary, base::fmCreate);
            SaveToStream(file);
        }
        if (std::rename(temporary.c_str(), fileName.c_str()) != 0)
            throw ECompoundFileError("Cannot replace " + fileName + ": " + std::strerror(errno));
    } catch (...) {
        std::remove(temporary.c_str());
        throw;
    }
}

}  // namespace platform
