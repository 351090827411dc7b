#include "console/card_files.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/exception.h"
#include "base/format.h"

namespace console {
namespace {

namespace fs = std::filesystem;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Number(std::string_view digits) {
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

bool HasDayExtension(std::string_view name) {
    if (name.size() != 12 || name[8] != '.') return false;
    std::string extension(name.substr(9));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return extension == "hhw";
}

// The name test of the card's day files: no calendar check yet.
bool PassesDayFileTest(std::string_view name) {
    if (!HasDayExtension(name) || !IsDayFileName(name)) return false;
    const int month = Number(name.substr(4, 2));
    const int day = Number(name.substr(6, 2));
    return Number(name.substr(0, 4)) >= 2000 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

bool IsDayFileName(std::string_view name) {
    return name.size() >= 8 && std::all_of(name.begin(), name.begin() + 8, IsDigit);
}

std::string TextBeforeSeparator(std::string_view text, std::string_view separator) {
    const size_t at = text.find(separator);
    return at == std::string_view::npos ? std::string() : std::string(text.substr(0, at));
}

TDayFileList ListDayFiles(const std::string& folder) {
    TDayFileList list;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string fileName = entry->path().filename().string();
        std::error_code kindError;
        if (!PassesDayFileTest(fileName) || !entry->is_regular_file(kindError)) continue;
        const std::string name = TextBeforeSeparator(fileName, ".");
        const QDate date(Number(name.substr(0, 4)), Number(name.substr(4, 2)), Number(name.substr(6, 2)));
        if (date.isValid())
            list.Files.push_back({name, fileName, date});
        else
            list.NotDates.push_back(fileName);
    }
    return list;
}

int CompareDayFileNames(const std::vector<TDayFile>& list, size_t index1, size_t index2) {
    const int a = Number(list.at(index1).Name);
    const int b = Number(list.at(index2).Name);
    return a < b ? -1 : a > b ? 1 : 0;
}

void SortDayFiles(std::vector<TDayFile>& list) {
    std::vector<size_t> order(list.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return CompareDayFileNames(list, a, b) < 0; });
    std::vector<TDayFile> sorted;
    sorted.reserve(list.size());
    for (size_t i : order) sorted.push_back(std::move(list[i]));
    list = std::move(sorted);
}

std::string DeviceFolderName(int device) { return "THdb" + std::to_string(device); }

std::string DayFilePath(const std::string& root, int device, const TDayFile& file) {
    return (fs::path(root) / DeviceFolderName(device) / file.FileName).string();
}

size_t TCardListing::DayFileCount() const {
    size_t count = 0;
    for (const TCardDevice& device : Devices) count += device.Files.size();
    return count;
}

TCardListing ListCard(const std::string& root) {
    TCardListing card;
    for (int number = FirstCardDevice; number <= LastCardDevice; ++number) {
        TDayFileList list = ListDayFiles((fs::path(root) / DeviceFolderName(number)).string());
        for (const std::string& name : list.NotDates) card.NotDates.push_back(DeviceFolderName(number) + "/" + name);
        if (list.Files.empty()) continue;
        SortDayFiles(list.Files);
        card.Devices.push_back({number, std::move(list.Files)});
    }
    return card;
}

TDaySelection SelectDayFiles(const std::vector<TDayFile>& files, const QDate& start, const QDate& end) {
    TDaySelection selection;
    for (size_t j = 0; j < files.size(); ++j) {
        if (start >= files[j].Date) selection.FirstFileIndex = j;
        if (end >= files[j].Date) selection.LastFileIndex = j;
    }
    return selection;
}

TDayRecords ReadDayFile(const std::string& path) {
    std::error_code kindError;
    std::ifstream in;
    // A folder opens as a stream that reads nothing: refuse it as the file it is not.
    if (fs::is_regular_file(path, kindError)) in.open(path, std::ios::binary);
    if (!in.is_open()) throw base::Exception("无法打开文件 " + path);
    // Sized by the file where its size is known, so that short days take little memory.
    std::error_code sizeError;
    const uintmax_t size = fs::file_size(path, sizeError);
    std::vector<uint8_t> bytes(sizeError ? DayFileReadLimit : std::min<uintmax_t>(size, DayFileReadLimit));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) throw base::Exception("无法读取文件 " + path);
    const size_t length = static_cast<size_t>(in.gcount());
    TDayRecords day;
    day.Records.reserve(length / DayRecordSize);
    for (size_t offset = 0; offset + DayRecordSize <= length; offset += DayRecordSize)
        day.Records.push_back(THistoryRecord::Decode(bytes.data() + offset));
    day.TailBytes = length % DayRecordSize;
    return day;
}

std::string JoinedNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ",") + name;
    return text;
}

QString CardRecordLine(uint32_t number, const THistoryRecord& r) {
    return QString::fromStdString(base::Format("(%d):温度:%0.1f,湿度:%0.1f,", {number, r.Temperature, r.Humidity})) +
           r.Time.DateTimeText();
}

}  // namespace console
