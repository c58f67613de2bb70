#pragma once

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tagmill::platform {

/// Keeps the memory of a cleared results table for the next run, instead of handing it back to
/// the system at once: every fresh page costs a fault, and a run that fills a table of a
/// million rows spent longer faulting in its memory than adding the rows.
inline void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // Large blocks come from the heap, where a freed one is taken again; by default each would
    // be mapped apart and unmapped when freed.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    // Up to this much freed memory stays with the program.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

} // namespace tagmill::platform
