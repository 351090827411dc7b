#include "platform/fonts.h"

#include <fcntl.h>
#include <fontconfig/fontconfig.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

namespace platform {
namespace {

const char* const BadFormat = "Incorrect or unknown font format";

uint16_t Get16(std::string_view data, size_t offset) {
    if (offset + 2 > data.size()) throw EFontError(BadFormat);
    return uint16_t(uint8_t(data[offset]) << 8 | uint8_t(data[offset + 1]));
}

uint32_t Get32(std::string_view data, size_t offset) {
    return uint32_t(Get16(data, offset)) << 16 | Get16(data, offset + 2);
}

uint32_t TagValue(std::string_view tag) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | uint8_t(i < tag.size() ? tag[i] : ' ');
    return value;
}

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return result;
}

// Windows faces that Chinese documents ask for, served by the CJK faces of the system.
bool IsChineseWindowsFace(const std::string& lowered) {
    static const char* const Names[] = {"宋体", "simsun", "新宋体", "nsimsun", "黑体", "simhei", "微软雅黑",
                                        "microsoft yahei"};
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
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT,
                                            FC_FONTFORMAT, nullptr);
    FcFontSet* set = FcFontList(config, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    if (!set) return faces;
    for (int i = 0; i < set->nfont; ++i) {
        FcPattern* font = set->fonts[i];
        if (PatternString(font, FC_FONTFORMAT) != "TrueType") continue;
        int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        // Named instances of variable fonts share their file's outlines; the face itself is listed too.
        if (index >> 16) continue;
        FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(font, FC_SLANT, 0, &slant);
        TFontFace face;
        face.File = PatternString(font, FC_FILE);
        face.Index = index;
        face.Style = PatternString(font, FC_STYLE);
        face.Bold = weight >= FC_WEIGHT_DEMIBOLD;
        face.Italic = slant != FC_SLANT_ROMAN;
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
            if (auto os2 = file->Table("OS/2"); os2 && Get16(*os2, 0) >= 1 && os2->size() >= 86) {
                face.CodePageRange1 = Get32(*os2, 78);
                face.CodePageRange2 = Get32(*os2, 82);
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
    static const std::pair<uint8_t, int> Bits[] = {
        {0, 0},    {238, 1},  {204, 2},  {161, 3},  {162, 4},  {177, 5},  {178, 6},  {186, 7},
        {163, 8},  {222, 16}, {128, 17}, {134, 18}, {129, 19}, {136, 20}, {130, 21}, {77, 29}, {2, 31}};
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
        throw EFontError(BadFormat);
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
    const std::string_view data = Bytes();
    size_t start = 0;
    if (Get32(data, 0) == TagValue("ttcf")) {
        const uint32_t count = Get32(data, 8);
        if (index < 0 || uint32_t(index) >= count) throw EFontError(BadFormat);
        start = Get32(data, 12 + 4 * size_t(index));
        InCollection_ = true;
    } else if (index != 0) {
        throw EFontError(BadFormat);
    }
    const uint16_t count = Get16(data, start + 4);
    Tables_.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t record = start + 12 + 16 * i;
        const TTableEntry entry{Get32(data, record), Get32(data, record + 8), Get32(data, record + 12)};
        if (uint64_t(entry.Offset) + entry.Length > data.size()) throw EFontError(BadFormat);
        Tables_.push_back(entry);
    }
}

std::optional<std::string_view> TFontFile::Table(std::string_view tag) const {
    const uint32_t value = TagValue(tag);
    for (const TTableEntry& entry : Tables_)
        if (entry.Tag == value) return Bytes().substr(entry.Offset, entry.Length);
    return std::nullopt;
}

std::vector<std::string> TFontFile::TableTags() const {
    std::vector<std::string> tags;
    tags.reserve(Tables_.size());
    for (const TTableEntry& entry : Tables_)
        tags.push_back({char(entry.Tag >> 24), char(entry.Tag >> 16 & 0xFF), char(entry.Tag >> 8 & 0xFF),
                        char(entry.Tag & 0xFF)});
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
