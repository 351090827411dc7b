#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace xls {

// Byte offsets [Begin, End) of the tokens that make up one argument expression.
struct TTokenSpan {
    size_t Begin = 0;
    size_t End = 0;
};

// The arguments of the calls of SUMPRODUCT in a token stream (without its 0xFE or 0xFF prefix and
// array-constant data): its definition takes arrays, so an ordinary formula evaluates them as an
// array formula would. Empty when there is no such call, or when the stream does not walk as a
// well-formed expression (the evaluator then reports what is wrong).
std::vector<TTokenSpan> ArrayArgumentSpans(const uint8_t* ptgs, size_t len, bool biff);

}  // namespace xls
