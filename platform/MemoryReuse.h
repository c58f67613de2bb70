#pragma once

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#endif

namespace tagmill::platform {

/// Keeps the memory of a cleared results table for the next run, instead of handing it back to
/// the system at once, and has the heap's next stretch filled in large pages: every fresh page
/// costs a fault, and a run that fills a table of a million rows spent longer faulting in its
/// memory than adding the rows.
inline void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // Large blocks come from the heap, where a freed one is taken again; by default each would
    // be mapped apart and unmapped when freed.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    // Up to this much freed memory stays with the program.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    // Every thread takes from the one heap, so that the workers' batches come from the stretch
    // in large pages below too, and memory one thread frees is there for any other.
    mallopt(M_ARENA_MAX, 1);
    // The heap grows by this much more than a block needs, once, so that the stretch can be
    // marked for large pages before any of it is used. Marking takes no memory: pages come
    // when first touched, 2 MiB at a time where the system allows.
    constexpr std::size_t Stretch = 128 << 20;
    constexpr std::size_t Large = 2 << 20;
    mallopt(M_TOP_PAD, int(Stretch));
    void* block = std::malloc(1 << 20);
    const auto from = (reinterpret_cast<std::uintptr_t>(block) + Large - 1) & ~(Large - 1);
    const auto to = reinterpret_cast<std::uintptr_t>(sbrk(0));
    if (block && to > from)
        madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
    std::free(block);
    mallopt(M_TOP_PAD, 128 << 10); // the default again
#endif
}

} // namespace tagmill::platform
