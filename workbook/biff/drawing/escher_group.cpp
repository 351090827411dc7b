#include "workbook/biff/drawing/escher_group.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "base/file_stream.h"
#include "base/md4.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_drawing.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_reader.h"
#include "workbook/biff/xls_stream.h"
#include "workbook/ooxml/zip/zlib_buffers.h"

namespace xls {

namespace {

constexpr int BSEBodySize = 36;
constexpr int MetafileHeaderSize = 34;
constexpr int BmpFileHeaderSize = 14;
constexpr int64_t MaxBmpFileSize = 32767;
// An inflated metafile larger than this is refused rather than allocated.
constexpr int64_t MaxMetafileSize = int64_t{64} << 20;
// Shape ids come in blocks of 1024 per cluster.
constexpr uint32_t ClusterSize = 1024;

// The blip instance without its "second uid" bit.
uint16_t BlipInstance(uint8_t blipType) {
    switch (blipType) {
        case msoblipEMF: return 0x3D4;
        case msoblipWMF: return 0x216;
        case msoblipPICT: return 0x542;
        case msoblipJPEG: return 0x46A;
        case msoblipPNG: return 0x6E0;
        case msoblipDIB: return 0x7A8;
        default: return 0;
    }
}

std::u16string UpperCase(const std::u16string& text) {
    std::u16string upper = text;
    for (char16_t& c : upper)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    return upper;
}

std::u16string Widen(const std::string& text) {
    std::u16string wide;
    for (unsigned char c : text) wide.push_back(c);
    return wide;
}

std::vector<uint32_t> ReadU32Array(TEscherReader& reader, const TMSOHeader& header) {
    if (header.Length != 4u * header.Instance) throw EBIFFError("Colour list length does not match its count");
    std::vector<uint32_t> values(header.Instance);
    for (uint32_t& v : values) {
        uint8_t bytes[4];
        reader.Read(bytes, 4);
        v = base::LoadLE32(bytes);
    }
    return values;
}

void WriteU32Array(TXLSStream& stream, uint16_t type, const std::vector<uint32_t>& values) {
    WriteMSOHeader(stream, 0, static_cast<uint16_t>(values.size()), type, static_cast<uint32_t>(4 * values.size()));
    for (uint32_t v : values) WriteU32(stream, v);
}

}  // namespace

void TDGG::LoadFromBytes(const uint8_t* body, uint32_t clusterCount) {
    SpidMax = static_cast<int32_t>(base::LoadLE32(body));
    CspSaved = static_cast<int32_t>(base::LoadLE32(body + 8));
    CdgSaved = static_cast<int32_t>(base::LoadLE32(body + 12));
    Items.clear();
    for (uint32_t i = 0; i < clusterCount; ++i)
        Items.push_back({base::LoadLE32(body + 16 + 8 * i), base::LoadLE32(body + 20 + 8 * i), nullptr, false});
}

void TDGG::SaveToStream(TXLSStream& stream) {
    // File values are unsigned; sums wrap as the 32-bit fields do.
    uint32_t cspSaved = 0;
    uint32_t maxSpid = 0;
    for (TDGGData& cluster : Items) {
        // A cluster whose drawing is not loaded keeps the count it was read with.
        if (!cluster.Drawing) {
            cspSaved += cluster.CspidCur;
            continue;
        }
        const int shapes = cluster.Drawing->ShapeCount();
        cspSaved += static_cast<uint32_t>(shapes) + 1;
        if (cluster.Changed) {
            cluster.CspidCur = static_cast<uint32_t>(shapes + 1);
            maxSpid = std::max(maxSpid, cluster.Drawing->SpidCur);
        }
    }
    CspSaved = static_cast<int32_t>(cspSaved);
    SpidMax = static_cast<int32_t>(std::max(static_cast<uint32_t>(SpidMax), maxSpid));
    WriteMSOHeader(stream, 0, 0, MSOFBT_DGG, static_cast<uint32_t>(16 + 8 * Items.size()));
    WriteU32(stream, static_cast<uint32_t>(SpidMax));
    WriteU32(stream, static_cast<uint32_t>(Items.size() + 1));
    WriteU32(stream, static_cast<uint32_t>(CspSaved));
    WriteU32(stream, static_cast<uint32_t>(CdgSaved));
    for (const TDGGData& cluster : Items) {
        WriteU32(stream, cluster.DgId);
        WriteU32(stream, cluster.CspidCur);
    }
}

void TDGG::Clear() {
    SpidMax = CspSaved = CdgSaved = 0;
    Items.clear();
}

void TMSOPicture::SetData(std::vector<uint8_t> data) {
    Data = std::move(data);
    Uid = base::MD4Digest(Data.data(), Data.size());
}

void TMSOPicture::LoadFromFile(const std::string& fileName) {
    const std::u16string name = Widen(fileName);
    if (Group_.IndexOfName(name) >= 0) throw EBIFFError("A picture with this name already exists.");
    const size_t dot = fileName.find_last_of('.');
    const size_t slash = fileName.find_last_of('/');
    std::string ext =
        dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : fileName.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    uint8_t type;
    if (ext == "WMF")
        type = msoblipWMF;
    else if (ext == "EMF")
        type = msoblipEMF;
    else if (ext == "PICT")
        type = msoblipPICT;
    else if (ext == "JPG" || ext == "JPEG")
        type = msoblipJPEG;
    else if (ext == "PNG")
        type = msoblipPNG;
    else if (ext == "BMP")
        type = msoblipDIB;
    else
        throw EBIFFError("Unknown picture type " + ext);
    base::TFileStream file(fileName, base::fmOpenRead);
    const int64_t size = file.Size();
    if (type == msoblipDIB && size > MaxBmpFileSize)
        throw EBIFFError("Bitmap (BMP) pictures can be max 32767 bytes in size");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.ReadBuffer(bytes.data(), size);
    // A placeable metafile header and a bitmap file header are not part of the stored picture.
    const size_t skip = type == msoblipWMF ? 22 : type == msoblipDIB ? BmpFileHeaderSize : 0;
    if (bytes.size() < skip) throw EBIFFError("Picture file is too short: " + fileName);
    bytes.erase(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(skip));
    BlipType = type;
    RefCount = 0;
    Name = name;
    SetData(std::move(bytes));
}

std::vector<uint8_t> TMSOPicture::FileBytes() const {
    std::vector<uint8_t> bytes;
    if (BlipType == msoblipDIB) {
        bytes = {'B', 'M'};
        base::AppendLE32(bytes, static_cast<uint32_t>(Data.size() + BmpFileHeaderSize));
        base::AppendLE32(bytes, 0);
        base::AppendLE32(bytes, 54);
    }
    bytes.insert(bytes.end(), Data.begin(), Data.end());
    return bytes;
}

void TMSOPicture::SaveToStream(TXLSStream& stream) const {
    const std::vector<uint8_t> bytes = FileBytes();
    stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
}

TEscherGroup::TEscherGroup() = default;

TEscherGroup::~TEscherGroup() = default;

void TEscherGroup::Clear() {
    Clusters.Clear();
    Properties.Clear();
    SplitMenuColors.clear();
    ColorMRU.clear();
    KeptRecords.Clear();
    Pictures_.clear();
    ClusterBase = 0;
}

TMSOPicture& TEscherGroup::Add() {
    Pictures_.push_back(std::make_unique<TMSOPicture>(*this));
    Pictures_.back()->FileIndex = Count();
    return *Pictures_.back();
}

void TEscherGroup::GetFileIndexes(std::vector<int>& list) const {
    for (const auto& picture : Pictures_) list.push_back(picture->FileIndex);
}

int TEscherGroup::IndexOfName(const std::u16string& name) const {
    const std::u16string upper = UpperCase(name);
    for (size_t i = 0; i < Pictures_.size(); ++i)
        if (UpperCase(Pictures_[i]->Name) == upper) return static_cast<int>(i);
    return -1;
}

void TEscherGroup::LoadFromStream(TXLSStream& stream, uint16_t length) {
    TEscherReader reader(stream, length, true);
    TMSOHeader header = reader.Header();
    if (header.Type != MSOFBT_DGGCONTAINER) throw EBIFFError("Expected record missing: DGGContainer");
    int64_t remaining = header.Length;
    while (remaining > 0) {
        if (remaining < 8) throw EBIFFError("MSOHeader split in MSODRAWINGGROUP");
        header = reader.Header();
        remaining -= 8 + static_cast<int64_t>(header.Length);
        if (remaining < 0) throw EBIFFError("Error while reading MSODRAWINGGROUP. Length < 0");
        switch (header.Type) {
            case MSOFBT_DGG: {
                if (header.Length < 16) throw EBIFFError("DGG record is too short");
                const std::vector<uint8_t> body = reader.Take(header.Length);
                const uint32_t cidcl = base::LoadLE32(body.data() + 4);
                const uint64_t clusters = cidcl == 0 ? 0 : cidcl - 1;
                if (16 + 8 * clusters > body.size()) throw EBIFFError("DGG record holds fewer clusters than it counts");
                Clusters.LoadFromBytes(body.data(), static_cast<uint32_t>(clusters));
                ClusterBase = static_cast<int32_t>(static_cast<uint32_t>(Clusters.SpidMax) / ClusterSize * ClusterSize);
                break;
            }
            case MSOFBT_BSTORECONTAINER: LoadStore(reader, header.Length); break;
            case MSOFBT_OPT: {
                const std::vector<uint8_t> body = reader.Take(header.Length);
                Properties.LoadFromBuffer(body.data(), header.Length, header.Instance);
                break;
            }
            case MSOFBT_CLSID: throw EBIFFError("CLSID in MSODRAWINGGROUP");
            case MSOFBT_COLORMRU: ColorMRU = ReadU32Array(reader, header); break;
            case MSOFBT_SPLITMENUCOLORS: SplitMenuColors = ReadU32Array(reader, header); break;
            default: {
                if (header.IsContainer()) {
                    // Its children follow as records of their own.
                    remaining += header.Length;
                    KeptRecords.Add(header, nullptr);
                    break;
                }
                if (header.Length > static_cast<uint32_t>(MAXRECSZ_97))
                    throw EBIFFError("Unknown FBT in MSODRAWINGGROUP to large");
                const std::vector<uint8_t> body = reader.Take(header.Length);
                KeptRecords.Add(header, body.data());
            }
        }
    }
}

void TEscherGroup::LoadStore(TEscherReader& reader, int64_t length) {
    int counter = 0;
    while (length > 0) {
        TMSOPicture& picture = Add();
        const auto [used, isPicture] = LoadBSE(reader, picture);
        length -= used;
        if (length < 0) throw EBIFFError("Picture store is longer than its container");
        if (isPicture)
            picture.FileIndex = counter;
        else
            Pictures_.pop_back();
        ++counter;
    }
}

std::pair<int64_t, bool> TEscherGroup::LoadBSE(TEscherReader& reader, TMSOPicture& picture) {
    const TMSOHeader header = reader.Header();
    if (header.Type >= MSOFBT_BLIPFIRST && header.Type <= MSOFBT_BLIPLAST) {
        // A blip outside any OfficeArtFBSE.
        reader.Skip(header.Length);
        return {8 + int64_t{header.Length}, false};
    }
    if (header.Type != MSOFBT_BSE || header.Length < BSEBodySize) throw EBIFFError("Expected record missing: BSE");
    uint8_t body[BSEBodySize];
    reader.Read(body, BSEBodySize);
    int64_t left = int64_t{header.Length} - BSEBodySize;
    const uint8_t cbName = body[33];
    if (cbName > left) throw EBIFFError("Picture name beyond the BSE record");
    const std::vector<uint8_t> name = reader.Take(cbName);
    left -= cbName;
    picture.Name.clear();
    for (size_t i = 0; i + 1 < name.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(base::LoadLE16(&name[i]));
        if (c == 0) break;
        picture.Name.push_back(c);
    }
    picture.BlipType = body[0];
    picture.RefCount = static_cast<int32_t>(base::LoadLE32(body + 24));
    const int64_t used = 8 + int64_t{header.Length};
    // Both records are read by their own lengths, so an unused entry that still carries its
    // blip does not put the rest of the store out of step.
    if (picture.RefCount < 1 || left == 0) {
        reader.Skip(left);
        return {used, false};
    }
    if (left < 8) throw EBIFFError("Expected record missing: BLIP");
    const TMSOHeader blip = reader.Header();
    left -= 8;
    if (blip.Type < MSOFBT_BLIPFIRST || blip.Type > MSOFBT_BLIPLAST) throw EBIFFError("Expected record missing: BLIP");
    if (base::LoadLE32(body + 20) != blip.Length + 8 || blip.Length > left)
        throw EBIFFError("Blip size in BSE don't match actually blip");
    // An odd instance announces a second uid after the first.
    const int64_t uids = 16 * (1 + (blip.Instance & 1));
    if (picture.IsMetafile()) {
        if (blip.Length < uids + MetafileHeaderSize) throw EBIFFError("Blip size in BSE don't match actually blip");
        reader.Skip(uids);
        uint8_t meta[MetafileHeaderSize];
        reader.Read(meta, MetafileHeaderSize);
        const int64_t cbSave = base::LoadLE32(meta + 28);
        const int64_t rest = int64_t{blip.Length} - uids - MetafileHeaderSize;
        if (cbSave > rest) throw EBIFFError("Blip size in BSE don't match actually blip");
        std::vector<uint8_t> data = reader.Take(cbSave);
        reader.Skip(rest - cbSave);
        if (meta[32] == 0) data = InflateBuffer(data.data(), static_cast<int64_t>(data.size()), MaxMetafileSize);
        picture.SetData(std::move(data));
    } else {
        if (blip.Length < uids + 1) throw EBIFFError("Blip size in BSE don't match actually blip");
        reader.Skip(uids + 1);
        picture.SetData(reader.Take(int64_t{blip.Length} - uids - 1));
    }
    reader.Skip(left - blip.Length);
    return {used, picture.BlipType != msoblipERROR};
}

int64_t TEscherGroup::StoreSize() {
    int64_t size = 0;
    for (const auto& picture : Pictures_) {
        if (picture->IsMetafile()) {
            picture->Compressed = DeflateBuffer(picture->Data.data(), static_cast<int64_t>(picture->Data.size()));
            size += 69 + 33 + static_cast<int64_t>(picture->Compressed.size());
        } else {
            size += 69 + static_cast<int64_t>(picture->Data.size());
        }
    }
    return size;
}

void TEscherGroup::SaveBSE(TXLSStream& stream, TMSOPicture& picture) const {
    const bool metafile = picture.IsMetafile();
    const int64_t blipLength = metafile ? static_cast<int64_t>(picture.Compressed.size()) + 50
                                        : static_cast<int64_t>(picture.Data.size()) + 17;
    const auto length = static_cast<uint32_t>(blipLength);
    WriteMSOHeader(stream, 2, picture.BlipType, MSOFBT_BSE, length + 44);
    uint8_t body[BSEBodySize] = {};
    body[0] = body[1] = picture.BlipType;
    std::copy(picture.Uid.begin(), picture.Uid.end(), body + 2);
    base::StoreLE16(body + 18, 0x00FF);
    base::StoreLE32(body + 20, length + 8);
    base::StoreLE32(body + 24, static_cast<uint32_t>(picture.RefCount));
    body[34] = 0x88;
    body[35] = 0x02;
    stream.Write(body, BSEBodySize);
    WriteMSOHeader(stream, 0, BlipInstance(picture.BlipType),
                   static_cast<uint16_t>(MSOFBT_BLIPFIRST + picture.BlipType), length);
    stream.Write(picture.Uid.data(), 16);
    if (metafile) {
        uint8_t meta[MetafileHeaderSize] = {};
        base::StoreLE32(meta, static_cast<uint32_t>(picture.Data.size()));
        base::StoreLE32(meta + 12, 100);
        base::StoreLE32(meta + 16, 100);
        base::StoreLE32(meta + 28, static_cast<uint32_t>(picture.Compressed.size()));
        meta[32] = 0;
        meta[33] = 0xFE;
        stream.Write(meta, MetafileHeaderSize);
        stream.Write(picture.Compressed.data(), static_cast<int64_t>(picture.Compressed.size()));
        picture.Compressed.clear();
        picture.Compressed.shrink_to_fit();
    } else {
        const uint8_t tag = 0xFF;
        stream.Write(&tag, 1);
        stream.Write(picture.Data.data(), static_cast<int64_t>(picture.Data.size()));
    }
}

void TEscherGroup::SaveToStream(TXLSStream& stream) {
    const int64_t store = StoreSize();
    int64_t length =
        Properties.GetSize() + 8 * static_cast<int64_t>(Clusters.Items.size()) + 24 + 8 + store + KeptRecords.GetSize();
    if (!SplitMenuColors.empty()) length += 8 + 4 * static_cast<int64_t>(SplitMenuColors.size());
    if (!ColorMRU.empty()) length += 8 + 4 * static_cast<int64_t>(ColorMRU.size());
    if (!Pictures_.empty()) length += 8;
    if (length > UINT32_MAX) throw EBIFFError("The drawing group is too large");
    stream.BeginContinuedRecord(MAXRECSZ_97);
    stream.WriteHeader(BIFFRECID_MSODRAWINGGROUP, 0);
    WriteMSOHeader(stream, MSOContainerVersion, 0, MSOFBT_DGGCONTAINER, static_cast<uint32_t>(length));
    Clusters.SaveToStream(stream);
    if (!Pictures_.empty()) {
        WriteMSOHeader(stream, MSOContainerVersion, static_cast<uint16_t>(Pictures_.size()), MSOFBT_BSTORECONTAINER,
                       static_cast<uint32_t>(store));
        for (const auto& picture : Pictures_) SaveBSE(stream, *picture);
    }
    Properties.SaveToStream(stream);
    KeptRecords.SaveToStream(stream);
    if (!ColorMRU.empty()) WriteU32Array(stream, MSOFBT_COLORMRU, ColorMRU);
    if (!SplitMenuColors.empty()) WriteU32Array(stream, MSOFBT_SPLITMENUCOLORS, SplitMenuColors);
    stream.EndContinuedRecord();
}

std::pair<uint32_t, uint32_t> TEscherGroup::AddCluster(TEscherDrawing& drawing) {
    if (Clusters.Items.empty()) {
        Properties.Clear();
        Properties.Add(0xBF, 0x00080008);
        Properties.Add(0x181, 0x08000041);
        Properties.Add(0x1C0, 0x08000040);
        Properties.SetCountToItems();
        SplitMenuColors = {0x0800000D, 0x0800000C, 0x08000017, 0x100000F7};
    }
    // A drawing id that another cluster still holds is not handed out twice.
    uint32_t dgId = static_cast<uint32_t>(Clusters.Items.size()) + 1;
    auto inUse = [this](uint32_t id) {
        return std::any_of(Clusters.Items.begin(), Clusters.Items.end(),
                           [id](const TDGGData& c) { return c.DgId == id; });
    };
    while (inUse(dgId)) ++dgId;
    Clusters.Items.push_back({dgId, 0, &drawing, true});
    Clusters.CdgSaved = static_cast<int32_t>(static_cast<uint32_t>(Clusters.CdgSaved) + 1);
    // The cluster at position n (1-based) owns the shape ids from n * 1024; ids a file read
    // has used stay taken.
    uint32_t firstSpId = static_cast<uint32_t>(Clusters.Items.size()) * ClusterSize;
    if (ClusterBase > 0) firstSpId = std::max(firstSpId, static_cast<uint32_t>(ClusterBase) + ClusterSize);
    return {dgId, firstSpId};
}

void TEscherGroup::AttachDrawing(TEscherDrawing& drawing) {
    for (TDGGData& cluster : Clusters.Items) {
        if (cluster.DgId == drawing.DrawingId) {
            cluster.Drawing = &drawing;
            cluster.Changed = false;
            return;
        }
    }
    Clusters.Items.push_back({drawing.DrawingId, drawing.Csp, &drawing, false});
    Clusters.CdgSaved = std::max(Clusters.CdgSaved, static_cast<int32_t>(Clusters.Items.size()));
}

void TEscherGroup::TouchCluster(uint32_t dgId) {
    for (TDGGData& cluster : Clusters.Items) {
        if (cluster.DgId == dgId) {
            cluster.Changed = true;
            return;
        }
    }
    throw EBIFFError("Can not update FIDCL for DgId #" + std::to_string(dgId));
}

void TEscherGroup::DeleteCluster(uint32_t dgId) {
    if (Clusters.Items.empty()) return;
    for (size_t i = 0; i < Clusters.Items.size(); ++i) {
        if (Clusters.Items[i].DgId == dgId) {
            Clusters.Items.erase(Clusters.Items.begin() + static_cast<ptrdiff_t>(i));
            Clusters.CdgSaved = static_cast<int32_t>(static_cast<uint32_t>(Clusters.CdgSaved) - 1);
            return;
        }
    }
    throw EBIFFError("Can not delete FIDCL for DgId #" + std::to_string(dgId));
}

}  // namespace xls
