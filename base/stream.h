#pragma once

#include <cstddef>
#include <cstdint>

namespace base {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// Byte stream with a position, the common ground of memory and file streams and of the
// library streams built on them (ZIP entries, compound-file streams, compressors).
class TStream {
public:
    virtual ~TStream() = default;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position; returns the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    virtual int64_t Size();
    virtual void SetSize(int64_t newSize);

    // The stream's bytes, Size() of them in order, when they all lie in memory; nil otherwise.
    // A reader may then take them where they stand. Valid until the stream is written, resized
    // or destroyed.
    virtual const uint8_t* ContiguousBytes() const { return nullptr; }

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

    // Read and write exactly count bytes or raise EReadError / EWriteError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);

    // Copies count bytes from source at its position (count 0: all of source from its start).
    // Returns the number of bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

}  // namespace base
