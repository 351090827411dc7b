#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "tools/instrument/frame_assembler.h"
#include "tools/instrument/history_store.h"
#include "tools/instrument/instrument.h"

// Whatever comes down the line, the stand-in cuts it into frames and answers without a
// crash, a hang or an unbounded buffer. The input is sent in pieces whose sizes it chooses.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    instrument::TFrameAssembler assembler;
    instrument::TInstrument instrument;
    // Records and events to hand out, and an acknowledgement awaited now and then.
    instrument.Update([](instrument::TInstrumentState& s) {
        instrument::GenerateHistory(s, 1000, {2024, 3, 1, 0, 0, 0}, 60);
        s.AlarmTotal = s.AlarmUnread = 50;
    });
    assembler.AwaitAcknowledgement(size % 2 == 1);
    std::span<const uint8_t> line(data, size);
    while (!line.empty()) {
        const size_t piece = std::min<size_t>(line.size(), 1 + line[0] % 64);
        for (const auto& frame : assembler.Push(line.first(piece))) instrument.Answer(frame);
        line = line.subspan(piece);
    }
    for (const auto& frame : assembler.Flush()) instrument.Answer(frame);
    return 0;
}
