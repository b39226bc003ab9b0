// An allocator for the engine's large, densely used tables (the path cache's entries
// and midpoints, the polar cells). Each small page of fresh memory costs a page fault
// when first touched, and on a virtual machine a fault costs tens of microseconds,
// where clearing a whole large page costs about as much as a dozen: a table of 128 KB
// or more is placed in whole 2 MB blocks that the kernel is asked to back with large
// pages, so that one fault maps all of it. Smaller requests go to the usual allocator.
#pragma once

#include <sys/mman.h>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace skywave {

// Memory for bytes in whole 2 MB blocks asked to be backed by large pages; released
// with std::free. Throws bad_alloc.
inline void* large_page_block(std::size_t bytes) {
    constexpr std::size_t kBlock = std::size_t(1) << 21;
    const std::size_t rounded = (bytes + kBlock - 1) / kBlock * kBlock;
    void* p = std::aligned_alloc(kBlock, rounded);
    if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, rounded, MADV_HUGEPAGE);  // a hint: without large pages all still works
#endif
    return p;
}

template <class T>
struct LargePageAllocator {
    using value_type = T;
    static constexpr std::size_t kThreshold = std::size_t(1) << 17;

    LargePageAllocator() = default;
    template <class U>
    LargePageAllocator(const LargePageAllocator<U>&) {}

    T* allocate(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < kThreshold) return std::allocator<T>().allocate(n);
        return static_cast<T*>(large_page_block(bytes));
    }

    void deallocate(T* p, std::size_t n) {
        if (n * sizeof(T) < kThreshold)
            std::allocator<T>().deallocate(p, n);
        else
            std::free(p);
    }

    template <class U>
    bool operator==(const LargePageAllocator<U>&) const {
        return true;
    }
};

}  // namespace skywave
