#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "base/exception.h"
#include "base/md4.h"
#include "base/md5.h"
#include "base/rc4.h"

namespace base {
namespace {

std::string Hex(const uint8_t* bytes, size_t size) {
    static const char* digits = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        text.push_back(digits[bytes[i] >> 4]);
        text.push_back(digits[bytes[i] & 15]);
    }
    return text;
}

std::string Hex(const std::array<uint8_t, 16>& digest) { return Hex(digest.data(), digest.size()); }

const uint8_t* Bytes(const std::string& text) { return reinterpret_cast<const uint8_t*>(text.data()); }

TEST(MD4Test, DigestsOfTheReferenceSuite) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "31d6cfe0d16ae931b73c59d7e0c089c0"},
        {"a", "bde52cb31de33e46245e05fbdbd6fb24"},
        {"abc", "a448017aaf21d8525fc10ae87aa6729d"},
        {"message digest", "d9130a8164549fe818874806e1c7014b"},
        {"abcdefghijklmnopqrstuvwxyz", "d79e1c308aa5bbcdeea8ed63df412da9"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "043f8582f241db351ce627e153e7f0e4"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "e33b4ddc9c38f2199c3e7b164fcc0536"},
    };
    for (const auto& [text, digest] : cases) EXPECT_EQ(Hex(MD4Digest(Bytes(text), text.size())), digest) << text;
}

TEST(MD4Test, PiecesEqualOneBufferAndUseAfterFinalRaises) {
    const std::string text(200, 'q');
    for (size_t piece : {1u, 55u, 56u, 63u, 64u, 65u}) {
        TMD4Hash hash;
        hash.Init();
        for (size_t i = 0; i < text.size(); i += piece) hash.Update(text.data() + i, std::min(piece, text.size() - i));
        TMD4Hash::TDigest digest;
        hash.Final(digest);
        EXPECT_EQ(digest, MD4Digest(Bytes(text), text.size())) << piece;
        EXPECT_THROW(hash.Final(digest), Exception);
        try {
            hash.Update("x", 1);
            ADD_FAILURE();
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "Hash not initialized");
        }
    }
}

TEST(MD5Test, DigestsOfTheReferenceSuite) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : cases) EXPECT_EQ(MD5String(text), digest) << text;
}

TEST(MD5Test, UpdateInPiecesEqualsOneBufferAndFinalWipesContext) {
    const std::string text(300, 'x');
    TMD5Context context;
    MD5Init(context);
    for (size_t i = 0; i < text.size(); i += 7)
        MD5Update(context, text.data() + i, std::min<size_t>(7, text.size() - i));
    TMD5Digest digest;
    MD5Final(digest, context);
    EXPECT_EQ(MD5DigestToHex(digest), MD5String(text));
    EXPECT_EQ(context.State[0], 0u);
    EXPECT_EQ(context.BufferLength, 0u);
}

TEST(RC4Test, PublishedVectors) {
    struct Case {
        std::vector<uint8_t> key;
        std::string plain;
        std::string cipherHex;
    };
    auto text = [](const char* s) { return std::vector<uint8_t>(s, s + std::char_traits<char>::length(s)); };
    const Case cases[] = {
        {text("Key"), "Plaintext", "bbf316e8d940af0ad3"},
        {text("Wiki"), "pedia", "1021bf0420"},
        {text("Secret"), "Attack at dawn", "45a01f645fc35b383552544b9bf5"},
        // RFC 6229: the first keystream bytes of a 40-bit and a 128-bit key.
        {{1, 2, 3, 4, 5}, std::string(16, '\0'), "b2396305f03dc027ccc3524a0a1118a8"},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         std::string(16, '\0'),
         "9ac7cc9a609d1ef7b2932899cde41b97"},
    };
    for (const Case& c : cases) {
        TRC4State state;
        RC4Init(state, c.key.data(), int(c.key.size()));
        std::string out(c.plain.size(), '\0');
        RC4Crypt(state, c.plain.data(), out.data(), out.size());
        EXPECT_EQ(Hex(Bytes(out), out.size()), c.cipherHex) << c.plain;
    }
}

TEST(RC4Test, KeystreamGoesOnAcrossCallsAndSkips) {
    const uint8_t key[] = {1, 2, 3, 4, 5};
    // RFC 6229, offset 0 and offset 240 of the 40-bit key's keystream.
    TRC4State state;
    RC4Init(state, key, 5);
    std::string zeros(16, '\0');
    std::string first = zeros;
    RC4Crypt(state, first.data(), first.data(), 8);
    RC4Crypt(state, first.data() + 8, first.data() + 8, 8);
    EXPECT_EQ(Hex(Bytes(first), 16), "b2396305f03dc027ccc3524a0a1118a8");
    RC4Skip(state, 240 - 16);
    std::string later = zeros;
    RC4Crypt(state, later.data(), later.data(), 16);
    EXPECT_EQ(Hex(Bytes(later), 16), "28cb1132c96ce286421dcaadb8b69eae");

    // A fresh schedule with the same key restores the data.
    std::string data = "restored by a second pass";
    const std::string original = data;
    for (int pass = 0; pass < 2; ++pass) {
        RC4Init(state, key, 5);
        RC4Crypt(state, data.data(), data.data(), data.size());
    }
    EXPECT_EQ(data, original);

    for (int length : {0, 257}) {
        std::string longKey(300, 'k');
        try {
            RC4Init(state, longKey.data(), length);
            ADD_FAILURE() << length;
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), "RC4: Invalid key length");
        }
    }
}

}  // namespace
}  // namespace base
