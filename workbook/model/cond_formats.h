#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/model/cell_areas.h"
#include "workbook/model/class_factory.h"
#include "workbook/model/color.h"
#include "workbook/model/model_list.h"

namespace xls {

class TXc12DXF;
class TXc12Manager;

// Conditional formats and data validations of a sheet. Both follow the cells when an area of
// the sheet is cleared, copied or moved.

class TXc12Cfvo {
public:
    void Clear();
    uint8_t type = 0;
    std::u16string val;
    uint8_t gte = 1;
    // Token code of val; nothing fills it yet.
    std::vector<uint8_t> Compiled;
};

using TXc12Cfvos = TXc12ObjectList<TXc12Cfvo>;

class TXc12Colors {
public:
    int Count() const { return static_cast<int>(Items_.size()); }
    int Add(const TXc12Color& color);
    TXc12Color GetItems(int index) const;
    void Clear() { Items_.clear(); }

private:
    std::vector<TXc12Color> Items_;
};

class TXc12ColorScale {
public:
    void Clear();
    TXc12Cfvos cfvos;
    TXc12Colors colors;
};

class TXc12DataBar {
public:
    TXc12DataBar() { Clear(); }
    void Clear();
    int32_t minLength;
    int32_t maxLength;
    uint8_t showValue;
    TXc12Color color;
    TXc12Cfvo Min;
    TXc12Cfvo Max;
};

class TXc12IconSet {
public:
    TXc12IconSet() { Clear(); }
    void Clear();
    uint8_t iconSet;
    uint8_t showValue;
    uint8_t percent;
    uint8_t reverse;
    TXc12Cfvos cfvos;
};

class TXc12CfRule {
public:
    TXc12CfRule() { Clear(); }
    void Clear();
    // Index 0..2; raise "Index out of range" outside it. Setting a text drops its compiled form.
    const std::u16string& GetFormula(int index) const;
    void SetFormula(int index, std::u16string_view text);
    const std::vector<uint8_t>& GetCompiled(int index) const;

    uint8_t type;
    TXc12DXF* dxfId;
    int32_t priority;
    uint8_t stopIfTrue;
    uint8_t aboveAverage;
    uint8_t percent;
    uint8_t bottom;
    uint8_t operator_;
    std::u16string text;
    uint8_t timePeriod;
    int32_t rank;
    int32_t stdDev;
    uint8_t equalAverage;
    TXc12ColorScale colorScale;
    TXc12DataBar dataBar;
    TXc12IconSet iconSet;

private:
    static void CheckIndex(int index);
    std::array<std::u16string, 3> Formulas_;
    std::array<std::vector<uint8_t>, 3> Compiled_;
};

using TXc12CfRules = TXc12ObjectList<TXc12CfRule>;

// The model keeps the data; the move/copy operations belong to the interface items.
class TXc12ConditionalFormatting : public TXLSMoveCopyItem, public TXLSFactoryObject {
public:
    // Areas and rules emptied; pivot stays.
    void Clear();
    uint8_t pivot = 0;
    TCellAreas sqref;
    TXc12CfRules rules;
};

class TXc12ConditionalFormattings : public TXLSMoveCopyList, public TXLSFactoryObject {
public:
    TXc12ConditionalFormattings(TXLSClassFactory& factory, TXLSFactoryObject* sheet)
        : Factory_(factory), Sheet_(sheet) {}
    TXc12ConditionalFormatting* Add() { return static_cast<TXc12ConditionalFormatting*>(AddNew()); }
    TXc12ConditionalFormatting* GetItems(int index) const {
        return static_cast<TXc12ConditionalFormatting*>(TXLSMoveCopyList::GetItems(index));
    }
    TXLSMoveCopyItem* AddNew() override;
    void Clear() { Items_.clear(); }
    TXLSClassFactory& ClassFactory() const { return Factory_; }
    TXLSFactoryObject* Sheet() const { return Sheet_; }

protected:
    virtual std::unique_ptr<TXc12ConditionalFormatting> CreateItem() = 0;

private:
    TXLSClassFactory& Factory_;
    TXLSFactoryObject* Sheet_;
};

class TXc12DataValidation : public TXLSMoveCopyItem, public TXLSFactoryObject {
public:
    // Every field 0 or empty, no areas.
    void Clear();
    uint8_t type = 0;
    uint8_t errorStyle = 0;
    uint8_t imeMode = 0;
    uint8_t operator_ = 0;
    uint8_t allowBlank = 0;
    uint8_t showDropDown = 0;
    uint8_t showInputMessage = 0;
    uint8_t showErrorMessage = 0;
    std::u16string errorTitle;
    std::u16string error;
    std::u16string promptTitle;
    std::u16string prompt;
    TCellAreas sqref;
    std::u16string formula1;
    std::u16string formula2;
};

class TXc12DataValidations : public TXLSMoveCopyList, public TXLSFactoryObject {
public:
    explicit TXc12DataValidations(TXLSClassFactory& factory) : Factory_(factory) {}
    TXc12DataValidation* Add() { return static_cast<TXc12DataValidation*>(AddNew()); }
    TXc12DataValidation* GetItems(int index) const {
        return static_cast<TXc12DataValidation*>(TXLSMoveCopyList::GetItems(index));
    }
    TXLSMoveCopyItem* AddNew() override;
    // Empties the list and sets the three attributes to 0.
    void Clear();
    uint8_t disablePrompts = 0;
    int32_t xWindow = 0;
    int32_t yWindow = 0;

private:
    TXLSClassFactory& Factory_;
};

// The interface items: they follow cell edits with their areas; neither can be assigned.
template <class Base>
class TXLSAreaFollower : public Base {
public:
    bool Intersects(int col1, int row1, int col2, int row2) const override {
        return this->sqref.Intersects(col1, row1, col2, row2);
    }
    void Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) override {
        this->sqref.Copy(col1, row1, col2, row2, dCol, dRow);
    }
    void Delete(int col1, int row1, int col2, int row2) override { this->sqref.Delete(col1, row1, col2, row2); }
    void Intersect(int col1, int row1, int col2, int row2) override { this->sqref.Intersect(col1, row1, col2, row2); }
    void Move(int dCol, int dRow) override { this->sqref.Move(dCol, dRow); }
    void MoveArea(int col1, int row1, int col2, int row2, int dCol, int dRow) override {
        this->sqref.MoveArea(col1, row1, col2, row2, dCol, dRow);
    }
    void Assign(const TXLSMoveCopyItem&) override { throw EXLSError("Assign not implemented"); }
};

class TXLSConditionalFormat : public TXLSAreaFollower<TXc12ConditionalFormatting> {
public:
    TXc12Manager* Manager = nullptr;
    TXLSFactoryObject* Sheet = nullptr;
};

class TXLSConditionalFormats : public TXc12ConditionalFormattings {
public:
    using TXc12ConditionalFormattings::TXc12ConditionalFormattings;

protected:
    std::unique_ptr<TXc12ConditionalFormatting> CreateItem() override;
};

class TXLSDataValidation : public TXLSAreaFollower<TXc12DataValidation> {
public:
    // A validation keeps its areas.
    void Intersect(int, int, int, int) override {}
};

class TXLSDataValidations : public TXc12DataValidations {
public:
    using TXc12DataValidations::TXc12DataValidations;
};

}  // namespace xls
