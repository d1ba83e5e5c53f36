// The allocator settings the program makes at start, checked in a child of a program
// that has started no thread (they must come first and hold for the whole process).

#include "platform/Allocator.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// The sanitizers bring an allocator of their own, which these settings do not reach.
#if !defined(__SANITIZE_ADDRESS__)

namespace {

// What the child found; 0 when every check held.
enum ChildResult { Held = 0, Refused = 10, SecondArena = 11, SmallHeapStep = 12, LargeBlockMapped = 13, NoHugePageAdvice = 14 };

// Counts the arenas malloc_info lists ("<heap nr=").
int Arenas() {
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    if (!out) return -1;
    malloc_info(0, out);
    std::fclose(out);
    const std::string info(text, size);
    std::free(text);
    int count = 0;
    for (size_t at = info.find("<heap nr="); at != std::string::npos; at = info.find("<heap nr=", at + 1)) ++count;
    return count;
}

// Whether part of the heap carries the huge-page advice ("hg" among its VmFlags).
// True where the kernel has no transparent huge pages: there is nothing to advise.
bool HeapAdvisedHugePages() {
    if (access("/sys/kernel/mm/transparent_hugepage/enabled", F_OK) != 0) return true;
    FILE* maps = std::fopen("/proc/self/smaps", "r");
    if (!maps) return false;
    char line[512];
    bool inHeap = false, advised = false;
    while (!advised && std::fgets(line, sizeof line, maps)) {
        const std::string text(line);
        if (std::isxdigit(static_cast<unsigned char>(line[0])) && !std::isupper(static_cast<unsigned char>(line[0])))
            inHeap = text.find("[heap]") != std::string::npos;  // a mapping's first line: "start-end perms ..."
        else if (inHeap && text.rfind("VmFlags:", 0) == 0)
            advised = text.find(" hg") != std::string::npos;
    }
    std::fclose(maps);
    return advised;
}

int ChildChecks() {
    if (!platform::TuneAllocator()) return Refused;
    if (!HeapAdvisedHugePages()) return NoHugePageAdvice;
    // A block allocated and kept on a worker thread: it must come from the one arena.
    void* kept = nullptr;
    std::thread([&kept] { kept = std::malloc(4000); }).join();
    const int arenas = Arenas();
    std::free(kept);
    if (arenas != 1) return SecondArena;
    // Small blocks until the heap grows: it grows by the whole step at once.
    const size_t before = mallinfo2().arena;
    std::vector<void*> blocks;
    while (mallinfo2().arena == before && blocks.size() < 100000) blocks.push_back(std::malloc(16 * 1024));
    const size_t grown = mallinfo2().arena - before;
    for (void* b : blocks) std::free(b);
    if (grown < size_t(64) * 1024 * 1024) return SmallHeapStep;
    // Blocks of a few megabytes, more than the free heap holds, come from the heap as it
    // grows, not from mappings of their own.
    const size_t mapped = mallinfo2().hblks;
    std::vector<void*> large;
    for (int i = 0; i < 12; ++i) large.push_back(std::malloc(8 * 1024 * 1024));
    const bool ownMapping = mallinfo2().hblks != mapped;
    for (void* b : large) std::free(b);
    if (ownMapping) return LargeBlockMapped;
    return Held;
}

}  // namespace

TEST(AllocatorTest, OneArenaHugePagesAndTheHeapGrowsInLargeSteps) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(ChildChecks());
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    switch (WEXITSTATUS(status)) {
    case Held: break;
    case Refused: FAIL() << "the C library refused a setting"; break;
    case SecondArena: FAIL() << "a worker thread's allocation opened a second arena"; break;
    case SmallHeapStep: FAIL() << "the heap grew by less than the 64 MB step"; break;
    case LargeBlockMapped: FAIL() << "an 8 MB block got a mapping of its own"; break;
    case NoHugePageAdvice: FAIL() << "no part of the heap is advised to use huge pages"; break;
    default: FAIL() << "the child ended with " << WEXITSTATUS(status);
    }
}
#endif
