#include "platform/process_heap.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

void KeepLargeBlocksInHeap() {
#if defined(__GLIBC__)
    constexpr int Limit = 256 << 20;
    mallopt(M_MMAP_THRESHOLD, Limit);
    mallopt(M_TRIM_THRESHOLD, Limit);
#endif
}

}  // namespace platform
