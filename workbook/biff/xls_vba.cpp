#include "workbook/biff/xls_vba.h"

#include <algorithm>
#include <cctype>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"

namespace xls {

namespace {

constexpr size_t ChunkSize = 4096;
// A project's dir stream and module sources stay far below this; more is a damaged container.
constexpr size_t MaxDecompressed = size_t(64) << 20;

constexpr uint16_t IdProjectVersion = 0x0009;
constexpr uint16_t IdProjectModules = 0x000F;
constexpr uint16_t IdTerminator = 0x0010;
constexpr uint16_t IdModuleName = 0x0019;
constexpr uint16_t IdModuleStreamName = 0x001A;
constexpr uint16_t IdModuleTypeProcedural = 0x0021;
constexpr uint16_t IdModuleTypeDocument = 0x0022;
constexpr uint16_t IdModuleEnd = 0x002B;
constexpr uint16_t IdModuleOffset = 0x0031;
constexpr uint16_t IdModuleNameUnicode = 0x0047;
constexpr uint16_t IdStreamNameUnicode = 0x0032;

[[noreturn]] void Damaged(const char* what) { throw EBIFFError(std::string("VBA project damaged: ") + what); }

std::u16string Latin(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::u16string Utf16(const std::vector<uint8_t>& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(base::LoadLE16(bytes.data() + i)));
    return text;
}

// Reads the dir stream's records one after the other.
class TDirReader {
public:
    explicit TDirReader(const std::vector<uint8_t>& dir) : Dir_(dir) {}
    bool AtEnd() const { return Pos_ + 6 > Dir_.size(); }
    TVBADirRecord Next() {
        if (AtEnd()) Damaged("dir stream ends inside a record");
        TVBADirRecord record;
        record.Id = base::LoadLE16(Dir_.data() + Pos_);
        uint64_t size = base::LoadLE32(Dir_.data() + Pos_ + 2);
        // PROJECTVERSION holds two bytes more than its size field says.
        if (record.Id == IdProjectVersion) size += 2;
        Pos_ += 6;
        if (size > Dir_.size() - Pos_) Damaged("dir record beyond the stream");
        record.Data.assign(Dir_.begin() + static_cast<std::ptrdiff_t>(Pos_),
                           Dir_.begin() + static_cast<std::ptrdiff_t>(Pos_ + size));
        Pos_ += static_cast<size_t>(size);
        return record;
    }
    uint16_t PeekId() const { return AtEnd() ? 0 : base::LoadLE16(Dir_.data() + Pos_); }

private:
    const std::vector<uint8_t>& Dir_;
    size_t Pos_ = 0;
};

}  // namespace

std::vector<uint8_t> DecompressVBA(std::span<const uint8_t> container) {
    if (container.empty() || container[0] != 0x01) Damaged("compressed container signature");
    std::vector<uint8_t> out;
    size_t pos = 1;
    while (pos + 2 <= container.size()) {
        const uint16_t header = base::LoadLE16(container.data() + pos);
        if (((header >> 12) & 7) != 3) Damaged("chunk signature");
        const size_t chunkEnd = std::min(container.size(), pos + (header & 0x0FFF) + 3);
        pos += 2;
        const size_t chunkStart = out.size();
        if ((header & 0x8000) == 0) {
            const size_t n = std::min(ChunkSize, container.size() - pos);
            out.insert(out.end(), container.begin() + static_cast<std::ptrdiff_t>(pos),
                       container.begin() + static_cast<std::ptrdiff_t>(pos + n));
            pos += n;
        } else {
            while (pos < chunkEnd) {
                const uint8_t flags = container[pos++];
                for (int bit = 0; bit < 8 && pos < chunkEnd; ++bit) {
                    if ((flags >> bit & 1) == 0) {
                        out.push_back(container[pos++]);
                        continue;
                    }
                    if (pos + 2 > chunkEnd) Damaged("copy token cut");
                    const uint16_t token = base::LoadLE16(container.data() + pos);
                    pos += 2;
                    const size_t difference = out.size() - chunkStart;
                    int bitCount = 4;
                    while ((size_t(1) << bitCount) < difference) ++bitCount;
                    if (bitCount > 12) Damaged("chunk too long");
                    const uint16_t lengthMask = static_cast<uint16_t>(0xFFFF >> bitCount);
                    const size_t length = (token & lengthMask) + 3u;
                    const size_t offset = (static_cast<size_t>(token) >> (16 - bitCount)) + 1;
                    if (offset > difference) Damaged("copy token before the chunk");
                    for (size_t i = 0; i < length; ++i) out.push_back(out[out.size() - offset]);
                }
            }
        }
        if (out.size() > MaxDecompressed) Damaged("too large");
    }
    return out;
}

void TVBAModuleSource::SetSource(const std::string& text) {
    Source.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        Source.push_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    auto isAttribute = [](const std::string& line) {
        static constexpr char Word[] = "attribute";
        if (line.size() < sizeof Word - 1) return false;
        for (size_t i = 0; i + 1 < sizeof Word; ++i)
            if (std::tolower(static_cast<unsigned char>(line[i])) != Word[i]) return false;
        return true;
    };
    size_t attributes = 0;
    for (; attributes < Source.size() && isAttribute(Source[attributes]); ++attributes)
        Attributes.AddAfterBlank(std::u16string(Source[attributes].begin(), Source[attributes].end()));
    Source.erase(Source.begin(), Source.begin() + static_cast<std::ptrdiff_t>(attributes));
}

TXLSVBA::TXLSVBA() = default;
TXLSVBA::~TXLSVBA() = default;

void TXLSVBA::Clear() {
    Modules_.clear();
    ProjectRecords_.clear();
    ProjectRead_ = false;
    Copy_.reset();
}

const TVBAModuleSource& TXLSVBA::GetModules(int index) const {
    if (index < 0 || index >= GetModuleCount()) throw EBIFFError("VBA module index out of range");
    return *Modules_[static_cast<size_t>(index)];
}

uint8_t TXLSVBA::LoadFromStorage(const platform::TCompoundStorage& root) {
    Clear();
    if (!root.HasStorage(u"_VBA_PROJECT_CUR")) return 0;
    const platform::TCompoundStorage& project = root.OpenStorage(u"_VBA_PROJECT_CUR");
    if (!project.HasStorage(u"VBA")) return 0;
    const platform::TCompoundStorage& vba = project.OpenStorage(u"VBA");
    if (!vba.HasStream(u"dir")) return 0;
    const std::vector<uint8_t> dir = vba.ReadStream(u"dir");
    ParseDirectory(DecompressVBA(dir), vba);
    ProjectRead_ = true;
    Copy_ = std::make_unique<platform::TCompoundFile>();
    project.CopyTo(Copy_->Root());
    Copy_->Root().SetClsid(project.Clsid());
    Copy_->Root().SetStateBits(project.StateBits());
    return 1;
}

void TXLSVBA::SaveToStorage(platform::TCompoundStorage& dest) const {
    if (!Copy_) return;
    Copy_->Root().CopyTo(dest);
    dest.SetClsid(Copy_->Root().Clsid());
    dest.SetStateBits(Copy_->Root().StateBits());
}

void TXLSVBA::ParseDirectory(const std::vector<uint8_t>& dir, const platform::TCompoundStorage& vba) {
    TDirReader reader(dir);
    size_t moduleCount = 0;
    while (!reader.AtEnd() && reader.PeekId() != IdModuleName) {
        TVBADirRecord record = reader.Next();
        const uint16_t id = record.Id;
        if (id == IdProjectModules && record.Data.size() >= 2) moduleCount = base::LoadLE16(record.Data.data());
        ProjectRecords_.push_back(std::move(record));
        if (id == IdTerminator) return;
    }
    for (size_t m = 0; m < moduleCount; ++m) {
        auto module = std::make_unique<TVBAModuleSource>();
        std::u16string streamName;
        uint32_t offset = 0;
        bool hasOffset = false;
        while (true) {
            TVBADirRecord record = reader.Next();
            switch (record.Id) {
                case IdModuleName: module->Name = Latin(record.Data); break;
                case IdModuleNameUnicode: module->Name = Utf16(record.Data); break;
                case IdModuleStreamName: streamName = Latin(record.Data); break;
                case IdStreamNameUnicode: streamName = Utf16(record.Data); break;
                case IdModuleTypeProcedural: module->ModuleType = 0; break;
                case IdModuleTypeDocument: module->ModuleType = 1; break;
                case IdModuleOffset:
                    if (record.Data.size() < 4) Damaged("MODULEOFFSET too short");
                    offset = base::LoadLE32(record.Data.data());
                    hasOffset = true;
                    break;
                default: break;
            }
            const bool end = record.Id == IdModuleEnd;
            module->Records.push_back(std::move(record));
            if (end) break;
        }
        if (hasOffset) {
            const std::u16string name = streamName.empty() ? module->Name : streamName;
            if (!vba.HasStream(name)) Damaged("module stream missing");
            const std::vector<uint8_t> stream = vba.ReadStream(name);
            if (offset > stream.size()) Damaged("module text beyond its stream");
            const std::vector<uint8_t> text = DecompressVBA(std::span(stream).subspan(offset));
            const auto lastLineFeed = std::find(text.rbegin(), text.rend(), '\n');
            module->SetSource(std::string(text.begin(), lastLineFeed.base()));
            module->TextOffset = offset;
        }
        Modules_.push_back(std::move(module));
    }
    if (reader.PeekId() != IdTerminator) throw EBIFFError("EOF missing in VBA dir stream");
}

}  // namespace xls
