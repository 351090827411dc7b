#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/truetype_tables.h"

namespace platform {

// One installed TrueType face (glyf outlines; CFF faces are left out).
struct TFontFace {
    std::string Family;                 // the first family name fontconfig reports (UTF-8)
    std::vector<std::string> Families;  // every family name, localised ones included
    std::string Style;
    bool Bold = false;    // weight of demibold or more
    bool Italic = false;  // italic or oblique
    int Weight = 400;     // OpenType weight class: 400 regular, 700 bold
    int Width = 100;      // percent of the normal width: 87 for condensed faces
    std::string File;
    int Index = 0;                // face inside a .ttc collection
    uint32_t CodePageRange1 = 0;  // OS/2 ulCodePageRange1 (0 when the face has no OS/2 v1)
    uint32_t CodePageRange2 = 0;

    // Whether the face supports a Windows charset (0 ANSI, 134 GB2312, ...), by the OS/2 bits.
    bool HasCharset(uint8_t charset) const;
};

// The bytes of one face: the whole file, mapped read-only, or bytes held in memory; tables
// are views into them and live as long as the object.
class TFontFile {
public:
    static std::shared_ptr<const TFontFile> Open(const std::string& fileName, int index);
    static std::shared_ptr<const TFontFile> FromBytes(std::string bytes, int index);
    struct TPrivate {};
    explicit TFontFile(TPrivate) {}
    ~TFontFile();
    TFontFile(const TFontFile&) = delete;
    TFontFile& operator=(const TFontFile&) = delete;

    // A table of the face by its four-letter tag ("cvt " with its blank); empty when absent.
    std::optional<std::string_view> Table(std::string_view tag) const;
    bool HasTable(std::string_view tag) const { return Table(tag).has_value(); }
    // The whole file (the collection for a .ttc).
    std::string_view Bytes() const { return {Data_, Size_}; }
    // Whether the face is one member of a collection file.
    bool InCollection() const { return InCollection_; }
    // The tags of the face's tables in directory order.
    std::vector<std::string> TableTags() const;

private:
    void ReadDirectory(int index);

    struct TTableEntry {
        uint32_t Tag;
        uint32_t Offset;
        uint32_t Length;
    };
    const char* Data_ = nullptr;
    size_t Size_ = 0;
    void* Mapping_ = nullptr;
    std::string Owned_;
    bool InCollection_ = false;
    std::vector<TTableEntry> Tables_;
};

// The installed TrueType faces, enumerated once per process through fontconfig.
class Fonts {
public:
    // Every face, sorted by family, file and index so that results do not depend on the
    // order of fontconfig's cache.
    static const std::vector<TFontFace>& Faces();
    // The faces whose family names include the name (letter case ignored), in Faces()
    // order. A name nobody installed may be served by a substitute (the Windows Chinese
    // faces by the CJK faces of the system); answers are cached.
    static std::vector<const TFontFace*> FacesOf(const std::string& family);
    // The face of a family that best fits a request: the normal width first, then boldness,
    // then slant, then the nearest weight (400 regular, 700 bold), so that a regular request
    // never lands on an extra-light or condensed face of the same name. Null when the family
    // has no face.
    static const TFontFace* Match(const std::string& family, bool bold, bool italic);
    // The bytes of a face; maps each file once while the returned object lives.
    static std::shared_ptr<const TFontFile> Open(const TFontFace& face);
};

}  // namespace platform
