#pragma once

namespace platform {

// Keeps large blocks (up to 256 MiB) in the process heap instead of mapping each one from the
// system and unmapping it on free, and stops the heap from handing its top back after every
// large free. The console's report streams and cell blocks grow by reallocation; mapping and
// unmapping each step costs more than the copies, most of all on virtual machines. A program
// calls it once at start; libraries never do. No effect outside glibc.
void KeepLargeBlocksInHeap();

}  // namespace platform
