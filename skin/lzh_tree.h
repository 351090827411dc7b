#pragma once

#include <array>
#include <cstdint>

#include "skin/lzh_tables.h"

namespace skin {

// The adaptive Huffman tree of literals and match lengths, shared by the decoder and the
// packer's encoder so that both change it in the same way after every symbol. Siblings sit
// side by side (the first at an even index), so a node's index tells which branch leads to it.
class TLzhTree {
public:
    TLzhTree();

    // The first child of a node; a value of LzhTreeSize or more is the leaf of symbol value - T.
    int Child(int node) const { return Son_[node]; }
    int Parent(int node) const { return Parent_[node]; }
    // The node that holds the leaf of a symbol.
    int LeafOf(int symbol) const { return Parent_[symbol + LzhTreeSize]; }

    // Counts one more occurrence of the symbol and reorders the tree.
    void Update(int symbol);

private:
    void Rebuild();

    std::array<uint16_t, LzhTreeSize + 1> Freq_{};
    std::array<int16_t, LzhTreeSize + LzhCharCount> Parent_{};  // leaves' parents follow the nodes'
    std::array<int16_t, LzhTreeSize> Son_{};
};

}  // namespace skin
