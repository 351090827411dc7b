#include "workbook/formula/matrix.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace xls {

TXLSMatrix::TXLSMatrix(int rows, int cols)
    : Rows_(std::max(rows, 0)), Cols_(std::max(cols, 0)), Data(static_cast<size_t>(Rows_) * Cols_, 0.0) {}

void TXLSMatrix::Clear() { std::fill(Data.begin(), Data.end(), 0.0); }

void TXLSMatrix::SetIdentity() {
    Clear();
    for (int i = 0; i < std::min(Rows_, Cols_); ++i) SetValue(i, i, 1);
}

void TXLSMatrix::Scale(double x) {
    for (double& v : Data) v *= x;
}

void TXLSMatrix::Swap(int row1, int col1, int col2, int row2) {
    std::swap(Data[Index(row1, col1)], Data[Index(row2, col2)]);
}

std::unique_ptr<TXLSMatrix> TXLSMatrix::Minor(int row, int col) const {
    if (row < 0 || row >= Rows_ || col < 0 || col >= Cols_) return nullptr;
    auto m = std::make_unique<TXLSMatrix>(Rows_ - 1, Cols_ - 1);
    for (int r = 0, mr = 0; r < Rows_; ++r) {
        if (r == row) continue;
        for (int c = 0, mc = 0; c < Cols_; ++c)
            if (c != col) m->SetValue(mr, mc++, Get(r, c));
        ++mr;
    }
    return m;
}

bool TXLSMatrix::Decompose(std::vector<double>& lu, std::vector<int>& perm, double& sign) const {
    const int n = Rows_;
    lu = Data;
    perm.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) perm[static_cast<size_t>(i)] = i;
    sign = 1;
    auto at = [&](int r, int c) -> double& { return lu[static_cast<size_t>(r) * n + c]; };
    for (int k = 0; k < n; ++k) {
        int pivot = k;
        for (int r = k + 1; r < n; ++r)
            if (std::fabs(at(r, k)) > std::fabs(at(pivot, k))) pivot = r;
        if (at(pivot, k) == 0) return false;
        if (pivot != k) {
            for (int c = 0; c < n; ++c) std::swap(at(k, c), at(pivot, c));
            std::swap(perm[static_cast<size_t>(k)], perm[static_cast<size_t>(pivot)]);
            sign = -sign;
        }
        for (int r = k + 1; r < n; ++r) {
            const double f = at(r, k) / at(k, k);
            at(r, k) = f;
            if (f != 0)
                for (int c = k + 1; c < n; ++c) at(r, c) -= f * at(k, c);
        }
    }
    return true;
}

bool TXLSMatrix::Determinant(double& det) const {
    if (Rows_ != Cols_) return false;
    const int n = Rows_;
    if (n == 0) {
        det = 0;
        return true;
    }
    if (n == 1) {
        det = Get(0, 0);
        return true;
    }
    if (n == 2) {
        det = Get(0, 0) * Get(1, 1) - Get(1, 0) * Get(0, 1);
        return true;
    }
    std::vector<double> lu;
    std::vector<int> perm;
    double sign = 1;
    if (!Decompose(lu, perm, sign)) {
        det = 0;
        return true;
    }
    det = sign;
    for (int i = 0; i < n; ++i) det *= lu[static_cast<size_t>(i) * n + i];
    return true;
}

std::unique_ptr<TXLSMatrix> TXLSMatrix::Inverse() const {
    double det = 0;
    if (!Determinant(det) || det == 0) return nullptr;
    const int n = Rows_;
    auto r = std::make_unique<TXLSMatrix>(n, n);
    if (n == 1) {
        r->SetValue(0, 0, 1 / Get(0, 0));
        return r;
    }
    if (n == 2) {
        r->SetValue(0, 0, Get(1, 1));
        r->SetValue(0, 1, -Get(0, 1));
        r->SetValue(1, 0, -Get(1, 0));
        r->SetValue(1, 1, Get(0, 0));
        r->Scale(1 / det);
        return r;
    }
    std::vector<double> lu;
    std::vector<int> perm;
    double sign = 1;
    if (!Decompose(lu, perm, sign)) return nullptr;
    // Column j of the inverse solves A·x = e_j: forward through L, back through U.
    std::vector<double> x(static_cast<size_t>(n));
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            double v = perm[static_cast<size_t>(i)] == j ? 1 : 0;
            for (int k = 0; k < i; ++k) v -= lu[static_cast<size_t>(i) * n + k] * x[static_cast<size_t>(k)];
            x[static_cast<size_t>(i)] = v;
        }
        for (int i = n - 1; i >= 0; --i) {
            double v = x[static_cast<size_t>(i)];
            for (int k = i + 1; k < n; ++k) v -= lu[static_cast<size_t>(i) * n + k] * x[static_cast<size_t>(k)];
            x[static_cast<size_t>(i)] = v / lu[static_cast<size_t>(i) * n + i];
        }
        for (int i = 0; i < n; ++i) r->SetValue(i, j, x[static_cast<size_t>(i)]);
    }
    return r;
}

std::unique_ptr<TXLSMatrix> TXLSMatrix::Multiply(const TXLSMatrix& other) const {
    if (other.Rows_ != Cols_) return nullptr;
    auto p = std::make_unique<TXLSMatrix>(Rows_, other.Cols_);
    for (int i = 0; i < other.Cols_; ++i)
        for (int j = 0; j < Rows_; ++j) {
            double t = 0;
            for (int k = 0; k < Cols_; ++k) t = other.Get(k, i) * Get(j, k) + t;
            p->SetValue(j, i, t);
        }
    return p;
}

}  // namespace xls
