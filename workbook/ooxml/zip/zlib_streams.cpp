#include "workbook/ooxml/zip/zlib_streams.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace xls {

namespace {

constexpr int64_t TransferSize = 65536;
constexpr int LevelTable[] = {0, 1, Z_DEFAULT_COMPRESSION, 9};
constexpr const char* ZlibErrorText = "ZLib decompress error";
constexpr const char* InvalidOperationText = "Invalid stream operation";

// zlib counts in uInt; larger blocks are fed in pieces of this size.
constexpr int64_t MaxZlibChunk = 1 << 30;

int CheckCompress(int code) {
    if (code < 0) throw ECompressionError(ZlibErrorText);
    return code;
}

int CheckDecompress(int code) {
    if (code < 0) throw EDecompressionError(ZlibErrorText);
    return code;
}

}  // namespace

struct TZlibState {
    z_stream Stream{};
    bool Initialised = false;
};

TCustomZlibStream::TCustomZlibStream(base::TStream& strm)
    : Strm_(strm), StrmPos_(strm.Position()), Z_(std::make_unique<TZlibState>()), Buffer_(TransferSize) {}

TCustomZlibStream::~TCustomZlibStream() = default;

void TCustomZlibStream::RestorePosition() {
    if (Strm_.Position() != StrmPos_) Strm_.SetPosition(StrmPos_);
}

// --- compression ---

TCompressionStream::TCompressionStream(TCompressionLevel level, bool raw, base::TStream& dest)
    : TCustomZlibStream(dest), Gather_(GatherSize) {
    const int zlevel = LevelTable[static_cast<size_t>(level) & 3];
    z_stream& z = Z_->Stream;
    if (raw)
        CheckCompress(deflateInit2(&z, zlevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY));
    else
        CheckCompress(deflateInit(&z, zlevel));
    Z_->Initialised = true;
    z.next_out = Buffer_.data();
    z.avail_out = static_cast<uInt>(TransferSize);
}

TCompressionStream::~TCompressionStream() {
    try {
        Finish();
    } catch (const base::Exception&) {
        // A destructor cannot report; callers that need the outcome call Finish first.
    }
    if (Z_->Initialised) deflateEnd(&Z_->Stream);
}

int64_t TCompressionStream::Read(void*, int64_t) { throw ECompressionError(InvalidOperationText); }

void TCompressionStream::Restart() {
    z_stream& z = Z_->Stream;
    CheckCompress(deflateReset(&z));
    z.next_out = Buffer_.data();
    z.avail_out = static_cast<uInt>(TransferSize);
    StrmPos_ = Strm_.Position();
    Crc_ = 0;
    Gathered_ = 0;
    Finished_ = false;
}

void TCompressionStream::SetOwnerToken(std::weak_ptr<const bool> token) {
    Owner_ = std::move(token);
    HasOwner_ = true;
}

void TCompressionStream::CheckOwner() const {
    if (HasOwner_ && Owner_.expired()) throw ECompressionError("The archive of this stream was closed");
}

int64_t TCompressionStream::Write(const void* buffer, int64_t count) {
    if (Finished_) throw ECompressionError(InvalidOperationText);
    CheckOwner();
    if (count <= 0) return 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (count > GatherSize) {
        FlushBuffer();
        DeflateBlock(bytes, count);
    } else {
        if (Gathered_ + count > GatherSize) FlushBuffer();
        std::memcpy(Gather_.data() + Gathered_, bytes, static_cast<size_t>(count));
        Gathered_ += count;
    }
    return count;
}

int64_t TCompressionStream::Seek(int64_t offset, base::TSeekOrigin origin) {
    if (offset != 0 || origin != base::TSeekOrigin::soCurrent) throw ECompressionError(InvalidOperationText);
    return TotalIn();
}

int64_t TCompressionStream::TotalIn() const { return static_cast<int64_t>(Z_->Stream.total_in); }

void TCompressionStream::FlushBuffer() {
    if (Gathered_ == 0) return;
    const int64_t n = Gathered_;
    Gathered_ = 0;
    DeflateBlock(Gather_.data(), n);
}

void TCompressionStream::CompressStream(base::TStream& source) {
    source.SetPosition(0);
    CompressFrom(source, source.Size());
}

void TCompressionStream::CompressFrom(base::TStream& source, int64_t count) {
    if (Finished_) throw ECompressionError(InvalidOperationText);
    FlushBuffer();
    if (count > 0 && Piece_.empty()) Piece_.resize(TransferSize);
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, TransferSize);
        source.ReadBuffer(Piece_.data(), n);
        DeflateBlock(Piece_.data(), n);
        count -= n;
    }
}

void TCompressionStream::WriteOut(int64_t count) {
    CheckOwner();
    RestorePosition();
    Strm_.WriteBuffer(Buffer_.data(), count);
    StrmPos_ = Strm_.Position();
    Z_->Stream.next_out = Buffer_.data();
    Z_->Stream.avail_out = static_cast<uInt>(TransferSize);
}

