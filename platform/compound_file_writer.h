#pragma once

#include "base/stream.h"
#include "platform/compound_file.h"

namespace platform {

// Writes the storage as a version 3 compound file (512-byte sectors): mini stream first, then
// each large stream in consecutive sectors, the directory, the mini FAT, the FAT and the DIFAT.
void WriteCompoundFile(const TCompoundStorage& root, base::TStream& target);

}  // namespace platform
