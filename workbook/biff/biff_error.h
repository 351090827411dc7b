#pragma once

#include "base/exception.h"

namespace xls {

// Errors of the BIFF format's record stream and record storages.
class EBIFFError : public base::Exception {
public:
    using base::Exception::Exception;
};

}  // namespace xls
