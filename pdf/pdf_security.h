#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pdf {

// The standard security handler's values of one document: revision 2 with a 40-bit RC4
// key or revision 3 with a 128-bit key.
struct TPDFSecurity {
    bool Strong = false;  // 128-bit key, revision 3
    int32_t P = 0;
    std::string O;                  // 32 bytes
    std::array<uint8_t, 16> Key{};  // the first 5 are used with the 40-bit key
    std::string FileID;             // 16 bytes of the first /ID element

    int KeyLength() const { return Strong ? 16 : 5; }
    // The bytes RC4-encrypted with the key of object `number` (generation 0); empty stays empty.
    std::string Crypt(std::string_view bytes, int number) const;
    // /U; with the 128-bit key its last 16 bytes are random.
    std::string UserEntry() const;
};

// The permission bits as the options ask (bit values of the user access permissions):
// print 4, modify 8, copy 16, annotate 32 and, with the 128-bit key only, fill forms 256,
// extract 512, assemble 1024, print in high quality 2048.
struct TPDFPermissions {
    bool Print = false, Modify = false, Copy = false, Annotate = false;
    bool FillForms = false, Extract = false, Assemble = false, PrintHigh = false;
};
int32_t PermissionValue(const TPDFPermissions& permissions, bool strong);

// P, O and the document key for the passwords and the 32 hexadecimal digits of the file
// identifier. An empty owner password takes the user password, so that the user password
// still guards the file.
TPDFSecurity ComputeSecurity(const std::string& ownerPassword, const std::string& userPassword, int32_t p, bool strong,
                             std::string_view fileIDHex);

}  // namespace pdf
