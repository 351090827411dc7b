#pragma once

#include <cstddef>
#include <vector>

namespace xls {

// A dense matrix of doubles, row-major, for the matrix worksheet functions.
struct TDenseMatrix {
    int Rows = 0;
    int Cols = 0;
    std::vector<double> Data;

    TDenseMatrix() = default;
    TDenseMatrix(int rows, int cols)
        : Rows(rows), Cols(cols), Data(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0.0) {}
    double& At(int row, int col) { return Data[static_cast<size_t>(row) * static_cast<size_t>(Cols) + col]; }
    double At(int row, int col) const { return Data[static_cast<size_t>(row) * static_cast<size_t>(Cols) + col]; }
};

// LU factors with partial pivoting: elimination by rows, the largest pivot of each column first,
// which keeps the rounding error of large or badly scaled matrices small.
class TMatrixLU {
public:
    // a must be square.
    explicit TMatrixLU(TDenseMatrix a);

    // True when a pivot vanished (relative to the matrix's largest element).
    bool Singular() const { return Singular_; }
    double Determinant() const;
    // The inverse; only when not Singular.
    TDenseMatrix Inverse() const;

private:
    TDenseMatrix LU;
    std::vector<int> Perm;
    int Sign = 1;
    bool Singular_ = false;
};

// a × b; the caller checks that a.Cols = b.Rows.
TDenseMatrix MultiplyMatrices(const TDenseMatrix& a, const TDenseMatrix& b);

}  // namespace xls
