#include "workbook/formula/excel_functions.h"

#include <string_view>

#include "base/format.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

// A model record as the generated table holds it (the argument kinds are linked when the name
// index is built).
struct TXc12FuncDataRecord {
    uint32_t Flags;
    int32_t Id;
    int32_t MinArgs;
    int32_t MaxArgs;
    std::u16string_view Name;
};

#include "workbook/formula/function_tables.inc"

static_assert(std::size(ExcelFunctionRecords) == ExcelFunctionCount);

[[noreturn]] void RaiseUnknownId(int id) { throw EXLSError(base::Format("Unknown function id \"%d\"", {id})); }

}  // namespace

std::span<const TExcelFunction> ExcelFunctions() { return ExcelFunctionRecords; }

int ExcelFunctionByName(std::u16string_view name) {
    for (int i = 0; i < ExcelFunctionCount; ++i) {
        if (ExcelFunctionRecords[i].Name == name) return i;
    }
    return -1;
}

TXLSExcelFuncNames::TXLSExcelFuncNames() {
    Records_.reserve(std::size(Xc12FuncDataRecords));
    for (const TXc12FuncDataRecord& r : Xc12FuncDataRecords) {
        TXc12FuncData data;
        data.Flags = r.Flags;
        data.Id = r.Id;
        data.MinArgs = r.MinArgs;
        data.MaxArgs = r.MaxArgs;
        data.Name = r.Name;
        Records_.push_back(data);
    }
    Entries_.assign(static_cast<size_t>(Records_.back().Id) + 1, nullptr);
    for (const TXc12FuncData& data : Records_) {
        Entries_[static_cast<size_t>(data.Id)] = &data;
        ByName_.emplace(std::u16string(data.Name), data.Id);
    }
    for (const TXc12FuncArgKinds& kinds : Xc12FuncArgKindsRecords) {
        for (TXc12FuncData& data : Records_) {
            if (data.Id == static_cast<int32_t>(kinds.Id)) data.ArgKinds = &kinds;
        }
    }
}

const TXLSExcelFuncNames& TXLSExcelFuncNames::Instance() {
    static const TXLSExcelFuncNames instance;
    return instance;
}

int TXLSExcelFuncNames::IdByName(std::u16string_view name) const {
    auto it = ByName_.find(WideUpperCaseStr(name));
    return it == ByName_.end() ? -1 : it->second;
}

const TXc12FuncData* TXLSExcelFuncNames::FuncData(int id) const {
    if (id < 0 || id >= Count()) return nullptr;
    return Entries_[static_cast<size_t>(id)];
}

const TXc12FuncData& TXLSExcelFuncNames::GetRecord(int id) const {
    const TXc12FuncData* data = FuncData(id);
    if (!data) RaiseUnknownId(id);
    return *data;
}

std::u16string TXLSExcelFuncNames::NameById(int id) const {
    const TXc12FuncData* data = FuncData(id);
    return data ? std::u16string(data->Name) : std::u16string();
}

int TXLSExcelFuncNames::MinArgs(int id) const { return GetRecord(id).MinArgs; }

bool TXLSExcelFuncNames::IsFixed(int id) const {
    const TXc12FuncData& data = GetRecord(id);
    return data.MinArgs == data.MaxArgs;
}

bool TXLSExcelFuncNames::GetArgRange(int id, int& min, int& max) const {
    GetArgCount(id, min, max);
    return min == max;
}

void TXLSExcelFuncNames::GetArgCount(int id, int& min, int& max) const {
    const TXc12FuncData& data = GetRecord(id);
    min = data.MinArgs;
    max = data.MaxArgs;
}

}  // namespace xls
