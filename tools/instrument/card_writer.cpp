#include "tools/instrument/card_writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/exception.h"
#include "tools/instrument/history_store.h"

namespace instrument {

size_t WriteCard(const TInstrumentState& state, const std::string& root) {
    const std::filesystem::path folder = std::filesystem::path(root) / ("THdb" + std::to_string(state.Address()));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) throw base::Exception("cannot create " + folder.string() + ": " + error.message());
    std::ofstream day;
    std::string dayName;
    size_t files = 0;
    const auto close = [&] {
        day.close();
        if (day.fail()) throw base::Exception("cannot write " + (folder / dayName).string());
    };
    for (uint32_t i = 0; i < state.HistoryTotal; ++i) {
        const THistoryRecord record = HistoryRecordAt(state, i);
        char name[16];
        std::snprintf(name, sizeof name, "%04d%02d%02d.hhw", record.Time.Year, record.Time.Month, record.Time.Day);
        if (name != dayName) {
            if (day.is_open()) close();
            dayName = name;
            day.open(folder / dayName, std::ios::binary | std::ios::trunc);
            if (!day) throw base::Exception("cannot write " + (folder / dayName).string());
            ++files;
        }
        std::array<uint8_t, HistoryRecordSize> bytes{};
        PutHistoryRecord(record, bytes);
        day.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    if (day.is_open()) close();
    return files;
}

}  // namespace instrument
