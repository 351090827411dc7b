#pragma once

#include <cstdint>
#include <string>

#include "base/stream.h"

namespace base {

// Open modes as the class library numbered them; the share bits (0x10-0x40) are accepted
// and have no effect on this platform.
constexpr uint32_t fmOpenRead = 0x0000;
constexpr uint32_t fmOpenWrite = 0x0001;
constexpr uint32_t fmOpenReadWrite = 0x0002;
constexpr uint32_t fmShareDenyNone = 0x0040;
constexpr uint32_t fmCreate = 0xFFFF;

// A stream over a file on disk; the file name is a UTF-8 path.
class TFileStream : public TStream {
public:
    // fmCreate creates or truncates the file; raises EFCreateError or EFOpenError on failure.
    TFileStream(const std::string& fileName, uint32_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;

    const std::string& FileName() const { return FileName_; }

private:
    std::string FileName_;
    int Fd_ = -1;
};

}  // namespace base
