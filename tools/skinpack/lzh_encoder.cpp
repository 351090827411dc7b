#include "tools/skinpack/lzh_encoder.h"

#include <array>
#include <memory>

#include "skin/lzh_tables.h"
#include "skin/lzh_tree.h"

namespace skinpack {

namespace {

using namespace skin;

constexpr int NoNode = LzhRingSize;

// Writes codes most significant bit first.
class TBitOutput {
public:
    explicit TBitOutput(std::vector<uint8_t>& out) : Out_(out) {}
    void Bit(int bit) {
        Buffer_ = static_cast<uint8_t>(Buffer_ << 1 | (bit & 1));
        if (++Count_ == 8) {
            Out_.push_back(Buffer_);
            Buffer_ = 0;
            Count_ = 0;
        }
    }
    void Bits(int count, unsigned value) {
        for (int i = count - 1; i >= 0; --i) Bit(static_cast<int>(value >> i & 1));
    }
    void Flush() {
        if (Count_ > 0) Out_.push_back(static_cast<uint8_t>(Buffer_ << (8 - Count_)));
        Count_ = 0;
    }

private:
    std::vector<uint8_t>& Out_;
    uint8_t Buffer_ = 0;
    int Count_ = 0;
};

// The longest earlier match of the look-ahead, found in binary search trees of the strings that
// start at each ring position (one tree per first byte).
class TMatchFinder {
public:
    TMatchFinder() {
        Right_.fill(NoNode);
        Dad_.fill(NoNode);
    }

    std::array<uint8_t, LzhRingSize + LzhLongestMatch - 1> Text{};
    int MatchLength = 0;
    int MatchPosition = 0;

    void Insert(int r) {
        int cmp = 1;
        const uint8_t* key = &Text[r];
        int p = LzhRingSize + 1 + key[0];
        Right_[r] = Left_[r] = NoNode;
        MatchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (Right_[p] != NoNode) {
                    p = Right_[p];
                } else {
                    Right_[p] = r;
                    Dad_[r] = p;
                    return;
                }
            } else {
                if (Left_[p] != NoNode) {
                    p = Left_[p];
                } else {
                    Left_[p] = r;
                    Dad_[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < LzhLongestMatch; ++i)
                if ((cmp = key[i] - Text[p + i]) != 0) break;
            if (i > LzhThreshold) {
                const int position = ((r - p) & (LzhRingSize - 1)) - 1;
                if (i > MatchLength) {
                    MatchPosition = position;
                    if ((MatchLength = i) >= LzhLongestMatch) break;
                } else if (i == MatchLength && position < MatchPosition) {
                    MatchPosition = position;
                }
            }
        }
        // An equal string replaces the old node, which is older and farther away.
        Dad_[r] = Dad_[p];
        Left_[r] = Left_[p];
        Right_[r] = Right_[p];
        Dad_[Left_[p]] = r;
        Dad_[Right_[p]] = r;
        if (Right_[Dad_[p]] == p)
            Right_[Dad_[p]] = r;
        else
            Left_[Dad_[p]] = r;
        Dad_[p] = NoNode;
    }

    void Delete(int p) {
        if (Dad_[p] == NoNode) return;
        int q;
        if (Right_[p] == NoNode) {
            q = Left_[p];
        } else if (Left_[p] == NoNode) {
            q = Right_[p];
        } else {
            q = Left_[p];
            if (Right_[q] != NoNode) {
                do q = Right_[q];
                while (Right_[q] != NoNode);
                Right_[Dad_[q]] = Left_[q];
                Dad_[Left_[q]] = Dad_[q];
                Left_[q] = Left_[p];
                Dad_[Left_[p]] = q;
            }
            Right_[q] = Right_[p];
            Dad_[Right_[p]] = q;
        }
        Dad_[q] = Dad_[p];
        if (Right_[Dad_[p]] == p)
            Right_[Dad_[p]] = q;
        else
            Left_[Dad_[p]] = q;
        Dad_[p] = NoNode;
    }

private:
    // Index NoNode is "none"; LzhRingSize + 1 + b are the roots of the trees.
    std::array<int, LzhRingSize + 1> Left_{};
    std::array<int, LzhRingSize + 257> Right_{};
    std::array<int, LzhRingSize + 1> Dad_{};
};

void EncodeChar(TLzhTree& tree, TBitOutput& out, int symbol) {
    // The path from the leaf up to the root, sent root first.
    std::array<int, LzhTreeSize> path{};
    int depth = 0;
    for (int k = tree.LeafOf(symbol); k != LzhRoot; k = tree.Parent(k)) path[depth++] = k & 1;
    while (depth > 0) out.Bit(path[--depth]);
    tree.Update(symbol);
}

void EncodePosition(TBitOutput& out, int position) {
    const int upper = position >> 6;
    out.Bits(LzhPositionLength[upper], LzhPositionCode[upper] >> (8 - LzhPositionLength[upper]));
    out.Bits(6, static_cast<unsigned>(position & 0x3F));
}

}  // namespace

std::vector<uint8_t> LzhEncode(std::span<const uint8_t> input) {
    std::vector<uint8_t> result;
    if (input.empty()) return result;
    TBitOutput out(result);
    const auto tree = std::make_unique<TLzhTree>();
    const auto finder = std::make_unique<TMatchFinder>();
    auto& text = finder->Text;
    size_t next = 0;
    auto take = [&](int& c) {
        if (next >= input.size()) return false;
        c = input[next++];
        return true;
    };
    int s = 0, r = LzhRingStart;
    for (int i = s; i < r; ++i) text[i] = LzhBlank;
    int len = 0, c = 0;
    for (; len < LzhLongestMatch && take(c); ++len) text[r + len] = static_cast<uint8_t>(c);
    for (int i = 1; i <= LzhLongestMatch; ++i) finder->Insert(r - i);
    finder->Insert(r);
    do {
        if (finder->MatchLength > len) finder->MatchLength = len;
        int matched = finder->MatchLength;
        if (matched <= LzhThreshold) {
            matched = 1;
            EncodeChar(*tree, out, text[r]);
        } else {
            EncodeChar(*tree, out, 255 - LzhThreshold + matched);
            EncodePosition(out, finder->MatchPosition);
        }
        int i = 0;
        for (; i < matched && take(c); ++i) {
            finder->Delete(s);
            text[s] = static_cast<uint8_t>(c);
            if (s < LzhLongestMatch - 1) text[s + LzhRingSize] = static_cast<uint8_t>(c);
            s = (s + 1) & (LzhRingSize - 1);
            r = (r + 1) & (LzhRingSize - 1);
            finder->Insert(r);
        }
        for (; i < matched; ++i) {
            finder->Delete(s);
            s = (s + 1) & (LzhRingSize - 1);
            r = (r + 1) & (LzhRingSize - 1);
            if (--len) finder->Insert(r);
        }
    } while (len > 0);
    out.Flush();
    return result;
}

}  // namespace skinpack
