#include "workbook/biff/xls_crypt.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "base/byte_reader.h"
#include "base/md5.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"

namespace xls {

namespace {

constexpr int64_t BlockSize = 1024;
constexpr size_t MaxPasswordChars = 31;
constexpr size_t SaltOffset = 6;
constexpr size_t VerifierOffset = 22;
constexpr size_t VerifierHashOffset = 38;

// Written with the default password, so that such files come out the same for every save.
constexpr uint8_t FixedSalt[16] = {0x3c, 0x9a, 0x51, 0xe0, 0x7b, 0x24, 0xd8, 0x6f,
                                   0x0e, 0x5a, 0x92, 0xc4, 0x1b, 0x7d, 0x36, 0xe8};
constexpr uint8_t FixedVerifier[16] = {0xa4, 0x7e, 0x0c, 0x19, 0xd2, 0x5b, 0x83, 0xf6,
                                       0xe1, 0x0d, 0x7c, 0x4a, 0x95, 0xb2, 0x3f, 0x68};

// Records the file format keeps plain in an encrypted stream.
bool NeverEncrypted(uint16_t id) {
    if ((id & 0xFF) == 0x09 && id <= BIFFRECID_BOF) return true;  // BOF of any version
    switch (id) {
        case BIFFRECID_FILEPASS:
        case BIFFRECID_INTERFACEHDR:
        case 0x0194:  // USREXCL
        case 0x0195:  // FILELOCK
        case 0x0196:  // RRDINFO
        case 0x0138:  // RRDHEAD
            return true;
        default: return false;
    }
}

}  // namespace

void TXLSCipher::DeriveKey(std::u16string_view password, const uint8_t* salt) {
    std::vector<uint8_t> bytes;
    for (char16_t c : password.substr(0, MaxPasswordChars)) base::AppendLE16(bytes, c);
    const base::TMD5Digest h0 = base::MD5Buffer(bytes.data(), bytes.size());
    base::TMD5Context context;
    base::MD5Init(context);
    for (int i = 0; i < 16; ++i) {
        base::MD5Update(context, h0.data(), 5);
        base::MD5Update(context, salt, 16);
    }
    base::TMD5Digest h1;
    base::MD5Final(h1, context);
    std::copy_n(h1.begin(), KeyHash_.size(), KeyHash_.begin());
    Block_ = -1;
}

void TXLSCipher::MakeBlockKey(uint32_t block) {
    uint8_t seed[9];
    std::memcpy(seed, KeyHash_.data(), 5);
    base::StoreLE32(seed + 5, block);
    const base::TMD5Digest key = base::MD5Buffer(seed, sizeof seed);
    base::RC4Init(State_, key.data(), static_cast<int>(key.size()));
    Block_ = block;
    Position_ = int64_t(block) * BlockSize;
}

void TXLSCipher::SkipKeystream(int64_t position) {
    if (position / BlockSize != Block_ || position < Position_)
        MakeBlockKey(static_cast<uint32_t>(position / BlockSize));
    base::RC4Skip(State_, static_cast<size_t>(position - Position_));
    Position_ = position;
}

void TXLSCipher::Decrypt(uint8_t* bytes, int64_t position, size_t count) {
    while (count > 0) {
        SkipKeystream(position);
        const size_t piece = std::min<size_t>(count, static_cast<size_t>(BlockSize - position % BlockSize));
        base::RC4Crypt(State_, bytes, bytes, piece);
        bytes += piece;
        position += static_cast<int64_t>(piece);
        Position_ = position;
        count -= piece;
    }
}

bool TXLSCipher::VerifyPassword(std::span<const uint8_t> filePass, std::u16string_view password) {
    if (filePass.size() < FilePassSize) throw EBIFFError("FILEPASS record too short");
    DeriveKey(password, filePass.data() + SaltOffset);
    uint8_t verifier[32];
    std::memcpy(verifier, filePass.data() + VerifierOffset, 32);
    MakeBlockKey(0);
    base::RC4Crypt(State_, verifier, verifier, sizeof verifier);
    const base::TMD5Digest hash = base::MD5Buffer(verifier, 16);
    Block_ = -1;
    return std::equal(hash.begin(), hash.end(), verifier + 16);
}

std::array<uint8_t, FilePassSize> TXLSCipher::MakeFilePass(std::u16string_view password) {
    std::array<uint8_t, FilePassSize> data{};
    base::StoreLE16(data.data(), EncryptionRC4);
    base::StoreLE16(data.data() + 2, 1);
    base::StoreLE16(data.data() + 4, 1);
    uint8_t* salt = data.data() + SaltOffset;
    uint8_t* verifier = data.data() + VerifierOffset;
    if (password == DefaultPassword) {
        std::memcpy(salt, FixedSalt, 16);
        std::memcpy(verifier, FixedVerifier, 16);
    } else {
        // A salt of its own for every save: two files with one password share no keystream.
        std::random_device random;
        for (size_t i = 0; i < 32; i += 4) base::StoreLE32(salt + i, random());
    }
    DeriveKey(password, salt);
    const base::TMD5Digest hash = base::MD5Buffer(verifier, 16);
    std::memcpy(data.data() + VerifierHashOffset, hash.data(), hash.size());
    MakeBlockKey(0);
    base::RC4Crypt(State_, verifier, verifier, 32);
    Block_ = -1;
    return data;
}

void TXLSCipher::CryptRecords(std::span<uint8_t> stream, size_t start) {
    size_t at = start;
    while (stream.size() >= 4 && at <= stream.size() - 4) {
        const uint16_t id = base::LoadLE16(stream.data() + at);
        const size_t length = std::min<size_t>(base::LoadLE16(stream.data() + at + 2), stream.size() - at - 4);
        size_t data = at + 4;
        at = data + length;
        if (NeverEncrypted(id)) continue;
        size_t skip = id == BIFFRECID_BOUNDSHEET ? std::min<size_t>(4, length) : 0;
        Decrypt(stream.data() + data + skip, static_cast<int64_t>(data + skip), length - skip);
    }
}

}  // namespace xls
