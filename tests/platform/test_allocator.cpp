// The allocator settings the program makes at start, checked in a child of a program
// that has started no thread (they must come first and hold for the whole process).

#include "platform/Allocator.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

// The sanitizers bring an allocator of their own, which these settings do not reach.
#if !defined(__SANITIZE_ADDRESS__)

namespace {

// What the child found; 0 when every check held.
enum ChildResult { Held = 0, Refused = 10, SecondArena = 11, SmallHeapStep = 12, LargeBlockMapped = 13 };

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

int ChildChecks() {
    if (!platform::TuneAllocator()) return Refused;
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

TEST(AllocatorTest, OneArenaForAllThreadsAndTheHeapGrowsInLargeSteps) {
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
    default: FAIL() << "the child ended with " << WEXITSTATUS(status);
    }
}
#endif
