#include "base/large_pages.h"

#include <sys/mman.h>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace skywave {

namespace {

constexpr std::size_t kRegion = std::size_t(1) << 21;
constexpr std::size_t kAlign = 64;

struct Region {
    char* base;
    std::size_t size, used, live;  // bytes, bytes handed out, blocks not given back
};

struct Regions {
    std::mutex mutex;
    std::vector<Region> list;
};

Regions& regions() {
    static Regions* r = new Regions;  // never destroyed: blocks may outlive static objects
    return *r;
}

std::size_t round_up(std::size_t n, std::size_t to) {
    return (n + to - 1) / to * to;
}

}  // namespace

void* large_page_block(std::size_t bytes) {
    bytes = round_up(bytes == 0 ? 1 : bytes, kAlign);
    Regions& r = regions();
    std::lock_guard lock(r.mutex);
    for (Region& region : r.list) {
        if (region.size - region.used >= bytes) {
            void* p = region.base + region.used;
            region.used += bytes;
            ++region.live;
            return p;
        }
    }
    const std::size_t size = round_up(bytes, kRegion);
    // Fresh pages from the kernel, aligned to a region: mapped one region more, and
    // the parts before and after the aligned one given back.
    void* mapped =
        mmap(nullptr, size + kRegion, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    char* const start = static_cast<char*>(mapped);
    char* const base =
        start + (kRegion - reinterpret_cast<std::uintptr_t>(start) % kRegion) % kRegion;
    if (base > start) munmap(start, std::size_t(base - start));
    if (base + size < start + size + kRegion)
        munmap(base + size, std::size_t(start + size + kRegion - (base + size)));
#ifdef MADV_HUGEPAGE
    madvise(base, size, MADV_HUGEPAGE);  // a hint: without large pages all still works
#endif
    try {
        r.list.push_back({base, size, bytes, 1});
    } catch (...) {
        munmap(base, size);
        throw;
    }
    return base;
}

void large_page_release(void* block) {
    if (!block) return;
    const char* p = static_cast<const char*>(block);
    Regions& r = regions();
    std::lock_guard lock(r.mutex);
    for (auto it = r.list.begin(); it != r.list.end(); ++it) {
        if (p >= it->base && p < it->base + it->size) {
            if (--it->live == 0) {
                munmap(it->base, it->size);
                r.list.erase(it);
            }
            return;
        }
    }
}

}  // namespace skywave
