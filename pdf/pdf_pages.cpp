#include "pdf/pdf_pages.h"

#include "pdf/pdf_exception.h"

namespace pdf {

TPDFPage& TPDFPages::Add() {
    Pages_.push_back(std::make_unique<TPDFPage>(Owner_));
    return *Pages_.back();
}

TPDFPage& TPDFPages::GetPage(int index) const {
    if (index < 0 || index >= Count()) throw TPDFException("Out of range");
    return *Pages_[size_t(index)];
}

int TPDFPages::IndexOf(const TPDFPage& page) const {
    for (int i = 0; i < Count(); ++i)
        if (Pages_[size_t(i)].get() == &page) return i;
    return -1;
}

}  // namespace pdf
