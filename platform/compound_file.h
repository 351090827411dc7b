#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/memory_stream.h"
#include "base/stream.h"

namespace platform {

class TCompoundFileReader;

using TCompoundClsid = std::array<uint8_t, 16>;

// What enumeration reports about one element of a storage.
struct TCompoundElementInfo {
    std::u16string Name;
    bool IsStorage = false;
    int64_t Size = 0;  // stream bytes; 0 for a storage
};

// A storage of a compound file: an ordered set of named streams and sub-storages. Streams of a
// file that was opened are read from it only when asked for, so copying a storage is cheap.
class TCompoundStorage {
public:
    explicit TCompoundStorage(std::u16string name);
    ~TCompoundStorage();
    TCompoundStorage(const TCompoundStorage&) = delete;
    TCompoundStorage& operator=(const TCompoundStorage&) = delete;

    const std::u16string& Name() const { return Name_; }
    const TCompoundClsid& Clsid() const { return Clsid_; }
    void SetClsid(const TCompoundClsid& clsid) { Clsid_ = clsid; }
    uint32_t StateBits() const { return StateBits_; }
    void SetStateBits(uint32_t stateBits) { StateBits_ = stateBits; }

    // Elements in the order they were added (or found in the file).
    std::vector<TCompoundElementInfo> Elements() const;
    bool HasStream(const std::u16string& name) const;
    bool HasStorage(const std::u16string& name) const;

    // A read-only stream over the element's bytes; it stays valid while the element exists
    // unchanged. Raises ECompoundFileError when there is no such stream.
    std::unique_ptr<base::TStream> OpenStream(const std::u16string& name) const;
    std::vector<uint8_t> ReadStream(const std::u16string& name) const;
    // Creates an empty stream (replacing an element of the same name) and returns it for writing.
    base::TStream& CreateStream(const std::u16string& name);

    // The sub-storage of that name; raises ECompoundFileError when there is none.
    TCompoundStorage& OpenStorage(const std::u16string& name);
    const TCompoundStorage& OpenStorage(const std::u16string& name) const;
    // Creates an empty sub-storage (replacing an element of the same name).
    TCompoundStorage& CreateStorage(const std::u16string& name);

    // Removes the element; false when there is none.
    bool DestroyElement(const std::u16string& name);
    // Copies every element, with everything below it, into target; elements of the same name
    // in target are replaced.
    void CopyTo(TCompoundStorage& target) const;

    // The writer's and reader's view of the elements.
    struct Element;
    const std::vector<std::unique_ptr<Element>>& Children() const { return Children_; }
    Element& AddElement(std::unique_ptr<Element> element);

private:
    Element* Find(const std::u16string& name) const;

    std::u16string Name_;
    TCompoundClsid Clsid_{};
    uint32_t StateBits_ = 0;
    std::vector<std::unique_ptr<Element>> Children_;
    // Position in Children_ by folded name, so that adding and finding do not compare a name
    // with every sibling.
    std::unordered_map<std::u16string, size_t> Index_;
};

// Bytes of one stream: written here, or still in the file it was read from.
struct TCompoundStreamData {
    std::unique_ptr<base::TMemoryStream> Owned;
    std::shared_ptr<TCompoundFileReader> Source;
    uint32_t SourceEntry = 0;

    int64_t Size() const;
    std::unique_ptr<base::TStream> Open() const;
};

struct TCompoundStorage::Element {
    std::u16string Name;
    std::unique_ptr<TCompoundStorage> Storage;  // set for a storage
    TCompoundStreamData Stream;                 // used for a stream
};

// A compound file (structured storage) held in memory, opened from a file or from bytes and
// written as version 3 with 512-byte sectors. Names are UTF-16, at most 31 code units, and are
// matched without regard to case as the format orders them.
class TCompoundFile {
public:
    TCompoundFile();
    ~TCompoundFile();
    TCompoundFile(const TCompoundFile&) = delete;
    TCompoundFile& operator=(const TCompoundFile&) = delete;

    // True when the file (or the stream, from its start) begins with the compound file signature.
    static bool IsCompoundFile(const std::string& fileName);
    static bool IsCompoundFile(base::TStream& stream);

    // Opening validates the header, sector tables and directory; stream chains are validated when
    // a stream is read. Errors are ECompoundFileError (or the file stream's open error).
    static std::unique_ptr<TCompoundFile> OpenFile(const std::string& fileName);
    // Maps the whole file into memory once, for readers that go through its streams in small
    // steps; OpenFile reads each step from the file. The file must not shrink while it is open.
    static std::unique_ptr<TCompoundFile> LoadFile(const std::string& fileName);
    static std::unique_ptr<TCompoundFile> OpenMemory(std::vector<uint8_t> bytes);
    // Copies the whole source (from its start) into memory and rewinds it.
    static std::unique_ptr<TCompoundFile> OpenStream(base::TStream& source);
    // Said by a reader of a stream's ContiguousBytes() that is done with the bytes before
    // position: when they come from a file mapping (LoadFile), their pages may leave the
    // process's memory, so that reading a large file does not hold all of it. The bytes stay
    // readable: touched again, they are read from the file.
    static void ReleaseReadBytes(base::TStream& stream, int64_t position);

    TCompoundStorage& Root() { return *Root_; }
    const TCompoundStorage& Root() const { return *Root_; }

    // Writes a temporary file beside the target and renames it over the target, so that a
    // failed write leaves no half-written file.
    void SaveToFile(const std::string& fileName) const;
    void SaveToStream(base::TStream& target) const;
    std::vector<uint8_t> SaveToBytes() const;

private:
    static std::unique_ptr<TCompoundFile> FromReader(std::shared_ptr<TCompoundFileReader> reader);

    std::unique_ptr<TCompoundStorage> Root_;
};

}  // namespace platform
