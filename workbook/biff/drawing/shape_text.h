#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "workbook/biff/drawing/shapes.h"

namespace xls {

// The text of a text box, note or text-bearing control: the client text box, the TXO record
// and its CONTINUE records with the characters and the formatting runs.
class TShapeOutsideMsoBaseText : public TShapeOutsideMso {
public:
    using TRun = std::array<uint8_t, 8>;  // ich u16, ifnt u16, 4 reserved bytes

    explicit TShapeOutsideMsoBaseText(int16_t objId);

    void AssignTo(TShapeOutsideMso& dest) const override;
    void LoadFromStream(TXLSStream& stream) override;
    void SaveToStream(TXLSStream& stream) const override;
    bool HasClientTextbox() const override { return true; }

    // The state of a text that a template creates: left/top aligned, locked, two empty runs.
    void InitNew();
    const std::u16string& Text() const { return Text_; }
    void SetText(const std::u16string& text);
    const std::vector<uint8_t>& Txo() const { return Txo_; }
    std::vector<TRun>& Runs() { return Runs_; }
    const std::vector<TRun>& Runs() const { return Runs_; }

    static constexpr int TxoSize = 18;
    static constexpr int MaxCharsPerRecord = 4111;

private:
    std::vector<uint8_t> Txo_;
    std::u16string Text_;
    std::vector<TRun> Runs_;
};

// A cell note: its text plus the fields of the sheet's NOTE record.
class TShapeOutsideMsoNote : public TShapeOutsideMsoBaseText {
public:
    using TShapeOutsideMsoBaseText::TShapeOutsideMsoBaseText;

    void AssignTo(TShapeOutsideMso& dest) const override;

    int32_t Col = 0;
    int32_t Row = 0;
    uint16_t NoteFlags = 0;  // bit 1 fShow
    std::u16string Author;
};

// The records of an embedded chart that follow its OBJ (BOF to EOF). The chart model supplies
// its own; the raw form keeps a chart read from a file unchanged.
class TChartSubstream {
public:
    virtual ~TChartSubstream();
    virtual void LoadFromStream(TXLSStream& stream) = 0;
    virtual void SaveToStream(TXLSStream& stream) const = 0;
    virtual std::unique_ptr<TChartSubstream> Clone() const = 0;
};

class TRawChartSubstream : public TChartSubstream {
public:
    void LoadFromStream(TXLSStream& stream) override;
    void SaveToStream(TXLSStream& stream) const override;
    std::unique_ptr<TChartSubstream> Clone() const override;
    const std::vector<uint8_t>& Records() const { return Records_; }

private:
    std::vector<uint8_t> Records_;  // whole records, headers included
};

class TShapeOutsideMsoChart : public TShapeOutsideMso {
public:
    TShapeOutsideMsoChart(int16_t objId, std::unique_ptr<TChartSubstream> chart);

    void AssignTo(TShapeOutsideMso& dest) const override;
    void LoadFromStream(TXLSStream& stream) override;
    void SaveToStream(TXLSStream& stream) const override;

    TChartSubstream& Chart() const { return *Chart_; }

private:
    std::unique_ptr<TChartSubstream> Chart_;
};

}  // namespace xls
