#pragma once

#include "base/exception.h"

namespace platform {

// Raised for a compound file that is malformed or an operation the container cannot carry out.
class ECompoundFileError : public base::Exception {
public:
    using base::Exception::Exception;
};

}  // namespace platform
