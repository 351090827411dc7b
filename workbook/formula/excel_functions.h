#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xls {

// Operand classes of BIFF formula tokens.
constexpr uint8_t PtgClassRef = 0x20;
constexpr uint8_t PtgClassValue = 0x40;
constexpr uint8_t PtgClassArray = 0x60;

// One BIFF function number: its name, argument limits and the operand classes of arguments 1..6
// (0: the class of the argument before). MinArgs 0xFF: worksheet formulas may not call it.
// MaxArgs 99 stands for any number.
struct TExcelFunction {
    uint8_t MinArgs;
    uint8_t MaxArgs;
    std::u16string_view Name;
    std::array<uint8_t, 6> ArgClasses;
};

constexpr uint8_t ExcelFuncUnusable = 0xFF;
constexpr uint8_t ExcelFuncAnyArgs = 99;
constexpr int ExcelFunctionCount = 381;

// The BIFF function table, indexed by function number 0..380.
std::span<const TExcelFunction> ExcelFunctions();
// The BIFF number of a callable or uncallable function by its upper-case name (exact compare);
// -1 when none.
int ExcelFunctionByName(std::u16string_view name);

// How an array formula feeds the arguments of a function: ArgCount 255 stands for any number;
// kinds 1 and 4 are evaluated element by element, the others passed whole (0: not given).
struct TXc12FuncArgKinds {
    uint32_t Id;
    uint32_t ArgCount;
    uint8_t ResultKind;
    std::array<uint8_t, 11> Kinds;
};

constexpr uint32_t FuncArgKindsAnyCount = 255;

// A function of the workbook model (BIFF numbers 0..381, own numbers 800..872). Flags bit 0: the
// evaluator passes array arguments whole. MaxArgs 254 stands for any number.
struct TXc12FuncData {
    uint32_t Flags = 0;
    const TXc12FuncArgKinds* ArgKinds = nullptr;
    int32_t Id = 0;
    int32_t MinArgs = 0;
    int32_t MaxArgs = 0;
    std::u16string_view Name;
};

constexpr uint32_t FuncFlagWholeArrays = 1;
constexpr int32_t FuncAnyArgs = 254;

// The functions of the model by number and by name. One process-wide instance, built on first
// use and never changed afterwards.
class TXLSExcelFuncNames {
public:
    TXLSExcelFuncNames();

    static const TXLSExcelFuncNames& Instance();

    // The number whose name this is, whatever the case; -1 when none.
    int IdByName(std::u16string_view name) const;
    // The name (empty for a number without record or out of range).
    std::u16string NameById(int id) const;
    // MinArgs, IsFixed, GetArgRange and GetArgCount raise "Unknown function id \"%d\"" for a
    // number without record.
    int MinArgs(int id) const;
    bool IsFixed(int id) const;
    bool GetArgRange(int id, int& min, int& max) const;
    void GetArgCount(int id, int& min, int& max) const;
    // The record, or nullptr.
    const TXc12FuncData* FuncData(int id) const;
    // The record; raises like MinArgs.
    const TXc12FuncData& GetRecord(int id) const;
    // Entries: the last number plus one.
    int Count() const { return static_cast<int>(Entries_.size()); }

private:
    std::vector<const TXc12FuncData*> Entries_;
    std::vector<TXc12FuncData> Records_;
    std::unordered_map<std::u16string, int> ByName_;
};

}  // namespace xls
