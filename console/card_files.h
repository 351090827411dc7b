#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "console/history_record.h"

namespace console {

// The memory card of an instrument: in the root of the card one folder per device, "THdb"
// and the device number (1 to 247, no leading zeros); in it one file per day, named
// YYYYMMDD.hhw, holding 10-byte history records from its first byte.
constexpr int FirstCardDevice = 1;
constexpr int LastCardDevice = 247;
constexpr size_t DayRecordSize = 10;
// How much of a day file is read: 102,400 records, more than a day at one record a second.
constexpr size_t DayFileReadLimit = 1024000;

// Whether the name begins with 8 decimal digits.
bool IsDayFileName(std::string_view name);
// The text up to the first separator; empty when the separator does not occur.
std::string TextBeforeSeparator(std::string_view text, std::string_view separator);

// A day file: its day name (the 8 digits), its file name as the card writes it (the
// extension may be upper case on a FAT card) and its date.
struct TDayFile {
    std::string Name;
    std::string FileName;
    QDate Date;
    bool operator==(const TDayFile&) const = default;
};

struct TDayFileList {
    std::vector<TDayFile> Files;  // in the order the folder gives them
    // Names that pass the name test but are no calendar date (the 31st of February): no day
    // files, skipped, and told to the operator.
    std::vector<std::string> NotDates;
};

// The day files of a folder: regular files named by 8 digits and ".hhw" (12 characters),
// year from 2000, month 1..12, day 1..31, and a real date. A missing folder has none.
TDayFileList ListDayFiles(const std::string& folder);
// The sort comparison of day lists: the two names as integers, -1, 0 or 1.
int CompareDayFileNames(const std::vector<TDayFile>& list, size_t index1, size_t index2);
// Ascending numeric order, which is date order.
void SortDayFiles(std::vector<TDayFile>& list);

std::string DeviceFolderName(int device);
std::string DayFilePath(const std::string& root, int device, const TDayFile& file);

// The devices of a card root that hold day files, in ascending number, each list sorted.
struct TCardDevice {
    int Number = 0;
    std::vector<TDayFile> Files;
};
struct TCardListing {
    std::vector<TCardDevice> Devices;
    std::vector<std::string> NotDates;  // "THdb3/20230231.hhw"
    size_t DayFileCount() const;
};
TCardListing ListCard(const std::string& root);

// The day files a start and an end date select: each index is that of the last file dated
// on or before its date (a date before every file selects the first); Low..High in
// ascending order, whichever date is the later.
struct TDaySelection {
    size_t FirstFileIndex = 0;
    size_t LastFileIndex = 0;
    size_t Low() const { return std::min(FirstFileIndex, LastFileIndex); }
    size_t High() const { return std::max(FirstFileIndex, LastFileIndex); }
    size_t Count() const { return High() - Low() + 1; }
};
TDaySelection SelectDayFiles(const std::vector<TDayFile>& files, const QDate& start, const QDate& end);

// The whole records of a day file (up to the read limit); the bytes of a cut last record
// are counted, never read as a record. A file that cannot be read raises base::Exception.
struct TDayRecords {
    std::vector<THistoryRecord> Records;
    size_t TailBytes = 0;
};
TDayRecords ReadDayFile(const std::string& path);

// What the memory-card panel knows of the card it last searched.
struct TCardState {
    // The devices of the last search (or of the re-listing after a delete): item k of the
    // device list is RecordFileLists[k].
    std::vector<TCardDevice> RecordFileLists;
    std::string CardRoot;
    // The first and last day of the chosen device: they bound both date pickers.
    QDate FirstFileDate, LastFileDate;
    // The day files the pickers select, for the delete and the export.
    TDaySelection Selection;
};

// Names for a message: "a,b,c".
std::string JoinedNames(const std::vector<std::string>& names);

// The record list's line of an exported record.
QString CardRecordLine(uint32_t number, const THistoryRecord& record);

}  // namespace console
