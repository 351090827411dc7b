#include "platform/fonts.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <tuple>

namespace platform {
namespace {

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return result;
}

// Windows faces that Chinese documents ask for, served by the CJK faces of the system.
bool IsChineseWindowsFace(const std::string& lowered) {
    static const char* const Names[] = {"宋体", "simsun", "新宋体",   "nsimsun",
                                        "黑体", "simhei", "微软雅黑", "microsoft yahei"};
    return std::find(std::begin(Names), std::end(Names), lowered) != std::end(Names);
}

const char* const ChineseSubstitutes[] = {"ar pl uming cn", "wenquanyi zen hei", "wenquanyi micro hei"};

std::string PatternString(FcPattern* pattern, const char* object, int n = 0) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, n, &value) != FcResultMatch || !value) return {};
    return reinterpret_cast<const char*>(value);
}

std::vector<TFontFace> Enumerate() {
    std::vector<TFontFace> faces;
    // A configuration of our own, destroyed at once: the process keeps nothing of fontconfig.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return faces;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects =
        FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_WIDTH, FC_FONTFORMAT, nullptr);
    FcFontSet* set = FcFontList(config, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    if (!set) return faces;
    for (int i = 0; i < set->nfont; ++i) {
        FcPattern* font = set->fonts[i];
        if (PatternString(font, FC_FONTFORMAT) != "TrueType") continue;
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, width = FC_WIDTH_NORMAL;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        // Named instances of variable fonts share their file's outlines; the face itself is listed too.
        if (index >> 16) continue;
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        FcPatternGetInteger(font, FC_WIDTH, 0, &width);
        TFontFace face;
        face.File = PatternString(font, FC_FILE);
        face.Index = index;
        face.Style = PatternString(font, FC_STYLE);
        face.Bold = weight >= FC_WEIGHT_DEMIBOLD;
        face.Italic = slant != FC_SLANT_ROMAN;
        face.Weight = FcWeightToOpenType(weight);
        face.Width = width;
        for (int n = 0;; ++n) {
            std::string family = PatternString(font, FC_FAMILY, n);
            if (family.empty()) break;
            face.Families.push_back(std::move(family));
        }
        if (face.File.empty() || face.Families.empty()) continue;
        face.Family = face.Families.front();
        try {
            const auto file = TFontFile::Open(face.File, face.Index);
            // fontconfig calls OpenType fonts with glyf outlines and some without alike.
            if (!file->HasTable("glyf") || !file->HasTable("loca")) continue;
            if (auto os2 = file->Table("OS/2"); os2 && TTFGet16(*os2, 0) >= 1 && os2->size() >= 86) {
                face.CodePageRange1 = TTFGet32(*os2, 78);
                face.CodePageRange2 = TTFGet32(*os2, 82);
            }
        } catch (const base::Exception&) {
            continue;
        }
        faces.push_back(std::move(face));
    }
    FcFontSetDestroy(set);
    std::sort(faces.begin(), faces.end(), [](const TFontFace& a, const TFontFace& b) {
        return std::tie(a.Family, a.File, a.Index) < std::tie(b.Family, b.File, b.Index);
    });
    return faces;
}

}  // namespace

bool TFontFace::HasCharset(uint8_t charset) const {
    // OS/2 code page bits of each Windows charset.
    static const std::pair<uint8_t, int> Bits[] = {{0, 0},    {238, 1},  {204, 2},  {161, 3},  {162, 4},  {177, 5},
                                                   {178, 6},  {186, 7},  {163, 8},  {222, 16}, {128, 17}, {134, 18},
                                                   {129, 19}, {136, 20}, {130, 21}, {77, 29},  {2, 31}};
    for (const auto& [set, bit] : Bits)
        if (set == charset) return (CodePageRange1 >> bit) & 1;
    return false;
}

std::shared_ptr<const TFontFile> TFontFile::Open(const std::string& fileName, int index) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFontError("Cannot open font file " + fileName);
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size <= 0) {
        ::close(fd);
        ThrowBadFontFormat();
    }
    void* mapping = mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapping == MAP_FAILED) throw EFontError("Cannot open font file " + fileName);
    auto file = std::make_shared<TFontFile>(TPrivate{});
    file->Mapping_ = mapping;
    file->Data_ = static_cast<const char*>(mapping);
    file->Size_ = size_t(info.st_size);
    file->ReadDirectory(index);
    return file;
}

