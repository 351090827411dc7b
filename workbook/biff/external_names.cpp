#include "workbook/biff/external_names.h"

#include <algorithm>

#include "base/byte_reader.h"
#include "workbook/biff/biff_error.h"
#include "workbook/biff/biff_record_ids.h"
#include "workbook/biff/xls_stream.h"
#include "workbook/model/biff_values.h"
#include "workbook/model/utils.h"

namespace xls {

namespace {

[[noreturn]] void ShortRecord() { throw EBIFFError("Record data too short"); }

// A byte string of the format from count characters at the reader: flag byte, characters.
std::vector<uint8_t> ReadByteString(base::TByteReader& reader, size_t count) {
    const uint8_t flag = reader.U8();
    const size_t size = (flag & 1) ? 2 * count : count;
    const auto chars = reader.Bytes(size);
    std::vector<uint8_t> result(size + 1);
    result[0] = static_cast<uint8_t>(flag & 1);
    std::copy(chars.begin(), chars.end(), result.begin() + 1);
    return result;
}

std::vector<uint8_t> WideByteString(const std::u16string& text) {
    std::vector<uint8_t> result{1};
    for (char16_t c : text) base::AppendLE16(result, c);
    return result;
}

size_t ByteStringChars(const std::vector<uint8_t>& text) {
    if (text.empty()) return 0;
    return text[0] == 1 ? (text.size() - 1) / 2 : text.size() - 1;
}

bool SameText(const std::u16string& a, const std::u16string& b) { return WideUpperCaseStr(a) == WideUpperCaseStr(b); }

// Characters of a byte string after its flag byte.
std::u16string ByteStringChars16(const std::vector<uint8_t>& text) {
    std::u16string result;
    if (text.empty()) return result;
    if (text[0] == 1) {
        for (size_t i = 1; i + 1 < text.size(); i += 2) result.push_back(base::LoadLE16(text.data() + i));
    } else {
        for (size_t i = 1; i < text.size(); ++i) result.push_back(text[i]);
    }
    return result;
}

}  // namespace

std::u16string TSupBookSheet::GetName() const {
    return BIFFStrToWideStr({reinterpret_cast<const char*>(Name.data()), Name.size()});
}

std::u16string TExtName::GetName() const {
    return BIFFStrToWideStr({reinterpret_cast<const char*>(Name.data()), Name.size()});
}

void TExtName::SaveToStream(TXLSStream& stream) const {
    const size_t nameSize = Name.size() + 1;
    const size_t length = Kind == 0 ? nameSize + Definition.size() + 8 : nameSize + 6;
    if (length > MAXRECSZ_97) throw EBIFFError("External name too long");
    stream.WriteHeader(BIFFRECID_EXTERNNAME, static_cast<uint16_t>(length));
    stream.WriteWord(Options);
    if (Kind == 2) {
        stream.WriteLongWord(StorageId);
    } else {
        stream.WriteWord(0);
        stream.WriteWord(0);
    }
    stream.WriteByte(static_cast<uint8_t>(ByteStringChars(Name)));
    stream.WriteRaw(Name.data(), static_cast<int64_t>(Name.size()));
    if (Kind == 0) {
        stream.WriteWord(static_cast<uint16_t>(Definition.size()));
        stream.WriteRaw(Definition.data(), static_cast<int64_t>(Definition.size()));
    }
}

std::u16string TSupBook::GetPath() const {
    std::u16string chars = ByteStringChars16(FileName);
    size_t i = 0;
    if (FileName.size() >= 3 && !chars.empty() && chars[0] <= 2) i = 1;
    std::u16string result;
    for (; i < chars.size(); ++i) {
        const char16_t c = chars[i];
        if (c == 1 && i + 1 < chars.size()) {
            const char16_t next = chars[++i];
            if (next == u'@')
                result += u"\\\\";
            else
                result += std::u16string{next, u':', u'\\'};
        } else if (c == 2 || c == 3) {
            result += u'\\';
        } else if (c == 4) {
            result += u"..\\";
        } else if (c >= 5 && c <= 8) {
            continue;
        } else {
            result += c;
        }
    }
    return result;
}

std::u16string TSupBook::GetRefPath() const {
    const std::u16string path = GetPath();
    const size_t slash = path.find_last_of(u'\\');
    if (slash == std::u16string::npos) return u"[" + path + u"]";
    return path.substr(0, slash + 1) + u"[" + path.substr(slash + 1) + u"]";
}

void TSupBook::AddSheet(const std::u16string& name) { Sheets.push_back({WideByteString(name), {}}); }

void TSupBook::SaveToStream(TXLSStream& stream) const {
    if (Kind == SupBookInternal || Kind == SupBookAddIn) {
        stream.WriteHeader(BIFFRECID_SUPBOOK, 4);
        stream.WriteWord(static_cast<uint16_t>(SheetCount));
        stream.WriteWord(Kind);
    } else {
        std::vector<uint8_t> data;
        base::AppendLE16(data, static_cast<uint16_t>(SheetCount));
        auto addString = [&data](const std::vector<uint8_t>& text) {
            base::AppendLE16(data, static_cast<uint16_t>(ByteStringChars(text)));
            data.insert(data.end(), text.begin(), text.end());
        };
        addString(FileName);
        for (const TSupBookSheet& sheet : Sheets) addString(sheet.Name);
        if (data.size() > MAXRECSZ_97) throw EBIFFError("External workbook reference too long");
        stream.WriteRecord(BIFFRECID_SUPBOOK, data.data(), static_cast<int64_t>(data.size()));
    }
    for (const TExtName& name : ExternalNames) name.SaveToStream(stream);
    for (size_t s = 0; s < Sheets.size(); ++s) {
        const auto& crns = Sheets[s].CRNs;
        if (crns.empty()) continue;
        stream.WriteHeader(BIFFRECID_XCT, 4);
        stream.WriteWord(static_cast<uint16_t>(crns.size()));
        stream.WriteWord(static_cast<uint16_t>(s));
        for (const TCRN& crn : crns) {
            stream.WriteHeader(BIFFRECID_CRN, static_cast<uint16_t>(crn.Values.size() + 4));
            stream.WriteByte(crn.LastCol);
            stream.WriteByte(crn.FirstCol);
            stream.WriteWord(crn.Row);
            stream.WriteRaw(crn.Values.data(), static_cast<int64_t>(crn.Values.size()));
        }
    }
}

void TExternalNames::Clear() {
    ExtSheets_.clear();
    SupBooks_.clear();
}

void TExternalNames::AddSupBook(std::span<const uint8_t> data) {
    base::TByteReader reader(data, ShortRecord);
    auto book = std::make_unique<TSupBook>();
    book->SheetCount = reader.U16LE();
    const uint16_t kindOrCount = reader.U16LE();
    if (kindOrCount == SupBookInternal || kindOrCount == SupBookAddIn) {
        book->Kind = kindOrCount;
    } else {
        book->FileName = ReadByteString(reader, kindOrCount);
        for (int i = 0; i < book->SheetCount; ++i) {
            const uint16_t count = reader.U16LE();
            book->Sheets.push_back({ReadByteString(reader, count), {}});
        }
    }
    SupBooks_.push_back(std::move(book));
}

void TExternalNames::AddExternName(std::span<const uint8_t> data) {
    base::TByteReader reader(data, ShortRecord);
    TExtName name;
    name.Options = reader.U16LE();
    name.Kind = name.Options <= 1 ? 0 : (name.Options & 0x10) ? 2 : 1;
    name.StorageId = reader.U32LE();
    if (name.Kind != 2) name.StorageId = 0;
    const uint8_t count = reader.U8();
    name.Name = ReadByteString(reader, count);
    if (name.Kind == 0) {
        const uint16_t length = reader.U16LE();
        const auto tokens = reader.Bytes(length);
        name.Definition.assign(tokens.begin(), tokens.end());
    }
    LastSupBook("No SUPBOOK for EXTERNNAME").ExternalNames.push_back(std::move(name));
}

int FirstSheetFromTab(int tab, std::span<const int> chartTabs) {
    return tab - static_cast<int>(std::lower_bound(chartTabs.begin(), chartTabs.end(), tab) - chartTabs.begin());
}

int LastSheetFromTab(int tab, std::span<const int> chartTabs) {
    return tab - static_cast<int>(std::upper_bound(chartTabs.begin(), chartTabs.end(), tab) - chartTabs.begin());
}

bool TExternalNames::IsInternal(const TExtSheet& entry) const {
    return entry.SupBook >= 0 && entry.SupBook < SupBookCount() &&
           SupBooks_[static_cast<size_t>(entry.SupBook)]->Kind == SupBookInternal;
}

void TExternalNames::ReadExternSheet(std::span<const uint8_t> data, std::span<const int> chartTabs) {
    base::TByteReader reader(data, ShortRecord);
    const uint16_t count = reader.U16LE();
    if (!reader.Has(size_t{count} * 6)) ShortRecord();
    for (int i = 0; i < count; ++i) {
        TExtSheet entry;
        entry.SupBook = reader.U16LE();
        entry.FirstSheet = reader.U16LE();
        entry.LastSheet = reader.U16LE();
        if (!chartTabs.empty() && IsInternal(entry) && entry.FirstSheet < 0xF000 && entry.LastSheet < 0xF000) {
            const int first = FirstSheetFromTab(entry.FirstSheet, chartTabs);
            const int last = LastSheetFromTab(entry.LastSheet, chartTabs);
            const bool any = first <= last;
            entry.FirstSheet = any ? static_cast<uint16_t>(first) : ExtSheetDeleted;
            entry.LastSheet = any ? static_cast<uint16_t>(last) : ExtSheetDeleted;
        }
        ExtSheets_.push_back(entry);
    }
}

void TExternalNames::AddCRN(int sheetIndex, std::span<const uint8_t> data) {
    TSupBook& book = LastSupBook("No SUPBOOK for CRN");
    if (sheetIndex < 0 || sheetIndex >= book.SheetCount || sheetIndex >= static_cast<int>(book.Sheets.size()))
        throw EBIFFError("Invalid SUPBOOK Sheet Index");
    base::TByteReader reader(data, ShortRecord);
    TCRN crn;
    crn.LastCol = reader.U8();
    crn.FirstCol = reader.U8();
    crn.Row = reader.U16LE();
    const auto values = reader.Bytes(reader.Remaining());
    crn.Values.assign(values.begin(), values.end());
    book.Sheets[static_cast<size_t>(sheetIndex)].CRNs.push_back(std::move(crn));
}

TSupBook& TExternalNames::LastSupBook(const char* missingText) {
    if (SupBooks_.empty()) throw EBIFFError(missingText);
    return *SupBooks_.back();
}

const TExtSheet& TExternalNames::GetExternSheet(int index) const {
    if (index < 0 || index >= ExternSheetCount()) throw EBIFFError("Invalid EXTERNSHEET index");
    return ExtSheets_[static_cast<size_t>(index)];
}

const TSupBook& TExternalNames::GetSupBook(int index) const {
    if (index < 0 || index >= SupBookCount()) throw EBIFFError("Invalid SUPBOOK index");
    return *SupBooks_[static_cast<size_t>(index)];
}

bool TExternalNames::GetSheetRange(int index, int& first, int& last) const {
    if (index < 0 || index >= ExternSheetCount()) return false;
    first = ExtSheets_[static_cast<size_t>(index)].FirstSheet;
    last = ExtSheets_[static_cast<size_t>(index)].LastSheet;
    return first == last;
}

int TExternalNames::GetInternalSheetIndex(int index) const {
    if (index < 0 || index >= ExternSheetCount()) return -1;
    const TExtSheet& entry = ExtSheets_[static_cast<size_t>(index)];
    return IsInternal(entry) ? entry.FirstSheet : -1;
}

int TExternalNames::GetInternalSheetRef(int sheetIndex, int sheetCount) {
    return GetInternalSheetRangeRef(sheetIndex, sheetIndex, sheetCount);
}

int TExternalNames::GetInternalSheetRangeRef(int firstSheet, int lastSheet, int sheetCount) {
    int internal = -1;
    for (size_t i = 0; i < ExtSheets_.size(); ++i) {
        const TExtSheet& entry = ExtSheets_[i];
        if (!IsInternal(entry)) continue;
        internal = entry.SupBook;
        if (entry.FirstSheet == firstSheet && entry.LastSheet == lastSheet) return static_cast<int>(i);
    }
    if (internal < 0) {
        for (size_t b = 0; b < SupBooks_.size() && internal < 0; ++b)
            if (SupBooks_[b]->Kind == SupBookInternal) internal = static_cast<int>(b);
    }
    if (internal < 0) {
        auto book = std::make_unique<TSupBook>();
        book->SheetCount = sheetCount;
        book->Kind = SupBookInternal;
        SupBooks_.push_back(std::move(book));
        internal = SupBookCount() - 1;
    }
    ExtSheets_.push_back({internal, static_cast<uint16_t>(firstSheet), static_cast<uint16_t>(lastSheet)});
    return ExternSheetCount() - 1;
}

bool TExternalNames::HasExternalName(std::u16string_view name) const {
    const std::u16string wanted(name);
    for (const auto& book : SupBooks_)
        for (const TExtName& n : book->ExternalNames)
            if (SameText(n.GetName(), wanted)) return true;
    return false;
}

bool TExternalNames::FindExternalName(const std::u16string& folder, const std::u16string& file, int& nameIndex,
                                      int& entry, const std::u16string& name) const {
    for (size_t i = 0; i < ExtSheets_.size(); ++i) {
        const int b = ExtSheets_[i].SupBook;
        if (b < 0 || b >= SupBookCount()) continue;
        const TSupBook& book = *SupBooks_[static_cast<size_t>(b)];
        if (!SameText(book.GetPath(), folder + file)) continue;
        for (size_t n = 0; n < book.ExternalNames.size(); ++n) {
            if (SameText(book.ExternalNames[n].GetName(), name)) {
                nameIndex = static_cast<int>(n);
                entry = static_cast<int>(i);
                return true;
            }
        }
    }
    return false;
}

bool TExternalNames::FindExternalSheet(const std::u16string& folder, const std::u16string& file, int& sheetIndex,
                                       int& entry, const std::u16string& sheet) const {
    for (size_t i = 0; i < ExtSheets_.size(); ++i) {
        const int b = ExtSheets_[i].SupBook;
        if (b < 0 || b >= SupBookCount()) continue;
        const TSupBook& book = *SupBooks_[static_cast<size_t>(b)];
        if (book.Kind == SupBookInternal || !SameText(book.GetPath(), folder + file)) continue;
        for (size_t s = 0; s < book.Sheets.size(); ++s) {
            if (SameText(book.Sheets[s].GetName(), sheet)) {
                sheetIndex = static_cast<int>(s);
                entry = static_cast<int>(i);
                return true;
            }
        }
    }
    return false;
}

bool TExternalNames::FindOrAddExternalSheet(const std::u16string& folder, const std::u16string& file, int& supBook,
                                            int& entry, const std::u16string& sheet) {
    for (size_t i = 0; i < ExtSheets_.size(); ++i) {
        const int b = ExtSheets_[i].SupBook;
        if (b < 0 || b >= SupBookCount()) continue;
        const TSupBook& book = *SupBooks_[static_cast<size_t>(b)];
        if (book.Kind == SupBookInternal || !SameText(book.GetRefPath(), folder + file)) continue;
        for (const TSupBookSheet& s : book.Sheets) {
            if (SameText(s.GetName(), sheet)) {
                supBook = b;
                entry = static_cast<int>(i);
                return true;
            }
        }
    }
    auto book = std::make_unique<TSupBook>();
    book->SheetCount = 1;
    std::u16string path = folder;
    if (!path.empty() && path.back() == u'\\') path.pop_back();
    // Folder parts and the file name are joined by the "file follows" code of the encoded path.
    book->FileName = WideByteString(path + u'\x0003' + file);
    book->AddSheet(sheet);
    SupBooks_.push_back(std::move(book));
    supBook = SupBookCount() - 1;
    ExtSheets_.push_back({supBook, 0, 0});
    entry = ExternSheetCount() - 1;
    return false;
}

std::u16string TExternalNames::GetExternalRefText(int index, int nameNumber) const {
    if (index < 0 || index >= ExternSheetCount()) return u"#REF!";
    const TExtSheet& entry = ExtSheets_[static_cast<size_t>(index)];
    if (entry.SupBook < 0 || entry.SupBook >= SupBookCount()) return u"#REF!";
    const TSupBook& book = *SupBooks_[static_cast<size_t>(entry.SupBook)];
    const std::u16string path = book.GetRefPath();
    if (nameNumber < 0) {
        std::u16string sheet;
        if (entry.FirstSheet < 256 && entry.FirstSheet < book.Sheets.size())
            sheet = book.Sheets[entry.FirstSheet].GetName();
        return u"'" + path + sheet + u"'!";
    }
    if (nameNumber >= 1 && static_cast<size_t>(nameNumber) <= book.ExternalNames.size())
        return path + book.ExternalNames[static_cast<size_t>(nameNumber - 1)].GetName();
    return path;
}

void TExternalNames::SheetInserted(int index) {
    for (TExtSheet& entry : ExtSheets_) {
        if (!IsInternal(entry) || entry.FirstSheet < index) continue;
        if (entry.FirstSheet < 0xF000) ++entry.FirstSheet;
        if (entry.LastSheet >= index && entry.LastSheet < 0xF000) ++entry.LastSheet;
    }
}

void TExternalNames::SheetDeleted(int index) {
    auto shift = [index](uint16_t& sheet) {
        if (sheet >= 0xF000) return;
        if (sheet == index)
            sheet = ExtSheetDeleted;
        else if (sheet > index)
            --sheet;
    };
    for (TExtSheet& entry : ExtSheets_) {
        if (!IsInternal(entry) || entry.FirstSheet < index) continue;
        shift(entry.FirstSheet);
        shift(entry.LastSheet);
    }
}

void TExternalNames::SetInternalSheetCount(int count) {
    for (const TExtSheet& entry : ExtSheets_) {
        if (entry.SupBook < 0 || entry.SupBook >= SupBookCount()) continue;
        TSupBook& book = *SupBooks_[static_cast<size_t>(entry.SupBook)];
        if (book.Kind == SupBookInternal) book.SheetCount = count;
    }
}

void TExternalNames::SaveToStream(TXLSStream& stream, std::span<const int> tabOfSheet) const {
    for (const auto& book : SupBooks_) book->SaveToStream(stream);
    if (ExtSheets_.empty()) return;
    if (ExtSheets_.size() > 0xFFFF) throw EBIFFError("Too many external sheet references");
    std::vector<uint8_t> data;
    data.reserve(2 + 6 * ExtSheets_.size());
    base::AppendLE16(data, static_cast<uint16_t>(ExtSheets_.size()));
    for (const TExtSheet& entry : ExtSheets_) {
        const bool internal = IsInternal(entry);
        auto tab = [&](uint16_t sheet) {
            return internal && sheet < tabOfSheet.size() ? static_cast<uint16_t>(tabOfSheet[sheet]) : sheet;
        };
        base::AppendLE16(data, static_cast<uint16_t>(entry.SupBook));
        base::AppendLE16(data, tab(entry.FirstSheet));
        base::AppendLE16(data, tab(entry.LastSheet));
    }
    // More than 1,370 entries go on in CONTINUE records.
    stream.WriteRecord(BIFFRECID_EXTERNSHEET, data.data(), static_cast<int64_t>(data.size()));
}

void TInternalName::SetName(const std::u16string& text) {
    constexpr std::u16string_view Prefix = u"_xlnm.";
    std::u16string name = text;
    if (name.starts_with(Prefix)) {
        name.erase(0, Prefix.size());
        Options |= 1;
    }
    if (name.empty()) throw EBIFFError("Name is empty");
    Name = WideByteString(name);
}

std::u16string TInternalName::GetName() const {
    if (Name.size() == 2) return {};
    return ByteStringChars16(Name);
}

uint8_t TInternalName::BuiltInCode() const { return Name.size() == 2 && Name[1] < 8 ? Name[1] : 14; }

void TInternalName::SetMacroFlag(bool value) {
    Options = static_cast<uint16_t>(value ? Options | 0x08 : Options & ~0x08);
}

TInternalName& TInternalNames::Add() {
    Items_.push_back(std::make_unique<TInternalName>());
    return *Items_.back();
}

void TInternalNames::Delete(int index) {
    if (index < 0 || index >= Count()) throw EBIFFError("Invalid name index");
    Items_.erase(Items_.begin() + index);
    if (OnDelete) OnDelete(*this, -1);
}

void TInternalNames::DeleteBuiltIn(uint8_t code, uint16_t sheet) {
    for (int i = 0; i < Count(); ++i) {
        if (Items_[static_cast<size_t>(i)]->BuiltInCode() == code && Items_[static_cast<size_t>(i)]->Sheet == sheet) {
            Delete(i);
            return;
        }
    }
}

TInternalName* TInternalNames::FindBuiltIn(uint8_t code, int sheetIndex) const {
    for (const auto& name : Items_)
        if (name->BuiltInCode() == code && name->Sheet == sheetIndex + 1) return name.get();
    return nullptr;
}

int TInternalNames::IndexOfName(const std::u16string& text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Items_[static_cast<size_t>(i)]->GetName(), text)) return i;
    return -1;
}

TInternalName& TInternalNames::GetItems(int index) const {
    if (index < 0 || index >= Count()) throw EBIFFError("Invalid name index");
    return *Items_[static_cast<size_t>(index)];
}

}  // namespace xls
