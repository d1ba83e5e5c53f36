#include "platform/Allocator.h"

#include <malloc.h>

namespace platform {

bool TuneAllocator() {
    // One arena for every thread. A catalogue read on a worker thread would otherwise
    // get an arena of its own: what is freed in one arena cannot serve the other's
    // allocations, so both heaps grow to their own peaks (some 20-50 MB more at the
    // peak of a 5,000-table import).
    bool ok = mallopt(M_ARENA_MAX, 1) == 1;
    // Grow the heap in large steps: an import allocates hundreds of megabytes in small
    // pieces, and each step costs a system call. After large frees the heap keeps at
    // most this much of its top.
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
