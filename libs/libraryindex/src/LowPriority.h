#pragma once

namespace libraryindex {

enum class ThreadWork {
    // A walk someone waits for: after every other process's work, but its
    // reads are not starved by other readers either.
    Search,
    // Writing the cache: only when nothing else wants the CPU or the disk.
    Background,
};

// Lowers the calling thread's CPU and I/O priority; nothing else changes
// when the system refuses.
void lowerThisThreadPriority(ThreadWork work);

} // namespace libraryindex
