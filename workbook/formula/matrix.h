#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace xls {

// A small dense matrix of doubles behind the matrix worksheet functions. Failures are results
// (false or nullptr), never exceptions.
class TXLSMatrix {
public:
    TXLSMatrix(int rows, int cols);

    int Rows() const { return Rows_; }
    int Cols() const { return Cols_; }
    // Indexes are 0-based and inside the matrix.
    double Get(int row, int col) const { return Data[Index(row, col)]; }
    void SetValue(int row, int col, double value) { Data[Index(row, col)] = value; }

    void Clear();
    // 1 on the first min(Rows, Cols) diagonal positions, 0 elsewhere.
    void SetIdentity();
    void Scale(double x);
    void Swap(int row1, int col1, int col2, int row2);
    // Without that row and column; nullptr when either lies outside.
    std::unique_ptr<TXLSMatrix> Minor(int row, int col) const;

    // False for a matrix that is not square. Up to 2 x 2 by the formula, larger by LU
    // decomposition with partial pivoting: a pivot that is exactly 0 makes the determinant 0.
    bool Determinant(double& det) const;
    // nullptr for a matrix that is not square or whose determinant is exactly 0.
    std::unique_ptr<TXLSMatrix> Inverse() const;
    // nullptr when other's row count is not this column count.
    std::unique_ptr<TXLSMatrix> Multiply(const TXLSMatrix& other) const;

private:
    size_t Index(int row, int col) const { return static_cast<size_t>(row) * static_cast<size_t>(Cols_) + col; }
    // Factors a copy of the square matrix in place as P·A = L·U (unit L below the diagonal, U
    // on and above it); perm gets the row order, sign the permutation's sign. False when a
    // pivot is exactly 0.
    bool Decompose(std::vector<double>& lu, std::vector<int>& perm, double& sign) const;

    int Rows_;
    int Cols_;
    std::vector<double> Data;
};

}  // namespace xls
