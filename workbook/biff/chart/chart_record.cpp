#include "workbook/biff/chart/chart_record.h"

#include <algorithm>
#include <cstdio>

#include "base/byte_reader.h"
#include "workbook/biff/chart/chart_defaults.h"
#include "workbook/biff/chart/chart_record_ids.h"
#include "workbook/biff/excel_version.h"
#include "workbook/biff/xls_stream.h"
#include "workbook/model/exceptions.h"
#include "workbook/model/style_items.h"

namespace xls {

namespace {

// Real charts nest about six levels; a deeper file is refused rather than followed down the
// call stack.
constexpr int MaxChartDepth = 64;
// MsoDrawing records up to this length hold only a child-anchor stub that is not kept.
constexpr int MaxDroppedDrawing = 80;
// The data of an Fbi record in the file; the tree keeps the font it names beside it.
constexpr int FbiLength = 10;
constexpr int FbiFontIndex = 8;

std::string HexId(uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%.4X", id);
    return text;
}

}  // namespace

// Reads one substream into a tree, keeping track of where the substream ends.
class TChartRecordLoader {
public:
    TChartRecordLoader(TXLSStream& stream, TChartRecord& root, TChartRecord& top)
        : Stream_(stream), Root_(root), Top_(top) {}

    // Reads the records of a level into list; false when the substream (or the stream) ended.
    bool LoadLevel(TChartRecord& list, int depth);

private:
    // Reads count data bytes of the current record; false when the stream ends inside it.
    bool ReadData(std::vector<uint8_t>& data, int count, bool plain);
    void AppendFont(TChartRecord& list, uint16_t recId, std::vector<uint8_t> data);

