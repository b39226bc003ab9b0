// An allocator for the engine's large, densely used tables (the result arrays, the path
// cache's entries and midpoints, the polar cells). Each small page of fresh memory costs
// a page fault when first touched, and on a virtual machine a fault costs tens of
// microseconds: tables of 128 KB or more are carved out of 2 MB regions that the kernel
// is asked to back with large pages, so that one fault maps a region. A model's tables
// share regions (a model's few megabytes take two large pages, not one each), and a
// region is given back when the last table in it is. Smaller requests go to the usual
// allocator.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace skywave {

// Memory for bytes (64-byte aligned) in a region backed by large pages; given back with
// large_page_release. Throws bad_alloc. Safe to call from any thread. The memory is
// fresh from the kernel and reads as zeros: no block is ever handed out twice (a region
// goes back with its last block), and a table that starts as zeros need not be written
// before use, which leaves the pages of a table never used untouched.
void* large_page_block(std::size_t bytes);
void large_page_release(void* block);

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
            large_page_release(p);
    }

    template <class U>
    bool operator==(const LargePageAllocator<U>&) const {
        return true;
    }
};

}  // namespace skywave
