#pragma once

#include "base/exception.h"

namespace pdf {

// Every error of the PDF writer itself; the message texts are fixed.
class TPDFException : public base::Exception {
public:
    using base::Exception::Exception;
};

}  // namespace pdf
