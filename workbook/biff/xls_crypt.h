#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "base/rc4.h"

namespace xls {

// The password a workbook is encrypted with when its author gave none: readers try it first.
inline constexpr std::u16string_view DefaultPassword = u"VelvetSweatshop";

// FILEPASS of the RC4 encryption: type, version 1.1, salt, encrypted verifier and its hash.
inline constexpr size_t FilePassSize = 54;
inline constexpr uint16_t EncryptionRC4 = 1;

// The RC4 encryption of a BIFF8 workbook stream: a key per 1024-byte block derived from the
// password and the salt, the byte at stream offset p taking byte p mod 1024 of its block's
// keystream. Record headers and the records that are never encrypted consume keystream too.
class TXLSCipher {
public:
    // Derives the key from the FILEPASS salt; true when the password matches its verifier.
    bool VerifyPassword(std::span<const uint8_t> filePass, std::u16string_view password);
    // FILEPASS data for password, keyed for EncryptStream: the default password gets a fixed
    // salt (its files are the same for every save), any other a random salt and verifier.
    std::array<uint8_t, FilePassSize> MakeFilePass(std::u16string_view password);
    // XORs the records of a whole workbook stream from offset start (a record header) to its
    // end; both encrypts and decrypts. Records that stay plain and the first four bytes of each
    // BOUNDSHEET (the position of its substream) are left alone.
    void CryptRecords(std::span<uint8_t> stream, size_t start);

private:
    void DeriveKey(std::u16string_view password, const uint8_t* salt);
    void MakeBlockKey(uint32_t block);
    // Moves the keystream to stream offset position.
    void SkipKeystream(int64_t position);
    // XORs count bytes that stand at stream offset position.
    void Decrypt(uint8_t* bytes, int64_t position, size_t count);

    std::array<uint8_t, 5> KeyHash_{};
    base::TRC4State State_{};
    int64_t Block_ = -1;
    int64_t Position_ = 0;  // the stream offset of the next keystream byte
};

}  // namespace xls
