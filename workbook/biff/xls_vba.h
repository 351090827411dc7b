#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/compound_file.h"
#include "workbook/biff/wide_string_list.h"

namespace xls {

// The records of a VBA project's "dir" stream, each its id and data.
struct TVBADirRecord {
    uint16_t Id = 0;
    std::vector<uint8_t> Data;
};
using TRecordStorageVBA = std::vector<TVBADirRecord>;

// One module of a VBA project as its directory and its stream describe it.
class TVBAModule {
public:
    virtual ~TVBAModule() = default;
    std::u16string Name;
    uint32_t TextOffset = 0;
    uint8_t ModuleType = 0;  // 0 procedural, 1 document or class
    // The text after "Attribute" of each attribute line that opened the source.
    TXLSValueWideStringList Attributes;
    TRecordStorageVBA Records;
};

class TVBAModuleSource : public TVBAModule {
public:
    // Takes the leading "Attribute" lines into Attributes; the other lines become the source.
    void SetSource(const std::string& text);
    std::vector<std::string> Source;
};

// The decompressed form of an MS-OVBA compressed container; raises on a damaged container or
// one that grows beyond what a VBA project holds.
std::vector<uint8_t> DecompressVBA(std::span<const uint8_t> container);

// The VBA project of a workbook ("_VBA_PROJECT_CUR"): its modules read for callers and a
// whole copy of the storage, which is what is written back.
class TXLSVBA {
public:
    TXLSVBA();
    ~TXLSVBA();
    TXLSVBA(const TXLSVBA&) = delete;
    TXLSVBA& operator=(const TXLSVBA&) = delete;

    // 0 when the file holds no project (no "_VBA_PROJECT_CUR", "VBA" or "dir"), 1 when one was read.
    uint8_t LoadFromStorage(const platform::TCompoundStorage& root);
    // Copies the project as it was read into dest, the new "_VBA_PROJECT_CUR" storage.
    void SaveToStorage(platform::TCompoundStorage& dest) const;
    bool HasProject() const { return Copy_ != nullptr || !Modules_.empty(); }
    void Clear();

    int GetModuleCount() const { return static_cast<int>(Modules_.size()); }
    const TVBAModuleSource& GetModules(int index) const;
    const TRecordStorageVBA& ProjectRecords() const { return ProjectRecords_; }

private:
    void ParseDirectory(const std::vector<uint8_t>& dir, const platform::TCompoundStorage& vba);

    std::vector<std::unique_ptr<TVBAModuleSource>> Modules_;
    TRecordStorageVBA ProjectRecords_;
    bool ProjectRead_ = false;
    std::unique_ptr<platform::TCompoundFile> Copy_;
};

}  // namespace xls
