// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace velmora::bench {

// The bytes the heap has handed out and not taken back, for the memory a structure holds (the
// difference around its making). Zero where the C library does not say (outside glibc).
inline size_t HeapInUse() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

}  // namespace velmora::bench
