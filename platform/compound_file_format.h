#pragma once

#include <cstdint>
#include <cstring>

#include "base/byte_reader.h"

// Fixed values and byte layout of the compound file binary format.
namespace platform::cfb {

inline constexpr uint8_t Signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

inline constexpr uint32_t MaxRegSect = 0xFFFFFFFA;
inline constexpr uint32_t DifSect = 0xFFFFFFFC;
inline constexpr uint32_t FatSect = 0xFFFFFFFD;
inline constexpr uint32_t EndOfChain = 0xFFFFFFFE;
inline constexpr uint32_t FreeSect = 0xFFFFFFFF;
inline constexpr uint32_t NoStream = 0xFFFFFFFF;

inline constexpr int HeaderSize = 512;
inline constexpr int HeaderDifatCount = 109;
inline constexpr int DirEntrySize = 128;
inline constexpr int MiniSectorSize = 64;
inline constexpr uint32_t MiniStreamCutoff = 4096;
inline constexpr int MaxNameLength = 31;  // UTF-16 code units, without the terminating zero

enum EntryType : uint8_t { etUnused = 0, etStorage = 1, etStream = 2, etRoot = 5 };
enum EntryColor : uint8_t { ecRed = 0, ecBlack = 1 };

}  // namespace platform::cfb
