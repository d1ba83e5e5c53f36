#pragma once
// The C library's allocator set for a program that builds large documents out of many
// small allocations and reads on a worker thread.

namespace platform {

// Call first in main, before any thread starts: the settings apply to the arenas made
// after it. Returns false when the C library refused a setting (the program runs on
// with its defaults).
bool TuneAllocator();

}  // namespace platform
