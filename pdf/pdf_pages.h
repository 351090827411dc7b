#pragma once

#include <memory>
#include <vector>

#include "pdf/pdf_page.h"

namespace pdf {

// The pages of a document in order; owns them.
class TPDFPages {
public:
    explicit TPDFPages(TPDFDocument& owner) : Owner_(owner) {}

    TPDFPage& Add();
    int Count() const { return static_cast<int>(Pages_.size()); }
    TPDFPage& GetPage(int index) const;
    int IndexOf(const TPDFPage& page) const;
    void Clear() { Pages_.clear(); }

private:
    TPDFDocument& Owner_;
    std::vector<std::unique_ptr<TPDFPage>> Pages_;
};

}  // namespace pdf
