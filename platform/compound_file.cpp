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

namespace platform {

namespace {

std::string Utf8Name(const std::u16string& name) {
    std::string out;
    for (char16_t c : name) out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    return out;
}

std::unique_ptr<CompoundStorage::Element> CopyElement(const CompoundStorage::Element& from) {
    auto copy = std::make_unique<CompoundStorage::Element>();
    copy->Name = from.Name;
    if (from.Storage) {
        copy->Storage = std::make_unique<CompoundStorage>(from.Name);
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

int64_t CompoundStreamData::Size() const {
    if (Owned) return Owned->Size();
    if (Source) return static_cast<int64_t>(Source->Entries()[SourceEntry].Size);
    return 0;
}

std::unique_ptr<base::TStream> CompoundStreamData::Open() const {
    if (Source && !Owned) return Source->OpenEntry(SourceEntry);
    if (!Owned) return std::make_unique<base::TMemoryStream>();
    return std::make_unique<base::TMemoryStream>(base::TMemoryStream::View(Owned->Memory(), Owned->Size()));
}

CompoundStorage::CompoundStorage(std::u16string name) : Name_(std::move(name)) {}
CompoundStorage::~CompoundStorage() = default;

CompoundStorage::Element* CompoundStorage::Find(const std::u16string& name) const {
    for (const auto& child : Children_)
        if (cfb::CompareNames(child->Name, name) == 0) return child.get();
    return nullptr;
}

std::vector<CompoundElementInfo> CompoundStorage::Elements() const {
    std::vector<CompoundElementInfo> list;
    for (const auto& child : Children_)
        list.push_back({child->Name, child->Storage != nullptr, child->Storage ? 0 : child->Stream.Size()});
    return list;
}

bool CompoundStorage::HasStream(const std::u16string& name) const {
    const Element* e = Find(name);
    return e && !e->Storage;
}

bool CompoundStorage::HasStorage(const std::u16string& name) const {
    const Element* e = Find(name);
    return e && e->Storage;
}

std::unique_ptr<base::TStream> CompoundStorage::OpenStream(const std::u16string& name) const {
    const Element* e = Find(name);
    if (!e || e->Storage) throw ECompoundFileError("Stream not found: " + Utf8Name(name));
    return e->Stream.Open();
}

std::vector<uint8_t> CompoundStorage::ReadStream(const std::u16string& name) const {
    auto stream = OpenStream(name);
    std::vector<uint8_t> bytes(static_cast<size_t>(stream->Size()));
    stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

CompoundStorage::Element& CompoundStorage::AddElement(std::unique_ptr<Element> element) {
    cfb::CheckName(element->Name);
    for (auto& child : Children_)
        if (cfb::CompareNames(child->Name, element->Name) == 0) {
            child = std::move(element);
            return *child;
        }
    Children_.push_back(std::move(element));
    return *Children_.back();
}

base::TStream& CompoundStorage::CreateStream(const std::u16string& name) {
    auto element = std::make_unique<Element>();
    element->Name = name;
    element->Stream.Owned = std::make_unique<base::TMemoryStream>();
    return *AddElement(std::move(element)).Stream.Owned;
}

CompoundStorage& CompoundStorage::OpenStorage(const std::u16string& name) {
    Element* e = Find(name);
    if (!e || !e->Storage) throw ECompoundFileError("Storage not found: " + Utf8Name(name));
    return *e->Storage;
}

const CompoundStorage& CompoundStorage::OpenStorage(const std::u16string& name) const {
    return const_cast<CompoundStorage*>(this)->OpenStorage(name);
}

CompoundStorage& CompoundStorage::CreateStorage(const std::u16string& name) {
    auto element = std::make_unique<Element>();
    element->Name = name;
    element->Storage = std::make_unique<CompoundStorage>(name);
    return *AddElement(std::move(element)).Storage;
}

bool CompoundStorage::DestroyElement(const std::u16string& name) {
    for (auto it = Children_.begin(); it != Children_.end(); ++it)
        if (cfb::CompareNames((*it)->Name, name) == 0) {
            Children_.erase(it);
            return true;
        }
    return false;
}

void CompoundStorage::CopyTo(CompoundStorage& target) const {
    if (&target == this) return;
    for (const auto& child : Children_) target.AddElement(CopyElement(*child));
}

CompoundFile::CompoundFile() : Root_(std::make_unique<CompoundStorage>(u"Root Entry")) {}
CompoundFile::~CompoundFile() = default;

bool CompoundFile::IsCompoundFile(base::TStream& stream) {
    const int64_t position = stream.Position();
    uint8_t head[8] = {};
    stream.SetPosition(0);
    const bool match = stream.Read(head, 8) == 8 && std::memcmp(head, cfb::Signature, 8) == 0;
    stream.SetPosition(position);
    return match;
}

bool CompoundFile::IsCompoundFile(const std::string& fileName) {
    try {
        base::TFileStream file(fileName, base::fmOpenRead);
        return IsCompoundFile(file);
    } catch (const base::EStreamError&) {
        return false;
    }
}

std::unique_ptr<CompoundFile> CompoundFile::FromReader(std::shared_ptr<CompoundFileReader> reader) {
    auto file = std::make_unique<CompoundFile>();
    const auto& entries = reader->Entries();
    file->Root_->SetClsid(entries[0].Clsid);
    file->Root_->SetStateBits(entries[0].StateBits);
    // Storages are filled breadth first; each storage's element order is its tree order.
    std::vector<std::pair<uint32_t, CompoundStorage*>> pending{{0, file->Root_.get()}};
    while (!pending.empty()) {
        auto [index, storage] = pending.back();
        pending.pop_back();
        for (uint32_t child : reader->ChildrenOf(index)) {
            const auto& entry = entries[child];
            auto element = std::make_unique<CompoundStorage::Element>();
            element->Name = entry.Name;
            if (entry.Type == cfb::etStorage) {
                element->Storage = std::make_unique<CompoundStorage>(entry.Name);
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

std::unique_ptr<CompoundFile> CompoundFile::OpenFile(const std::string& fileName) {
    return FromReader(
        std::make_shared<CompoundFileReader>(std::make_unique<base::TFileStream>(fileName, base::fmOpenRead)));
}

std::unique_ptr<CompoundFile> CompoundFile::OpenMemory(std::vector<uint8_t> bytes) {
    auto memory = std::make_unique<base::TMemoryStream>();
    memory->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    bytes = {};
    return FromReader(std::make_shared<CompoundFileReader>(std::move(memory)));
}

std::unique_ptr<CompoundFile> CompoundFile::OpenStream(base::TStream& source) {
    auto memory = std::make_unique<base::TMemoryStream>();
    memory->CopyFrom(source, 0);
    source.SetPosition(0);
    return FromReader(std::make_shared<CompoundFileReader>(std::move(memory)));
}

void CompoundFile::SaveToStream(base::TStream& target) const { WriteCompoundFile(*Root_, target); }

std::vector<uint8_t> CompoundFile::SaveToBytes() const {
    base::TMemoryStream memory;
    SaveToStream(memory);
    return {memory.Memory(), memory.Memory() + memory.Size()};
}

void CompoundFile::SaveToFile(const std::string& fileName) const {
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
