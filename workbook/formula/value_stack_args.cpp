#include <memory>

#include "workbook/formula/value_stack.h"
#include "workbook/model/cell_error.h"

namespace xls {

namespace {

// The serial of 31 December 9999, the last day a date serial stands for.
constexpr double LastDateSerial = 2958465;

}  // namespace

bool TValueStack::ArgAsIntegerMin(int& n, int min) {
    int value = 0;
    if (!PopArgInteger(value)) return false;
    if (value < min) return PopArgFail(errValue);
    n = value;
    return true;
}

bool TValueStack::ArgAsDate(double& serial) {
    double value = 0;
    if (!PopArgNumber(value)) return false;
    if (!(value >= 1 && value <= LastDateSerial)) return PopArgFail(errValue);
    serial = value;
    return true;
}

bool TValueStack::ArgAsCellsSource(TXLSCellsSource*& source) {
    const TXLSFormulaValue v = PopArgument();
    switch (v.Kind) {
        case vkRef:
        case vkArea:
            if (!v.Cells) return PopArgFail(errRef);
            OwnedSources.push_back(std::make_unique<TXLSCellsSource>(*v.Cells, v.Col1, v.Row1, v.Col2, v.Row2));
            break;
        case vkArray: OwnedSources.push_back(std::make_unique<TXLSCellsSource>(*v.Array)); break;
        default: return PopArgFail(errValue);
    }
    source = OwnedSources.back().get();
    return true;
}

}  // namespace xls
