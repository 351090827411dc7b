#include "pdf/pdf_ccitt.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace pdf {
namespace {

struct TCode {
    uint16_t Bits = 0;
    uint8_t Length = 0;
};

// The codes as T.4 writes them, one string of 0 and 1 per code.
constexpr std::array<std::string_view, 64> WhiteTerminating = {
    "00110101", "000111",   "0111",     "1000",     "1011",     "1100",     "1110",     "1111",
    "10011",    "10100",    "00111",    "01000",    "001000",   "000011",   "110100",   "110101",
    "101010",   "101011",   "0100111",  "0001100",  "0001000",  "0010111",  "0000011",  "0000100",
    "0101000",  "0101011",  "0010011",  "0100100",  "0011000",  "00000010", "00000011", "00011010",
    "00011011", "00010010", "00010011", "00010100", "00010101", "00010110", "00010111", "00101000",
    "00101001", "00101010", "00101011", "00101100", "00101101", "00000100", "00000101", "00001010",
    "00001011", "01010010", "01010011", "01010100", "01010101", "00100100", "00100101", "01011000",
    "01011001", "01011010", "01011011", "01001010", "01001011", "00110010", "00110011", "00110100"};

constexpr std::array<std::string_view, 64> BlackTerminating = {
    "0000110111",   "010",          "11",           "10",           "011",          "0011",         "0010",
    "00011",        "000101",       "000100",       "0000100",      "0000101",      "0000111",      "00000100",
    "00000111",     "000011000",    "0000010111",   "0000011000",   "0000001000",   "00001100111",  "00001101000",
    "00001101100",  "00000110111",  "00000101000",  "00000010111",  "00000011000",  "000011001010", "000011001011",
    "000011001100", "000011001101", "000001101000", "000001101001", "000001101010", "000001101011", "000011010010",
    "000011010011", "000011010100", "000011010101", "000011010110", "000011010111", "000001101100", "000001101101",
    "000011011010", "000011011011", "000001010100", "000001010101", "000001010110", "000001010111", "000001100100",
    "000001100101", "000001010010", "000001010011", "000000100100", "000000110111", "000000111000", "000000100111",
    "000000101000", "000001011000", "000001011001", "000000101011", "000000101100", "000001011010", "000001100110",
    "000001100111"};

// Make-up codes for 64 to 1728 in steps of 64.
constexpr std::array<std::string_view, 27> WhiteMakeUp = {
    "11011",     "10010",     "010111",    "0110111",   "00110110",  "00110111",  "01100100",
    "01100101",  "01101000",  "01100111",  "011001100", "011001101", "011010010", "011010011",
    "011010100", "011010101", "011010110", "011010111", "011011000", "011011001", "011011010",
    "011011011", "010011000", "010011001", "010011010", "011000",    "010011011"};

constexpr std::array<std::string_view, 27> BlackMakeUp = {
    "0000001111",    "000011001000",  "000011001001",  "000001011011",  "000000110011",  "000000110100",
    "000000110101",  "0000001101100", "0000001101101", "0000001001010", "0000001001011", "0000001001100",
    "0000001001101", "0000001110010", "0000001110011", "0000001110100", "0000001110101", "0000001110110",
    "0000001110111", "0000001010010", "0000001010011", "0000001010100", "0000001010101", "0000001011010",
    "0000001011011", "0000001100100", "0000001100101"};

// Make-up codes for 1792 to 2560 in steps of 64, the same for both colours.
constexpr std::array<std::string_view, 13> ExtendedMakeUp = {
    "00000001000",  "00000001100",  "00000001101",  "000000010010", "000000010011", "000000010100", "000000010101",
    "000000010110", "000000010111", "000000011100", "000000011101", "000000011110", "000000011111"};

constexpr TCode Parse(std::string_view text) {
    TCode code;
    for (char c : text) code.Bits = uint16_t((code.Bits << 1) | (c == '1' ? 1 : 0));
    code.Length = uint8_t(text.size());
    return code;
}

template <size_t N>
constexpr std::array<TCode, N> ParseAll(const std::array<std::string_view, N>& texts) {
    std::array<TCode, N> codes{};
    for (size_t i = 0; i < N; ++i) codes[i] = Parse(texts[i]);
    return codes;
}

struct TColourCodes {
    std::array<TCode, 64> Terminating;
    std::array<TCode, 27> MakeUp;
};

constexpr TColourCodes WhiteCodes{ParseAll(WhiteTerminating), ParseAll(WhiteMakeUp)};
constexpr TColourCodes BlackCodes{ParseAll(BlackTerminating), ParseAll(BlackMakeUp)};
constexpr std::array<TCode, 13> ExtendedCodes = ParseAll(ExtendedMakeUp);

constexpr TCode EndOfLine = Parse("000000000001");
constexpr TCode PassCode = Parse("0001");
constexpr TCode HorizontalCode = Parse("001");
// Indexed by b1 - a1 + 3: VR3, VR2, VR1, V0, VL1, VL2, VL3.
constexpr std::array<TCode, 7> VerticalCodes = {Parse("0000011"), Parse("000011"), Parse("011"),    Parse("1"),
                                                Parse("010"),     Parse("000010"), Parse("0000010")};

// Leading clear bits and leading set bits of every byte value.
struct TRunTables {
    std::array<uint8_t, 256> Clear{};
    std::array<uint8_t, 256> Set{};
};

constexpr TRunTables MakeRunTables() {
    TRunTables tables;
    for (int value = 0; value < 256; ++value) {
        int clear = 0, set = 0;
        while (clear < 8 && !(value & (0x80 >> clear))) ++clear;
        while (set < 8 && (value & (0x80 >> set))) ++set;
        tables.Clear[value] = uint8_t(clear);
        tables.Set[value] = uint8_t(set);
    }
    return tables;
}

constexpr TRunTables RunTables = MakeRunTables();

bool Pixel(const uint8_t* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

// The first pixel at or after pos whose colour is not `black` (1 is black), or width.
int FindChange(const uint8_t* row, int width, int pos, bool black) {
    if (pos >= width) return width;
    const auto& table = black ? RunTables.Set : RunTables.Clear;
    size_t index = size_t(pos) >> 3;
    const int offset = pos & 7;
    int run = std::min<int>(table[uint8_t(row[index] << offset)], 8 - offset);
    pos += run;
    if (run == 8 - offset) {
        ++index;
        while (pos < width) {
            run = table[row[index++]];
            pos += run;
            if (run < 8) break;
        }
    }
    return std::min(pos, width);
}

class TCCITTCompression {
public:
    TCCITTCompression(std::string& stream, TCCITTMode mode) : Stream_(stream), Mode_(mode) {}

    void Compress(const TMonoBitmap& bitmap) {
        if (bitmap.Width <= 0 || bitmap.Height <= 0) return;
        Width_ = bitmap.Width;
        const size_t rowBytes = (size_t(Width_) + 7) / 8;
        std::vector<uint8_t> row(rowBytes), reference(rowBytes);
        for (int y = 0; y < bitmap.Height; ++y) {
            const uint8_t* source = bitmap.Bits + size_t(y) * bitmap.Stride;
            for (size_t i = 0; i < rowBytes; ++i) row[i] = uint8_t(~source[i]);
            switch (Mode_) {
                case TCCITTMode::Group3OneD: EncodeRow1D(row.data()); break;
                case TCCITTMode::Group3TwoD:
                    PutCode(EndOfLine);
                    if (y % CCITTGroup3K == 0) {
                        PutBits(1, 1);
                        EncodeRow1D(row.data());
                    } else {
                        PutBits(0, 1);
                        EncodeRow2D(row.data(), reference.data());
                    }
                    break;
                case TCCITTMode::Group4: EncodeRow2D(row.data(), reference.data()); break;
            }
            std::swap(row, reference);
        }
        // Group 4 ends with EOFB, Group 3 with RTC: what /DecodeParms' default EndOfBlock true
        // promises, and what lets a decoder that reads ahead take the last row's codes.
        for (int i = 0; i < (Mode_ == TCCITTMode::Group4 ? 2 : 6); ++i) {
            PutCode(EndOfLine);
            if (Mode_ == TCCITTMode::Group3TwoD) PutBits(1, 1);
        }
        if (Free_ < 8) Stream_.push_back(char(Byte_));
    }

private:
    void PutBits(uint32_t bits, int length) {
        while (length > 0) {
            const int take = std::min(length, Free_);
            length -= take;
            Byte_ = uint8_t(Byte_ | (((bits >> length) & ((1u << take) - 1)) << (Free_ - take)));
            Free_ -= take;
            if (Free_ == 0) {
                Stream_.push_back(char(Byte_));
                Byte_ = 0;
                Free_ = 8;
            }
        }
    }

    void PutCode(const TCode& code) { PutBits(code.Bits, code.Length); }

    void PutRun(int run, bool black) {
        const TColourCodes& codes = black ? BlackCodes : WhiteCodes;
        while (run >= 2624) {
            PutCode(ExtendedCodes.back());
            run -= 2560;
        }
        if (run >= 64) {
            const int makeUp = run / 64;
            PutCode(makeUp <= 27 ? codes.MakeUp[makeUp - 1] : ExtendedCodes[makeUp - 28]);
            run -= makeUp * 64;
        }
        PutCode(codes.Terminating[run]);
    }

    void EncodeRow1D(const uint8_t* row) {
        bool black = false;
        for (int pos = 0; pos < Width_;) {
            const int next = FindChange(row, Width_, pos, black);
            PutRun(next - pos, black);
            pos = next;
            black = !black;
        }
    }

    // The T.4 / T.6 coding procedure on the changing elements a0, a1, a2 of the row and b1,
    // b2 of the reference row.
    void EncodeRow2D(const uint8_t* row, const uint8_t* reference) {
        int a0 = 0;
        int a1 = Pixel(row, 0) ? 0 : FindChange(row, Width_, 0, false);
        int b1 = Pixel(reference, 0) ? 0 : FindChange(reference, Width_, 0, false);
        for (;;) {
            const int b2 = b1 < Width_ ? FindChange(reference, Width_, b1, Pixel(reference, b1)) : Width_;
            if (b2 < a1) {
                PutCode(PassCode);
                a0 = b2;
            } else if (const int d = b1 - a1; d >= -3 && d <= 3) {
                PutCode(VerticalCodes[size_t(d + 3)]);
                a0 = a1;
            } else {
                const int a2 = a1 < Width_ ? FindChange(row, Width_, a1, Pixel(row, a1)) : Width_;
                const bool firstBlack = !(a0 + a1 == 0 || !Pixel(row, a0));
                PutCode(HorizontalCode);
                PutRun(a1 - a0, firstBlack);
                PutRun(a2 - a1, !firstBlack);
                a0 = a2;
            }
            if (a0 >= Width_) break;
            const bool colour = Pixel(row, a0);
            a1 = FindChange(row, Width_, a0, colour);
            b1 = FindChange(reference, Width_, FindChange(reference, Width_, a0, !colour), colour);
        }
    }

    std::string& Stream_;
    TCCITTMode Mode_;
    int Width_ = 0;
    uint8_t Byte_ = 0;
    int Free_ = 8;
};

}  // namespace

void CCITTCompressBitmap(const TMonoBitmap& bitmap, std::string& stream, TCCITTMode mode) {
    TCCITTCompression(stream, mode).Compress(bitmap);
}

}  // namespace pdf
