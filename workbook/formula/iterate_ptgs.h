#pragma once

#include <cstddef>
#include <cstdint>

namespace xls {

// Walks a stored token stream one token at a time without interpreting it, so that the caller can
// read or patch each token in place (not change its width). The stream stays the caller's.
// A stream that starts with 0xFF or 0xFE is BIFF8 token code; 0xFE's trailing extra data is never
// reached as tokens. A token that does not fit into what is left of the stream ends the walk
// without being reached, so that nobody reads or patches past the stream's end.
class TXLSIteratePtgs {
public:
    TXLSIteratePtgs(uint8_t* ptgs, int32_t length);

    // False once the stream is walked; otherwise Current is the next token. Raises "Illegal
    // ptgs" and "Unknown ptgs %.2X" for ids without width.
    bool Next();
    uint8_t* Current() const { return Token; }
    // The width of the current token.
    size_t CurrentWidth() const { return Width; }

    uint8_t* Position = nullptr;
    uint8_t* Token = nullptr;
    int32_t Remaining = 0;

private:
    size_t Width = 0;
    bool Biff = false;
    bool First = true;
};

}  // namespace xls
