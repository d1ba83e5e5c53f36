#include "platform/Allocator.h"

#include <malloc.h>

namespace platform {

bool TuneAllocator() {
    // One arena for every thread. A catalogue read on a worker thread would otherwise
    // get an arena of its own, and what it allocates there (rowsets, texts handed to the
    // window thread) stays spread over two heaps that neither thread can give back.
    bool ok = mallopt(M_ARENA_MAX, 1) == 1;
    // Grow the heap in large steps: an import allocates hundreds of megabytes in small
    // pieces, and each step costs a system call and its page-table work.
    constexpr int kMiB = 1024 * 1024;
    ok = mallopt(M_TOP_PAD, 64 * kMiB) == 1 && ok;
    // Setting the pad stops the C library from raising its mapping threshold as large
    // blocks come and go, so every block over 128 KB would get pages of its own, faulted
    // in anew each time. Blocks up to 32 MB (the ceiling of that sliding threshold) come
    // from the heap instead.
    ok = mallopt(M_MMAP_THRESHOLD, 32 * kMiB) == 1 && ok;
    return ok;
}

}  // namespace platform
