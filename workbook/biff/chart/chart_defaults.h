#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace xls {

// One entry of a default record set: a record id and its data as hexadecimal bytes (empty: no
// data). Begin and End nest the entries; EOF ends the set; CHARTRECID_LEGENDSET applies set 1.
struct TDefaultRecord {
    uint16_t RecId;
    std::string_view Hex;
};

// The entries of default set kind (0 to 10): set 2 is set 0 from its first series link on.
// Any other kind has no entries.
std::span<const TDefaultRecord> ChartDefaultSet(int kind);

// The bytes of an entry's data.
std::vector<uint8_t> DefaultRecordBytes(const TDefaultRecord& entry);

}  // namespace xls
