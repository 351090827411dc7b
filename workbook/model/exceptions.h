#pragma once

#include <string>
#include <string_view>

#include "base/exception.h"

namespace xls {

// Root of the spreadsheet library's own exceptions. The message is UTF-8 (base::Exception);
// the library's texts are UTF-16 and are converted when they become a message.
class EXLSError : public base::Exception {
public:
    using base::Exception::Exception;
    explicit EXLSError(std::u16string_view message);
};

// Raised by the library's lists for an index outside 0..Count-1 or a pop from an empty list,
// with the class library's text "List index out of bounds (%d)".
class EListError : public EXLSError {
public:
    using EXLSError::EXLSError;
    static EListError IndexOutOfBounds(long long index);
};

}  // namespace xls
