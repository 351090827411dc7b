#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "workbook/biff/cell_areas97.h"

namespace xls {

class TFormulaHandler;
class TXc12DataValidation;
class TXc12DataValidations;
class TXLSStream;

enum TValidationType : uint8_t { vtAny, vtInteger, vtNumber, vtList, vtDate, vtTime, vtTextLength, vtCustom };
enum TValidationStyle : uint8_t { vsStop, vsWarning, vsInfo };
enum TValidationOperator : uint8_t {
    vopBetween,
    vopNotBetween,
    vopEqual,
    vopNotEqual,
    vopGreater,
    vopLess,
    vopGreateEqual,
    vopLessEqual
};
enum TValidationOption : uint8_t {
    voAllowEmptyCells = 0x01,
    voSupressDropDown = 0x02,
    voShowPromptBox = 0x04,
    voShowErrorBox = 0x08,
};
using TValidationOptions = uint8_t;

// One validation of a sheet as its DV record holds it. The flags word read from a file is
// written back as it stands until a property is set; then it is made from the properties.
class TDataValidation : public TXLSMoveCopyItem {
public:
    explicit TDataValidation(TFormulaHandler& handler) : Handler_(handler) {}

    TValidationType ValidationType() const { return Type_; }
    void SetValidationType(TValidationType value);
    TValidationStyle ValidationStyle() const { return Style_; }
    void SetValidationStyle(TValidationStyle value);
    TValidationOperator ValidationOperator() const { return Operator_; }
    void SetValidationOperator(TValidationOperator value);
    TValidationOptions Options() const { return Options_; }
    void SetOptions(TValidationOptions value);
    // The input method mode of the cells, as the file holds it.
    uint8_t ImeMode() const { return ImeMode_; }
    void SetImeMode(uint8_t value);
    std::u16string Expression1() const { return Decode(0); }
    std::u16string Expression2() const { return Decode(1); }
    // A list of texts is written as one text with its items joined by commas ("a,b").
    void SetExpression1(const std::u16string& text) { Encode(0, text); }
    void SetExpression2(const std::u16string& text) { Encode(1, text); }
    const std::vector<uint8_t>& Tokens(int index) const { return Tokens_.at(static_cast<size_t>(index)); }
    bool Changed() const { return Changed_; }
    // The flags word that is written.
    uint32_t Flags() const;

    std::u16string InputTitle, ErrorTitle, InputMsg, ErrorMsg;
    TCellAreas97 Areas;

    // The data of one DV record; raises on a field that runs past the record.
    void LoadFromRecord(std::span<const uint8_t> data);
    // The data of the DV record; raises when it would not fit one record.
    std::vector<uint8_t> RecordData() const;

    void ToModel(TXc12DataValidation& target) const;
    void FromModel(const TXc12DataValidation& source);

    bool Intersects(int col1, int row1, int col2, int row2) const override {
        return Areas.Intersects(col1, row1, col2, row2);
    }
    void Copy(int col1, int row1, int col2, int row2, int dCol, int dRow) override {
        Areas.Copy(col1, row1, col2, row2, dCol, dRow);
    }
    void Delete(int col1, int row1, int col2, int row2) override { Areas.Delete(col1, row1, col2, row2); }
    void Intersect(int col1, int row1, int col2, int row2) override { Areas.Intersect(col1, row1, col2, row2); }
    void Move(int dCol, int dRow) override { Areas.Move(dCol, dRow); }
    void MoveArea(int col1, int row1, int col2, int row2, int dCol, int dRow) override {
        Areas.MoveArea(col1, row1, col2, row2, dCol, dRow);
    }
    void Assign(const TXLSMoveCopyItem& source) override;

private:
    std::u16string Decode(int index) const;
    void Encode(int index, const std::u16string& text);

    TFormulaHandler& Handler_;
    bool Changed_ = false;
    uint32_t Flags_ = 0;
    TValidationType Type_ = vtNumber;
    TValidationStyle Style_ = vsStop;
    TValidationOperator Operator_ = vopEqual;
    TValidationOptions Options_ = voAllowEmptyCells | voShowPromptBox | voShowErrorBox;
    uint8_t ImeMode_ = 0;
    std::array<std::vector<uint8_t>, 2> Tokens_;
};

// The validations of a sheet: one DVAL record and a DV record per validation.
class TDataValidations {
public:
    explicit TDataValidations(TFormulaHandler& handler);
    int Count() const { return static_cast<int>(Items_.size()); }
    TDataValidation& GetItems(int index) const { return *Items_.at(static_cast<size_t>(index)); }
    TDataValidation& Add();
    // The stream stands behind the DVAL record whose data is given; the DV records it announces
    // follow.
    void LoadFromStream(TXLSStream& stream, std::span<const uint8_t> dval);
    // DVAL and the DV records of the validations that have areas; nothing when none has.
    void SaveToStream(TXLSStream& stream) const;

    void ToModel(TXc12DataValidations& target) const;
    void FromModel(const TXc12DataValidations& source);

private:
    TFormulaHandler& Handler_;
    std::array<uint8_t, 18> Dval_{};
    std::vector<std::unique_ptr<TDataValidation>> Items_;
};

}  // namespace xls
