#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

bool TXLSStream::VerifyPassword(std::span<const uint8_t> filePass, std::u16string_view password) {
    return Cipher_.VerifyPassword(filePass, password);
}

bool TXLSStream::CheckPassword(std::span<const uint8_t> filePass, std::u16string_view password) {
    // The data after a second FILEPASS is plain already.
    if (Encrypted_) throw EBIFFError("FILEPASS repeated");
    if (!VerifyPassword(filePass, password)) return false;
    const int64_t here = Position();
    if (InPlace_) {
        Decrypted_.assign(InPlace_, InPlace_ + InPlaceSize_);
    } else {
        base::TStream& stream = Current();
        Decrypted_.resize(static_cast<size_t>(stream.Size()));
        stream.SetPosition(0);
        stream.ReadBuffer(Decrypted_.data(), static_cast<int64_t>(Decrypted_.size()));
    }
    Cipher_.CryptRecords(Decrypted_, static_cast<size_t>(here));
    InPlace_ = Decrypted_.data();
    InPlaceSize_ = static_cast<int64_t>(Decrypted_.size());
    InPlacePos_ = here;
    Current().SetPosition(here);
    Encrypted_ = true;
    return true;
}

void TXLSStream::WriteFilePass(std::u16string_view password) {
    const auto data = Cipher_.MakeFilePass(password);
    WriteHeader(BIFFRECID_FILEPASS, static_cast<uint16_t>(data.size()));
    WriteRaw(data.data(), static_cast<int64_t>(data.size()));
    FilePassEnd_ = Position();
}

void TXLSStream::EncryptStream() {
    if (FilePassEnd_ < 0) throw EBIFFError("FILEPASS was not written");
    base::TStream& stream = Current();
    std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
    stream.SetPosition(0);
    stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    Cipher_.CryptRecords(bytes, static_cast<size_t>(FilePassEnd_));
    stream.SetPosition(0);
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

}  // namespace xls
