#include "skin/lzh.h"

#include <array>
#include <memory>

#include "base/byte_reader.h"
#include "skin/lzh_tree.h"

namespace skin {

namespace {

constexpr const char* InputEndedText = "LZH : The compressed data ends early";

[[noreturn]] void InputEnded() { throw ElzhException(InputEndedText); }

// Bits are taken from the top of a 16-bit buffer that is topped up a byte at a time. Topping up
// past the input adds zero bytes, as the format has no end mark; only using such a bit fails.
class TBitInput {
public:
    explicit TBitInput(std::span<const uint8_t> input) : Input_(input, InputEnded), BitsLeft_(input.size() * 8) {}

    int Bit() {
        Fill();
        Use(1);
        const int bit = Buffer_ >> 15;
        Buffer_ = static_cast<uint16_t>(Buffer_ << 1);
        --Count_;
        return bit;
    }
    int Byte() {
        Fill();
        Use(8);
        const int byte = Buffer_ >> 8;
        Buffer_ = static_cast<uint16_t>(Buffer_ << 8);
        Count_ -= 8;
        return byte;
    }

private:
    void Fill() {
        while (Count_ <= 8) {
            const unsigned b = Input_.AtEnd() ? 0 : Input_.U8();
            Buffer_ = static_cast<uint16_t>(Buffer_ | b << (8 - Count_));
            Count_ += 8;
        }
    }
    void Use(size_t bits) {
        if (bits > BitsLeft_) InputEnded();
        BitsLeft_ -= bits;
    }

    base::TByteReader Input_;
    size_t BitsLeft_;
    uint16_t Buffer_ = 0;
    int Count_ = 0;
};

int DecodeChar(TLzhTree& tree, TBitInput& bits) {
    int c = tree.Child(LzhRoot);
    while (c < LzhTreeSize) c = tree.Child(c + bits.Bit());
    c -= LzhTreeSize;
    tree.Update(c);
    return c;
}

int DecodePosition(TBitInput& bits) {
    int i = bits.Byte();
    const int upper = LzhDecodeCode[i] << 6;
    for (int j = LzhDecodeLength[i] - 2; j > 0; --j) i = (i << 1) + bits.Bit();
    return upper | (i & 0x3F);
}

}  // namespace

std::vector<uint8_t> TLZH::Decode(std::span<const uint8_t> input, size_t count) {
    std::vector<uint8_t> output;
    output.reserve(count);
    const auto tree = std::make_unique<TLzhTree>();
    TBitInput bits(input);
    std::array<uint8_t, LzhRingSize> ring{};
    std::fill_n(ring.begin(), LzhRingStart, LzhBlank);
    int r = LzhRingStart;
    auto put = [&](uint8_t b) {
        output.push_back(b);
        ring[r] = b;
        r = (r + 1) & (LzhRingSize - 1);
    };
    while (output.size() < count) {
        const int c = DecodeChar(*tree, bits);
        if (c < 256) {
            put(static_cast<uint8_t>(c));
            continue;
        }
        const int start = r - DecodePosition(bits) - 1;
        const int length = c - 255 + LzhThreshold;
        // A match that runs past the wanted size is cut there.
        for (int k = 0; k < length && output.size() < count; ++k) put(ring[(start + k) & (LzhRingSize - 1)]);
    }
    return output;
}

}  // namespace skin
