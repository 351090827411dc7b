#include "workbook/biff/drawing/shape_text.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/drawing/escher_format.h"
#include "workbook/biff/drawing/escher_io.h"
#include "workbook/biff/xls_stream.h"

namespace xls {

namespace {

// TXO fields.
constexpr int TxoGrbit = 0;
constexpr int TxoCchText = 10;
constexpr int TxoCbRuns = 12;
constexpr int TxoCbFmla = 16;

TBIFFHeader ReadRecordHeader(TXLSStream& stream) {
    TBIFFHeader header;
    if (stream.ReadHeader(header) != 4) throw EBIFFError("Unexpected end of the drawing data");
    return header;
}

// Nested chart substreams (a chart's own drawing objects) may hold BOF/EOF pairs of their own.
constexpr int MaxChartNesting = 16;

}  // namespace

TShapeOutsideMsoBaseText::TShapeOutsideMsoBaseText(int16_t objId) : TShapeOutsideMso(objId), Txo_(TxoSize) {}

void TShapeOutsideMsoBaseText::InitNew() {
    Text_.clear();
    Txo_.assign(TxoSize, 0);
    base::StoreLE16(Txo_.data() + TxoGrbit, 0x0212);
    Runs_.assign(2, TRun{});
}

void TShapeOutsideMsoBaseText::SetText(const std::u16string& text) {
    if (text.size() > 0xFFFF) throw EBIFFError("Text is too long for a text box (at most 65535 characters)");
    Text_ = text;
}

void TShapeOutsideMsoBaseText::AssignTo(TShapeOutsideMso& dest) const {
    auto* text = dynamic_cast<TShapeOutsideMsoBaseText*>(&dest);
    if (!text) throw EBIFFError("Wrong type of shape in Assign");
    text->Txo_ = Txo_;
    text->Text_ = Text_;
    text->Runs_ = Runs_;
}

void TShapeOutsideMsoNote::AssignTo(TShapeOutsideMso& dest) const {
    TShapeOutsideMsoBaseText::AssignTo(dest);
    if (auto* note = dynamic_cast<TShapeOutsideMsoNote*>(&dest)) {
        note->Col = Col;
        note->Row = Row;
        note->NoteFlags = NoteFlags;
        note->Author = Author;
    }
}

void TShapeOutsideMsoBaseText::LoadFromStream(TXLSStream& stream) {
    TBIFFHeader header = ReadRecordHeader(stream);
    if (header.RecID != BIFFRECID_MSODRAWING && header.RecID != BIFFRECID_CONTINUE)
        throw EBIFFError("Excpected record missing: MSODRAWING");
    SkipBytes(stream, header.Length);

    header = ReadRecordHeader(stream);
    if (header.RecID != BIFFRECID_TXO) throw EBIFFError("Excpected record missing: TXO");
    std::vector<uint8_t> txo = ReadBytes(stream, header.Length);
    if (txo.size() < TxoSize || txo.size() < TxoSize + size_t{base::LoadLE16(txo.data() + TxoCbFmla)})
        throw EBIFFError("TXO record is too short");
    Txo_ = std::move(txo);
    Text_.clear();
    Runs_.clear();
    const size_t cchText = base::LoadLE16(Txo_.data() + TxoCchText);
    if (cchText == 0) return;

    // Characters arrive in CONTINUE records, each with its own width flag; read until all are
    // collected, however the writer split them.
    bool firstWide = false;
    for (bool first = true; Text_.size() < cchText; first = false) {
        header = ReadRecordHeader(stream);
        if (header.RecID != BIFFRECID_CONTINUE) throw EBIFFError("Expected record missing: CONTINUE (TXO text)");
        const std::vector<uint8_t> chunk = ReadBytes(stream, header.Length);
        if (chunk.empty()) throw EBIFFError("Empty CONTINUE record in TXO text");
        const bool wide = chunk[0] & 1;
        if (first)
            firstWide = wide;
        else if (wide && !firstWide)
            throw EBIFFError("Unicode error in TXO");
        if (wide) {
            if ((chunk.size() - 1) % 2 != 0) throw EBIFFError("Unicode error in TXO");
            for (size_t i = 1; i < chunk.size(); i += 2)
                Text_.push_back(static_cast<char16_t>(base::LoadLE16(&chunk[i])));
        } else {
            // 8-bit characters are UTF-16 code units with a zero high byte.
            for (size_t i = 1; i < chunk.size(); ++i) Text_.push_back(chunk[i]);
        }
    }
    Text_.resize(cchText);

    const size_t cbRuns = base::LoadLE16(Txo_.data() + TxoCbRuns);
    if (cbRuns == 0) return;
    header = ReadRecordHeader(stream);
    if (header.RecID != BIFFRECID_CONTINUE) throw EBIFFError("Expected record missing: CONTINUE (TXO runs)");
    const std::vector<uint8_t> runs = ReadBytes(stream, header.Length);
    const size_t count = std::min(cbRuns, runs.size()) / 8;
    Runs_.resize(count);
    for (size_t i = 0; i < count; ++i) std::copy_n(runs.begin() + static_cast<ptrdiff_t>(8 * i), 8, Runs_[i].begin());
}

void TShapeOutsideMsoBaseText::SaveToStream(TXLSStream& stream) const {
    std::vector<uint8_t> txo = Txo_;
    std::vector<TRun> runs = Runs_;
    const auto length = static_cast<uint16_t>(Text_.size());
    base::StoreLE16(txo.data() + TxoCchText, length);
    if (Text_.empty()) {
        base::StoreLE16(txo.data() + TxoCbRuns, 0);
    } else {
        if (!runs.empty()) base::StoreLE16(runs.back().data(), length);
        base::StoreLE16(txo.data() + TxoCbRuns, CheckedRecordLength(8 * static_cast<int64_t>(runs.size()), "TXO runs"));
    }

    stream.WriteHeader(BIFFRECID_MSODRAWING, 8);
    uint8_t textbox[8];
    EncodeMSOHeader({0, 0, MSOFBT_CLIENTTEXTBOX, 0}, textbox);
    stream.WriteRaw(textbox, 8);
    stream.WriteRecord(BIFFRECID_TXO, txo.data(), CheckedRecordLength(static_cast<int64_t>(txo.size()), "TXO record"));
    if (Text_.empty()) return;
    for (size_t done = 0; done < Text_.size(); done += MaxCharsPerRecord) {
        const size_t chars = std::min<size_t>(MaxCharsPerRecord, Text_.size() - done);
        std::vector<uint8_t> piece{1};
        for (size_t i = 0; i < chars; ++i) base::AppendLE16(piece, Text_[done + i]);
        stream.WriteHeader(BIFFRECID_CONTINUE, static_cast<uint16_t>(piece.size()));
        stream.WriteRaw(piece.data(), static_cast<int64_t>(piece.size()));
    }
    if (runs.empty()) return;
    std::vector<uint8_t> bytes;
    for (const TRun& run : runs) bytes.insert(bytes.end(), run.begin(), run.end());
    stream.WriteHeader(BIFFRECID_CONTINUE, static_cast<uint16_t>(bytes.size()));
    stream.WriteRaw(bytes.data(), static_cast<int64_t>(bytes.size()));
}

TChartSubstream::~TChartSubstream() = default;

void TRawChartSubstream::LoadFromStream(TXLSStream& stream) {
    Records_.clear();
    int depth = 0;
    do {
        const TBIFFHeader header = ReadRecordHeader(stream);
        if (Records_.empty() && header.RecID != BIFFRECID_BOF) throw EBIFFError("Expected record missing: chart BOF");
        if (header.RecID == BIFFRECID_BOF && ++depth > MaxChartNesting)
            throw EBIFFError("Chart substreams nested too deep");
        if (header.RecID == BIFFRECID_EOF) --depth;
        const size_t at = Records_.size();
        Records_.resize(at + 4);
        base::StoreLE16(&Records_[at], header.RecID);
        base::StoreLE16(&Records_[at + 2], header.Length);
        const std::vector<uint8_t> body = ReadBytes(stream, header.Length);
        Records_.insert(Records_.end(), body.begin(), body.end());
    } while (depth > 0);
}

void TRawChartSubstream::SaveToStream(TXLSStream& stream) const {
    stream.WriteRaw(Records_.data(), static_cast<int64_t>(Records_.size()));
}

std::unique_ptr<TChartSubstream> TRawChartSubstream::Clone() const {
    return std::make_unique<TRawChartSubstream>(*this);
}

TShapeOutsideMsoChart::TShapeOutsideMsoChart(int16_t objId, std::unique_ptr<TChartSubstream> chart)
    : TShapeOutsideMso(objId), Chart_(std::move(chart)) {
    if (!Chart_) Chart_ = std::make_unique<TRawChartSubstream>();
}

void TShapeOutsideMsoChart::AssignTo(TShapeOutsideMso& dest) const {
    auto* chart = dynamic_cast<TShapeOutsideMsoChart*>(&dest);
    if (!chart) throw EBIFFError("Wrong type of shape in Assign");
    chart->Chart_ = Chart_->Clone();
}

void TShapeOutsideMsoChart::LoadFromStream(TXLSStream& stream) { Chart_->LoadFromStream(stream); }

void TShapeOutsideMsoChart::SaveToStream(TXLSStream& stream) const { Chart_->SaveToStream(stream); }

}  // namespace xls