void TCompressionStream::DeflateBlock(const uint8_t* buffer, int64_t count) {
    z_stream& z = Z_->Stream;
    for (int64_t done = 0; done < count;) {
        const int64_t chunk = std::min(count - done, MaxZlibChunk);
        z.next_in = const_cast<Bytef*>(buffer + done);
        z.avail_in = static_cast<uInt>(chunk);
        while (z.avail_in > 0) {
            CheckCompress(deflate(&z, Z_NO_FLUSH));
            if (z.avail_out == 0) WriteOut(TransferSize);
        }
        Crc_ = static_cast<uint32_t>(crc32(Crc_, buffer + done, static_cast<uInt>(chunk)));
        done += chunk;
    }
}

void TCompressionStream::Finish() {
    if (Finished_) return;
    FlushBuffer();
    Finished_ = true;
    z_stream& z = Z_->Stream;
    z.next_in = nullptr;
    z.avail_in = 0;
    while (CheckCompress(deflate(&z, Z_FINISH)) != Z_STREAM_END)
        if (z.avail_out == 0) WriteOut(TransferSize);
    const int64_t filled = TransferSize - z.avail_out;
    if (filled > 0) WriteOut(filled);
}

// --- decompression ---

TDecompressionStream::TDecompressionStream(base::TStream& source, int64_t limit)
    : TCustomZlibStream(source), StartPos_(StrmPos_), InitialLimit_(limit), Limit_(limit) {
    CheckDecompress(inflateInit2(&Z_->Stream, -15));
    Z_->Initialised = true;
}

TDecompressionStream::~TDecompressionStream() {
    // Give back the input read ahead but not consumed, so the source continues after our data.
    try {
        if (InitialLimit_ < 0 && Z_->Stream.avail_in > 0) {
            RestorePosition();
            Strm_.Seek(-static_cast<int64_t>(Z_->Stream.avail_in), base::TSeekOrigin::soCurrent);
        }
    } catch (const base::Exception&) {
        // Nothing useful can be reported from a destructor.
    }
    if (Z_->Initialised) inflateEnd(&Z_->Stream);
}

int64_t TDecompressionStream::Read(void* buffer, int64_t count) { return DoRead(buffer, count, false); }

int64_t TDecompressionStream::ReadLimited(void* buffer, int64_t count) { return DoRead(buffer, count, true); }

int64_t TDecompressionStream::DoRead(void* buffer, int64_t count, bool limited) {
    if (count <= 0 || Ended_) return 0;
    z_stream& z = Z_->Stream;
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t produced = 0;
    while (produced < count) {
        if (z.avail_in == 0) {
            int64_t want = TransferSize;
            if (limited && Limit_ >= 0) want = std::min(want, Limit_);
            if (want <= 0) break;
            RestorePosition();
            const int64_t got = Strm_.Read(Buffer_.data(), want);
            if (got <= 0) break;
            if (limited && Limit_ >= 0) Limit_ -= got;
            StrmPos_ = Strm_.Position();
            z.next_in = Buffer_.data();
            z.avail_in = static_cast<uInt>(got);
        }
        const int64_t room = std::min(count - produced, MaxZlibChunk);
        z.next_out = out + produced;
        z.avail_out = static_cast<uInt>(room);
        const int code = inflate(&z, Z_NO_FLUSH);
        produced += room - z.avail_out;
        if (code == Z_STREAM_END) {
            Ended_ = true;
            break;
        }
        // Z_NEED_DICT cannot occur in raw deflate; treat it like any other corrupt input.
        if (code == Z_NEED_DICT) throw EDecompressionError(ZlibErrorText);
        CheckDecompress(code == Z_BUF_ERROR ? Z_OK : code);
    }
    return produced;
}

void TDecompressionStream::Restart(int64_t start, int64_t limit) {
    CheckDecompress(inflateReset(&Z_->Stream));
    Z_->Stream.avail_in = 0;
    Z_->Stream.next_in = nullptr;
    Ended_ = false;
    StartPos_ = StrmPos_ = start;
    InitialLimit_ = Limit_ = limit;
}

int64_t TDecompressionStream::Write(const void*, int64_t) { throw EDecompressionError(InvalidOperationText); }

int64_t TDecompressionStream::TotalOut() const { return static_cast<int64_t>(Z_->Stream.total_out); }

void TDecompressionStream::Skip(int64_t count) {
    std::vector<uint8_t> scratch(4096);
    while (count > 0) {
        const int64_t n = std::min<int64_t>(count, 4096);
        if (Read(scratch.data(), n) != n) throw base::EReadError("Stream read error");
        count -= n;
    }
}

int64_t TDecompressionStream::Seek(int64_t offset, base::TSeekOrigin origin) {
    if (origin == base::TSeekOrigin::soBeginning && offset == 0) {
        Restart(StartPos_, InitialLimit_);
    } else if (origin == base::TSeekOrigin::soCurrent && offset >= 0) {
        Skip(offset);
    } else if (origin == base::TSeekOrigin::soBeginning && offset > TotalOut()) {
        Skip(offset - TotalOut());
    } else {
        throw EDecompressionError(InvalidOperationText);
    }
    return TotalOut();
}

}  // namespace xls
