// Timed scenario: the stand-in's cost of answering the largest history block, 100 records in
// a 1013-byte reply, so that a read at full line speed measures the console and the line
// rather than the stand-in.
#include <chrono>
#include <cstdio>
#include <vector>

#include "tools/instrument/history_store.h"
#include "tools/instrument/instrument.h"
#include "tools/instrument/modbus_crc.h"

int main() {
    using Clock = std::chrono::steady_clock;
    constexpr uint32_t Blocks = 20000;
    constexpr uint32_t PerBlock = 100;
    instrument::TInstrument instrument;
    instrument.Update([](instrument::TInstrumentState& s) {
        instrument::GenerateHistory(s, Blocks * PerBlock, {2024, 1, 1, 0, 0, 0}, 1);
    });
    std::vector<uint8_t> request = {0x01, 0x03, 0x00, 0x07, 0x01, 0xF8};  // 504 registers
    instrument::AppendModbusCrc(request);

    size_t bytes = 0;
    const auto start = Clock::now();
    for (uint32_t i = 0; i < Blocks; ++i) bytes += instrument.Answer(request).value().size();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("100-record blocks: %u answered, %.1f us each, %.0f records/s, %zu bytes\n", Blocks,
                seconds / Blocks * 1e6, Blocks * PerBlock / seconds, bytes);
    return instrument.State().HistoryUnread == 0 ? 0 : 1;
}
