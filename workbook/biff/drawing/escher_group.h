#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "workbook/biff/drawing/shape_properties.h"

namespace xls {

class TXLSStream;
class TEscherDrawing;
class TEscherGroup;
class TEscherReader;

// Blip types of the picture store.
enum TMSOBlipType : uint8_t {
    msoblipERROR = 0,
    msoblipUNKNOWN = 1,
    msoblipEMF = 2,
    msoblipWMF = 3,
    msoblipPICT = 4,
    msoblipJPEG = 5,
    msoblipPNG = 6,
    msoblipDIB = 7,
};

// One cluster of shape ids (OfficeArtIDCL) and the drawing that uses it.
struct TDGGData {
    uint32_t DgId = 0;
    uint32_t CspidCur = 0;
    TEscherDrawing* Drawing = nullptr;  // not owned
    bool Changed = false;
};

// OfficeArtFDGG with its clusters.
class TDGG {
public:
    void LoadFromBytes(const uint8_t* body, uint32_t clusterCount);
    void SaveToStream(TXLSStream& stream);
    void Clear();

    int32_t SpidMax = 0;
    int32_t CspSaved = 0;
    int32_t CdgSaved = 0;
    std::vector<TDGGData> Items;
};

// One picture of the drawing group's store.
class TMSOPicture {
public:
    explicit TMSOPicture(TEscherGroup& group) : Group_(group) {}

    void LoadFromFile(const std::string& fileName);
    // Writes the picture as a file: a bitmap gets its 14-byte file header back.
    void SaveToStream(TXLSStream& stream) const;
    std::vector<uint8_t> FileBytes() const;
    // Sets the data and computes the uid.
    void SetData(std::vector<uint8_t> data);
    bool IsMetafile() const { return BlipType == msoblipEMF || BlipType == msoblipWMF || BlipType == msoblipPICT; }

    std::vector<uint8_t> Data;
    std::vector<uint8_t> Compressed;  // only while a write is under way
    uint8_t BlipType = msoblipERROR;
    int32_t RefCount = 0;
    std::u16string Name;
    std::array<uint8_t, 16> Uid{};
    int32_t FileIndex = 0;

private:
    TEscherGroup& Group_;
};

// The workbook's drawing group (OfficeArtDggContainer in MSODRAWINGGROUP): the shape-id
// clusters of the sheet drawings, the picture store, default properties and kept records.
class TEscherGroup {
public:
    TEscherGroup();
    ~TEscherGroup();
    TEscherGroup(const TEscherGroup&) = delete;
    TEscherGroup& operator=(const TEscherGroup&) = delete;

    void Clear();
    // The stream stands at the body of the MSODRAWINGGROUP record of length bytes.
    void LoadFromStream(TXLSStream& stream, uint16_t length);
    bool HasProperties() const { return Properties.Count() > 0; }
    // Writes MSODRAWINGGROUP with its CONTINUE records.
    void SaveToStream(TXLSStream& stream);

    int Count() const { return static_cast<int>(Pictures_.size()); }
    TMSOPicture& GetItems(int index) const { return *Pictures_.at(static_cast<size_t>(index)); }
    TMSOPicture& Add();
    void Delete(int index) { Pictures_.erase(Pictures_.begin() + index); }
    void GetFileIndexes(std::vector<int>& list) const;
    // The picture whose name matches, letter case aside; -1 when none.
    int IndexOfName(const std::u16string& name) const;

    // Registers a drawing that gets its first shape; returns its drawing id and first shape id.
    std::pair<uint32_t, uint32_t> AddCluster(TEscherDrawing& drawing);
    void AttachDrawing(TEscherDrawing& drawing);
    void TouchCluster(uint32_t dgId);
    void DeleteCluster(uint32_t dgId);

    TDGG Clusters;
    TOPT Properties;
    std::vector<uint32_t> SplitMenuColors;
    std::vector<uint32_t> ColorMRU;
    TMSORecords KeptRecords;
    // The first shape id of the highest cluster a file read had used (0 for a new workbook).
    int32_t ClusterBase = 0;

private:
    void LoadStore(TEscherReader& reader, int64_t length);
    // Reads one OfficeArtFBSE with its blip; returns the bytes it took and whether it held a picture.
    std::pair<int64_t, bool> LoadBSE(TEscherReader& reader, TMSOPicture& picture);
    int64_t StoreSize();
    void SaveBSE(TXLSStream& stream, TMSOPicture& picture) const;

    std::vector<std::unique_ptr<TMSOPicture>> Pictures_;
};

}  // namespace xls
