#include "platform/compound_file_directory.h"

#include <algorithm>

#include "platform/compound_file_error.h"
#include "platform/compound_file_format.h"

namespace platform::cfb {

namespace {

// Upper case of the Latin letters the format's simple case folding covers.
char16_t Upper(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<char16_t>(c - 32);
    if (c == 0xFF) return 0x178;
    return c;
}

// Builds the subtree of items [lo, hi) at the given depth; the deepest level of a tree that is
// not full is red so that every path holds the same number of black nodes.
int32_t Build(int32_t lo, int32_t hi, int depth, int redDepth, std::vector<TTreeNode>& nodes) {
    if (lo >= hi) return -1;
    const int32_t mid = lo + (hi - lo) / 2;
    nodes[mid].Left = Build(lo, mid, depth + 1, redDepth, nodes);
    nodes[mid].Right = Build(mid + 1, hi, depth + 1, redDepth, nodes);
    nodes[mid].Red = depth == redDepth;
    return mid;
}

}  // namespace

int CompareNames(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = 0; i < a.size(); ++i) {
        const char16_t x = Upper(a[i]);
        const char16_t y = Upper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::u16string NameKey(const std::u16string& name) {
    std::u16string key(name);
    for (char16_t& c : key) c = Upper(c);
    return key;
}

void CheckName(const std::u16string& name) {
    if (name.empty() || name.size() > MaxNameLength) throw ECompoundFileError("Invalid element name length");
    if (name.find_first_of(u"/\\:!") != std::u16string::npos)
        throw ECompoundFileError("Invalid character in element name");
}

int32_t BuildRedBlackTree(int32_t n, std::vector<TTreeNode>& nodes) {
    nodes.assign(static_cast<size_t>(std::max(n, 0)), TTreeNode{});
    if (n <= 0) return -1;
    // Depth of the last level (root at 0); it is partly filled unless n + 1 is a power of two.
    int levels = 0;
    while ((int64_t{1} << (levels + 1)) - 1 < n) ++levels;
    const bool full = (int64_t{1} << (levels + 1)) - 1 == n;
    return Build(0, n, 0, full ? -1 : levels, nodes);
}

}  // namespace platform::cfb
