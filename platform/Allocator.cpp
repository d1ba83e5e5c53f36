#include "platform/Allocator.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

// Grows the heap ahead by kReserve of address space and asks the kernel to back it with
// huge pages where it can (the system's transparent huge pages set to "madvise").
// An import touches hundreds of megabytes of small blocks in order; with 4 KB pages
// the page faults alone are some 15% of its time. The reserve costs no memory until it
// is touched, and the heap keeps it (the trim threshold lies above it).
void AdviseHugePages() {
#if !defined(__SANITIZE_ADDRESS__)
    constexpr size_t kMiB = 1024 * 1024, kHuge = 2 * kMiB, kBlock = 30 * kMiB, kBlocks = 9;
    if (mallopt(M_TRIM_THRESHOLD, int(kBlocks * kBlock + 128 * kMiB)) != 1) return;
    void* blocks[kBlocks] = {};
    for (void*& b : blocks) b = std::malloc(kBlock);
    const auto first = reinterpret_cast<std::uintptr_t>(blocks[0]);
    for (void* b : blocks) std::free(b);
    if (!first) return;
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t from = (first + kHuge - 1) & ~(kHuge - 1), to = end & ~(kHuge - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

}  // namespace

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
    AdviseHugePages();
    return ok;
}

}  // namespace platform
