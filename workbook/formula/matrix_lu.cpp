#include "workbook/formula/matrix_lu.h"

#include <cmath>
#include <limits>
#include <utility>

namespace xls {

TMatrixLU::TMatrixLU(TDenseMatrix a) : LU(std::move(a)), Perm(static_cast<size_t>(LU.Rows)) {
    const int n = LU.Rows;
    double largest = 0;
    for (double x : LU.Data) largest = std::max(largest, std::fabs(x));
    const double tiny = largest * n * std::numeric_limits<double>::epsilon();
    for (int i = 0; i < n; ++i) Perm[static_cast<size_t>(i)] = i;
    for (int k = 0; k < n; ++k) {
        int pivot = k;
        for (int r = k + 1; r < n; ++r)
            if (std::fabs(LU.At(r, k)) > std::fabs(LU.At(pivot, k))) pivot = r;
        if (pivot != k) {
            for (int c = 0; c < n; ++c) std::swap(LU.At(k, c), LU.At(pivot, c));
            std::swap(Perm[static_cast<size_t>(k)], Perm[static_cast<size_t>(pivot)]);
            Sign = -Sign;
        }
        const double p = LU.At(k, k);
        if (p == 0 || std::fabs(p) <= tiny) {
            Singular_ = true;
            if (p == 0) continue;
        }
        for (int r = k + 1; r < n; ++r) {
            const double f = LU.At(r, k) / p;
            LU.At(r, k) = f;
            if (f == 0) continue;
            for (int c = k + 1; c < n; ++c) LU.At(r, c) -= f * LU.At(k, c);
        }
    }
}

double TMatrixLU::Determinant() const {
    double d = Sign;
    for (int k = 0; k < LU.Rows; ++k) d *= LU.At(k, k);
    return d;
}

TDenseMatrix TMatrixLU::Inverse() const {
    const int n = LU.Rows;
    TDenseMatrix inv(n, n);
    std::vector<double> col(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j) {
        // Solve L U x = P e_j.
        for (int i = 0; i < n; ++i) col[static_cast<size_t>(i)] = Perm[static_cast<size_t>(i)] == j ? 1.0 : 0.0;
        for (int i = 0; i < n; ++i) {
            double t = col[static_cast<size_t>(i)];
            for (int k = 0; k < i; ++k) t -= LU.At(i, k) * col[static_cast<size_t>(k)];
            col[static_cast<size_t>(i)] = t;
        }
        for (int i = n - 1; i >= 0; --i) {
            double t = col[static_cast<size_t>(i)];
            for (int k = i + 1; k < n; ++k) t -= LU.At(i, k) * col[static_cast<size_t>(k)];
            col[static_cast<size_t>(i)] = t / LU.At(i, i);
        }
        for (int i = 0; i < n; ++i) inv.At(i, j) = col[static_cast<size_t>(i)];
    }
    return inv;
}

TDenseMatrix MultiplyMatrices(const TDenseMatrix& a, const TDenseMatrix& b) {
    TDenseMatrix p(a.Rows, b.Cols);
    for (int i = 0; i < a.Rows; ++i)
        for (int k = 0; k < a.Cols; ++k) {
            const double x = a.At(i, k);
            for (int j = 0; j < b.Cols; ++j) p.At(i, j) += x * b.At(k, j);
        }
    return p;
}

}  // namespace xls
