#pragma once

#include <memory>

#include "platform/compound_file.h"

namespace xls {

// The storages and streams of the compound file last read, except its workbook stream, kept so
// that the next file written carries them unchanged (property sets, VBA project, anything else).
class TExtraObjects {
public:
    TExtraObjects();
    ~TExtraObjects();

    void Clear();
    bool HasStorage() const { return Storage_ != nullptr; }
    // Keeps a copy of everything in root except the streams "Workbook" and "Book".
    void Keep(const platform::TCompoundStorage& root);
    // Copies what is kept into a new file's root storage.
    void CopyInto(platform::TCompoundStorage& root) const;

private:
    std::unique_ptr<platform::TCompoundFile> Storage_;
};

}  // namespace xls
