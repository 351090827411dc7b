#include <algorithm>
#include <cstring>
#include <vector>

#include "base/byte_reader.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_write.h"
#include "workbook/model/document_root.h"

namespace xls {

namespace {

constexpr int SSTRecordSize = MAXRECSZ_97;
// A string's fixed part (count, flags, run count, extension size) is never split.
constexpr int SSTHeaderReserve = 15;

// Writes the shared strings as SST and CONTINUE records, patching lengths afterwards, and
// collects the EXTSST index on the way.
class THelperWriteSST {
public:
    THelperWriteSST(TXLSStream& stream, const TXLSWriteBIFF& writer) : Stream_(stream), Writer_(writer) {}

    void Write(const TXc12DataSST& sst) {
        const int total = sst.Count();
        // At most 1,027 buckets, so that EXTSST fits in one record.
        BucketSize_ = std::max(8, total / 1027 + 1);
        Stream_.WriteHeader(BIFFRECID_SST, 0);
        LengthPos_ = Stream_.Position() - 2;
        const int64_t dataStart = Stream_.Position();
        Stream_.WriteLongWord(static_cast<uint32_t>(total));
        Stream_.WriteLongWord(0);
        Free_ = SSTRecordSize - 8;
        int written = 0;
        for (int i = 0; i < total; ++i, ++written) WriteString(sst.GetStringRec(i), written);
        PatchLength();
        Stream_.Seek(dataStart + 4, 0);
        Stream_.WriteLongWord(static_cast<uint32_t>(written));
        Stream_.Seek(0, 2);
        WriteExtSST();
    }

private:
    struct TBucket {
        int64_t Position;
        uint16_t Offset;
    };

    void PatchLength() {
        Stream_.Seek(LengthPos_, 0);
        Stream_.WriteWord(static_cast<uint16_t>(SSTRecordSize - Free_));
        Stream_.Seek(0, 2);
    }

    void NextContinue() {
        PatchLength();
        Stream_.WriteHeader(BIFFRECID_CONTINUE, 0);
        LengthPos_ = Stream_.Position() - 2;
        Free_ = SSTRecordSize;
    }

    void Put(const void* data, int count) {
        Stream_.WriteRaw(data, count);
        Free_ -= count;
    }

    void PutWord(uint16_t value) {
        Stream_.WriteWord(value);
        Free_ -= 2;
    }

    void PutLong(uint32_t value) {
        Stream_.WriteLongWord(value);
        Free_ -= 4;
    }

    void PutByte(uint8_t value) {
        Stream_.WriteByte(value);
        Free_ -= 1;
    }

    void WriteString(const TXc12SSTString* record, int written) {
        if (Free_ <= SSTHeaderReserve) NextContinue();
        // The index points where the string really starts, after any switch to a new record.
        if (written % BucketSize_ == 0) {
            const int64_t here = Stream_.Position();
            Buckets_.push_back({here, static_cast<uint16_t>(here - LengthPos_ + 2)});
        }
        if (!record) {
            PutWord(0);
            PutByte(0);
            return;
        }
        const bool wide = record->IsWide();
        const bool runs = record->HasRuns() && record->RunCount() > 0;
        PutWord(record->Length());
        PutByte(static_cast<uint8_t>((wide ? 0x01 : 0x00) | (runs ? 0x08 : 0x00)));
        if (runs) PutWord(record->RunCount());
        WriteChars(record->Chars(), record->Length(), wide);
        if (runs) {
            const TXc12FontRun* list = record->Runs();
            for (int i = 0; i < record->RunCount(); ++i) {
                if (Free_ < 4) NextContinue();
                PutWord(static_cast<uint16_t>(list[i].FirstChar));
                PutWord(Writer_.FontIndex(list[i].Font));
            }
        }
    }

    void WriteChars(const uint8_t* chars, int count, bool wide) {
        std::vector<uint8_t> bytes;
        if (wide) {
            // The model keeps the characters in native order; the file wants little-endian.
            bytes.resize(static_cast<size_t>(count) * 2);
            for (int i = 0; i < count; ++i) {
                char16_t c;
                std::memcpy(&c, chars + 2 * i, 2);
                base::StoreLE16(bytes.data() + 2 * i, c);
            }
        } else {
            bytes.assign(chars, chars + count);
        }
        int done = 0;
        int left = static_cast<int>(bytes.size());
        while (left > Free_) {
            // Characters never straddle two records: a wide run stops at an even byte.
            int piece = wide ? Free_ & ~1 : Free_;
            Put(bytes.data() + done, piece);
            done += piece;
            left -= piece;
            NextContinue();
            PutByte(wide ? 1 : 0);
        }
        Put(bytes.data() + done, left);
    }

    void WriteExtSST() {
        TRecordBytes data;
        data.Word(static_cast<uint16_t>(BucketSize_));
        for (const TBucket& bucket : Buckets_)
            data.Long(static_cast<uint32_t>(bucket.Position)).Word(bucket.Offset).Word(0);
        Stream_.WriteHeader(BIFFRECID_EXTSST, static_cast<uint16_t>(data.Bytes.size()));
        Stream_.WriteRaw(data.Bytes.data(), static_cast<int64_t>(data.Bytes.size()));
    }

    TXLSStream& Stream_;
    const TXLSWriteBIFF& Writer_;
    int BucketSize_ = 8;
    int Free_ = SSTRecordSize;
    int64_t LengthPos_ = 0;
    std::vector<TBucket> Buckets_;
};

}  // namespace

void TXLSWriteBIFF::WriteSST() {
    THelperWriteSST helper(Stream_, *this);
    helper.Write(Manager_.SST());
}

}  // namespace xls
