#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/exception.h"
#include "base/stream.h"

namespace xls {

class EZlibError : public base::Exception {
public:
    using base::Exception::Exception;
};

class ECompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

class EDecompressionError : public EZlibError {
public:
    using EZlibError::EZlibError;
};

// Compression level index, mapped to zlib levels 0, 1, default and 9.
enum class TCompressionLevel : uint8_t { clNone, clFastest, clDefault, clMax };

struct TZlibState;

// Common ground of the two zlib streams: the underlying stream (not owned), where this
// object last left it, zlib's state and the transfer buffer.
class TCustomZlibStream : public base::TStream {
public:
    ~TCustomZlibStream() override;
    TCustomZlibStream(const TCustomZlibStream&) = delete;
    TCustomZlibStream& operator=(const TCustomZlibStream&) = delete;

protected:
    explicit TCustomZlibStream(base::TStream& strm);

    // Someone else may move the underlying stream between our calls (several entries of
    // one archive share it), so it is put back where we left it before each use.
    void RestorePosition();

    base::TStream& Strm_;
    int64_t StrmPos_;
    std::unique_ptr<TZlibState> Z_;
    std::vector<uint8_t> Buffer_;
};

// Deflates what is written to it into Dest, raw (as ZIP entries need) or in zlib format,
// and keeps the CRC-32 of everything compressed so far.
class TCompressionStream : public TCustomZlibStream {
public:
    static constexpr int64_t GatherSize = 8191;

    TCompressionStream(TCompressionLevel level, bool raw, base::TStream& dest);
    // Finishes the deflate data when Finish was not called; errors are lost there, so
    // callers that care call Finish.
    ~TCompressionStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    // Only Seek(0, soCurrent) is allowed; it gives TotalIn.
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override;

    // Compresses the gathered bytes, if any.
    void FlushBuffer();
    // Compresses Source.Size bytes of source from its start, bypassing the gather buffer.
    void CompressStream(base::TStream& source);
    // Compresses count bytes read from source at its position.
    void CompressFrom(base::TStream& source, int64_t count);
    // Flushes, ends the deflate data and writes it out; later writes are refused.
    void Finish();

    int64_t TotalIn() const;
    uint32_t CRC32() const { return Crc_; }

    // Starts new deflate data at Dest's position, keeping zlib's state and the buffers: an
    // archive writing many entries allocates them once.
    void Restart();

    // Ties the stream to its owner's lifetime: once the token expires, writes are refused
    // and nothing more reaches Dest, not even when the stream goes away.
    void SetOwnerToken(std::weak_ptr<const bool> token);

private:
    void DeflateBlock(const uint8_t* buffer, int64_t count);
    void WriteOut(int64_t count);
    void CheckOwner() const;

    uint32_t Crc_ = 0;
    std::vector<uint8_t> Piece_;  // CompressFrom's transfer buffer
    std::weak_ptr<const bool> Owner_;
    bool HasOwner_ = false;
    std::vector<uint8_t> Gather_;
    int64_t Gathered_ = 0;
    bool Finished_ = false;
};

// Inflates raw deflate data read from Source, optionally limited to a number of
// compressed bytes (a ZIP entry's compressed size).
class TDecompressionStream : public TCustomZlibStream {
public:
    // limit < 0: no limit. An unlimited stream gives back, when it goes away, the input it
    // read ahead; a limited one leaves the source alone (its owner knows where its data ends).
    TDecompressionStream(base::TStream& source, int64_t limit = -1);
    ~TDecompressionStream() override;

    // The unlimited read.
    int64_t Read(void* buffer, int64_t count) override;
    // Reads no more compressed bytes than the limit left; returns what was produced.
    int64_t ReadLimited(void* buffer, int64_t count);
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, base::TSeekOrigin origin) override;

    int64_t TotalOut() const;

    // Starts over on other data of the same source, keeping zlib's state and the buffers.
    void Restart(int64_t start, int64_t limit);

private:
    int64_t DoRead(void* buffer, int64_t count, bool limited);
    void Skip(int64_t count);

    int64_t StartPos_;
    int64_t InitialLimit_;
    int64_t Limit_;
    bool Ended_ = false;
};

}  // namespace xls
