#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xls {

// The operands of a token stream as the evaluation stacks them, each as the reference and name
// tokens it is made of (none for a value). The lookup pass follows them to find which tokens
// give the table of a LOOKUP, HLOOKUP or VLOOKUP call: a lookup reads only a part of its table,
// so the calculation chain does not count the table as read outright.
class TCircPtgsStack {
public:
    // The tokens of [ptgs, end) that make up the table argument (the lookup vector and result
    // vector of LOOKUP) of a lookup call, in stream order. None when the stream calls no lookup,
    // or when its operands cannot be followed: every reference then counts as read.
    static std::vector<const uint8_t*> LookupTables(const uint8_t* ptgs, const uint8_t* end, bool biff);

private:
    bool Walk(const uint8_t* ptgs, const uint8_t* end, bool biff);
    void Push() { Starts.push_back(static_cast<uint32_t>(Tokens.size())); }
    void PushToken(const uint8_t* token) {
        Push();
        Tokens.push_back(token);
    }
    bool Drop(size_t count);
    bool Call(int id, size_t count);

    // Entry k holds Tokens[Starts[k] .. Starts[k + 1]), the top one up to the end of Tokens.
    std::vector<uint32_t> Starts;
    std::vector<const uint8_t*> Tokens;
    std::vector<const uint8_t*> Tables;
};

}  // namespace xls
