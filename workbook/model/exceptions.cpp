#include "workbook/model/exceptions.h"

#include "base/text_encoding.h"

namespace xls {

EXLSError::EXLSError(std::u16string_view message) : base::Exception(base::Utf16ToUtf8(message)) {}

EListError EListError::IndexOutOfBounds(long long index) {
    return EListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace xls
