#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/formula/cells_source.h"
#include "workbook/formula/formula_document.h"
#include "workbook/formula/formula_value.h"
#include "workbook/model/cell_area.h"

namespace xls {

class TValueStack;

// Walks one value position by position: a plain value or reference once, an area row by row
// (clipped to the used area of its sheet as last calculated: TXLSCellMMU.CalcDimension), an area list area by area, an
// array row by row. Iterators can be chained to walk several values in lockstep; each owns the
// one behind it.
class TValStackIterator {
public:
    explicit TValStackIterator(TValueStack& owner) : Owner(owner) {}

    // Prepares the walk over v and frees the chain behind this iterator.
    void Start(const TXLSFormulaValue& v, bool stopAtError);
    // True when a position was reached; its value is then in Current.
    bool Next();

    // --- Chains ---
    // The next iterator of the chain, created when there is none (with the flags cleared).
    TValStackIterator& EnsureNext();
    void FreeNext() { Chained.reset(); }
    TValStackIterator* NextInChain() const { return Chained.get(); }
    // a on this iterator, b on the next one. Areas of the pair are clipped together, to the
    // positions where either holds cells, so that their positions keep corresponding.
    void StartPair(const TXLSFormulaValue& a, const TXLSFormulaValue& b, bool stopAtError);
    // Next on every iterator of the chain from this one; true only when each reached a position
    // (one that ends leaves those behind it where they were).
    bool NextAll();
    // Tests on the Current values of the chain from this one: every one a number; every one a
    // number, Boolean or text; this one not empty and every later one a number.
    bool AllNumbers() const;
    bool AllValues() const;
    bool AnyWithNumbers() const;
    // NextAll until the test holds (true) or the walk ends (false).
    bool NextNumbers();
    bool NextValues();
    bool NextAnyWithNumbers();
    // The code of the first Current of the chain that is an error.
    bool FindError(uint8_t& code) const;
    // A number itself, a Boolean 1 or 0, anything else 0.
    double CurrentAsNumber() const;

    bool SkipHidden = false;
    bool IgnoreErrors = false;
    TXLSFormulaValue Current;

private:
    bool RowVisible(TXLSCellMMU* cells, int row) const;
    bool Step();
    // Clips the areas of the chain from this one to one window of offsets (see StartPair).
    void ClipChainTogether();

    TValueStack& Owner;
    TXLSFormulaValue Source;
    int32_t PosCol = 0;
    int32_t PosRow = 0;
    int32_t LastCol = 0;
    int32_t LastRow = 0;
    size_t AreaIndex = 0;
    bool Done = true;
    bool StopAtError = false;
    // The area as given, before clipping (vkArea).
    TXLSCellArea Whole;
    std::unique_ptr<TValStackIterator> Chained;
};

// The operand stack of the evaluator. Every operand token pushes a record, every operator
// leaves its result in its left operand's slot, every function takes its arguments from a frame
// (OpenArguments) and pushes exactly one result. The value-stack names of the worksheet-function
// frame used elsewhere map here: the frame's argument count is OpenArguments, its argument reads
// PopArgument/PeekArgument and the typed readers ArgAs* (over the PopArg* conversions), its
// result the Push* operations.
class TValueStack {
public:
    explicit TValueStack(IXLSFormulaDocument& document);

    void BeginEvaluation(bool arrayMode, int sheet, int col, int row);

    // --- Stack control ---
    void NewTop();
    void Drop();
    void OpenArguments(int n);
    TXLSFormulaValue Pop();
    TXLSFormulaValue PopArgument();
    const TXLSFormulaValue& PeekArgument(int depth) const;
    const TXLSFormulaValue& TopValue() const;
    int Top() const { return Top_; }
    int ArgTop() const { return ArgTop_; }
    void SetTopError(uint8_t code);

    // --- Pushes ---
    void PushEmpty();
    void PushNumber(double x);
    // A number whose non-finite values become #NUM! (#DIV/0! when divide is set).
    void PushResult(double x, bool divide = false);
    void PushBoolean(bool b);
    void PushError(uint8_t code);
    void PushString(std::u16string s);
    void PushValue(const TXLSFormulaValue& v);
    void PushRef(int col, int row) { PushCellsRef(CurCells, col, row); }
    void PushSheetRef(int sheet, int col, int row);
    void PushCellsRef(TXLSCellMMU* cells, int col, int row);
    void PushArea(int col1, int row1, int col2, int row2) { PushCellsArea(CurCells, col1, row1, col2, row2); }
    void PushSheetArea(int sheet, int col1, int row1, int col2, int row2);
    void PushCellsArea(TXLSCellMMU* cells, int col1, int row1, int col2, int row2);
    void PushSheetsArea(int sheet1, int sheet2, int col1, int row1, int col2, int row2);
    void PushArray(std::unique_ptr<TXLSArrayItem> array);