    TXLSStream& Stream_;
    TChartRecord& Root_;
    // The list the substream's records are read into; its EOF is kept there.
    TChartRecord& Top_;
};

bool TChartRecordLoader::ReadData(std::vector<uint8_t>& data, int count, bool plain) {
    data.resize(count);
    if (count == 0) return true;
    const int64_t n = plain ? Stream_.ReadPlain(data.data(), count) : Stream_.Read(data.data(), count);
    return n == count;
}

bool TChartRecordLoader::LoadLevel(TChartRecord& list, int depth) {
    if (depth > MaxChartDepth) throw EXLSError("Chart records are nested too deeply");
    for (;;) {
        TBIFFHeader header;
        if (Stream_.ReadHeader(header) < 4) return false;
        std::vector<uint8_t> data;
        switch (header.RecID) {
            case CHARTRECID_EOF:
                if (!ReadData(data, header.Length, false)) return false;
                // The substream ends here whatever level is open: what follows belongs to the
                // sheet that holds the chart. Levels left open (a lost End) are closed by
                // keeping the EOF at the top, so the tree writes back as a balanced substream.
                Top_.Append(header.RecID, data);
                return false;
            case CHARTRECID_END:
                if (!ReadData(data, header.Length, false)) return false;
                // An End with no level open (a lost Begin) is dropped: the substream goes on
                // to its EOF and stays one chart.
                if (depth == 0) break;
                return true;
            case CHARTRECID_BEGIN: {
                if (!ReadData(data, header.Length, false)) return false;
                TChartRecord& parent = list.Items(list.Count() - 1);
                if (!LoadLevel(parent, depth + 1)) return false;
                break;
            }
            case CHARTRECID_MSODRAWING: {
                if (header.Length <= MaxDroppedDrawing) {
                    if (!ReadData(data, header.Length, false)) return false;
                    break;
                }
                TChartOwner& owner = Root_.Owner();
                if (!owner.HoldsDrawing()) throw EXLSError("Chart record parent is not of excpected type");
                list.Append(header.RecID, {});
                owner.ReadDrawing(Stream_, header.Length);
                break;
            }
            case CHARTRECID_FONTX:
            case CHARTRECID_FBI:
                if (!ReadData(data, header.Length, false)) return false;
                AppendFont(list, header.RecID, std::move(data));
                break;
            case BIFFRECID_GELFRAME: {
                if (!ReadData(data, header.Length, false)) return false;
                for (uint16_t next = Stream_.PeekRecordId(); next == BIFFRECID_GELFRAME || next == BIFFRECID_CONTINUE;
                     next = Stream_.PeekRecordId()) {
                    TBIFFHeader more;
                    Stream_.ReadHeader(more);
                    std::vector<uint8_t> piece;
                    if (!ReadData(piece, more.Length, false)) return false;
                    data.insert(data.end(), piece.begin(), piece.end());
                }
                list.Children_.push_back(std::make_unique<TChartRecordUpdate>(&list, header.RecID, data));
                break;
            }
            default:
                // A BOF of any version is never encrypted.
                if (!ReadData(data, header.Length, (header.RecID & 0xFF) == 0x09)) return false;
                list.Append(header.RecID, data);
                break;
        }
    }
}

void TChartRecordLoader::AppendFont(TChartRecord& list, uint16_t recId, std::vector<uint8_t> data) {
    TChartWorkbook& workbook = Root_.Owner().Workbook();
    if (recId == CHARTRECID_FONTX) {
        if (data.size() < 2) throw EXLSError("FontX record is too short");
        const int index = base::LoadLE16(data.data());
        TXc12Font* font = Root_.FindFbiFont(index);
        if (!font) font = &workbook.FontAtFileIndex(index);
        list.Append(recId, std::span<const uint8_t>(data).first(2)).SetFont(font);
        return;
    }
    if (data.size() < FbiLength) throw EXLSError("Fbi record is too short");
    TXc12Font& font = workbook.FontAtFileIndex(base::LoadLE16(data.data() + FbiFontIndex));
    font.SetBuiltIn(true);
    list.Append(recId, std::span<const uint8_t>(data).first(FbiLength)).SetFont(&font);
}

TChartRecord::TChartRecord(TChartRecord* parent, uint16_t recId, std::span<const uint8_t> data)
    : Parent_(parent), RecId_(recId), Data_(data.begin(), data.end()) {}

TChartRecord::TChartRecord(TChartRecord* parent, uint16_t recId, int length)
    : Parent_(parent), RecId_(recId), Data_(std::max(0, length)) {}

TChartRecord::~TChartRecord() = default;

std::unique_ptr<TChartRecord> TChartRecord::CreateRoot(TChartOwner& owner) {
    std::unique_ptr<TChartRecord> root = std::make_unique<TChartRecordUpdate>(nullptr, CHARTRECID_ROOT, 0);
    root->Owner_ = &owner;
    return root;
}

void TChartRecord::SetData(std::span<const uint8_t> data) {
    // A GelFrame goes on in Continue records; any other record must fit one BIFF8 record.
    if (RecId_ != BIFFRECID_GELFRAME && data.size() > static_cast<size_t>(MAXRECSZ_97))
        throw EXLSError("Chart record " + HexId(RecId_) + " cannot hold " + std::to_string(data.size()) + " bytes");
    Data_.assign(data.begin(), data.end());
}

void TChartRecord::Resize(int delta) {
    const int length = std::max(0, Length() + delta);
    std::vector<uint8_t> data(Data_);
    data.resize(length);
    SetData(data);
}

uint8_t TChartRecord::Byte(int offset) const {
    base::TByteReader reader(Data_, [] { throw EXLSError("Chart record is too short"); });
    reader.Seek(offset);
    return reader.U8();
}

uint16_t TChartRecord::Word(int offset) const {
    base::TByteReader reader(Data_, [] { throw EXLSError("Chart record is too short"); });
    reader.Seek(offset);
    return reader.U16LE();
}

uint32_t TChartRecord::Long(int offset) const {
    base::TByteReader reader(Data_, [] { throw EXLSError("Chart record is too short"); });
    reader.Seek(offset);
    return reader.U32LE();
}

void TChartRecord::SetByte(int offset, uint8_t value) {
    Byte(offset);
    Data_[offset] = value;
}

void TChartRecord::SetWord(int offset, uint16_t value) {
    Word(offset);
    base::StoreLE16(Data_.data() + offset, value);
}

void TChartRecord::SetLong(int offset, uint32_t value) {
    Long(offset);
    base::StoreLE32(Data_.data() + offset, value);
}

TChartRecord& TChartRecord::Items(int index) const {
    if (index < 0 || index >= Count()) throw EListError::IndexOutOfBounds(index);
    return *Children_[index];
}

int TChartRecord::IndexOf(const TChartRecord& child) const {
    for (int i = 0; i < Count(); ++i)
        if (Children_[i].get() == &child) return i;
    return -1;
}

TChartRecord& TChartRecord::InsertRecord(int index, uint16_t recId, bool asUpdate, int length) {
    std::unique_ptr<TChartRecord> record = asUpdate ? std::make_unique<TChartRecordUpdate>(this, recId, 0)
                                                    : std::make_unique<TChartRecord>(this, recId, 0);
    record->Resize(length);
    TChartRecord& result = *record;
    if (index < 0 || index > Count()) index = Count();
    Children_.insert(Children_.begin() + index, std::move(record));
    return result;
}

TChartRecord& TChartRecord::Append(uint16_t recId, std::span<const uint8_t> data) {
    Children_.push_back(std::make_unique<TChartRecord>(this, recId, data));
    return *Children_.back();
}

int TChartRecord::IndexOfRecord(uint16_t recId) const {
    for (int i = 0; i < Count(); ++i)
        if (Children_[i]->RecId_ == recId) return i;
    return -1;
}

bool TChartRecord::DeleteRecord(uint16_t recId) {
    const int index = IndexOfRecord(recId);
    if (index < 0) return false;
    Delete(index);
    return true;
}

void TChartRecord::Delete(int index) {
    Items(index);
    Children_.erase(Children_.begin() + index);
}

TChartRecord& TChartRecord::Root() {
    TChartRecord* record = this;
    while (record->Parent_ && record->RecId_ != CHARTRECID_ROOT) record = record->Parent_;
    return *record;
}

TChartOwner& TChartRecord::Owner() {
    TChartRecord& root = Root();
    if (!root.Owner_) throw EXLSError("Chart record parent is not of excpected type");
    return *root.Owner_;
}

namespace {

// Applies the entries of a set from pos into list until the level's End or the set's end.
void ApplyDefaults(TChartRecord& list, std::span<const TDefaultRecord> set, size_t& pos) {
    while (pos < set.size()) {
        const TDefaultRecord& entry = set[pos++];
        switch (entry.RecId) {
            case CHARTRECID_BEGIN: ApplyDefaults(list.Items(list.Count() - 1), set, pos); break;
            case CHARTRECID_END: return;
            case CHARTRECID_EOF: list.Append(entry.RecId, {}); return;
            case CHARTRECID_LEGENDSET: list.AddDefaultRecords(1); break;
            case CHARTRECID_FONTX: {
                const std::vector<uint8_t> bytes = DefaultRecordBytes(entry);
                TXc12Font* font = list.FindFbiFont(base::LoadLE16(bytes.data()));
                list.Append(entry.RecId, bytes).SetFont(font);
                break;
            }
            case CHARTRECID_FBI: {
                TXc12Fonts& fonts = list.Owner().Workbook().Fonts();
                // A chart's text font takes the workbook's default face and size, so that the
                // FONT record written for it names a real font.
                const TXc12Font* normal = fonts.Count() > 0 ? fonts.GetItems(0) : nullptr;
                TXc12Font* font = fonts.Add();
                font->SetName(normal && !normal->GetName().empty() ? normal->GetName() : u"Arial");
                font->SetSize(normal && normal->GetSize() > 0 ? normal->GetSize() : 10);
                font->SetBuiltIn(true);
                list.Append(entry.RecId, DefaultRecordBytes(entry)).SetFont(font);
                break;
            }
            default: list.Append(entry.RecId, DefaultRecordBytes(entry)); break;
        }
    }
}

}  // namespace

void TChartRecord::AddDefaultRecords(int kind) {
    size_t pos = 0;
    ApplyDefaults(*this, ChartDefaultSet(kind), pos);
}

TXc12Font* TChartRecord::FindFbiFont(int fontIndex) {
    TChartRecord& root = Root();
    for (const auto& child : root.Children_)
        if (child->RecId_ == CHARTRECID_FBI && child->Length() >= FbiLength && child->Word(FbiFontIndex) == fontIndex)
            return child->Font_;
    if (root.Last() && root.Last()->RecId_ == CHARTRECID_FBI) throw EXLSError("Can not find FBI");
    return nullptr;
}

void TChartRecord::LoadFromStream(TXLSStream& stream) {
    TChartRecordLoader loader(stream, Root(), *this);
    loader.LoadLevel(*this, 0);
}

void TChartRecord::SaveToStream(TXLSStream& stream) {
    for (const auto& child : Children_) {
        TChartRecord& record = *child;
        switch (record.RecId_) {
            case CHARTRECID_MSODRAWING: {
                TChartOwner& owner = Owner();
                if (!owner.HoldsDrawing()) throw EXLSError("Chart record parent is not of excpected type");
                owner.WriteDrawing(stream);
                break;
            }
            case CHARTRECID_FONTX:
                if (record.Font_) {
                    record.SetWord(0, static_cast<uint16_t>(Owner().Workbook().FontFileIndex(*record.Font_)));
                }
                stream.WriteHeader(record.RecId_, static_cast<uint16_t>(record.Length()));
                stream.WriteRaw(record.Data_.data(), record.Length());
                break;
            case CHARTRECID_FBI:
                if (record.Font_)
                    record.SetWord(FbiFontIndex,
                                   static_cast<uint16_t>(Owner().Workbook().FontFileIndex(*record.Font_)));
                stream.WriteHeader(record.RecId_, static_cast<uint16_t>(record.Length()));
                stream.WriteRaw(record.Data_.data(), record.Length());
                break;
            case BIFFRECID_GELFRAME:
                if (auto* update = dynamic_cast<TChartRecordUpdate*>(&record); update && update->BeforeWrite)
                    update->BeforeWrite(record);
                stream.WriteRecord(record.RecId_, record.Data_.data(), record.Length());
                break;
            default:
                stream.WriteHeader(record.RecId_, static_cast<uint16_t>(record.Length()));
                if (record.Length() > 0) stream.WriteRaw(record.Data_.data(), record.Length());
                break;
        }
        if (!record.Children_.empty()) {
            stream.WriteHeader(CHARTRECID_BEGIN, 0);
            record.SaveToStream(stream);
            stream.WriteHeader(CHARTRECID_END, 0);
        }
    }
}

}  // namespace xls
