#pragma once

#include <cstddef>
#include <string>

#include "tools/instrument/instrument_state.h"

namespace instrument {

// Writes what an instrument with a memory card keeps on it: in `root`, the folder "THdb" and
// the instrument's address, holding one file per day of its history, YYYYMMDD.hhw, of the
// 10-byte records taken that day in order. Day files already there are replaced. Returns
// the number of day files written; raises base::Exception when a file cannot be written.
size_t WriteCard(const TInstrumentState& state, const std::string& root);

}  // namespace instrument
