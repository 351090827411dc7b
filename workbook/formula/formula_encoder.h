#pragma once

#include <cstdint>
#include <vector>

#include "workbook/formula/formula_tokenizer.h"

namespace xls {

class TXc12Manager;
class TXc12Table;
class TXc12Tables;

// Where each token of compiled code came from: the 1-based first and last character of its text
// (a call or array constant reaches to its closing bracket), its offset in the code and its index
// among the emitted tokens.
struct TFmlaDebugItem {
    int Start = 0;
    int End = 0;
    int Offset = -1;
    int Index = -1;
};

// Collects the debug items of one compilation, in the order of the code.
struct TXLSFormulaTrace {
    std::vector<TFmlaDebugItem> Items;
};

// Compiles a token list of the formula tokenizer into the model's own token code: operands go
// straight to the output, operators and openers (parentheses, function calls, array constants)
// wait on a stack. Names, sheets and functions are resolved through the document root. Reports
// go to the document's error manager; when it returns, Encode gives an empty code, so a formula
// that does not compile is never stored as if it did.
class TXLSFormulaEncoder {
public:
    explicit TXLSFormulaEncoder(TXc12Manager& manager) : Manager_(manager) {}

    // The tables that structured references look in first (a sheet's table list, not owned);
    // nullptr: the tables of the formula's sheet, then those of every sheet.
    void SetTables(TXc12Tables* tables) { Tables_ = tables; }

    // The code of tokens for a formula on sheetIndex (-1: none) at (col, row); empty on a report
    // and for an empty list. A trace, when given, receives the debug items of the code.
    std::vector<uint8_t> Encode(const TXLSTokenList& tokens, int row, int col, int sheetIndex,
                                TXLSFormulaTrace* trace = nullptr);

private:
    struct TToken {
        std::vector<uint8_t> Bytes;
        uint8_t Space = 0;       // spaces that stand before the token's text
        uint8_t CloseSpace = 0;  // spaces before the closing bracket of a call or constant
        uint8_t TrailSpace = 0;  // spaces after the last token of an argument, before its separator
        int Start = 0;           // source characters, for the trace
        int End = 0;
        int32_t Args = 0;  // arguments of a call, elements of an array constant
        int32_t Rows = 0;  // rows of an array constant
    };
    struct TStop {};

    [[noreturn]] void Report(int code, std::u16string_view text);
    size_t New(std::initializer_list<uint8_t> bytes);
    uint8_t Opcode(size_t token) const { return Pool_[token].Bytes[0]; }
    bool IsOpener(size_t token) const;
    int Precedence(size_t token) const;
    void Push(size_t token);
    void PopToOutput();
    void Output(size_t token);
    void CloseParen(uint8_t space);
    void CheckCall(size_t opener);
    TXLSTokenKind PeekKind(size_t from) const;
    void CheckOrder(TXLSTokenKind kind);
    void Reference();
    void Function(const TXLSTokenListItem& item);
    void StructuredReference();
    const TXc12Table& FindTable(const std::u16string& name, int& index, uint16_t& sheet);
    void TablePartToken(const TXc12Table& table, int tableIndex, const TXLSTokenListItem& part, int item);
    void ListSeparator(bool rowSeparator);
    std::vector<uint8_t> Emit();

    TXc12Manager& Manager_;
    TXc12Tables* Tables_ = nullptr;
    TXc12Tables* TableList_ = nullptr;  // Tables_, or where the last named table was found
    TXLSFormulaTrace* Trace_ = nullptr;
    const TXLSTokenList* Tokens_ = nullptr;
    size_t Pos_ = 0;
    TXLSTokenKind LastKind_ = xttBadChar;
    int SheetIndex_ = -1;
    int Row_ = -1;
    int Col_ = -1;
    uint8_t PendingSpace_ = 0;
    bool OperandLast_ = false;
    std::vector<TToken> Pool_;
    std::vector<size_t> Stack_;
    std::vector<size_t> Contexts_;
    std::vector<size_t> Out_;
};

}  // namespace xls
