#include "base/stream.h"

#include <algorithm>
#include <vector>

#include "base/exception.h"

namespace base {

int64_t TStream::Size() {
    const int64_t position = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0 || Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0 || Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count < 0) throw EReadError("Stream read error");
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr int64_t ChunkSize = 1 << 16;
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min(count, ChunkSize)));
    int64_t remaining = count;
    while (remaining > 0) {
        const int64_t n = std::min(remaining, ChunkSize);
        source.ReadBuffer(chunk.data(), n);
        WriteBuffer(chunk.data(), n);
        remaining -= n;
    }
    return count;
}

}  // namespace base