std::shared_ptr<const TFontFile> TFontFile::FromBytes(std::string bytes, int index) {
    auto file = std::make_shared<TFontFile>(TPrivate{});
    file->Owned_ = std::move(bytes);
    file->Data_ = file->Owned_.data();
    file->Size_ = file->Owned_.size();
    file->ReadDirectory(index);
    return file;
}

TFontFile::~TFontFile() {
    if (Mapping_) munmap(Mapping_, Size_);
}

void TFontFile::ReadDirectory(int index) {
    base::TByteReader file = TrueTypeReader(Bytes());
    size_t start = 0;
    if (file.U32BEAt(0) == TTFTag("ttcf")) {
        const uint32_t count = file.U32BEAt(8);
        if (index < 0 || uint32_t(index) >= count) ThrowBadFontFormat();
        start = file.U32BEAt(12 + 4 * size_t(index));
        InCollection_ = true;
    } else if (index != 0) {
        ThrowBadFontFormat();
    }
    file.Seek(start);
    file.Skip(4);
    const uint16_t count = file.U16BE();
    file.Skip(6);
    // Each record is 16 bytes: refuse a count the file cannot hold before reserving for it.
    if (!file.Has(16 * size_t(count))) ThrowBadFontFormat();
    Tables_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t tag = file.U32BE();
        file.Skip(4);
        const uint32_t offset = file.U32BE();
        const uint32_t length = file.U32BE();
        if (!file.HasAt(offset, length)) ThrowBadFontFormat();
        Tables_.push_back({tag, offset, length});
    }
}

std::optional<std::string_view> TFontFile::Table(std::string_view tag) const {
    const uint32_t value = TTFTag(tag);
    for (const TTableEntry& entry : Tables_)
        if (entry.Tag == value) return Bytes().substr(entry.Offset, entry.Length);
    return std::nullopt;
}

std::vector<std::string> TFontFile::TableTags() const {
    std::vector<std::string> tags;
    tags.reserve(Tables_.size());
    for (const TTableEntry& entry : Tables_)
        tags.push_back(
            {char(entry.Tag >> 24), char(entry.Tag >> 16 & 0xFF), char(entry.Tag >> 8 & 0xFF), char(entry.Tag & 0xFF)});
    return tags;
}

const std::vector<TFontFace>& Fonts::Faces() {
    static const std::vector<TFontFace> faces = Enumerate();
    return faces;
}

std::vector<const TFontFace*> Fonts::FacesOf(const std::string& family) {
    static std::mutex mutex;
    static std::map<std::string, std::vector<const TFontFace*>> cache;
    const std::string key = Lower(family);
    const std::lock_guard lock(mutex);
    if (auto found = cache.find(key); found != cache.end()) return found->second;
    auto collect = [](const std::string& lowered) {
        std::vector<const TFontFace*> result;
        for (const TFontFace& face : Faces())
            for (const std::string& name : face.Families)
                if (Lower(name) == lowered) {
                    result.push_back(&face);
                    break;
                }
        return result;
    };
    std::vector<const TFontFace*> result = key.empty() ? std::vector<const TFontFace*>() : collect(key);
    if (result.empty() && IsChineseWindowsFace(key))
        for (const char* substitute : ChineseSubstitutes) {
            result = collect(substitute);
            if (!result.empty()) break;
        }
    cache.emplace(key, result);
    return result;
}

const TFontFace* Fonts::Match(const std::string& family, bool bold, bool italic) {
    const int wanted = bold ? 700 : 400;
    // Smaller is better; on an equal distance the heavier weight wins, as a reader's eye
    // misses a thin stroke sooner than a thick one.
    auto rank = [&](const TFontFace* face) {
        return std::make_tuple(std::abs(face->Width - FC_WIDTH_NORMAL), face->Bold != bold, face->Italic != italic,
                               std::abs(face->Weight - wanted), -face->Weight);
    };
    const TFontFace* best = nullptr;
    for (const TFontFace* face : FacesOf(family))
        if (!best || rank(face) < rank(best)) best = face;
    return best;
}

std::shared_ptr<const TFontFile> Fonts::Open(const TFontFace& face) {
    static std::mutex mutex;
    static std::map<std::pair<std::string, int>, std::weak_ptr<const TFontFile>> open;
    const std::lock_guard lock(mutex);
    auto& slot = open[{face.File, face.Index}];
    if (auto file = slot.lock()) return file;
    auto file = TFontFile::Open(face.File, face.Index);
    slot = file;
    return file;
}

}  // namespace platform