    // --- Argument pops: on failure the error is pushed as the function's result and they give
    // false; the function then returns at once. ---
    bool PopArgNumber(double& x);
    bool PopArgInteger(int& n);
    bool PopArgBoolean(bool& b);
    bool PopArgString(std::u16string& s, bool allowEmpty);

    // --- Typed argument readers of the worksheet-function frame, same contract ---
    bool ArgAsNumber(double& x) { return PopArgNumber(x); }
    bool ArgAsInteger(int& n) { return PopArgInteger(n); }
    // #VALUE! below min; n is then left as it was.
    bool ArgAsIntegerMin(int& n, int min);
    bool ArgAsString(std::u16string& s, bool allowEmpty) { return PopArgString(s, allowEmpty); }
    bool ArgAsBoolean(bool& b) { return PopArgBoolean(b); }
    // A date serial from 1 to 2958465 (the last day of 9999), else #VALUE!.
    bool ArgAsDate(double& serial);
    // A cell or area gives a cursor over its rectangle, an array one over the array; the
    // cursor lives until the next formula starts. Any other kind (external areas too, which
    // the evaluator never makes) gives #VALUE!.
    bool ArgAsCellsSource(TXLSCellsSource*& source);

    // Walks a and b in lockstep; over the positions where both are numbers adds those of a to
    // sumA and those of b to sumB; gives the number of such positions.
    int SumPairs(const TXLSFormulaValue& a, const TXLSFormulaValue& b, double& sumA, double& sumB);

    // --- Conversions ---
    bool IntersectCurrent(const TXLSFormulaValue& v, int& col, int& row) const;
    // True when a value was present; err is 0 or the error code.
    bool ValueToNumber(const TXLSFormulaValue& v, double& x, uint8_t& err);
    uint8_t ValueToString(const TXLSFormulaValue& v, std::u16string& s);
    uint8_t ValueToBoolean(const TXLSFormulaValue& v, bool& b);
    // The value an area stands for in a single-value context (its implicit intersection), or v.
    TXLSFormulaValue ScalarOf(const TXLSFormulaValue& v, uint8_t& err);
    void ReadCell(TXLSCellMMU* cells, int col, int row, TXLSFormulaValue& v);

    // --- Operators (token opcodes) ---
    void ArithOperator(uint8_t op);
    void ConcatOperator();
    void CompareOperator(uint8_t op);
    void UnaryOperator(uint8_t op);
    void RefOperator(uint8_t op);
    // Array forms (array formulas): arithmetic, & and comparisons element by element.
    void ArrayBinary(uint8_t op);
    void ArrayUnary(uint8_t op);
    // The top value as an array with the broadcast flag: its values, or (numeric) their numbers
    // or conversion errors. Raises "Invalid value" for an area list.
    std::unique_ptr<TXLSArrayItem> PopArray(bool numeric);

    TXLSAreaList& NewAreaList();
    TXLSCellMMU* SheetCells(int sheet) { return Document.SheetCells(sheet); }
    IXLSFormulaDocument& Doc() { return Document; }

    TValStackIterator Iterator;
    // Numbers gathered by one function call at a time; its capacity is kept between calls so
    // that summaries over long columns do not allocate each time.
    std::vector<double> Numbers;
    bool ArrayMode = false;
    int32_t CurSheet = 0;
    int32_t CurCol = 0;
    int32_t CurRow = 0;
    TXLSCellMMU* CurCells = nullptr;

private:
    TXLSFormulaValue& TopRef() { return Items[static_cast<size_t>(Top_)]; }
    bool PopArgFail(uint8_t err);
    TXLSFormulaValue ScalarBinary(uint8_t op, const TXLSFormulaValue& a, const TXLSFormulaValue& b);

    IXLSFormulaDocument& Document;
    std::vector<TXLSFormulaValue> Items;
    int32_t Top_ = -1;
    int32_t ArgTop_ = -1;
    std::vector<std::unique_ptr<TXLSAreaList>> OwnedLists;
    std::vector<std::unique_ptr<TXLSArrayItem>> OwnedArrays;
    std::vector<std::unique_ptr<TXLSCellsSource>> OwnedSources;
};

// A number as formula text shows it: general format, 15 significant digits.
std::u16string FormulaNumberToText(double x);

// How CompareValues orders two numbers: exactly (lookups of exact matches, sorted searches), or
// as the comparison operators do, equal when they agree to 15 significant digits (0.1+0.2=0.3).
enum class TNumberOrder : uint8_t { Exact, Digits15 };

// Orders two plain values as comparisons do: numbers below texts below Booleans; empty is 0,
// "" or FALSE beside the other side; texts ignore case. <0, 0 or >0.
int CompareValues(const TXLSFormulaValue& a, const TXLSFormulaValue& b, TNumberOrder numbers = TNumberOrder::Exact);

// Orders two numbers by their values rounded to 15 significant digits.
int CompareNumbers15(double a, double b);

}  // namespace xls
