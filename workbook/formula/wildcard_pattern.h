#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xls {

// A text pattern of the lookup and criteria functions: "*" stands for any run of characters, "?"
// for any one, "~" takes the character after it literally; letters compare without case. It is
// compiled once per call and then matched against every candidate; patterns have no length or
// star limit and no character sets ("[" is an ordinary character).
class TWildcardPattern {
public:
    TWildcardPattern() = default;
    explicit TWildcardPattern(std::u16string_view pattern);

    bool Matches(std::u16string_view text) const;

private:
    enum TKind : char { pkChar, pkAny, pkStar };
    struct TItem {
        TKind Kind;
        char16_t Char;
    };
    std::vector<TItem> Items;
};

}  // namespace xls
