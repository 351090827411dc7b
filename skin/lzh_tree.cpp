#include "skin/lzh_tree.h"

#include <algorithm>

namespace skin {

TLzhTree::TLzhTree() {
    for (int i = 0; i < LzhCharCount; ++i) {
        Freq_[i] = 1;
        Son_[i] = static_cast<int16_t>(i + LzhTreeSize);
        Parent_[i + LzhTreeSize] = static_cast<int16_t>(i);
    }
    for (int i = 0, j = LzhCharCount; j <= LzhRoot; i += 2, ++j) {
        Freq_[j] = static_cast<uint16_t>(Freq_[i] + Freq_[i + 1]);
        Son_[j] = static_cast<int16_t>(i);
        Parent_[i] = Parent_[i + 1] = static_cast<int16_t>(j);
    }
    Freq_[LzhTreeSize] = 0xFFFF;  // sentinel that stops every search for a larger frequency
    Parent_[LzhRoot] = 0;
}

// Halves every leaf's count, then builds the inner nodes again in order of frequency.
void TLzhTree::Rebuild() {
    int j = 0;
    for (int i = 0; i < LzhTreeSize; ++i) {
        if (Son_[i] >= LzhTreeSize) {
            Freq_[j] = static_cast<uint16_t>((Freq_[i] + 1) / 2);
            Son_[j] = Son_[i];
            ++j;
        }
    }
    for (int i = 0, node = LzhCharCount; node < LzhTreeSize; i += 2, ++node) {
        const uint16_t f = static_cast<uint16_t>(Freq_[i] + Freq_[i + 1]);
        int k = node - 1;
        while (f < Freq_[k]) --k;
        ++k;
        std::copy_backward(Freq_.begin() + k, Freq_.begin() + node, Freq_.begin() + node + 1);
        std::copy_backward(Son_.begin() + k, Son_.begin() + node, Son_.begin() + node + 1);
        Freq_[k] = f;
        Son_[k] = static_cast<int16_t>(i);
    }
    for (int i = 0; i < LzhTreeSize; ++i) {
        const int k = Son_[i];
        if (k >= LzhTreeSize)
            Parent_[k] = static_cast<int16_t>(i);
        else
            Parent_[k] = Parent_[k + 1] = static_cast<int16_t>(i);
    }
}

void TLzhTree::Update(int symbol) {
    if (Freq_[LzhRoot] == LzhMaxFreq) Rebuild();
    int c = Parent_[symbol + LzhTreeSize];
    do {
        const uint16_t k = ++Freq_[c];
        // Keep frequencies in order: swap with the last node that is still smaller.
        int l = c + 1;
        if (k > Freq_[l]) {
            while (k > Freq_[++l]) {
            }
            --l;
            Freq_[c] = Freq_[l];
            Freq_[l] = k;
            const int i = Son_[c];
            Parent_[i] = static_cast<int16_t>(l);
            if (i < LzhTreeSize) Parent_[i + 1] = static_cast<int16_t>(l);
            const int j = Son_[l];
            Son_[l] = static_cast<int16_t>(i);
            Parent_[j] = static_cast<int16_t>(c);
            if (j < LzhTreeSize) Parent_[j + 1] = static_cast<int16_t>(c);
            Son_[c] = static_cast<int16_t>(j);
            c = l;
        }
        c = Parent_[c];
    } while (c != 0);
}

}  // namespace skin
