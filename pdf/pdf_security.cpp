#include "pdf/pdf_security.h"

#include <random>

#include "base/md5.h"
#include "base/rc4.h"

namespace pdf {
namespace {

constexpr uint8_t Padding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                 0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                 0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

std::string Pad(const std::string& password) {
    std::string padded = password.substr(0, 32);
    padded.append(reinterpret_cast<const char*>(Padding), 32 - padded.size());
    return padded;
}

void Rehash50(base::TMD5Digest& digest) {
    for (int i = 0; i < 50; ++i) digest = base::MD5Buffer(digest.data(), digest.size());
}

std::string Rc4(std::string_view bytes, const uint8_t* key, int keyLength) {
    base::TRC4State state;
    base::RC4Init(state, key, keyLength);
    std::string out(bytes);
    base::RC4Crypt(state, out.data(), out.data(), out.size());
    return out;
}

// Passes 1 to 19 of revision 3, each with the key XORed with the pass number.
std::string NineteenPasses(std::string bytes, const uint8_t* key, int keyLength) {
    for (int i = 1; i <= 19; ++i) {
        uint8_t passKey[16];
        for (int k = 0; k < keyLength; ++k) passKey[k] = uint8_t(key[k] ^ i);
        bytes = Rc4(bytes, passKey, keyLength);
    }
    return bytes;
}

int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

}  // namespace

int32_t PermissionValue(const TPDFPermissions& permissions, bool strong) {
    int32_t p = strong ? -3904 : -64;
    if (permissions.Print) p += 4;
    if (permissions.Modify) p += 8;
    if (permissions.Copy) p += 16;
    if (permissions.Annotate) p += 32;
    if (strong) {
        if (permissions.FillForms) p += 256;
        if (permissions.Extract) p += 512;
        if (permissions.Assemble) p += 1024;
        if (permissions.PrintHigh) p += 2048;
    }
    return p;
}

TPDFSecurity ComputeSecurity(const std::string& ownerPassword, const std::string& userPassword, int32_t p, bool strong,
                             std::string_view fileIDHex) {
    TPDFSecurity security;
    security.Strong = strong;
    security.P = p;
    for (size_t i = 0; i + 1 < fileIDHex.size() && security.FileID.size() < 16; i += 2)
        security.FileID.push_back(char(HexValue(fileIDHex[i]) * 16 + HexValue(fileIDHex[i + 1])));
    const int keyLength = security.KeyLength();

    const std::string paddedOwner = Pad(ownerPassword.empty() ? userPassword : ownerPassword);
    base::TMD5Digest ownerDigest = base::MD5Buffer(paddedOwner.data(), paddedOwner.size());
    if (strong) Rehash50(ownerDigest);
    const std::string paddedUser = Pad(userPassword);
    security.O = Rc4(paddedUser, ownerDigest.data(), keyLength);
    if (strong) security.O = NineteenPasses(security.O, ownerDigest.data(), keyLength);

    base::TMD5Context context;
    base::MD5Init(context);
    base::MD5Update(context, paddedUser.data(), paddedUser.size());
    base::MD5Update(context, security.O.data(), security.O.size());
    const uint8_t pBytes[4] = {uint8_t(p), uint8_t(p >> 8), uint8_t(p >> 16), uint8_t(uint32_t(p) >> 24)};
    base::MD5Update(context, pBytes, 4);
    base::MD5Update(context, security.FileID.data(), security.FileID.size());
    base::TMD5Digest key;
    base::MD5Final(key, context);
    if (strong) Rehash50(key);
    security.Key = key;
    return security;
}

std::string TPDFSecurity::Crypt(std::string_view bytes, int number) const {
    if (bytes.empty()) return std::string(bytes);
    uint8_t seed[21];
    const int keyLength = KeyLength();
    for (int i = 0; i < keyLength; ++i) seed[i] = Key[size_t(i)];
    seed[keyLength] = uint8_t(number);
    seed[keyLength + 1] = uint8_t(number >> 8);
    seed[keyLength + 2] = uint8_t(number >> 16);
    seed[keyLength + 3] = 0;
    seed[keyLength + 4] = 0;
    const base::TMD5Digest objectKey = base::MD5Buffer(seed, size_t(keyLength) + 5);
    return Rc4(bytes, objectKey.data(), Strong ? 16 : 10);
}

std::string TPDFSecurity::UserEntry() const {
    if (!Strong) return Rc4(std::string_view(reinterpret_cast<const char*>(Padding), 32), Key.data(), 5);
    base::TMD5Context context;
    base::MD5Init(context);
    base::MD5Update(context, Padding, 32);
    base::MD5Update(context, FileID.data(), FileID.size());
    base::TMD5Digest digest;
    base::MD5Final(digest, context);
    std::string entry = Rc4(std::string_view(reinterpret_cast<const char*>(digest.data()), 16), Key.data(), 16);
    entry = NineteenPasses(entry, Key.data(), 16);
    std::random_device random;
    for (int i = 0; i < 16; ++i) entry.push_back(char(32 + random() % 200));
    return entry;
}

}  // namespace pdf
