#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Directory names and the red-black trees that order a storage's elements.
namespace platform::cfb {

// The format's order of names: shorter names first, then by upper-cased code units.
int CompareNames(const std::u16string& a, const std::u16string& b);

// The name with the format's case folding applied: two names match when their keys are equal.
std::u16string NameKey(const std::u16string& name);

// Raises ECompoundFileError for a name the format cannot hold (empty, over 31 code units,
// or holding '/', '\', ':' or '!').
void CheckName(const std::u16string& name);

struct TTreeNode {
    int32_t Left = -1;
    int32_t Right = -1;
    bool Red = false;
};

// Lays n sorted items out as a balanced red-black tree: returns the root (-1 for none) and
// fills nodes[i] with item i's links and colour.
int32_t BuildRedBlackTree(int32_t n, std::vector<TTreeNode>& nodes);

}  // namespace platform::cfb
